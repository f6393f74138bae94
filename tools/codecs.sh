#!/usr/bin/env bash
# Builds the codec libraries that the companion plug-in links statically,
# from the sources of the Debian release's own packages (a few from a later
# release's, see release_of), cross-compiled as
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
# at once. It is put together from one cache per package and recipe (in
# bex-codecs/<target>/, or parts/ of a cache folder given), so that changing
# how one library is built rebuilds only that one and what builds on it;
# packages that do not need each other build side by side.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${2:-${BEX_CODECS_TARGET:-i686}}
# The Debian source packages linked into the plug-in; the third-party
# notices are made from this list. Each has a build_<package> step below;
# those that take longest come first, as they start first.
packages=(highway brotli jpeg-xl libde265 dav1d libheif libraw libjpeg-turbo libwebp zlib libspng lcms2)
# What a package builds on: the packages whose headers and libraries its
# build finds.
declare -A needs=([libspng]=zlib [libheif]="libde265 dav1d" [jpeg-xl]="brotli highway")
# Packages built from a later Debian release's sources than the machine's:
# libwebp 1.5 of Debian 13, whose decoder has the hardening of the releases
# since Debian 12's 1.2.4 at the same speed (within 3 %, lossy and lossless),
# and is the library of the dedicated plug-in that tools/codecbench.sh
# holds ours against.
declare -A release_of=([libwebp]=trixie)
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
cc=$host-gcc-posix
cxx=$host-g++-posix
ar=$host-ar
cflags="-O2 -msse2 -DNDEBUG"
jobs=$(nproc)

# Each build step runs in the package's source folder ($1) with $prefix, the
# package's own cache, to install into, $needed_include, the -I flags of the
# packages it builds on, and the cross toolchain of write_cross_files.

# Runs a build step quietly; when it fails, shows the end of what it said.
quietly() {
  local log=$prefix/src/step.log
  "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "failed: $*"; }
}

# Compiles sources, $jobs at a time, and archives their objects:
# archive <library name> <compiler and flags> <sources...>
archive() {
  local name=$1 compiler=$2
  shift 2
  printf '%s\n' "$@" >"$prefix/src/$name.sources"
  quietly xargs -P "$jobs" -I{} -a "$prefix/src/$name.sources" sh -c "$compiler -c '{}' -o '{}.o'"
  $ar rcs "$prefix/lib/lib$name.a" "${@/%/.o}"
}

# A static release build of a CMake project, installed into the cache:
# cmake_build <source folder> <targets (comma-separated, or all)> <options...>
cmake_build() {
  local source=$1 targets=$2
  shift 2
  quietly cmake -S "$source" -B "$source/build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/src/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@"
  if [ "$targets" = all ]; then
    quietly ninja -C "$source/build" -j"$jobs" install
  else
    quietly ninja -C "$source/build" -j"$jobs" ${targets//,/ }
  fi
}

# The build systems' view of the cross-compilers: a CMake toolchain and a
# meson cross file; both find the packages built on in their caches.
# write_cross_files <caches of the packages built on...>
write_cross_files() {
  cat >"$prefix/src/toolchain.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $target)
set(CMAKE_C_COMPILER $cc)
set(CMAKE_CXX_COMPILER $cxx)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $*)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
TOOLCHAIN
  cat >"$prefix/src/cross.meson" <<CROSS
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
CROSS
}

build_zlib() {
  # Without the gz* file functions, which nothing here uses.
  archive z "$cc $cflags" "$1"/{adler32,compress,crc32,deflate,inffast,inflate,inftrees,trees,uncompr,zutil}.c
  cp "$1/zlib.h" "$1/zconf.h" "$prefix/include/"
}

build_libspng() {
  archive spng "$cc $cflags -DSPNG_STATIC $needed_include" "$1/spng/spng.c"
  cp "$1/spng/spng.h" "$prefix/include/"
}

