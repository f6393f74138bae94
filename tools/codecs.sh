#!/usr/bin/env bash
# Builds the codec libraries that the companion plug-in links statically,
# from the sources of the Debian release's own packages, cross-compiled as
# static Windows libraries with MinGW-w64, decoders only, with their SIMD
# code: zlib and libspng (PNG), libwebp (decoder and demuxer), libjpeg-turbo
# (nasm), libde265 (HEVC) and dav1d (AV1, nasm) under libheif (HEIC, AVIF),
# brotli and highway under libjxl (JPEG XL), LibRaw (camera RAW files) and
# Little CMS 2 (colour profiles).
# Usage: tools/codecs.sh [cache folder [target]]
#        tools/codecs.sh --packages   (the source packages, one line)
#   target: i686 (the default) or x86_64; also BEX_CODECS_TARGET.
#   Without a cache folder (or with an empty one) the libraries go to a cache
#   that the clones on this machine share,
#   ${XDG_CACHE_HOME:-~/.cache}/bex-codecs/<target>-<recipe>, and
#   build/codecs (build/codecs-<target> for other targets) links to it.
# The cache holds include/, lib/ and notices/ (each package's Debian
# copyright file and version, for the release's third-party notices); once it
# is complete, and made by this same script for the same target, this returns
# at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${2:-${BEX_CODECS_TARGET:-i686}}
# The Debian source packages linked into the plug-in, in the order they are
# built; the third-party notices are made from this list.
packages=(zlib libspng libwebp libjpeg-turbo libde265 dav1d libheif brotli highway jpeg-xl libraw lcms2)
if [ "${1:-}" = --packages ]; then
  echo "${packages[*]}"
  exit 0
fi

fail() {
  echo "codecs: $*" >&2
  exit 1
}

case $target in
  i686) cpu_family=x86 ;;
  x86_64) cpu_family=x86_64 ;;
  *) fail "unknown target '$target' (i686 or x86_64)" ;;
esac
host=$target-w64-mingw32
recipe="$target ${packages[*]} $(sha1sum <"$0" | cut -c1-12)"
if [ -n "${1:-}" ]; then
  cache=$1
  link=
else
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/bex-codecs/$target-$(echo "$recipe" | sha1sum | cut -c1-12)
  link=$root/build/codecs
  [ "$target" = i686 ] || link=$link-$target
fi
stamp=$cache/built-from

# Points build/codecs at the shared cache.
link_cache() {
  [ -n "$link" ] || return 0
  mkdir -p "$(dirname "$link")"
  [ -L "$link" ] || rm -rf "$link"
  ln -sfn "$cache" "$link"
}

is_built() { [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; }
if is_built; then
  link_cache
  exit 0
fi

for tool in $host-gcc-posix $host-g++-posix $host-ar cmake make ninja meson nasm dpkg-source apt-get flock; do
  command -v "$tool" >/dev/null ||
    fail "'$tool' is missing; run tools/setup.sh as root (packages g++-mingw-w64-i686 cmake make ninja-build meson nasm dpkg-dev)"
done

# One build at a time per cache: a second clone waits and then finds it made.
mkdir -p "$(dirname "$cache")"
exec 9>"$cache.lock"
flock 9
if is_built; then
  link_cache
  exit 0
fi

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

started=$(date +%s)
rm -rf "$cache"
mkdir -p "$cache/src" "$cache/include" "$cache/lib"
cd "$cache/src"
echo "codecs: fetching the sources of ${packages[*]}"
apt-get source -qq "${packages[@]}" >/dev/null 2>&1 || fail "apt-get source ${packages[*]} failed"
source_dir() { find "$cache/src" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1; }

jobs=$(nproc)
cc=$host-gcc-posix
cxx=$host-g++-posix
ar=$host-ar
cflags="-O2 -msse2 -DNDEBUG"

# The build systems' view of the cross-compilers: a CMake toolchain and a
# meson cross file; both find the libraries built before in the cache.
toolchain=$cache/src/toolchain.cmake
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $target)
set(CMAKE_C_COMPILER $cc)
set(CMAKE_CXX_COMPILER $cxx)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $cache)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
EOF
crossfile=$cache/src/cross.meson
cat >"$crossfile" <<EOF
[binaries]
c = '$cc'
cpp = '$cxx'
ar = '$ar'
strip = '$host-strip'
windres = '$host-windres'
pkgconfig = 'false'
[host_machine]
system = 'windows'
cpu_family = '$cpu_family'
cpu = '$target'
endian = 'little'
EOF
export PKG_CONFIG_LIBDIR=$cache/lib/pkgconfig

