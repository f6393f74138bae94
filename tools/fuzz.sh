#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang into build/fuzz
# (or the folder BEX_FUZZ_DIR names) and runs each one on its corpus.
#   tools/fuzz.sh --short           about 20 seconds in all (part of the tests)
#   tools/fuzz.sh --long [seconds]  each target that long (default 600)
# A target's corpus lives in build/fuzz/corpus/<target> and grows from run
# to run; fuzz/<name>_seeds.cpp, when present, writes its starting inputs.
# A crash or sanitizer report makes the status non-zero; the input that
# caused it is kept in build/fuzz/artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BEX_FUZZ_DIR:-$root/build/fuzz}

usage() {
  echo "usage: tools/fuzz.sh --short | --long [seconds]" >&2
  exit 2
}

case ${1:-} in
  --short) total=20 ;;
  --long) per_target=${2:-600} ;;
  *) usage ;;
esac
[[ ${per_target:-1} =~ ^[0-9]+$ ]] || usage

names=()
for source in "$root"/fuzz/*_fuzz.cpp; do
  [ -e "$source" ] || continue
  names+=("$(basename "$source" .cpp)")
done
if [ ${#names[@]} -eq 0 ]; then
  echo "fuzz: no fuzz/*_fuzz.cpp" >&2
  exit 1
fi
if [ -n "${total:-}" ]; then
  per_target=$((total / ${#names[@]}))
  ((per_target >= 5)) || per_target=5
fi

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"

mkdir -p "$build/artifacts"
status=0
for name in "${names[@]}"; do
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  seeds=$build/seeds/$name
  mkdir -p "$seeds"
  if [ -x "$build/${name%_fuzz}_seeds" ]; then
    "$build/${name%_fuzz}_seeds" "$seeds"
  fi
  echo "== $name: ${per_target}s"
  log=$build/$name.log
  if "$build/$name" -max_total_time="$per_target" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$name-" "$corpus" "$seeds" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  else
    status=1
    echo "fuzz: $name failed; its report:" >&2
    grep -v -E '^#[0-9]+' "$log" | tail -n 60 >&2
  fi
done
exit $status
