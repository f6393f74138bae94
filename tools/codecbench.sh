#!/usr/bin/env bash
# Times each codec library through our plug-in under Wine against the same
# library natively on the same file: the 4000 x 3000 bench photo as HEIC and
# AVIF (libheif with libde265 and dav1d), JPEG XL (libjxl) and WebP
# (libwebp), decoded by GetPicture of wicspi.spi and of its 64-bit build
# wicspi.sph, which the viewer uses on 64-bit Windows
# (bench/spi_decode_winbench), and by a small native program built against Debian's packages of the same
# libraries (bench/native_decode.cpp); prints the medians, the spread
# (slowest / fastest) of each and the ratios of the medians to the native.
# The WebP photo is also decoded by a plain dedicated WebP plug-in on the same
# libwebp, of each bitness (bench/dedicated_webp_spi.cpp): ours against it.
# "grid" is the photo as phones store HEIC, a grid of 512 x 512 tiles; with
# heic beside it, the grid's medians against the single picture's follow.
# Each run decodes every format in turn, so that all see the same load.
# Usage: tools/codecbench.sh [runs [format...]]   (formats: heic grid avif jxl webp)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-5}
formats=("${@:2}")
[ ${#formats[@]} -gt 0 ] || formats=(heic grid avif jxl webp)
bash tools/setup.sh libheif-dev libjxl-dev libwebp-dev
tools/build.sh win32 -- wicspi spi_decode_winbench dedicated_webp_spi
tools/build.sh win64 -- wicspi spi_decode_winbench64 dedicated_webp_spi
build=$root/build/win32
tests/plugins/make_fixtures.sh "$build/fixtures" --bench
native=$root/build/native-decode
mkdir -p "$native"
# shellcheck disable=SC2046
g++ -O2 -std=c++17 -o "$native/native_decode" bench/native_decode.cpp \
  $(pkg-config --cflags --libs libheif libjxl libjxl_threads libwebp)

# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
bex_wine_start "$build"
trap bex_wine_stop EXIT
# Each program decodes twice and the second, with the library's set-up
# behind it as in a running viewer, counts; the programs in turn, so that all see
# the same load of the machine.
ms_of() { sed -n 's/^run 2: \([0-9.]*\) ms.*/\1/p' | tr -d '\r'; }
# "<median> <spread>" of the milliseconds given.
median_spread() {
  printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {printf "%.1f %.2f\n", v[int((NR + 1) / 2)], v[NR] / v[1]}'
}
# decode_ms <program> <plug-in> <photo>: the plug-in's second decode under Wine.
decode_ms() { wine "$build/$1" "$(winepath_of "$build/$2")" "$(winepath_of "$3")" 2 | ms_of; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
photo_of() {
  case $1 in
    grid) echo "$build/fixtures/bench-4000x3000-grid.heic" ;;
    *) echo "$build/fixtures/bench-4000x3000.$1" ;;
  esac
}
# Milliseconds of each format's runs, by format: "spi sph native" lists.
declare -A spi sph native_ms
dedicated_spi=() dedicated_sph=()
for ((i = 0; i < runs; i++)); do
  for name in "${formats[@]}"; do
    photo=$(photo_of "$name")
    spi[$name]+=" $(decode_ms spi_decode_winbench.exe plugins/wicspi.spi "$photo")"
    sph[$name]+=" $(decode_ms spi_decode_winbench64.exe plugins/wicspi.sph "$photo")"
    native_ms[$name]+=" $("$native/native_decode" "$photo" 2 | ms_of)"
    [ "$name" = webp ] || continue
    dedicated_spi+=("$(decode_ms spi_decode_winbench.exe bench/dedicated/webp.spi "$photo")")
    dedicated_sph+=("$(decode_ms spi_decode_winbench64.exe bench/dedicated/webp.sph "$photo")")
  done
done
row='%-27s %9s %6s %9s %6s %9s %6s %9s %9s\n'
# shellcheck disable=SC2059
printf "$row" photo ".spi ms" spread ".sph ms" spread "native ms" spread ".spi/nat" ".sph/nat"
declare -A medians
for name in "${formats[@]}"; do
  # shellcheck disable=SC2086
  read -r spi_median spi_spread < <(median_spread ${spi[$name]})
  # shellcheck disable=SC2086
  read -r sph_median sph_spread < <(median_spread ${sph[$name]})
  # shellcheck disable=SC2086
  read -r native_median native_spread < <(median_spread ${native_ms[$name]})
  medians[$name]="$spi_median $sph_median $native_median"
  # shellcheck disable=SC2059
  printf "$row" "$(basename "$(photo_of "$name")")" "$spi_median" "$spi_spread" "$sph_median" \
    "$sph_spread" "$native_median" "$native_spread" "$(ratio "$spi_median" "$native_median")" \
    "$(ratio "$sph_median" "$native_median")"
  [ "$name" != webp ] || webp_medians=("$spi_median" "$spi_spread" "$sph_median" "$sph_spread")
done

# The grid against the single picture, each decoder on its own.
if [ -n "${medians[grid]:-}" ] && [ -n "${medians[heic]:-}" ]; then
  read -r grid_spi grid_sph grid_native <<<"${medians[grid]}"
  read -r single_spi single_sph single_native <<<"${medians[heic]}"
  # shellcheck disable=SC2059
  printf "$row" "grid / single" "$(ratio "$grid_spi" "$single_spi")" "" \
    "$(ratio "$grid_sph" "$single_sph")" "" "$(ratio "$grid_native" "$single_native")" "" "" ""
fi

# The WebP photo through ours against the dedicated plug-in of the same bitness.
[ ${#dedicated_spi[@]} -gt 0 ] || exit 0
read -r dedicated_spi_median dedicated_spi_spread < <(median_spread "${dedicated_spi[@]}")
read -r dedicated_sph_median dedicated_sph_spread < <(median_spread "${dedicated_sph[@]}")
echo
row='%-24s %9s %6s %9s %6s\n'
# shellcheck disable=SC2059
printf "$row" "WebP plug-in" ".spi ms" spread ".sph ms" spread
# shellcheck disable=SC2059
printf "$row" ours "${webp_medians[@]}"
# shellcheck disable=SC2059
printf "$row" "dedicated libwebp $(cut -d- -f1 build/codecs/notices/libwebp.version)" \
  "$dedicated_spi_median" "$dedicated_spi_spread" "$dedicated_sph_median" "$dedicated_sph_spread"
# shellcheck disable=SC2059
printf "$row" "ours / dedicated" "$(ratio "${webp_medians[0]}" "$dedicated_spi_median")" "" \
  "$(ratio "${webp_medians[2]}" "$dedicated_sph_median")" ""
