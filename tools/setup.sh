#!/usr/bin/env bash
# Installs what building and testing Bex needs on Debian 12: the i386
# architecture, Wine for 64-bit Windows with its 32-bit half, MinGW-w64 for
# 32-bit and 64-bit Windows, CMake, meson, Xvfb, the Japanese locale and
# fonts, GoogleTest, Google Benchmark and clang's fuzzer runtime, the encoders
# and colour profiles that make the test pictures, Python (the portable zip is written with its
# zipfile module), and the
# packages named as arguments (the run command's demo photographs). The
# codec libraries of the plug-in are built from Debian's sources when a build
# first needs them (tools/build.sh runs tools/codecs.sh).
# Quick when everything is there already.
set -euo pipefail

packages=(
  wine wine32:i386 wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake make g++ clang
  libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
  xvfb x11-utils xdotool imagemagick
  nasm meson ninja-build python3 dpkg-dev webp libjpeg-turbo-progs
  libheif-examples libavif-bin libjxl-tools icc-profiles-free
  fonts-ipafont-gothic fonts-ipafont-mincho locales
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
    exit 1
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The plug-in's libwebp is built from Debian 13's sources (tools/codecs.sh),
# whose archive keys Debian 12's keyring holds from 2023.3+deb12u2 on.
if [ ! -e /usr/share/keyrings/debian-archive-trixie-automatic.gpg ] && [ "$(id -u)" -eq 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends debian-archive-keyring >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
  fi
fi

# Wine's own fonts draw the caption buttons; Debian ships them as a package
# that wine pulls in only as a recommendation.
fontdir=/usr/share/wine/fonts
if [ ! -e "$fontdir/marlett.ttf" ] && [ "$(id -u)" -eq 0 ]; then
  apt-get install -y -qq --no-install-recommends fonts-wine >/dev/null || true
fi
