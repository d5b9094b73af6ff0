#!/usr/bin/env bash
# Builds everything: the Windows program with its test programs, and the native build of
# the portable code with its unit tests. Installs what is missing first.
#   scripts/build.sh [win|native|tsan|all]     (default: all)
# native is built with ASan and UBSan, tsan a second time with TSan (for the player).
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

if [ "$what" = all ] || [ "$what" = tsan ]; then
  if [ ! -f "$build/native-tsan/build.ninja" ]; then
    cmake -S "$root" -B "$build/native-tsan" -G Ninja -DTAVRIN_SANITIZER=thread \
      > "$build/configure-native-tsan.log"
  fi
  cmake --build "$build/native-tsan" --target tavrin_unit_tests
fi
