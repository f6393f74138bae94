#!/usr/bin/env bash
# Makes the pictures that the plug-in tests decode, with ImageMagick, the
# tools of Debian's webp, libjpeg-turbo-progs, libheif-examples, libavif-bin
# and libjxl-tools, the profiles of icc-profiles-free, and the generators beside this script (HEIF
# rotations and grids, DNG files), into the given folder (created if missing). With --bench it also makes the large photos of the
# plug-in benchmark (slow; kept when they exist).
#   tests/plugins/make_fixtures.sh build/win32/fixtures [--bench]
#
# Most pictures are 64 x 32 with four coloured quadrants:
#   red  lime
#   blue white
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:?usage: make_fixtures.sh <folder> [--bench]}
bench=${2:-}
mkdir -p "$out"
cd "$out"

quadrants() { # quadrants <top-left> <top-right> <bottom-left> <bottom-right> <output>
  convert \( -size 32x16 "xc:$1" "xc:$2" +append \) \( -size 32x16 "xc:$3" "xc:$4" +append \) \
    -append "$5"
}

quadrants red lime blue white PNG24:quad.png
convert quad.png -strip -quality 95 quad.jpg
convert quad.png -depth 16 PNG48:quad16.png
convert quad.png PNG8:palette.png
quadrants 'gray(0)' 'gray(85)' 'gray(170)' 'gray(255)' quadgrey.tmp.png
convert quadgrey.tmp.png -colorspace Gray -define png:color-type=0 -depth 8 grey.png
rm quadgrey.tmp.png
# Opaque red, half-transparent lime, fully transparent blue, opaque white.
quadrants red 'rgba(0,255,0,0.5)' 'rgba(0,0,255,0)' white PNG32:alpha.png
# Palette and grey pictures whose transparency is a tRNS chunk: blue clear in
# the palette, grey 85 clear in the grey picture.
quadrants red lime 'rgba(0,0,255,0)' white PNG8:palette-clear.png
quadrants 'gray(0)' 'gray(85)' 'gray(170)' 'gray(255)' quadgrey.tmp.png
convert quadgrey.tmp.png -colorspace Gray -transparent 'gray(85)' -define png:color-type=0 -depth 8 \
  grey-clear.png
rm quadgrey.tmp.png
convert -delay 10 quad.png \( -size 64x32 xc:black \) -loop 0 animated.gif
convert quad.png -compress lzw quad.tif
convert quad.png -sample '32x32!' quad.ico
convert quad.png -colorspace CMYK -quality 95 cmyk.jpg
convert quad.png -sample '2048x1024!' big.png # a 6 MiB DIB
# Columns one pixel wide, black and white by turns: any reduced decode of it
# is grey.
convert -size 1x1 xc:black xc:white +append -write mpr:pair +delete -size 1600x1200 \
  tile:mpr:pair -colorspace Gray -strip -quality 100 stripes.jpg
cwebp -quiet -q 95 quad.png -o lossy.webp
# Large enough for libwebp's second thread, and of an odd width, so that
# the rows of its DIB are padded.
convert quad.png -sample '1025x1001!' large.png
cwebp -quiet -q 95 large.png -o large.webp
rm large.png
cwebp -quiet -lossless quad.png -o lossless.webp
convert big.png -quality 90 big.jpg
convert quad.png -interlace PNG interlaced.png
convert quad.png -strip -interlace JPEG -quality 95 progressive.jpg
jpegtran -arithmetic quad.jpg >arithmetic.jpg
convert grey.png -strip -quality 95 grey.jpg
# Mixed colours (orange, teal, dark grey, pink) as YCCK, the way Adobe
# applications store CMYK, so that black ink and the inversion both count.
quadrants 'rgb(255,128,0)' 'rgb(0,128,128)' 'rgb(64,64,64)' 'rgb(200,100,150)' mixed.png
convert mixed.png -colorspace CMYK -define jpeg:colorspace=11 -quality 95 ycck.jpg
cwebp -quiet -lossless -exact alpha.png -o alpha.webp
convert -size 64x32 xc:black black.png
img2webp -lossless -d 100 quad.png black.png -o animated.webp >/dev/null 2>&1
rm black.png