build_libwebp() {
  # The makefile's own EXTRA_FLAGS stay in: they add -msse4.1 to the SSE4.1
  # files (without it those compile empty) and turn on threads.
  quietly make -s -C "$1" -f makefile.unix -j"$jobs" CC="$cc" AR="$ar" HAVE_SSE41=1 \
    CFLAGS="$cflags \$(EXTRA_FLAGS)" src/libwebpdecoder.a src/demux/libwebpdemux.a
  cp "$1/src/libwebpdecoder.a" "$1/src/demux/libwebpdemux.a" "$prefix/lib/"
  mkdir -p "$prefix/include/webp"
  cp "$1"/src/webp/{decode,demux,mux_types,types}.h "$prefix/include/webp/"
}

build_libjpeg-turbo() {
  cmake_build "$1" jpeg-static -DCMAKE_ASM_NASM_COMPILER=nasm \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
    -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=OFF -DREQUIRE_SIMD=ON
  cp "$1/build/libjpeg.a" "$prefix/lib/"
  cp "$1"/{jpeglib.h,jmorecfg.h,jerror.h} "$1/build/jconfig.h" "$prefix/include/"
}

build_libde265() {
  # Its locks on Windows are kernel mutexes and its condition variables
  # semaphores: each wait and wake-up is a round trip to the Wine server,
  # slow when the decoding thread and its worker run on two cores (and so are
  # winpthreads' waits). Slim reader/writer locks and condition variables
  # wait and wake within the process.
  perl -0pi -e 's/typedef HANDLE +de265_mutex;/typedef SRWLOCK de265_mutex;/;
    s/typedef win32_cond_t +de265_cond;/typedef CONDITION_VARIABLE de265_cond;/' \
    "$1/libde265/threads.h"
  perl -0pi -e 's/void de265_mutex_init\(de265_mutex\* m\) \{ \*m = CreateMutex.*?win32_cond_signal\(c\); \}/
void de265_mutex_init(de265_mutex* m) { InitializeSRWLock(m); }
void de265_mutex_destroy(de265_mutex*) { }
void de265_mutex_lock(de265_mutex* m) { AcquireSRWLockExclusive(m); }
void de265_mutex_unlock(de265_mutex* m) { ReleaseSRWLockExclusive(m); }
void de265_cond_init(de265_cond* c) { InitializeConditionVariable(c); }
void de265_cond_destroy(de265_cond*) { }
void de265_cond_broadcast(de265_cond* c, de265_mutex*) { WakeAllConditionVariable(c); }
void de265_cond_wait(de265_cond* c, de265_mutex* m) { SleepConditionVariableSRW(c, m, INFINITE, 0); }
void de265_cond_signal(de265_cond* c) { WakeConditionVariable(c); }/s' "$1/libde265/threads.cc"
  grep -q SleepConditionVariableSRW "$1/libde265/threads.cc" || fail "libde265's locks were not replaced"
  cmake_build "$1" all -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF
}

build_dav1d() {
  # 8 bits and 16 for the 10- and 12-bit pictures.
  quietly meson setup "$1/build" "$1" --cross-file "$prefix/src/cross.meson" --prefix "$prefix" \
    --libdir lib --buildtype release -Ddefault_library=static -Dbitdepths=8,16 -Denable_asm=true \
    -Denable_tools=false -Denable_tests=false -Denable_examples=false -Denable_docs=false \
    -Dlogging=false
  quietly ninja -C "$1/build" -j"$jobs" install
}

build_libheif() {
  cmake_build "$1" all -DENABLE_PLUGIN_LOADING=OFF -DWITH_EXAMPLES=OFF \
    -DWITH_LIBDE265=ON -DWITH_DAV1D=ON -DWITH_X265=OFF -DWITH_AOM_DECODER=OFF \
    -DWITH_AOM_ENCODER=OFF -DWITH_RAV1E=OFF -DWITH_SvtEnc=OFF -DWITH_GDK_PIXBUF=OFF \
    -DCMAKE_CXX_FLAGS="-DLIBDE265_STATIC_BUILD" -DCMAKE_DISABLE_FIND_PACKAGE_Doxygen=ON
  [ -f "$prefix/lib/libheif.a" ] || fail "libheif was built without its static library"
}

