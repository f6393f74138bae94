#!/usr/bin/env bash
# Runs the benchmarks that need Windows under Wine, each printing its own
# figures beside a baseline measured in the same run:
#   wicspi_winbench          GetPicture of large JPEG, PNG, WebP, HEIC, AVIF,
#                            JPEG XL and DNG photos against the plug-in built
#                            to use WIC alone, a bare WIC decode and the
#                            baseline's plug-in (plugins\wicspi.spi beside
#                            its bex.exe), and against the JPEG (the same
#                            JPEG with a Display P3 profile too: what its
#                            conversion to sRGB costs)
#   folder_listing_winbench  listing and sorting 100 000 files against the
#                            bare directory enumeration
#   plugin_helper_winbench   decodes through the plug-in helper against in
#                            process; the viewer's answers while it decodes
#                            ahead, held-key stepping and its memory beside a
#                            leaking plug-in (with a baseline viewer's figures
#                            when its bex.exe is given); wicspi.sph in the
#                            64-bit helper against wicspi.spi in the 32-bit one
#   step_latency_xbench      (tools/stepbench.sh) a step to the next of twelve
#                            large JPEGs shrunk to the window against feh on
#                            the same display, timed from the X side; held-key
#                            stepping and the viewer's memory against the
#                            baseline viewer; filing them with two keys each
#                            (J, a registered folder's key, no save dialog)
#                            with a raw file and a sidecar each, against the
#                            step
# Usage: tools/winbench.sh [baseline bex.exe]
set -euo pipefail
baseline=${1:+$(readlink -f "$1")}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh feh libx11-dev libxtst-dev libxdamage-dev
tools/build.sh win32 -- wicspi wicspi_wic_only wicspi_winbench folder_listing_winbench bex \
  bexspi bex_testspi plugin_helper_winbench step_viewer_winbench
tools/build.sh win64 -- bexspi64 wicspi
build=$root/build/win32
tests/plugins/make_fixtures.sh "$build/fixtures" --bench
# Each run starts from empty scratch folders (a folder per viewer started).
rm -rf "$build/scratch"

. tools/wine-env.sh
# Keys and focus go through the X server: a display of our own.
BEX_FORCE_XVFB=1 bex_wine_start "$build"
trap bex_wine_stop EXIT
export BEX_BUILD_DIR=$build
echo "== wicspi_winbench"
baseline_plugin=${baseline:+$(dirname "$baseline")/plugins/wicspi.spi}
wine "$build/wicspi_winbench.exe" \
  ${baseline:+"$(winepath_of "$build/fixtures")" 7 "$(winepath_of "$baseline_plugin")"}
echo "== folder_listing_winbench"
mkdir -p "$build/bench-folder"
wine "$build/folder_listing_winbench.exe" "$(winepath_of "$build/bench-folder")" 100000
echo "== plugin_helper_winbench"
wine "$build/plugin_helper_winbench.exe" ${baseline:+"$(winepath_of "$baseline")"}
echo "== step_latency_xbench"
bash tools/stepbench.sh "$build" ${baseline:+"$baseline"}