# HEIC and AVIF: with alpha, 10 bits deep, turned (irot) and mirrored
# (imir) by the container, and with an embedded thumbnail large enough for a
# preview (400 pixels) or too small for one (200).
heif-enc -q 90 quad.png -o quad.heic >/dev/null
python3 "$here/turn_heif.py" quad.heic turned.heic 1                # a quarter turn left
python3 "$here/turn_heif.py" quad.heic turned-mirrored.heic 1 1
avifenc -s 10 quad.png quad.avif >/dev/null
avifenc -s 10 alpha.png alpha.avif >/dev/null
avifenc -s 10 -d 10 quad.png quad10.avif >/dev/null
convert big.png -sample '1024x512!' PNG24:mid.png # heif-enc misreads palette PNGs
# Large enough for two threads to write its DIB, and of an odd width.
convert quad.png -sample '1025x1001!' PNG24:large.png
heif-enc -q 90 large.png -o large.heic >/dev/null
rm large.png
heif-enc -q 50 -t 400 mid.png -o thumbnail-400.heic >/dev/null
heif-enc -q 50 -t 200 mid.png -o thumbnail-200.heic >/dev/null
rm mid.png
# A grid of four tiles of 384 x 192, one per quadrant, cut to 720 x 360 as
# phones cut their last column and row, with a thumbnail of 400 x 200; and
# the grid turned a quarter right and mirrored by the container.
for colour in red lime blue white; do convert -size 384x192 "xc:$colour" "PNG24:tile-$colour.png"; done
convert quad.png -sample '400x200!' PNG24:grid-thumbnail.png
heif-enc -q 90 tile-{red,lime,blue,white}.png grid-thumbnail.png -o tiles.tmp.heic >/dev/null
python3 "$here/grid_heif.py" tiles.tmp.heic grid.heic 2 2 720 360
python3 "$here/turn_heif.py" grid.heic turned-grid.heic 3 0
rm tile-*.png grid-thumbnail.png tiles.tmp.heic
# JPEG XL: lossy, lossless, a JPEG recompressed, alpha and an animation.
cjxl -d 1 quad.png lossy.jxl >/dev/null 2>&1
cjxl -d 0 quad.png lossless.jxl >/dev/null 2>&1
cjxl quad.jpg recompressed.jxl >/dev/null 2>&1
cjxl -d 0 alpha.png alpha.jxl >/dev/null 2>&1
cjxl animated.gif animated.jxl >/dev/null 2>&1
# DNG: a Bayer raw picture twice the preview's size, and one whose preview is
# too small to show, which is developed instead.
python3 "$here/write_dng.py" quad.jpg quad.dng 1 128 64
python3 "$here/write_dng.py" quad.jpg directories-last.dng 1 128 64 last # beyond the head
convert quad.png -sample '16x8!' -quality 95 tiny.jpg
python3 "$here/write_dng.py" tiny.jpg tiny-preview.dng 1 128 64
rm tiny.jpg

