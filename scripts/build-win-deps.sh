#!/usr/bin/env bash
# Builds the third-party libraries Tavrin links on Windows as static mingw-w64
# libraries, from Debian's own sources, into BUILD_DIR/deps/win64 (include/, lib/).
# Pass that prefix to CMake as -DTAVRIN_WIN_DEPS=BUILD_DIR/deps/win64.
#
# Usage: scripts/build-win-deps.sh BUILD_DIR
#
# Each library has a stamp file; once all exist the script returns at once.
# Delete BUILD_DIR/deps/stamps/NAME.done to rebuild one of them.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$1"
build_dir=$(cd "$1" && pwd)
deps=$build_dir/deps
prefix=$deps/win64
src=$deps/src
work=$deps/build
stamps=$deps/stamps
logs=$deps/logs
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
jobs=$(nproc)

mkdir -p "$prefix/include" "$prefix/lib" "$src" "$work" "$stamps" "$logs"

# Runs a build command with its chatter in a log; shows the log's tail only when it fails.
run_logged() {
  local log=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    echo "build-win-deps: failed: $*" >&2
    echo "build-win-deps: last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

# Unpacks Debian's source package PKG into $src and prints the tree's path.
# Fetches through apt (needs a deb-src entry, which scripts/install-deps.sh adds).
# dpkg-source is not used to unpack: some source packages list an upstream .asc
# signature that the mirror no longer serves, and then dpkg-source refuses the
# whole package although the tarballs are complete. Unpacking the "3.0 (quilt)"
# layout by hand and applying debian/patches/series gives the same tree.
newest_dsc() {
  local f found=()
  for f in "$src/${1}"_*.dsc; do
    [ -f "$f" ] && found+=("$f")
  done
  [ ${#found[@]} -gt 0 ] && printf '%s\n' "${found[@]}" | sort -V | tail -n 1
  return 0
}

debian_source() {
  local pkg=$1 log=$2 dsc
  dsc=$(newest_dsc "$pkg")
  if [ -z "$dsc" ]; then
    # The missing-signature case above makes apt-get exit non-zero after the
    # tarballs did arrive, so its status is judged by what is on disk.
    (cd "$src" && apt-get source --download-only -q "$pkg") >>"$log" 2>&1 || true
    dsc=$(newest_dsc "$pkg")
    if [ -z "$dsc" ]; then
      echo "build-win-deps: 'apt-get source $pkg' fetched nothing; see $log" >&2
      exit 1
    fi
  fi
  if ! grep -q '^Format: 3.0 (quilt)' "$dsc"; then
    echo "build-win-deps: $dsc is not a 3.0 (quilt) source package" >&2
    exit 1
  fi
  local version upstream dir orig="" debian_tar="" f
  version=$(sed -n 's/^Version: //p' "$dsc")
  version=${version#*:}
  upstream=${version%-*}
  dir=$src/$pkg-$upstream
  if [ ! -f "$dir/.tavrin-unpacked" ]; then
    for f in "$src/${pkg}_${upstream}".orig.tar.* "$src/${pkg}_${version}".debian.tar.*; do
      case $f in
        *.asc) ;;
        *.orig.tar.*) [ -f "$f" ] && orig=$f ;;
        *.debian.tar.*) [ -f "$f" ] && debian_tar=$f ;;
      esac
    done
    if [ -z "$orig" ] || [ -z "$debian_tar" ]; then
      echo "build-win-deps: tarballs of $dsc are missing in $src" >&2
      exit 1
    fi
    rm -rf "$dir" "$dir.tmp"
    mkdir -p "$dir.tmp"
    tar -xf "$orig" -C "$dir.tmp" --strip-components=1
    tar -xf "$debian_tar" -C "$dir.tmp"
    if [ -f "$dir.tmp/debian/patches/series" ]; then
      local p
      while read -r p _; do
        case $p in ''|'#'*) continue ;; esac
        run_logged "$log" patch -d "$dir.tmp" -p1 -N -s -i "debian/patches/$p"
      done <"$dir.tmp/debian/patches/series"
    fi
    touch "$dir.tmp/.tavrin-unpacked"
    mv "$dir.tmp" "$dir"
  fi
  echo "$dir"
}

cmake_common=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix"
  -DCMAKE_INSTALL_LIBDIR=lib
  -DBUILD_SHARED_LIBS=OFF
)

# A static library here must hold real code: an import library would make the
# program need a DLL that nobody ships next to it.
check_static_lib() {
  local lib=$1
  if [ ! -f "$lib" ]; then
    echo "build-win-deps: $lib was not built" >&2
    exit 1
  fi
  # Output goes through variables: grep -q closing a pipe early would fail
  # objdump with SIGPIPE under pipefail.
  local headers formats
  headers=$("$triple-objdump" -h "$lib" 2>/dev/null)
  formats=$("$triple-objdump" -f "$lib" 2>/dev/null)
  if grep -q '\.idata\$' <<<"$headers"; then
    echo "build-win-deps: $lib is an import library, not a static one" >&2
    exit 1
  fi
  if ! grep -q 'file format pe-x86-64' <<<"$formats"; then
    echo "build-win-deps: $lib does not hold x86-64 Windows objects" >&2
    exit 1
  fi
}