build_brotli() {
  archive brotlidec "$cc $cflags -I$1/c/include" "$1"/c/common/*.c "$1"/c/dec/*.c
  cp -r "$1/c/include/brotli" "$prefix/include/"
}

build_highway() {
  archive hwy "$cxx $cflags -std=c++17 -I$1" "$1"/hwy/{aligned_allocator,per_target,print,targets}.cc
  (cd "$1" && find hwy -name '*.h' -exec cp --parents {} "$prefix/include/" \;)
}

build_jpeg-xl() {
  # The decoder's sources as its CMake lists them, without the CMake project,
  # which would ask for the encoder's colour management library too.
  local jxl=$1 sources major minor patch library file
  mapfile -t sources < <(awk '/^set\(JPEGXL_INTERNAL_SOURCES_DEC/,/^\)/' "$jxl/lib/jxl.cmake" |
    grep -oE '^ *jxl/[^ ]+\.cc$' | sed "s|^ *|$jxl/lib/|")
  ((${#sources[@]} > 50)) || fail "libjxl's decoder sources were not found"
  jxl_version() { sed -n "s/^set(JPEGXL_$1_VERSION \([0-9]*\))/\1/p" "$jxl/lib/CMakeLists.txt"; }
  major=$(jxl_version MAJOR) minor=$(jxl_version MINOR) patch=$(jxl_version PATCH)
  mkdir -p "$prefix/include/jxl"
  sed -e "s/@JPEGXL_MAJOR_VERSION@/$major/" -e "s/@JPEGXL_MINOR_VERSION@/$minor/" \
    -e "s/@JPEGXL_PATCH_VERSION@/$patch/" "$jxl/lib/jxl/version.h.in" >"$prefix/include/jxl/version.h"
  for library in JXL JXL_THREADS; do
    file=$(echo "$library" | tr A-Z a-z)_export.h
    printf '#pragma once\n#define %s_EXPORT\n#define %s_NO_EXPORT\n#define %s_DEPRECATED __attribute__((__deprecated__))\n' \
      "$library" "$library" "$library" >"$prefix/include/jxl/$file"
  done
  cp "$jxl"/lib/include/jxl/*.h "$prefix/include/jxl/"
  archive jxl_dec "$cxx $cflags -std=c++17 -fno-exceptions -I$jxl -I$jxl/lib/include \
    -I$prefix/include $needed_include -DJXL_INTERNAL_LIBRARY_BUILD -DJPEGXL_MAJOR_VERSION=$major \
    -DJPEGXL_MINOR_VERSION=$minor -DJPEGXL_PATCH_VERSION=$patch" \
    "${sources[@]}" "$jxl"/lib/threads/{thread_parallel_runner,thread_parallel_runner_internal}.cc
}

build_lcms2() {
  # The library alone, without the plug-ins of its source (plugins/, GPL).
  archive lcms2 "$cc $cflags -I$1/include" "$1"/src/*.c
  cp "$1/include/lcms2.h" "$prefix/include/"
}

build_libraw() {
  # Its makefile's list of objects, without threads (the plug-in decodes one
  # picture per call) and without optional libraries.
  local sources
  mapfile -t sources < <(sed -n '/^LIB_OBJECTS=/,/^$/p' "$1/Makefile.dist" |
    grep -oE 'object/[a-z0-9_]+\.o' | sed 's|object/||; s|\.o$|.cpp|' |
    while read -r name; do find "$1/src" -name "$name"; done)
  ((${#sources[@]} > 50)) || fail "LibRaw's sources were not found"
  archive raw "$cxx $cflags -w -I$1 -DLIBRAW_NODLL -DLIBRAW_NOTHREADS" "${sources[@]}"
  cp -r "$1/libraw" "$prefix/include/"
}

# A package's recipe: the target, the compiler flags, the steps that every
# build shares, its own step and the recipes of the packages it builds on.
declare -A recipe_of
for package in "${packages[@]}"; do
  recipe_of[$package]=$(
    {
      echo "$target $cflags"
      declare -f quietly archive cmake_build write_cross_files "build_$package"
      [ -z "${release_of[$package]:-}" ] || echo "from Debian ${release_of[$package]}"
      for needed in ${needs[$package]:-}; do echo "${recipe_of[$needed]}"; done
    } | sha1sum | cut -c1-12
  )
done
recipe="$target ${packages[*]} $(for p in "${packages[@]}"; do printf '%s ' "${recipe_of[$p]}"; done)"
recipe=${recipe% }
if [ -n "${1:-}" ]; then
  cache=$1
  parts=$cache/parts
  link=
else
  base=${XDG_CACHE_HOME:-$HOME/.cache}/bex-codecs
  cache=$base/$target-$(echo "$recipe" | sha1sum | cut -c1-12)
  parts=$base/$target
  link=$root/build/codecs
  [ "$target" = i686 ] || link=$link-$target
fi
stamp=$cache/built-from
part_of() { echo "$parts/$1-${recipe_of[$1]}"; }

# Points build/codecs at the shared cache; when it points elsewhere than
# before, <link>.changed is touched, which the plug-in's link depends on: the
# libraries of another cache may be older than the plug-in built on the last.
link_cache() {
  [ -n "$link" ] || return 0
  mkdir -p "$(dirname "$link")"
  [ -L "$link" ] || rm -rf "$link"
  [ "$(readlink "$link")" = "$cache" ] && [ -e "$link.changed" ] && return 0
  ln -sfn "$cache" "$link"
  touch "$link.changed"
}

is_built() { [ -f "$1/built-from" ] && [ "$(cat "$1/built-from")" = "$2" ]; }
if is_built "$cache" "$recipe"; then
  link_cache
  exit 0
fi

for tool in $cc $cxx $ar cmake make ninja meson nasm dpkg-source apt-get flock; do
  command -v "$tool" >/dev/null ||
    fail "'$tool' is missing; run tools/setup.sh as root (packages g++-mingw-w64-i686 cmake make ninja-build meson nasm dpkg-dev)"
done

# The machine's own Debian mirror, in either format of the sources lists.
debian_mirror() {
  local mirror
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null |
    grep -oE 'https?://[^ ]*/debian/?( |$)' | head -n 1 | tr -d ' ' || true)
  echo "${mirror:-http://deb.debian.org/debian}"
}

