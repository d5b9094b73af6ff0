#!/usr/bin/env bash
# Benchmarks: prints figures, asserts nothing.
#  - start to SplashWindow painted, and the switch to MainWindow painted, under Wine,
#    against a minimal Win32 program, in the same run;
#  - decoding and fitting the splash picture, native and under Wine, against djpeg;
#  - decoding ten minutes of MP3 with our decoder, against the mpg123 program;
#  - PlayMp3's return and the synchronous stop, under Wine, and the memory while a 1 MB
#    and a 300 MB file play;
#  - the size of Tavrin.exe and the DLLs it imports;
#  - the CPU time per minute of the running MainWindow under Wine, against a program with
#    two idle 100 ms timers, side by side; the label's delay behind the clock's second, and
#    the reminder box's behind its minute (about four minutes of wall-clock time).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" win

# The native figures come from a build without sanitizers. Configured every time: a folder
# first configured before that option existed would otherwise keep sanitizers on.
cmake -S "$root" -B "$build/bench-native" -G Ninja -DTAVRIN_SANITIZER=none \
  > "$build/configure-bench-native.log"
cmake --build "$build/bench-native" --target tavrin_decode_bench tavrin_mp3_bench \
  tavrin_make_fixture > /dev/null

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

echo "== ten minutes of MP3, native"
# Tones with noise, so that every frame has something to code; made once and kept.
long_mp3=$build/bench-native/ten_minutes.mp3
if [ ! -f "$long_mp3" ]; then
  long_wav=$build/bench-native/ten_minutes.wav
  "$build/bench-native/tests/unit/tavrin_make_fixture" tone "$long_wav" 44100 2 600 \
    220,440,660,1000,3000 0.2
  lame --quiet -b 128 --cbr -m j "$long_wav" "$long_mp3.tmp"
  mv "$long_mp3.tmp" "$long_mp3"
  rm -f "$long_wav"
fi
mp3_runs=5
ours=$("$build/bench-native/bench/native/tavrin_mp3_bench" "$long_mp3" "$mp3_runs")
echo "$ours"
# mpg123 decoding the same file with the same libmpg123, its output thrown away (-t).
mpg123_times=()
for _ in $(seq "$mp3_runs"); do
  t0=$(date +%s%N)
  mpg123 -q -t "$long_mp3"
  t1=$(date +%s%N)
  mpg123_times+=($(((t1 - t0) / 1000)))
done
mpg123_us=$(printf '%s\n' "${mpg123_times[@]}" | sort -n | sed -n "$((mp3_runs / 2 + 1))p")
ours_ms=$(sed -n 's/^Mp3Decoder median \([0-9.]*\) ms.*/\1/p' <<<"$ours")
awk -v o="$ours_ms" -v m="$mpg123_us" 'BEGIN {
  printf "mpg123 -t median over the same runs: %.1f ms whole process; Mp3Decoder / mpg123 = %.2f\n",
         m / 1000, o / (m / 1000) }'

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

# The flat look against the same window unstyled: one button's redraw, and CPU while the
# pointer sweeps over the buttons.
TAVRIN_WINE_STDOUT=$results/style.out tavrin_wine_run "$build/win/bench/win/tavrin_style_bench.exe" || true
cat "$results/style.out"

# A 1 MB piece of the ten minutes, and 300 MB of them one after another.
small_mp3=$build/bench-native/one_mb.mp3
large_mp3=$build/bench-native/three_hundred_mb.mp3
[ -f "$small_mp3" ] || head -c 1048576 "$long_mp3" > "$small_mp3"
if [ ! -f "$large_mp3" ]; then
  copies=$(( 300 * 1048576 / $(stat -c %s "$long_mp3") + 1 ))
  for _ in $(seq "$copies"); do cat "$long_mp3"; done > "$large_mp3.tmp"
  mv "$large_mp3.tmp" "$large_mp3"
fi
TAVRIN_WINE_STDOUT=$results/sound.out tavrin_wine_run "$build/win/bench/win/tavrin_sound_bench.exe" \
  "$(winpath "$small_mp3")" "$(winpath "$large_mp3")" 30 || true
cat "$results/sound.out"

# The alarms wait for minutes to begin: TAVRIN_BENCH_ALARMS of them (one minute each), the
# label watched meanwhile and for at least TAVRIN_BENCH_LABEL_SECONDS.
clock_bench=$build/win/bench/win/tavrin_clock_bench.exe
TAVRIN_WINE_STDOUT=$results/clock-cpu.out tavrin_wine_run "$clock_bench" --measure=cpu \
  "--tavrin=$(winpath "$build/win/Tavrin.exe")" \
  "--timers=$(winpath "$build/win/bench/win/tavrin_two_timers.exe")" --cpu-seconds=60 || true
cat "$results/clock-cpu.out"
TAVRIN_WINE_STDOUT=$results/clock.out TAVRIN_WINE_TIMEOUT=900 tavrin_wine_run "$clock_bench" \
  --measure=clock "--tavrin=$(winpath "$build/win/Tavrin.exe")" \
  "--label-seconds=${TAVRIN_BENCH_LABEL_SECONDS:-120}" "--alarms=${TAVRIN_BENCH_ALARMS:-3}" || true
cat "$results/clock.out"
tavrin_wine_stop
tavrin_xvfb_stop
