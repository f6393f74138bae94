#!/usr/bin/env bash
# Builds the native logic tests (build/native), the Windows program,
# plug-ins and Wine tests (build/win32), and the 64-bit plug-in helper with
# the 64-bit plug-ins (build/win64, written into build/win32 beside the
# viewer). The Windows builds first build the codec libraries that their
# plug-in links when they are not in the shared cache yet (tools/codecs.sh).
# Usage: tools/build.sh [native|win32|win64]... [-- cmake-target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
kinds=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--" ]; then shift; targets=("$@"); break; fi
  kinds+=("$1")
  shift
done
[ ${#kinds[@]} -gt 0 ] || kinds=(native win32 win64)
target_args=()
for t in "${targets[@]}"; do target_args+=(--target "$t"); done
for kind in "${kinds[@]}"; do
  case $kind in
    native)
      cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    win32)
      bash "$root/tools/codecs.sh" "" i686
      cmake -S "$root" -B "$root/build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null ;;
    win64)
      bash "$root/tools/codecs.sh" "" x86_64
      cmake -S "$root" -B "$root/build/win64" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        -DBEX_PROGRAM_DIR="$root/build/win32" >/dev/null ;;
    *) echo "build: unknown kind $kind" >&2; exit 2 ;;
  esac
  cmake --build "$root/build/$kind" -j"$jobs" "${target_args[@]}"
done
