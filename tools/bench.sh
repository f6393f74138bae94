#!/usr/bin/env bash
# Builds the native benchmarks without sanitizers, optimised, and runs every
# bench/*_bench program. Arguments go to each program (for example
# --benchmark_filter=Rle). The build folder is build/bench unless
# BEX_BENCH_DIR names another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BEX_BENCH_DIR:-$root/build/bench}

cmake -S "$root" -B "$build" -DBEX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null

names=()
for source in "$root"/bench/*_bench.cpp; do
  [ -e "$source" ] || continue
  names+=("$(basename "$source" .cpp)")
done
if [ ${#names[@]} -eq 0 ]; then
  echo "bench: no bench/*_bench.cpp" >&2
  exit 1
fi

# Only the benchmarks are built, so that unrelated work in progress elsewhere
# in the tree does not stop them.
cmake --build "$build" -j"$(nproc)" --target "${names[@]}"

status=0
for name in "${names[@]}"; do
  echo "== $name"
  "$build/$name" "$@" || status=1
done
exit $status
