#!/usr/bin/env bash
# Step latency of the viewer against feh on the same X display, and of a
# baseline viewer when its bex.exe is given (bench/step_latency_xbench.cpp):
# twelve JPEGs of 4000 x 3000 shrunk to a window of 1000 x 800, and filing
# them with two keys each, with a raw file and a sidecar beside each. Run by
# tools/winbench.sh once the Wine environment of tools/wine-env.sh is started
# and the Windows programs and the bench photos are built.
# Usage: tools/stepbench.sh <build dir> [baseline bex.exe]
set -euo pipefail
build=$(readlink -f "$1")
baseline=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-env.sh" # winepath_of
bench=$root/build/bench
cmake -S "$root" -B "$bench" -DBEX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench" --target step_latency_xbench >/dev/null

pictures=$build/step-pictures
mkdir -p "$pictures"
for n in $(seq -w 1 12); do
  cp "$build/fixtures/bench-4000x3000.jpg" "$pictures/$n.jpg"
done

# The command that starts a viewer on the first picture: the build's, or
# the bex.exe given.
viewer() {
  printf 'wine %q %q' "$build/step_viewer_winbench.exe" "$(winepath_of "$pictures/01.jpg")"
  if [ $# -gt 0 ]; then printf ' %q' "$(winepath_of "$1")"; fi
}

# The filing run's own copies, since it moves them away, and its folder.
filing=$build/filing-pictures filed=$build/filing-filed
rm -rf "$filing" "$filed"
mkdir -p "$filing" "$filed"
for n in $(seq -w 1 12); do
  cp "$build/fixtures/bench-4000x3000.jpg" "$filing/$n.jpg"
  head -c 65536 /dev/zero >"$filing/$n.CR2"
  printf '<x:xmpmeta xmlns:x="adobe:ns:meta/"/>\n' >"$filing/$n.xmp"
done
filing_viewer=$(printf 'env BEX_FILE_INTO=%q wine %q %q' "$(winepath_of "$filed")" \
  "$build/step_viewer_winbench.exe" "$(winepath_of "$filing/01.jpg")")

export BEX_BUILD_DIR=$build
"$bench/step_latency_xbench" --viewer "$(viewer)" \
  --feh "feh --geometry 1000x800 --scale-down --title %n $(printf %q "$pictures")/*.jpg" \
  ${baseline:+--baseline "$(viewer "$baseline")"} \
  --filing "$filing_viewer" --filed "$filed"
