#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (ASan, UBSan), then the
# Windows test programs under Wine on a virtual X display, at 1920x1080 and at 1366x768.
# Ends with one line "N passed, N failed"; exits non-zero if anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$root/build}
results=$build/test-results
passed=0
failed=0

bash "$root/scripts/build.sh" all || { echo "0 passed, 1 failed"; exit 1; }
rm -rf "$results"
mkdir -p "$results"

# Adds one gtest run's counts from its summary lines; a run that printed no summary (it
# crashed or hung) counts as one failure.
count_gtest() {
  local log=$1 name=$2 p f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  if [ -z "$p" ] && [ -z "$f" ]; then
    echo "$name: no result (see $log)"
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  [ -n "$f" ] && grep -a '^\[  FAILED  \].*ms)'"$(printf '\r')"'\?$' "$log" | sed "s/^/$name: /"
  echo "$name: ${p:-0} passed, ${f:-0} failed"
}

echo "== native unit tests"
"$build/native/tests/unit/tavrin_unit_tests" > "$results/unit.log" 2>&1
count_gtest "$results/unit.log" unit
echo "== the player's threads under TSan"
"$build/native-tsan/tests/unit/tavrin_unit_tests" --gtest_filter='SoundPlayer*:Mp3*' \
  > "$results/unit-tsan.log" 2>&1
count_gtest "$results/unit-tsan.log" unit-tsan

# --- Under Wine ------------------------------------------------------------------------
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
winpath() { echo "Z:${1//\//\\}"; }

run_wine_suite() {  # NAME EXE ARGS...
  local name=$1 exe=$2
  shift 2
  TAVRIN_WINE_STDOUT=$results/$name.log TAVRIN_WINE_STDERR=$results/$name.err \
    TAVRIN_WINE_TIMEOUT=600 tavrin_wine_run "$exe" "$@"
  count_gtest "$results/$name.log" "$name"
}

for size in 1920x1080 1366x768; do
  w=${size%x*}
  h=${size#*x}
  echo "== under Wine at $size"
  tavrin_xvfb_start "$size" "$results" || { echo "Xvfb did not start"; failed=$((failed + 1)); continue; }
  if ! tavrin_wine_prefix "$build" "$w" "$h"; then
    echo "Wine prefix for $size could not be made"
    failed=$((failed + 1))
    tavrin_xvfb_stop
    continue
  fi
  shots=$results/shots-$size
  mkdir -p "$shots"
  if [ "$size" = 1920x1080 ]; then
    run_wine_suite "shell-$size" "$build/win/tests/wine/tavrin_shell_tests.exe"
    # What the program plays lands in files named after this one (wine-env.sh).
    mkdir -p "$results/audio"
    TAVRIN_AUDIO_FILE=$results/audio/capture.raw run_wine_suite "sound-$size" \
      "$build/win/tests/wine/tavrin_sound_tests.exe" \
      "--fixtures=$(winpath "$build/native/fixtures/mp3")"
  fi
  # The alarm plays the chosen fixture; its streams land here, one folder per screen size.
  mkdir -p "$results/audio-$size"
  TAVRIN_AUDIO_FILE=$results/audio-$size/capture.raw run_wine_suite "window-$size" \
    "$build/win/tests/wine/tavrin_window_tests.exe" \
    "--exe=$(winpath "$build/win/Tavrin.exe")" "--shots=$(winpath "$shots")" \
    "--fixtures=$(winpath "$build/native/fixtures/mp3")"
  tavrin_wine_stop
  tavrin_xvfb_stop
done

echo "logs and screenshots: $results"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
