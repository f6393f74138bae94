#!/usr/bin/env bash
# Sets up what is missing, builds Bex and runs it under Wine: on the pictures
# or the folder given as arguments, or without arguments on a demo folder of
# photographs. Without a display it runs on a virtual one, saves a screenshot
# of the desktop and prints where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# The demo's photographs come from a Debian package.
if [ $# -eq 0 ]; then bash tools/setup.sh mate-backgrounds; else bash tools/setup.sh; fi
# The viewer, the tool that waits for its window, and our decoder plug-in,
# which shows every picture of the demo. The 64-bit helper and the plug-in's
# 64-bit build, which the viewer prefers where they are, come with the test
# command and the package script (tools/build.sh win64).
tools/build.sh win32 -- bex wait_window wicspi

build=$root/build/win32
app=$build/app
mkdir -p "$app"
cp "$build/bex.exe" "$build/bexspi.exe" "$app/"
if [ -f "$build/bexspi64.exe" ]; then cp "$build/bexspi64.exe" "$app/"; fi
mkdir -p "$app/plugins"
if compgen -G "$build/plugins/*.sp[ih]" >/dev/null; then cp "$build"/plugins/*.sp[ih] "$app/plugins/"; fi

. tools/wine-env.sh
# The plug-in folder is registered on the first run so the viewer can show
# every format its plug-ins read; the window starts in the desktop's corner,
# so that a photo larger than the screen fills it.
if [ ! -f "$app/bex.ini" ]; then
  printf '[設定]\r\nSPIDIR=%s\r\n[窓位置]\r\nTop=0\r\nLeft=0\r\n' "$(winepath_of "$app/plugins")" |
    iconv -f UTF-8 -t CP932 >"$app/bex.ini"
fi

# The viewer opens the pictures given (each further one in a window of its
# own, as the viewer does), or the first picture of a folder given; without
# arguments the first photo of the demo folder. Space and BackSpace step
# through the folder.
pictures=("$@")
if [ ${#pictures[@]} -eq 0 ]; then
  demo=$build/demo
  tools/make_demo.sh "$demo"
  pictures=("$demo")
fi
args=()
for p in "${pictures[@]}"; do args+=("$(winepath_of "$p")"); done

headless=0
[ -n "${DISPLAY:-}" ] || headless=1
bex_wine_start "$build"
trap bex_wine_stop EXIT

(cd "$(dirname "${pictures[0]}")" && wine "$app/bex.exe" "${args[@]}") &
viewer=$!
if [ "$headless" = 1 ]; then
  shown=$(wine "$build/wait_window.exe" --client | iconv -f CP932 -t UTF-8 | tr -d '\r') || shown=
  title=$(sed -n 1p <<<"$shown")
  client=$(sed -n 2p <<<"$shown")
  shot=$root/build/screenshot.png
  # The title comes before the picture is painted: the shot is taken again
  # until the window's client area shows more than black (for at most 30 s).
  for _ in $(seq 150); do
    import -window root "$shot"
    [ -n "$client" ] || break
    [ "$(convert "$shot" -crop "$client" +repage -format '%[max]' info:)" != 0 ] && break
    sleep 0.2
  done
  echo "viewer shows: ${title:-nothing}"
  echo "screenshot: $shot"
else
  wait "$viewer"
fi
