#!/usr/bin/env bash
# The portable zip as a user gets it: tools/package.sh writes the same zip
# twice, with the expected files in order; its notices name every library
# that tools/codecs.sh builds; unpacked into a fresh folder of the Wine
# prefix, the viewer started on a JPEG shows it with no setting up (no
# first-run message, the plug-ins found beside the program), its close stores
# no plug-in folder, and moved elsewhere it shows the JPEG still, also when
# its settings name the plug-in folder where it was. Run by tools/test.sh inside its Wine session,
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

# Starts the viewer unpacked in the folder named (Windows path) on the photo
# and closes it again; fails unless it shows the photo.
shows_photo() {
  (cd "$pictures" && exec wine "$1\\bex.exe" photo.jpg) >/dev/null 2>&1 &
  local viewer=$! title
  title=$(wine "$build/wait_window.exe" --close | iconv -f CP932 -t UTF-8 | tr -d '\r') || title=
  if [ "$title" != "photo.jpg [100%]" ]; then
    kill "$viewer" 2>/dev/null || true
    fail "the viewer in $1 shows '$title', not 'photo.jpg [100%]'"
  fi
  wait "$viewer" || true
}

shows_photo 'C:\Bex-Müller'
# No plug-in folder was chosen, so none is stored: the one beside the
# program serves wherever the folder goes.
settings=$(iconv -f CP932 -t UTF-8 "$folder/bex.ini" | tr -d '\r')
! grep -q '^SPIDIR=' <<<"$settings" || fail "the close stored a plug-in folder: $settings"

# Settings that name the plug-in folder where the copy was unpacked (by its
# short name, as earlier versions stored it), and the folder moves: the
# folder named is gone, and the one beside the program serves.
stored=$(wine winepath -s 'C:\Bex-Müller\plugins' 2>/dev/null | tr -d '\r')
[ -n "$stored" ] || fail "no short name for the plug-in folder"
printf '[設定]\r\nSPIDIR=%s\r\n' "$stored" | iconv -f UTF-8 -t CP932 >"$folder/bex.ini"
rm -rf "$folder-moved"
mv "$folder" "$folder-moved"
shows_photo 'C:\Bex-Müller-moved'
echo "package test: passed"
