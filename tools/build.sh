#!/usr/bin/env bash
# Builds the native logic tests (build/native) and the Windows program,
# plug-ins and Wine tests (build/win32).  Usage: tools/build.sh [native|win32]...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native win32)
for t in "${targets[@]}"; do
  case $t in
    native)
      cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
      cmake --build "$root/build/native" -j"$jobs" ;;
    win32)
      cmake -S "$root" -B "$root/build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
      cmake --build "$root/build/win32" -j"$jobs" ;;
    *) echo "build: unknown target $t" >&2; exit 2 ;;
  esac
done
