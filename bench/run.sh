#!/usr/bin/env bash
# Benchmarks: prints figures, asserts nothing.
#  - start to SplashWindow painted, and the switch to MainWindow painted, under Wine,
#    against a minimal Win32 program, in the same run;
#  - decoding and fitting the splash picture, native and under Wine, against djpeg;
#  - the size of Tavrin.exe and the DLLs it imports.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" win

# The native figures come from a build without sanitizers.
if [ ! -f "$build/bench-native/build.ninja" ]; then
  cmake -S "$root" -B "$build/bench-native" -G Ninja -DTAVRIN_SANITIZER=none \
    > "$build/configure-bench-native.log"
fi
cmake --build "$build/bench-native" --target tavrin_decode_bench > /dev/null

splash=$root/ui/res/splash.jpg
runs=50
echo "== splash picture, native"
"$build/bench-native/bench/native/tavrin_decode_bench" "$splash" "$runs"
# djpeg as a whole process, decoding the same file to nothing, one run at a time; and the
# same for an 8 x 8 picture, which leaves djpeg's own start-up to subtract.
tiny=$build/bench-native/tiny.jpg
convert -size 8x8 xc:orange ppm:- | cjpeg -outfile "$tiny"
median_djpeg_us() {
  local times=() t0 t1
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    djpeg -outfile /dev/null "$1"
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}
full=$(median_djpeg_us "$splash")
start=$(median_djpeg_us "$tiny")
awk -v f="$full" -v s="$start" 'BEGIN {
  printf "djpeg median over the same runs: %.3f ms whole process, %.3f ms of it start-up, %.3f ms decoding\n",
         f / 1000, s / 1000, (f - s) / 1000 }'

echo "== Tavrin.exe"
stat -c '%s bytes' "$build/win/Tavrin.exe"
x86_64-w64-mingw32-objdump -p "$build/win/Tavrin.exe" | sed -n 's/^\tDLL Name: /imports /p'

# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
results=$build/bench-results
mkdir -p "$results"
tavrin_xvfb_start 1920x1080 "$results"
tavrin_wine_prefix "$build" 1920 1080
winpath() { echo "Z:${1//\//\\}"; }

echo "== under Wine"
TAVRIN_WINE_STDOUT=$results/picture.out tavrin_wine_run "$build/win/bench/win/tavrin_picture_bench.exe" || true
cat "$results/picture.out"
TAVRIN_WINE_STDOUT=$results/startup.out tavrin_wine_run "$build/win/bench/win/tavrin_startup_bench.exe" \
  "--tavrin=$(winpath "$build/win/Tavrin.exe")" \
  "--minimal=$(winpath "$build/win/bench/win/tavrin_minimal_window.exe")" --runs=10 || true
cat "$results/startup.out"
tavrin_wine_stop
tavrin_xvfb_stop