# The eight EXIF orientations of the same stored pixels: JPEGs with an APP1
# segment written here (ImageMagick only rewrites an existing EXIF block),
# WebPs and PNGs with an EXIF chunk of the same TIFF structure, TIFFs with the
# orientation tag.
orientations=(TopLeft TopRight BottomRight BottomLeft LeftTop RightTop RightBottom LeftBottom)
for value in 1 2 3 4 5 6 7 8; do
  {
    printf 'II*\x00\x08\x00\x00\x00\x01\x00'
    printf '\x12\x01\x03\x00\x01\x00\x00\x00\x0'"$value"'\x00\x00\x00\x00\x00\x00\x00'
  } >exif.tmp
  { head -c 2 quad.jpg; printf '\xff\xe1\x00\x22Exif\x00\x00'; cat exif.tmp; tail -c +3 quad.jpg; } \
    >"orient-$value.jpg"
  webpmux -set exif exif.tmp lossless.webp -o "orient-$value.webp" >/dev/null 2>&1
  convert "orient-$value.jpg" PNG24:"orient-$value.png" # an eXIf chunk after the data
  convert quad.png -orient "${orientations[value - 1]}" -compress lzw "orient-$value.tif"
  cjxl "orient-$value.jpg" "orient-$value.jxl" >/dev/null 2>&1 # keeps the orientation
  python3 "$here/write_dng.py" quad.jpg "orient-$value.dng" "$value" 128 64
done
rm exif.tmp

