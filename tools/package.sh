#!/usr/bin/env bash
# Builds the release and writes the portable zip bex-<version>-win32.zip into
# OUTDIR (default build/package), and prints its path: the viewer, its
# plug-in helpers and our plug-in (32- and 64-bit), a README.txt in Japanese, the licence and
# the third-party notices of every library that tools/codecs.sh builds.
# The same build gives the same zip, byte for byte.
# Usage: tools/package.sh [OUTDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/package}
build=$root/build/win32

"$root/tools/build.sh" win32 -- bex bexspi wicspi >&2
"$root/tools/build.sh" win64 -- bexspi64 wicspi >&2
# The codec libraries the build linked, with their copyright files.
codecs=${BEX_CODECS_DIR:-$(sed -n 's/^BEX_CODECS_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")}
python3 "$root/tools/package/make_zip.py" --root "$root" --build "$build" --codecs "$codecs" \
  --packages "$("$root/tools/codecs.sh" --packages)" --out "$out"
