#!/usr/bin/env bash
# The portable zip as a user gets it: tools/package.sh writes the same zip
# twice, with the expected files in order; its notices name every library
# that tools/codecs.sh builds; unpacked into a fresh folder of the Wine
# prefix, the viewer started on a JPEG shows it with no setting up (no
# first-run message, the plug-ins found beside the program), and its close
# stores that plug-in folder. Run by tools/test.sh inside its Wine session,
# or alone (after tools/build.sh win32), when it starts one of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/win32
work=$build/scratch/package-test
rm -rf "$work"
mkdir -p "$work"

fail() {
  echo "package test: $*" >&2
  exit 1
}

zip=$("$root/tools/package.sh" "$work/first")
again=$("$root/tools/package.sh" "$work/second")
cmp -s "$zip" "$again" || fail "two runs gave different zips"
echo "package test: $(basename "$zip"), $(stat -c %s "$zip") bytes, the same twice"

names=$(python3 -c 'import sys, zipfile; print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
expected="bex.exe bexspi.exe bexspi64.exe plugins/wicspi.spi plugins/wicspi.sph README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt"
[ "$names" = "$expected" ] || fail "the zip holds '$names', not '$expected'"

unpacked=$work/unpacked
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unpacked"
for package in $("$root/tools/codecs.sh" --packages); do
  grep -q "^$package [0-9]" "$unpacked/THIRD-PARTY-NOTICES.txt" || fail "the notices do not name $package"
done

# The Wine session of tools/test.sh, or one of our own.
if [ "${WINEPREFIX:-}" != "$build/wineprefix" ]; then
  "$root/tools/build.sh" win32 -- wait_window >&2
  # shellcheck source=tools/wine-env.sh
  . "$root/tools/wine-env.sh"
  BEX_FORCE_XVFB=1 bex_wine_start "$build"
  trap bex_wine_stop EXIT
fi

# A fresh folder of the prefix's drive C, as a user would unpack into, with a
# name code page 932 cannot hold (as a user folder named Müller).
folder=$WINEPREFIX/drive_c/Bex-Müller
rm -rf "$folder"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$folder"
pictures=$work/pictures
mkdir -p "$pictures"
convert -size 64x32 xc:red "$pictures/photo.jpg"

(cd "$pictures" && exec wine 'C:\Bex-Müller\bex.exe' photo.jpg) >/dev/null 2>&1 &
viewer=$!
title=$(wine "$build/wait_window.exe" --close | iconv -f CP932 -t UTF-8 | tr -d '\r') || title=
if [ "$title" != "photo.jpg [100%]" ]; then
  kill "$viewer" 2>/dev/null || true
  fail "the viewer shows '$title', not 'photo.jpg [100%]'"
fi
wait "$viewer" || true
settings=$(iconv -f CP932 -t UTF-8 "$folder/bex.ini" | tr -d '\r')
# It names the folder in code page 932, by its short name.
stored=$(sed -n 's/^SPIDIR=//p' <<<"$settings")
[ -n "$stored" ] && [ "$(readlink -f "$(wine winepath -u "$stored" 2>/dev/null)")" = "$(readlink -f "$folder/plugins")" ] ||
  fail "the close stored another plug-in folder: $settings"
echo "package test: passed"