# Colours declared by a profile: sRGB green (40, 200, 40) and red (200, 40, 40)
# patches stored in Adobe RGB (1998) and in Display P3 with their profile,
# and P3 as CICP codes (AVIF) and as JPEG XL's colour encoding. (Near 0 the
# sRGB curve is so steep that JPEG's rounding alone would move a channel by
# more than the tests allow.)
icc=/usr/share/color/icc
convert -size 32x32 'xc:rgb(40,200,40)' 'xc:rgb(200,40,40)' +append PNG24:patches.png
# Display P3's profile, as libjxl writes it for pictures labelled with it.
convert patches.png patches.tmp.ppm
cjxl -d 0 -x color_space=RGB_D65_DCI_Rel_SRG patches.tmp.ppm labelled.tmp.jxl >/dev/null 2>&1
djxl labelled.tmp.jxl labelled.tmp.png >/dev/null 2>&1
convert labelled.tmp.png p3.icc
to_profile() { convert patches.png -profile "$icc/sRGB.icc" -profile "$1" "${@:2}"; }
to_profile "$icc/compatibleWithAdobeRGB1998.icc" -quality 95 adobe.jpg
to_profile "$icc/compatibleWithAdobeRGB1998.icc" PNG24:adobe.png
to_profile p3.icc PNG24:p3.png
cwebp -quiet -lossless -metadata icc p3.png -o p3.webp
convert p3.png -strip p3.tmp.ppm
cjxl -d 0 -x color_space=RGB_D65_DCI_Rel_SRG p3.tmp.ppm p3.jxl >/dev/null 2>&1
avifenc -s 10 -l --ignore-icc --cicp 12/13/0 p3.png p3.avif >/dev/null
# JPEGs of the same P3 pixels: the profile in one APP2 segment, split over
# two, cut short, and replaced by bytes that are no profile.
convert p3.png -strip -quality 95 p3-bare.jpg
icc_segment() { # icc_segment <part> <parts> <bytes>: an APP2 segment holding a profile's part
  local length=$(($(stat -c %s "$3") + 16))
  printf "\xff\xe2\x$(printf %02x $((length >> 8)))\x$(printf %02x $((length & 255)))"
  printf "ICC_PROFILE\x00\x$(printf %02x "$1")\x$(printf %02x "$2")"
  cat "$3"
}
after_soi() { { head -c 2 "$1"; cat; tail -c +3 "$1"; } >"$2"; } # after_soi <jpeg> <output>
icc_segment 1 1 p3.icc | after_soi p3-bare.jpg p3.jpg
head -c 300 p3.icc >first.tmp
tail -c +301 p3.icc >second.tmp
{ icc_segment 1 2 first.tmp; icc_segment 2 2 second.tmp; } | after_soi p3-bare.jpg p3-split.jpg
icc_segment 1 1 first.tmp | after_soi p3-bare.jpg p3-truncated.jpg
printf 'This is no colour profile.%.0s' {1..20} >garbage.tmp
icc_segment 1 1 garbage.tmp | after_soi p3-bare.jpg p3-garbage.jpg
icc_segment 1 1 "$icc/sRGB.icc" | after_soi quad.jpg srgb-tagged.jpg
rm ./*.tmp ./*.tmp.*

# Names that say nothing about the content, and a picture after other data.
printf 'This is a text file, not a JPEG picture.\r\n%.0s' {1..60} >text.jpg
cp quad.jpg photo.dat
{ head -c 1000 text.jpg; cat quad.jpg; } >after-1000-bytes.bin

# Damaged files.
head -c 100 quad.jpg >cut-in-header.jpg
idat=$(LC_ALL=C grep -obUaP 'IDAT' quad.png | head -n 1 | cut -d: -f1)
head -c $((idat + 30)) quad.png >cut-in-data.png
cp quad.png bad-crc.png
printf '\x7f' | dd of=bad-crc.png bs=1 seek=18 conv=notrunc status=none # width in IHDR
sof=$(LC_ALL=C grep -obUaP '\xff\xc0' quad.jpg | head -n 1 | cut -d: -f1)
cp quad.jpg zero-height.jpg
printf '\x00\x00' | dd of=zero-height.jpg bs=1 seek=$((sof + 5)) conv=notrunc status=none
# A bitmap header that claims 30000 x 30000 pixels.
{
  printf 'BM\x36\x00\x01\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x30\x75\x00\x00\x30\x75\x00\x00\x01\x00\x18\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  head -c 1024 /dev/zero
} >huge.bmp
# One row more than the viewer holds: 8192 x 8193 pixels.
{
  printf 'BM\x36\x00\x01\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x00\x20\x00\x00\x01\x20\x00\x00\x01\x00\x18\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  head -c 1024 /dev/zero
} >over-limit.bmp

if [ "$bench" = --bench ]; then
  [ -f bench-6000x4000.jpg ] || convert -size 6000x4000 plasma:fractal -quality 90 bench-6000x4000.jpg
  [ -f bench-6000x4000.png ] || convert bench-6000x4000.jpg bench-6000x4000.png
  [ -f bench-4000x3000.jpg ] || convert bench-6000x4000.jpg -resize '4000x3000!' -quality 90 bench-4000x3000.jpg
  [ -f bench-4000x3000.webp ] || cwebp -quiet -q 90 bench-4000x3000.jpg -o bench-4000x3000.webp
  [ -f bench-4000x3000.heic ] || heif-enc -q 80 -t 320 bench-4000x3000.jpg -o bench-4000x3000.heic >/dev/null
  # The same photo as phones store it: a grid of 512 x 512 tiles, the last
  # column and row cut.
  if [ ! -f bench-4000x3000-grid.heic ]; then
    convert bench-4000x3000.jpg -background black -extent 4096x3072 -crop 512x512 \
      +repage PNG24:bench-tile-%02d.png
    heif-enc -q 80 bench-tile-*.png -o bench-tiles.tmp.heic >/dev/null
    python3 "$here/grid_heif.py" bench-tiles.tmp.heic bench-4000x3000-grid.heic 8 6 4000 3000
    rm bench-tile-*.png bench-tiles.tmp.heic
  fi
  [ -f bench-4000x3000.avif ] || avifenc -s 10 bench-4000x3000.jpg bench-4000x3000.avif >/dev/null
  [ -f bench-4000x3000.jxl ] || cjxl -d 1 -e 3 bench-4000x3000.jpg bench-4000x3000.jxl >/dev/null 2>&1
  # The same JPEG with a Display P3 profile: what converting it costs.
  [ -f bench-4000x3000-p3.jpg ] || icc_segment 1 1 p3.icc | after_soi bench-4000x3000.jpg bench-4000x3000-p3.jpg
  [ -f bench-4000x3000.dng ] || python3 "$here/write_dng.py" bench-4000x3000.jpg bench-4000x3000.dng 6 4000 3000
fi