# Runs a build step quietly; when it fails, shows the end of what it said.
quietly() {
  local log=$cache/src/step.log
  "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "failed: $*"; }
}

# Compiles sources, $jobs at a time, and archives their objects:
# archive <library name> <compiler and flags> <sources...>
archive() {
  local name=$1 compiler=$2
  shift 2
  printf '%s\n' "$@" >"$cache/src/$name.sources"
  quietly xargs -P "$jobs" -I{} -a "$cache/src/$name.sources" sh -c "$compiler -c '{}' -o '{}.o'"
  $ar rcs "$cache/lib/lib$name.a" "${@/%/.o}"
}

# A static release build of a CMake project, installed into the cache:
# cmake_build <source folder> <targets (comma-separated, or all)> <options...>
cmake_build() {
  local source=$1 targets=$2
  shift 2
  quietly cmake -S "$source" -B "$source/build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$cache" \
    -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF "$@"
  if [ "$targets" = all ]; then
    quietly ninja -C "$source/build" -j"$jobs" install
  else
    quietly ninja -C "$source/build" -j"$jobs" ${targets//,/ }
  fi
}

echo "codecs: building zlib"
zlib=$(source_dir zlib)
# Without the gz* file functions, which nothing here uses.
archive z "$cc $cflags" "$zlib"/{adler32,compress,crc32,deflate,inffast,inflate,inftrees,trees,uncompr,zutil}.c
cp "$zlib/zlib.h" "$zlib/zconf.h" "$cache/include/"

echo "codecs: building libspng"
spng=$(source_dir libspng)
archive spng "$cc $cflags -DSPNG_STATIC -I$cache/include" "$spng/spng/spng.c"
cp "$spng/spng/spng.h" "$cache/include/"

echo "codecs: building libwebp"
webp=$(source_dir libwebp)
# The makefile's own EXTRA_FLAGS stay in: they add -msse4.1 to the SSE4.1
# files (without it those compile empty) and turn on threads.
quietly make -s -C "$webp" -f makefile.unix -j"$jobs" CC="$cc" AR="$ar" HAVE_SSE41=1 \
  CFLAGS="$cflags \$(EXTRA_FLAGS)" src/libwebpdecoder.a src/demux/libwebpdemux.a
cp "$webp/src/libwebpdecoder.a" "$webp/src/demux/libwebpdemux.a" "$cache/lib/"
mkdir -p "$cache/include/webp"
cp "$webp"/src/webp/{decode,demux,mux_types,types}.h "$cache/include/webp/"

echo "codecs: building libjpeg-turbo"
jpeg=$(source_dir libjpeg-turbo)
cmake_build "$jpeg" jpeg-static -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=OFF -DREQUIRE_SIMD=ON
cp "$jpeg/build/libjpeg.a" "$cache/lib/"
cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$jpeg/build/jconfig.h" "$cache/include/"

echo "codecs: building libde265"
cmake_build "$(source_dir libde265)" all -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF

echo "codecs: building dav1d"
dav1d=$(source_dir dav1d)
# 8 bits and 16 for the 10- and 12-bit pictures.
quietly meson setup "$dav1d/build" "$dav1d" --cross-file "$crossfile" --prefix "$cache" --libdir lib \
  --buildtype release -Ddefault_library=static -Dbitdepths=8,16 -Denable_asm=true \
  -Denable_tools=false -Denable_tests=false -Denable_examples=false -Denable_docs=false \
  -Dlogging=false
quietly ninja -C "$dav1d/build" -j"$jobs" install

echo "codecs: building libheif"
cmake_build "$(source_dir libheif)" all -DENABLE_PLUGIN_LOADING=OFF -DWITH_EXAMPLES=OFF \
  -DWITH_LIBDE265=ON -DWITH_DAV1D=ON -DWITH_X265=OFF -DWITH_AOM_DECODER=OFF \
  -DWITH_AOM_ENCODER=OFF -DWITH_RAV1E=OFF -DWITH_SvtEnc=OFF \
  -DCMAKE_CXX_FLAGS="-DLIBDE265_STATIC_BUILD" -DCMAKE_DISABLE_FIND_PACKAGE_Doxygen=ON
[ -f "$cache/lib/libheif.a" ] || fail "libheif was built without its static library"

echo "codecs: building brotli"
brotli=$(source_dir brotli)
archive brotlidec "$cc $cflags -I$brotli/c/include" "$brotli"/c/common/*.c "$brotli"/c/dec/*.c
cp -r "$brotli/c/include/brotli" "$cache/include/"

echo "codecs: building highway"
hwy=$(source_dir highway)
archive hwy "$cxx $cflags -std=c++17 -I$hwy" "$hwy"/hwy/{aligned_allocator,per_target,print,targets}.cc
(cd "$hwy" && find hwy -name '*.h' -exec cp --parents {} "$cache/include/" \;)

echo "codecs: building libjxl"
jxl=$(source_dir jpeg-xl)
# The decoder's sources as its CMake lists them, without the CMake project,
# which would ask for the encoder's colour management library too.
mapfile -t jxl_sources < <(awk '/^set\(JPEGXL_INTERNAL_SOURCES_DEC/,/^\)/' "$jxl/lib/jxl.cmake" |
  grep -oE '^ *jxl/[^ ]+\.cc$' | sed "s|^ *|$jxl/lib/|")
((${#jxl_sources[@]} > 50)) || fail "libjxl's decoder sources were not found"
jxl_version() { sed -n "s/^set(JPEGXL_$1_VERSION \([0-9]*\))/\1/p" "$jxl/lib/CMakeLists.txt"; }
major=$(jxl_version MAJOR) minor=$(jxl_version MINOR) patch=$(jxl_version PATCH)
mkdir -p "$cache/include/jxl"
sed -e "s/@JPEGXL_MAJOR_VERSION@/$major/" -e "s/@JPEGXL_MINOR_VERSION@/$minor/" \
  -e "s/@JPEGXL_PATCH_VERSION@/$patch/" "$jxl/lib/jxl/version.h.in" >"$cache/include/jxl/version.h"
for library in JXL JXL_THREADS; do
  file=$(echo "$library" | tr A-Z a-z)_export.h
  printf '#pragma once\n#define %s_EXPORT\n#define %s_NO_EXPORT\n#define %s_DEPRECATED __attribute__((__deprecated__))\n' \
    "$library" "$library" "$library" >"$cache/include/jxl/$file"
done
cp "$jxl"/lib/include/jxl/*.h "$cache/include/jxl/"
jxl_flags="$cxx $cflags -std=c++17 -fno-exceptions -I$jxl -I$jxl/lib/include -I$cache/include
  -DJXL_INTERNAL_LIBRARY_BUILD -DJPEGXL_MAJOR_VERSION=$major -DJPEGXL_MINOR_VERSION=$minor
  -DJPEGXL_PATCH_VERSION=$patch"
archive jxl_dec "${jxl_flags//$'\n'/ }" "${jxl_sources[@]}" \
  "$jxl"/lib/threads/{thread_parallel_runner,thread_parallel_runner_internal}.cc

echo "codecs: building LibRaw"
raw=$(source_dir libraw)
# Its makefile's list of objects, without threads (the plug-in decodes one
# picture per call) and without optional libraries.
mapfile -t raw_sources < <(sed -n '/^LIB_OBJECTS=/,/^$/p' "$raw/Makefile.dist" |
  grep -oE 'object/[a-z0-9_]+\.o' | sed 's|object/||; s|\.o$|.cpp|' |
  while read -r name; do find "$raw/src" -name "$name"; done)
((${#raw_sources[@]} > 50)) || fail "LibRaw's sources were not found"
archive raw "$cxx $cflags -w -I$raw -DLIBRAW_NODLL -DLIBRAW_NOTHREADS" "${raw_sources[@]}"
cp -r "$raw/libraw" "$cache/include/"

echo "codecs: building Little CMS"
lcms=$(source_dir lcms2)
# The library alone, without the plug-ins of its source (plugins/, GPL).
archive lcms2 "$cc $cflags -I$lcms/include" "$lcms"/src/*.c
cp "$lcms/include/lcms2.h" "$cache/include/"

# Whatever is linked owes its licence: tools/package.sh writes the notices
# from each package's copyright file and version.
mkdir -p "$cache/notices"
for package in "${packages[@]}"; do
  cp "$(source_dir "$package")/debian/copyright" "$cache/notices/$package.copyright"
  sed -n 's/^Version: //p' "$cache/src/${package}"_*.dsc >"$cache/notices/$package.version"
  [ -s "$cache/notices/$package.version" ] || fail "no version of $package in its .dsc"
done

rm -rf "$cache/src"
echo "$recipe" >"$stamp"
link_cache
echo "codecs: built into $cache in $(($(date +%s) - started)) s"
