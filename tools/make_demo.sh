#!/usr/bin/env bash
# Makes the demo folder: photographs at camera sizes from Debian's
# mate-backgrounds package (tools/setup.sh mate-backgrounds installs it), as
# JPEG and PNG for the plug-in and as bitmaps the viewer reads itself.
# Usage: tools/make_demo.sh <folder>
set -euo pipefail
demo=$1
photos=/usr/share/backgrounds/mate/nature
# Beside the folder, so that the viewer lists nothing but the pictures.
made=${demo%/}.made
[ -f "$made" ] && exit 0
if [ ! -d "$photos" ]; then
  echo "make_demo: $photos is missing; run tools/setup.sh mate-backgrounds as root" >&2
  exit 1
fi
rm -rf "$demo"
mkdir -p "$demo"
# demo name and source photo; the extension says the format (BMP3: 24-bit bitmap).
# The first is the sharpest at 100 %, as the demo opens on it.
while read -r name source; do
  case $name in
    *.jpg) cp "$photos/$source" "$demo/$name" ;;
    *.bmp) convert "$photos/$source" BMP3:"$demo/$name" ;;
    *) convert "$photos/$source" "$demo/$name" ;;
  esac
done <<'EOF'
01-rain-drops.jpg RainDrops.jpg
02-forget-me-nots.jpg LadyBird.jpg
03-marigold.png Garden.jpg
04-water-drop.bmp Aqua.jpg
05-seeds.jpg TwoWings.jpg
06-wood.png Wood.jpg
07-yellow-flower.bmp YellowFlower.jpg
08-storm.jpg Storm.jpg
EOF
touch "$made"
