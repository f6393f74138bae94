#!/usr/bin/env bash
# Builds the codec libraries that the companion plug-in links statically:
# libjpeg-turbo (with its nasm SIMD code), libwebp (decoder and demuxer),
# libspng and zlib, from the sources of the Debian release's own packages,
# cross-compiled as 32-bit static libraries with MinGW-w64.
# Usage: tools/codecs.sh [cache folder]   (default: build/codecs)
#        tools/codecs.sh --packages         (the source packages, one line)
# The cache holds include/, lib/ and notices/ (each package's Debian
# copyright file and version, for the release's third-party notices); once it
# is complete, and made by this same script, this returns at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(libjpeg-turbo libwebp libspng zlib)
if [ "${1:-}" = --packages ]; then
  echo "${packages[*]}"
  exit 0
fi
cache=${1:-$root/build/codecs}
stamp=$cache/built-from
recipe="${packages[*]} $(sha1sum <"$0" | cut -c1-12)"
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && exit 0

fail() {
  echo "codecs: $*" >&2
  exit 1
}

for tool in i686-w64-mingw32-gcc-posix i686-w64-mingw32-ar cmake make nasm dpkg-source apt-get; do
  command -v "$tool" >/dev/null ||
    fail "'$tool' is missing; run tools/setup.sh as root (packages g++-mingw-w64-i686 cmake make nasm dpkg-dev)"
done

# apt-get source needs deb-src entries; the release's main archive is enough.
have_sources() { apt-get source --print-uris -qq zlib 2>/dev/null | grep -q '\.dsc'; }
if ! have_sources; then
  [ "$(id -u)" -eq 0 ] || fail "no deb-src entry for Debian's archive; run tools/setup.sh as root"
  . /etc/os-release
  # The machine's own Debian mirror, in either format of the sources lists.
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null |
    grep -oE 'https?://[^ ]*/debian/?( |$)' | head -n 1 | tr -d ' ' || true)
  cat >/etc/apt/sources.list.d/bex-deb-src.sources <<EOF
Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian}
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt-get update -qq
  have_sources || fail "apt-get source finds no Debian sources (network to the Debian mirror?)"
fi

rm -rf "$cache"
mkdir -p "$cache/src" "$cache/include" "$cache/lib"
cd "$cache/src"
echo "codecs: fetching the sources of ${packages[*]}"
apt-get source -qq "${packages[@]}" >/dev/null 2>&1 || fail "apt-get source ${packages[*]} failed"
source_dir() { find "$cache/src" -maxdepth 1 -type d -name "$1-*" | head -n 1; }

# Whatever is linked owes its licence: tools/package.sh writes the notices
# from these.
mkdir -p "$cache/notices"
for p in "${packages[@]}"; do
  cp "$(source_dir "$p")/debian/copyright" "$cache/notices/$p.copyright"
  sed -n 's/^Version: //p' "$cache/src/${p}"_*.dsc >"$cache/notices/$p.version"
  [ -s "$cache/notices/$p.version" ] || fail "no version of $p in its .dsc"
done

jobs=$(nproc)
cc=i686-w64-mingw32-gcc-posix
ar=i686-w64-mingw32-ar
cflags="-O2 -msse2 -DNDEBUG"

echo "codecs: building zlib"
zlib=$(source_dir zlib)
# Without the gz* file functions, which libspng does not use.
for c in adler32 compress crc32 deflate inffast inflate inftrees trees uncompr zutil; do
  $cc $cflags -c "$zlib/$c.c" -o "$zlib/$c.o"
done
$ar rcs "$cache/lib/libz.a" "$zlib"/*.o
cp "$zlib/zlib.h" "$zlib/zconf.h" "$cache/include/"

echo "codecs: building libspng"
spng=$(source_dir libspng)
$cc $cflags -DSPNG_STATIC -I"$cache/include" -c "$spng/spng/spng.c" \
  -o "$spng/spng.o"
$ar rcs "$cache/lib/libspng.a" "$spng/spng.o"
cp "$spng/spng/spng.h" "$cache/include/"

echo "codecs: building libwebp"
webp=$(source_dir libwebp)
make -s -C "$webp" -f makefile.unix -j"$jobs" CC="$cc" AR="$ar" EXTRA_FLAGS="-DWEBP_USE_THREAD" \
  HAVE_SSE41=1 CFLAGS="$cflags -DWEBP_USE_THREAD -DWEBP_HAVE_SSE41" \
  src/libwebpdecoder.a src/demux/libwebpdemux.a >/dev/null
cp "$webp/src/libwebpdecoder.a" "$webp/src/demux/libwebpdemux.a" "$cache/lib/"
mkdir -p "$cache/include/webp"
cp "$webp"/src/webp/{decode,demux,mux_types,types}.h "$cache/include/webp/"

echo "codecs: building libjpeg-turbo"
jpeg=$(source_dir libjpeg-turbo)
cmake -S "$jpeg" -B "$jpeg/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_INSTALL_PREFIX="$cache" \
  -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=OFF -DREQUIRE_SIMD=ON >/dev/null
cmake --build "$jpeg/build" -j"$jobs" --target jpeg-static >/dev/null
cp "$jpeg/build/libjpeg.a" "$cache/lib/"
cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$jpeg/build/jconfig.h" "$cache/include/"

rm -rf "$cache/src"
echo "$recipe" >"$stamp"
echo "codecs: built into $cache"
