#!/usr/bin/env bash
# Builds Tavrin.exe and runs it under Wine: on $DISPLAY when one answers, otherwise on a
# virtual display, taking screenshots of the splash and of the main window, which this
# script then names. Installs what is missing first.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$root/build}

bash "$root/scripts/build.sh" win
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

if tavrin_need_xvfb; then
  shots=$build/screenshots
  mkdir -p "$shots"
  tavrin_xvfb_start 1920x1080 "$shots"
  tavrin_wine_prefix "$build" 1920 1080
  echo "No display: running Tavrin on a virtual 1920x1080 screen ($DISPLAY)."
  TAVRIN_WINE_TIMEOUT=30 tavrin_wine_run "$build/win/Tavrin.exe" &
  runner=$!
  sleep 2
  import -window root "$shots/1-splash.png"
  sleep 4
  import -window root "$shots/2-main-window.png"
  # Esc on the main window ends the program, as a user would end it.
  xdotool search --name 'Tavrin1.0' windowactivate --sync key Escape 2>/dev/null ||
    xdotool key Escape
  rc=0
  wait "$runner" || rc=$?
  tavrin_wine_stop
  tavrin_xvfb_stop
  echo "Tavrin ended with exit code $rc."
  echo "Screenshots: $shots/1-splash.png (after 2 s) and $shots/2-main-window.png (after 6 s)."
  exit "$rc"
fi

size=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p' | head -n 1)
read -r width height <<<"${size:-1920 1080}"
tavrin_wine_prefix "$build" "$width" "$height"
echo "Running Tavrin on $DISPLAY (a Wine desktop of ${width}x${height}); Esc or 关闭 ends it."
rc=0
TAVRIN_WINE_TIMEOUT=0 tavrin_wine_run "$build/win/Tavrin.exe" || rc=$?
echo "Tavrin ended with exit code $rc."
exit "$rc"