# apt-get source needs deb-src entries; the release's main archive is enough.
have_sources() { apt-get source --print-uris -qq zlib 2>/dev/null | grep -q '\.dsc'; }
if ! have_sources; then
  [ "$(id -u)" -eq 0 ] || fail "no deb-src entry for Debian's archive; run tools/setup.sh as root"
  . /etc/os-release
  cat >/etc/apt/sources.list.d/bex-deb-src.sources <<SOURCES
Types: deb-src
URIs: $(debian_mirror)
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update -qq
  have_sources || fail "apt-get source finds no Debian sources (network to the Debian mirror?)"
fi

# apt-get with the deb-src entries of another Debian release, kept with
# their package lists beside the package caches: the machine's own apt, whose
# sources the other packages come from, stays as it is.
apt_of_release() {
  local folder=$parts/apt-$1
  shift
  apt-get -o Dir::Etc::SourceList="$folder/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State::Lists="$folder/lists" -o Dir::Cache="$folder/cache" "$@"
}

# Fetches a package's source into the current folder: of the machine's
# Debian release, or of the one release_of names, whose lists are read anew.
fetch_source() {
  local package=$1 release=${release_of[$1]:-}
  if [ -z "$release" ]; then
    apt-get source -qq "$package"
    return
  fi
  (
    exec 7>"$parts/apt-$release.lock"
    flock 7
    mkdir -p "$parts/apt-$release/lists/partial" "$parts/apt-$release/cache/archives/partial"
    local mirror suite
    mirror=$(debian_mirror)
    for suite in "$release" "$release-updates"; do
      echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main"
    done >"$parts/apt-$release/sources.list"
    apt_of_release "$release" update -qq
  )
  apt_of_release "$release" source -qq "$package"
}

