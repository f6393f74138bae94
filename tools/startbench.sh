#!/usr/bin/env bash
# Start latency of the viewer against feh on the same X display
# (bench/start_latency_xbench.cpp): from the start of the process to the
# picture's title, nine starts each with the Wine server warm, for a JPEG of
# 4000 x 3000 shrunk to a window of 1000 x 800 (fit mode 1) and at 100 %
# with the window following it (fit mode 0), the same picture as a bitmap,
# the bitmap with no plug-in folder, and feh on the JPEG shrunk and at
# 100 %; with where the time goes in a JPEG start of each fit mode, from the
# viewer's trace (BEX_START_TRACE).
# The plug-in folder holds our plug-in's 32- and 64-bit builds, as the zip
# brings them: the 64-bit one decodes, in the 64-bit helper.
# Usage: tools/startbench.sh [starts] [bex.exe, with its bexspi.exe,
# bexspi64.exe and plugins folder beside it; the build's when not given]
set -euo pipefail
starts=${1:-9}
program=${2:+$(readlink -f "$2")}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh feh libx11-dev libxtst-dev libxdamage-dev
tools/build.sh win32 -- bex bexspi wicspi
tools/build.sh win64 -- bexspi64 wicspi
build=$root/build/win32
tests/plugins/make_fixtures.sh "$build/fixtures" --bench
bench=$root/build/bench
cmake -S "$root" -B "$bench" -DBEX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench" --target start_latency_xbench >/dev/null

. tools/wine-env.sh
BEX_FORCE_XVFB=1 bex_wine_start "$build"
trap bex_wine_stop EXIT
# Wine's virtual desktop ends when its last window closes, and a program
# that starts as it ends finds no desktop: a window kept open keeps it up
# between the starts, as Windows' desktop always is.
# One that starts as the desktop of the set-up ends dies of it: tried again.
for _ in 1 2 3; do
  wine notepad >/dev/null 2>&1 &
  for _ in $(seq 50); do
    xdotool search --class notepad >/dev/null 2>&1 && break 2
    sleep 0.2
  done
done

# A copy of the program for each case, its settings beside it: the picture
# follows a window of 1000 x 800, as feh's --scale-down does, or (fit mode 0)
# the window follows the picture at 100 %, as feh's window does without it.
work=$build/startbench
rm -rf "$work"
pictures=$work/pictures
mkdir -p "$pictures"
cp "$build/fixtures/bench-4000x3000.jpg" "$pictures/a.jpg"
convert "$pictures/a.jpg" BMP3:"$pictures/a.bmp"
viewer() { # <case> <fit mode> <picture> <plug-in folder's modules...>
  local dir=$work/$1 fit=$2 picture=$3
  shift 3
  mkdir -p "$dir/plugins"
  local exe=${program:-$build/bex.exe}
  cp "$exe" "$(dirname "$exe")/bexspi.exe" "$(dirname "$exe")/bexspi64.exe" "$dir/"
  for module in "$@"; do cp "$(dirname "$exe")/$module" "$dir/plugins/"; done
  printf '[設定]\r\nSPIDIR=%s\r\n窓と画像の関係=%s\r\n窓位置保存=0\r\n[窓位置]\r\nTop=0\r\nLeft=0\r\nHeight=800\r\nWidth=1000\r\n' \
    "$(winepath_of "$dir/plugins")" "$fit" | iconv -f UTF-8 -t CP932 >"$dir/bex.ini"
  printf 'wine %q %q' "$dir/bex.exe" "$(winepath_of "$pictures/$picture")"
}
modules=(plugins/wicspi.spi plugins/wicspi.sph)
jpeg=$(viewer jpeg 1 a.jpg "${modules[@]}")
jpeg100=$(viewer jpeg-100 0 a.jpg "${modules[@]}")
bitmap=$(viewer bitmap 1 a.bmp "${modules[@]}")
alone=$(viewer bitmap-alone 1 a.bmp)

echo "== start_latency_xbench ($(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg))"
"$bench/start_latency_xbench" --starts "$starts" \
  --jpeg a.jpg "$work/jpeg.trace" "$jpeg" \
  --jpeg-100 a.jpg "$work/jpeg-100.trace" "$jpeg100" \
  --bitmap a.bmp "$work/bitmap.trace" "$bitmap" \
  --bitmap-alone a.bmp "$work/alone.trace" "$alone" \
  --feh a.jpg "feh --geometry 1000x800 --scale-down --title %n $(printf %q "$pictures/a.jpg")" \
  --feh-100 a.jpg "feh --title %n $(printf %q "$pictures/a.jpg")"
echo "(load after: $(cut -d' ' -f1-3 /proc/loadavg))"
