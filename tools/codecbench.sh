#!/usr/bin/env bash
# Times each codec library through our plug-in under Wine against the same
# library natively on the same file: the 4000 x 3000 bench photo as HEIC and
# AVIF (libheif with libde265 and dav1d), JPEG XL (libjxl) and WebP
# (libwebp), decoded by wicspi.spi's GetPicture (bench/spi_decode_winbench)
# and by a small native program built against Debian's packages of the same
# libraries (bench/native_decode.cpp); prints the medians, the spread
# (slowest / fastest) of each and the ratio of the medians.
# Usage: tools/codecbench.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-5}
bash tools/setup.sh libheif-dev libjxl-dev libwebp-dev
tools/build.sh win32 -- wicspi spi_decode_winbench
build=$root/build/win32
tests/plugins/make_fixtures.sh "$build/fixtures" --bench
native=$root/build/native-decode
mkdir -p "$native"
# shellcheck disable=SC2046
g++ -O2 -std=c++17 -o "$native/native_decode" bench/native_decode.cpp \
  $(pkg-config --cflags --libs libheif libjxl libjxl_threads libwebp)

. tools/wine-env.sh
bex_wine_start "$build"
trap bex_wine_stop EXIT
# Each program decodes twice and the second, with the library's set-up
# behind it as in a running viewer, counts; the two in turn, so that both see
# the same load of the machine.
ms_of() { sed -n 's/^run 2: \([0-9.]*\) ms.*/\1/p' | tr -d '\r'; }
# "<median> <spread>" of the milliseconds given.
median_spread() {
  printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {printf "%.1f %.2f\n", v[int((NR + 1) / 2)], v[NR] / v[1]}'
}
printf '%-22s %12s %7s %12s %7s %8s\n' photo "plug-in ms" spread "native ms" spread ratio
for name in heic avif jxl webp; do
  photo=$build/fixtures/bench-4000x3000.$name
  ours=() theirs=()
  for ((i = 0; i < runs; i++)); do
    ours+=("$(wine "$build/spi_decode_winbench.exe" "$(winepath_of "$build/plugins/wicspi.spi")" \
      "$(winepath_of "$photo")" 2 | ms_of)")
    theirs+=("$("$native/native_decode" "$photo" 2 | ms_of)")
  done
  read -r our_median our_spread < <(median_spread "${ours[@]}")
  read -r their_median their_spread < <(median_spread "${theirs[@]}")
  printf '%-22s %12s %7s %12s %7s %8s\n' "$(basename "$photo")" "$our_median" "$our_spread" \
    "$their_median" "$their_spread" "$(awk -v a="$our_median" -v b="$their_median" 'BEGIN {printf "%.2f", a / b}')"
done