built_something=0

build_libjpeg_turbo() {
  local stamp=$stamps/libjpeg-turbo.done log=$logs/libjpeg-turbo.log
  [ -f "$stamp" ] && return 0
  : >"$log"
  local dir bld=$work/libjpeg-turbo
  dir=$(debian_source libjpeg-turbo "$log")
  rm -rf "$bld"
  # No SIMD: it would need nasm, and decoding a handful of pictures gains nothing from it.
  run_logged "$log" cmake -S "$dir" -B "$bld" "${cmake_common[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
  # Only the library: the command-line tools and tests would triple the build time.
  run_logged "$log" cmake --build "$bld" --target jpeg-static -j "$jobs"
  install -m 644 "$bld/libjpeg.a" "$prefix/lib/libjpeg.a"
  install -m 644 "$bld/jconfig.h" "$dir/jpeglib.h" "$dir/jmorecfg.h" "$dir/jerror.h" \
    "$prefix/include/"
  check_static_lib "$prefix/lib/libjpeg.a"
  touch "$stamp"
  built_something=1
}

build_mpg123() {
  local stamp=$stamps/mpg123.done log=$logs/mpg123.log
  [ -f "$stamp" ] && return 0
  : >"$log"
  local dir bld=$work/mpg123
  dir=$(debian_source mpg123 "$log")
  rm -rf "$bld"
  # Decoding only: the program plays through waveOut itself, so no libout123;
  # no network streams either, which also keeps ws2_32 out of the link.
  run_logged "$log" cmake -S "$dir/ports/cmake" -B "$bld" "${cmake_common[@]}" \
    -DBUILD_LIBOUT123=OFF -DNETWORK=OFF
  run_logged "$log" cmake --build "$bld" -j "$jobs"
  run_logged "$log" cmake --install "$bld"
  check_static_lib "$prefix/lib/libmpg123.a"
  touch "$stamp"
  built_something=1
}

build_googletest() {
  local stamp=$stamps/googletest.done log=$logs/googletest.log
  [ -f "$stamp" ] && return 0
  : >"$log"
  local bld=$work/googletest
  if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
    echo "build-win-deps: /usr/src/googletest is missing; run scripts/install-deps.sh" >&2
    exit 1
  fi
  rm -rf "$bld"
  run_logged "$log" cmake -S /usr/src/googletest -B "$bld" "${cmake_common[@]}" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  run_logged "$log" cmake --build "$bld" -j "$jobs"
  run_logged "$log" cmake --install "$bld"
  local l
  for l in gtest gtest_main gmock gmock_main; do
    check_static_lib "$prefix/lib/lib$l.a"
  done
  touch "$stamp"
  built_something=1
}

# Links one program against everything built and checks that the result needs
# no DLL besides those Windows (and so Wine) has, i.e. that nothing dragged in
# libstdc++-6.dll, libwinpthread-1.dll or a DLL build of a library.
check_probe_link() {
  local probe=$work/probe log=$logs/probe.log
  : >"$log"
  mkdir -p "$probe"
  cat >"$probe/probe.cpp" <<'EOF'
#include <cstdio>
#include <jpeglib.h>
#include <mpg123.h>
#include <gtest/gtest.h>
#include <gmock/gmock.h>

TEST(Probe, LibrariesLink) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  EXPECT_EQ(mpg123_init(), MPG123_OK);
  EXPECT_THAT(mpg123_decoders()[0], testing::NotNull());
}
EOF
  run_logged "$log" "$triple-g++-posix" -std=c++20 -O1 -I"$prefix/include" \
    "$probe/probe.cpp" -o "$probe/probe.exe" -L"$prefix/lib" \
    -lgmock -lgtest_main -lgtest -lmpg123 -ljpeg -lshlwapi -static
  local wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
  local dll bad=()
  while read -r dll; do
    if [ -d "$wine_dlls" ]; then
      [ -f "$wine_dlls/${dll,,}" ] || bad+=("$dll")
    else
      case ${dll,,} in lib*) bad+=("$dll") ;; esac
    fi
  done < <("$triple-objdump" -p "$probe/probe.exe" | sed -n 's/^\s*DLL Name: //p')
  if [ ${#bad[@]} -gt 0 ]; then
    echo "build-win-deps: a program linked with these libraries needs non-Windows DLLs: ${bad[*]}" >&2
    exit 1
  fi
}

build_libjpeg_turbo
build_mpg123
build_googletest
if [ $built_something -eq 1 ] || [ ! -f "$stamps/probe.done" ]; then
  check_probe_link
  touch "$stamps/probe.done"
fi
