#!/usr/bin/env bash
# Generates a demo folder of pictures: bitmaps the viewer reads itself, and
# JPEG and PNG photos for the plug-in.  Usage: tools/make_demo.sh <folder>
set -euo pipefail
demo=$1
[ -f "$demo/.made" ] && exit 0
mkdir -p "$demo"
convert -size 640x480 plasma:fractal -seed 7 BMP3:"$demo/01-plasma.bmp" 2>/dev/null ||
  convert -size 640x480 gradient:navy-gold BMP3:"$demo/01-plasma.bmp"
convert -size 480x360 gradient:red-blue BMP3:"$demo/02-gradient.bmp"
convert -size 800x600 radial-gradient:white-darkgreen -quality 90 "$demo/03-radial.jpg"
convert -size 500x500 pattern:checkerboard -scale 400% "$demo/04-checker.png"
convert rose: -resize 400% -quality 92 "$demo/05-rose.jpg"
convert logo: -resize 50% "$demo/06-logo.png"
touch "$demo/.made"