# Fetches, builds and installs one package into its own cache, with the
# copyright file and version that whatever links it owes. One build at a
# time per package cache: a second clone waits and then finds it made.
build_part() {
  local package=$1 needed
  prefix=$(part_of "$package")
  exec 9>"$prefix.lock"
  flock 9
  is_built "$prefix" "${recipe_of[$package]}" && return 0
  rm -rf "$prefix"
  mkdir -p "$prefix/src" "$prefix/include" "$prefix/lib" "$prefix/notices"
  local needed_caches=()
  needed_include=
  for needed in ${needs[$package]:-}; do
    needed_caches+=("$(part_of "$needed")")
    needed_include+=" -I$(part_of "$needed")/include"
  done
  write_cross_files "${needed_caches[@]}"
  export PKG_CONFIG_LIBDIR=
  for needed in "${needed_caches[@]}"; do PKG_CONFIG_LIBDIR+="$needed/lib/pkgconfig:"; done
  cd "$prefix/src"
  fetch_source "$package" >"$prefix/src/fetch.log" 2>&1 ||
    { tail -n 20 "$prefix/src/fetch.log" >&2; fail "apt-get source $package failed"; }
  local source
  source=$(find "$prefix/src" -maxdepth 1 -type d -name "$package-[0-9]*" | head -n 1)
  [ -n "$source" ] || fail "apt-get source $package gave no source folder"
  "build_$package" "$source"
  cp "$source/debian/copyright" "$prefix/notices/$package.copyright"
  sed -n 's/^Version: //p' "$prefix/src/${package}"_*.dsc >"$prefix/notices/$package.version"
  [ -s "$prefix/notices/$package.version" ] || fail "no version of $package in its .dsc"
  cd /
  rm -rf "$prefix/src"
  echo "${recipe_of[$package]}" >"$prefix/built-from"
}

# Builds the packages that are not built yet, as many at a time as there are
# cores, each as soon as what it builds on is there, and says how far it is.
started=$(date +%s)
mkdir -p "$parts"
declare -A state pid_of started_at
for package in "${packages[@]}"; do
  state[$package]=waiting
  is_built "$(part_of "$package")" "${recipe_of[$package]}" && state[$package]=built
done
total=${#packages[@]}
count_done() {
  local n=0 package
  for package in "${packages[@]}"; do [ "${state[$package]}" = built ] && n=$((n + 1)); done
  echo "$n"
}
is_ready() {
  local needed
  for needed in ${needs[$1]:-}; do [ "${state[$needed]}" = built ] || return 1; done
}
running=0
while [ "$(count_done)" -lt "$total" ]; do
  for package in "${packages[@]}"; do
    ((running < jobs)) || break
    [ "${state[$package]}" = waiting ] && is_ready "$package" || continue
    echo "codecs: $target: building $package ($(($(count_done) + running + 1)) of $total)"
    (build_part "$package") &
    pid_of[$!]=$package
    started_at[$package]=$(date +%s)
    state[$package]=building
    running=$((running + 1))
  done
  ((running > 0)) || fail "nothing left that can be built"
  finished=
  if wait -n -p finished; then
    package=${pid_of[$finished]}
    state[$package]=built
    running=$((running - 1))
    echo "codecs: $target: $package built in $(($(date +%s) - started_at[$package])) s ($(count_done) of $total done)"
  else
    wait
    fail "building ${pid_of[$finished]:-a package} failed"
  fi
done

# The cache the plug-in builds with: every package's files, linked (or
# copied) from their own caches.
exec 8>"$cache.lock"
flock 8
if ! is_built "$cache" "$recipe"; then
  rm -rf "${cache:?}"/{include,lib,notices,built-from}
  for package in "${packages[@]}"; do
    for folder in include lib notices; do
      cp -al "$(part_of "$package")/$folder" "$cache/" 2>/dev/null ||
        cp -a "$(part_of "$package")/$folder" "$cache/"
    done
  done
  echo "$recipe" >"$stamp"
fi
link_cache
echo "codecs: $target: built into $cache in $(($(date +%s) - started)) s"
