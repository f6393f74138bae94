#!/usr/bin/env bash
# Draws the program's icon, a framed landscape with an arrow into a folder,
# and writes it as one .ico file with 256, 48, 32 and 16 pixel images. The
# shapes are given on a 256-unit square and rasterised at each size, so every
# image is drawn at its own resolution; the two small ones leave the folder
# out, which would be a blur of a few pixels there.
# Usage: tools/make_icon.sh out.ico
set -euo pipefail
out=$1
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture() {
  cat <<'MVG'
fill '#26303c' roundrectangle 6,18 250,222 28,28
fill '#8fd0f5' rectangle 26,38 230,202
fill '#ffd23f' circle 176,84 176,110
fill '#3f9b4a' polygon 26,202 26,158 92,104 148,160 188,128 230,162 230,202
fill '#2f7a39' polygon 92,104 120,132 104,142 70,122
MVG
}

folder() {
  cat <<'MVG'
fill '#26303c' roundrectangle 132,150 254,254 14,14
fill '#f0a030' roundrectangle 140,158 246,246 10,10
fill '#c97c12' rectangle 140,158 186,172
fill '#ffffff' polygon 160,196 200,196 200,180 230,204 200,228 200,212 160,212
MVG
}

images=()
for size in 256 48 32 16; do
  scale=$(awk -v s="$size" 'BEGIN { printf "%.6f", s / 256 }')
  shapes=$(picture)
  if [ "$size" -ge 48 ]; then shapes="$shapes $(folder)"; fi
  convert -size "${size}x${size}" xc:none -draw "scale $scale,$scale $shapes" \
    -define png:exclude-chunks=date,time "png32:$work/$size.png"
  images+=("$work/$size.png")
done
convert "${images[@]}" "$out"
