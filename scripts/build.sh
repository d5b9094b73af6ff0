#!/usr/bin/env bash
# Builds everything: the Windows program with its test programs, and the native build of
# the portable code with its unit tests. Installs what is missing first.
#   scripts/build.sh [win|native|all]     (default: all)
# The build folder is ./build, or $TAVRIN_BUILD_DIR.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$root/build}
what=${1:-all}

bash "$root/scripts/install-deps.sh"
mkdir -p "$build"

if [ "$what" = all ] || [ "$what" = win ]; then
  bash "$root/scripts/build-win-deps.sh" "$build"
  if [ ! -f "$build/win/build.ninja" ]; then
    cmake -S "$root" -B "$build/win" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DTAVRIN_WIN_DEPS="$build/deps/win64" > "$build/configure-win.log"
  fi
  cmake --build "$build/win"
fi

if [ "$what" = all ] || [ "$what" = native ]; then
  if [ ! -f "$build/native/build.ninja" ]; then
    cmake -S "$root" -B "$build/native" -G Ninja > "$build/configure-native.log"
  fi
  cmake --build "$build/native"
fi
