# Helpers for running Tavrin's Windows builds under Wine on an X server, for
# tests and for looking at the program by hand. Source it from bash:
#
#   source scripts/wine-env.sh
#   tavrin_xvfb_start 1920x1080            # only starts one when $DISPLAY is unusable
#   tavrin_wine_prefix "$build" 1920 1080  # exports WINEPREFIX & co, creates it once
#   rc=0; TAVRIN_AUDIO_FILE=$build/out.raw tavrin_wine_run "$build/Tavrin.exe" 'Z:\tmp\x' || rc=$?
#   tavrin_wine_stop
#   tavrin_xvfb_stop
#
# Everything Wine, fontconfig and ALSA write goes below BUILD_DIR/wine, never
# into $HOME: the prefix is booted with HOME pointing there, so the "Documents"
# and "Desktop" links inside it lead into the build folder too.
#
# Programs get Windows paths in their arguments (Z:\ is /); the EXE itself may
# be given as a Unix path.
#
# Sound: the default ALSA device is a file plugin. Whatever a program plays is
# written as raw samples to the file named by TAVRIN_AUDIO_FILE when the Wine
# process started (/dev/null if unset); each further stream goes to a file of
# its own, FILE.0001, FILE.0002, ... (FILE must not exist beforehand, or the
# first stream lands in FILE.0001). The samples keep the format the program
# opened its stream with: Wine passes them through unchanged, so a 16-bit
# 44.1 kHz waveOut stream arrives bit for bit. They arrive faster than real
# time, as the null device behind the file never makes anyone wait.
#
# The functions return non-zero on failure instead of exiting, so they behave
# the same under `set -e` and in an interactive shell.

# Bump when the prefix settings below change: existing prefixes then get the
# registry and config files applied again on their next use.
TAVRIN_PREFIX_VERSION=7

# Says (by exit status) whether an X server has to be started: yes when
# DISPLAY is empty or nothing answers on it.
tavrin_need_xvfb() {
  [ -z "${DISPLAY:-}" ] && return 0
  xdpyinfo >/dev/null 2>&1 && return 1
  return 0
}

# tavrin_xvfb_start WIDTHxHEIGHT [LOG_DIR]
# Starts Xvfb (24-bit) on the first free display of :91..:99 and exports
# DISPLAY, unless a usable DISPLAY is already set, which is then left alone.
tavrin_xvfb_start() {
  local size=${1:?usage: tavrin_xvfb_start WIDTHxHEIGHT [LOG_DIR]}
  local logdir=${2:-${TAVRIN_BUILD_DIR:-/tmp}}
  if ! tavrin_need_xvfb; then
    return 0
  fi
  if [[ ! $size =~ ^[0-9]+x[0-9]+$ ]]; then
    echo "tavrin_xvfb_start: size must look like 1920x1080, not '$size'" >&2
    return 2
  fi
  mkdir -p "$logdir"
  local n pid
  for n in 91 92 93 94 95 96 97 98 99; do
    # A display is taken when its lock file names a live process or a server
    # answers on it; a lock or socket left by a killed server is cleared.
    if [ -e "/tmp/.X$n-lock" ]; then
      pid=$(tr -dc 0-9 <"/tmp/.X$n-lock" 2>/dev/null || true)
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        continue
      fi
    fi
    if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      continue
    fi
    rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" 2>/dev/null || continue
    # -nolisten tcp: nothing outside this machine needs to reach the server.
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset \
      </dev/null >"$logdir/xvfb-$n.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      if ! kill -0 "$pid" 2>/dev/null; then
        break # lost the race for this display number, or failed; try the next
      fi
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        TAVRIN_XVFB_PID=$pid
        TAVRIN_XVFB_OLD_DISPLAY=${DISPLAY-}
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  echo "tavrin_xvfb_start: could not start Xvfb on :91..:99 (logs in $logdir)" >&2
  return 1
}

# Stops the Xvfb that tavrin_xvfb_start started (if it started one) and puts
# DISPLAY back. Stop Wine first: its desktop window lives on this server.
tavrin_xvfb_stop() {
  [ -n "${TAVRIN_XVFB_PID:-}" ] || return 0
  kill "$TAVRIN_XVFB_PID" 2>/dev/null || true
  wait "$TAVRIN_XVFB_PID" 2>/dev/null || true
  unset TAVRIN_XVFB_PID
  if [ -n "${TAVRIN_XVFB_OLD_DISPLAY:-}" ]; then
    export DISPLAY=$TAVRIN_XVFB_OLD_DISPLAY
  else
    unset DISPLAY
  fi
  unset TAVRIN_XVFB_OLD_DISPLAY
}

# Writes strings as the hex(7) (REG_MULTI_SZ) body of a .reg line: each item
# UTF-16LE, NUL-terminated, plus the closing empty item. Only a version 5 .reg
# file reads hex(7) as UTF-16; a REGEDIT4 one takes the bytes as ANSI and
# every character becomes an item of its own.
_tavrin_reg_multi_sz() {
  local item out=""
  for item in "$@"; do
    out+=$(printf '%s' "$item" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',')
    out+="00,00,"
  done
  out+="00,00"
  printf '%s' "${out#,}"
}

# The settings each prefix gets. Some of them explained:
# - Explorer\Desktop: every program opens inside one virtual desktop of the
#   prefix's size, like a real screen of that resolution, and the `wine`
#   command still returns the program's exit code (unlike `wine explorer /desktop=`).
# - FontLink\SystemLink: the GUI fonts fall back to WenQuanYi Micro Hei for
#   characters they lack, so Chinese text is drawn instead of boxes.
# - Fonts\Replacements: programs that ask for a Chinese Windows font by name
#   get the same face.
# - Drivers\Audio=alsa: the ALSA file device below; pulseaudio is not there.
# - WineDbg\ShowCrashDialog=0: a crashing test program must end, not wait
#   for someone to close a dialog.
_tavrin_write_prefix_reg() {
  local reg=$1 width=$2 height=$3 font_file=$4 font_face=$5
  local link
  link=$(_tavrin_reg_multi_sz "$font_file,$font_face")
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%sx%s"\r\n\r\n' "$width" "$height"
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Audio"="alsa"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    local f
    for f in SimSun NSimSun SimHei "Microsoft YaHei" "Microsoft YaHei UI" "Microsoft JhengHei" PMingLiU MingLiU; do
      printf '"%s"="%s"\r\n' "$f" "$font_face"
    done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    # Wine 8 looks the link up by the full name of the face it picked, so the
    # bold faces need entries of their own (a bold caption otherwise shows
    # boxes), and so do the DejaVu faces that Arial, Segoe UI & co. resolve to.
    for f in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "MS Sans Serif" \
      "Segoe UI" Arial "Times New Roman" "Courier New" Verdana "Lucida Sans Unicode" SimSun \
      "DejaVu Sans" "DejaVu Sans Bold" "DejaVu Serif" "DejaVu Serif Bold" \
      "DejaVu Sans Mono" "DejaVu Sans Mono Bold"; do
      printf '"%s"=hex(7):%s\r\n' "$f" "$link"
    done
    printf '\r\n'
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
}

# The default ALSA PCM: a file plugin in front of the null device. ALSA reads
# this instead of /usr/share/alsa/alsa.conf (ALSA_CONFIG_PATH), so neither the
# machine's nor the user's sound setup plays a part.
_tavrin_write_asound_conf() {
  cat >"$1" <<'EOF'
pcm.null {
  type null
}
pcm.!default {
  type file
  slave.pcm "null"
  file {
    @func getenv
    vars [ TAVRIN_AUDIO_FILE ]
    default "/dev/null"
  }
  format "raw"
  perm 0644
  # Each stream a program opens opens the file anew; rather than overwrite
  # the sound before, ALSA then writes FILE.0001, FILE.0002, ...
  truncate false
}
EOF
}

# tavrin_wine_prefix BUILD_DIR WIDTH HEIGHT
# Exports the Wine environment for a prefix whose virtual desktop is
# WIDTHxHEIGHT (BUILD_DIR/wine/prefix-WIDTHxHEIGHT) and creates it the first
# time. Takes ~15 s once; later calls only export variables.
tavrin_wine_prefix() {
  local build=${1:?usage: tavrin_wine_prefix BUILD_DIR WIDTH HEIGHT}
  local width=${2:?usage: tavrin_wine_prefix BUILD_DIR WIDTH HEIGHT}
  local height=${3:?usage: tavrin_wine_prefix BUILD_DIR WIDTH HEIGHT}
  mkdir -p "$build/wine" || return 1
  build=$(cd "$build" && pwd)
  local wdir=$build/wine
  local prefix=$wdir/prefix-${width}x${height}

  export TAVRIN_BUILD_DIR=$build
  export TAVRIN_WINE_DIR=$wdir
  export TAVRIN_WINE_HOME=$wdir/home
  export TAVRIN_WINE_LOGS=$wdir/logs
  export WINEPREFIX=$prefix
  export WINEARCH=win64
  export WINEDEBUG=-all
  # Mono and Gecko would each pop up an installer that wants the internet;
  # winemenubuilder would write menu entries and file types into $HOME.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  export ALSA_CONFIG_PATH=$wdir/asound.conf
  # fontconfig (used by Wine for the font list) keeps its cache here.
  export XDG_CACHE_HOME=$wdir/xdg/cache XDG_CONFIG_HOME=$wdir/xdg/config XDG_DATA_HOME=$wdir/xdg/data

  local stamp=$prefix/.tavrin-prefix
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$TAVRIN_PREFIX_VERSION" ] && [ -f "$ALSA_CONFIG_PATH" ]; then
    return 0
  fi

  mkdir -p "$TAVRIN_WINE_HOME" "$TAVRIN_WINE_LOGS" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
  # Two test scripts may want the same prefix at once; one creates it. The
  # Wine processes must not inherit the lock (9>&-), or a lingering one would
  # hold it.
  (
    flock 9
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$TAVRIN_PREFIX_VERSION" ] && [ -f "$ALSA_CONFIG_PATH" ]; then
      exit 0
    fi
    _tavrin_write_asound_conf "$ALSA_CONFIG_PATH.tmp" && mv "$ALSA_CONFIG_PATH.tmp" "$ALSA_CONFIG_PATH"

    local log=$TAVRIN_WINE_LOGS/prefix-${width}x${height}.log
    : >"$log"
    # The settings below are read when Wine starts, and the `wineserver -w`
    # that writes them out would wait for a lingering server for minutes.
    if [ -d "$prefix" ]; then
      HOME=$TAVRIN_WINE_HOME wineserver -k >/dev/null 2>&1 || true
      HOME=$TAVRIN_WINE_HOME wineserver -w >/dev/null 2>&1 || true
    fi
    if [ ! -f "$prefix/.tavrin-booted" ]; then
      # A half-made prefix from an interrupted run is not worth repairing.
      rm -rf "$prefix"
      # Output goes to a file: wineserver and the services it starts keep
      # inherited pipes open long after wineboot returns.
      if ! HOME=$TAVRIN_WINE_HOME wine wineboot -i </dev/null >>"$log" 2>&1 9>&-; then
        echo "tavrin_wine_prefix: wineboot failed, see $log" >&2
        exit 1
      fi
      HOME=$TAVRIN_WINE_HOME wineserver -w
      touch "$prefix/.tavrin-booted"
    fi

    # Debian's Wine looks for its own fonts (Tahoma, Marlett for the caption
    # buttons, ...) in /usr/share/fonts instead of /usr/share/wine/fonts where
    # fonts-wine puts them; without them captions fall back to another face,
    # which changes every metric derived from the caption font. Wine also
    # scans C:\windows\Fonts, so they go there.
    if [ -d /usr/share/wine/fonts ]; then
      cp -f /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    else
      echo "tavrin_wine_prefix: /usr/share/wine/fonts is missing (fonts-wine)" >&2
      exit 1
    fi

    local font font_file font_face
    font=$(fc-list -f '%{file}|%{family[0]}\n' ':family=WenQuanYi Micro Hei' 2>/dev/null | grep -v Mono || true)
    font=${font%%$'\n'*}
    if [ -z "$font" ]; then
      echo "tavrin_wine_prefix: WenQuanYi Micro Hei not found (fonts-wqy-microhei); Chinese text would show as boxes" >&2
      exit 1
    fi
    font_file=$(basename "${font%%|*}")
    font_face=${font#*|}
    local reg=$wdir/prefix-${width}x${height}.reg
    _tavrin_write_prefix_reg "$reg" "$width" "$height" "$font_file" "$font_face"
    if ! HOME=$TAVRIN_WINE_HOME wine regedit /S "Z:${reg//\//\\}" </dev/null >>"$log" 2>&1 9>&-; then
      echo "tavrin_wine_prefix: importing $reg failed, see $log" >&2
      exit 1
    fi
    # The registry reaches the files only when wineserver ends.
    HOME=$TAVRIN_WINE_HOME wineserver -w
    if ! grep -q "\"Default\"=\"${width}x${height}\"" "$prefix/user.reg"; then
      echo "tavrin_wine_prefix: the desktop size did not reach $prefix/user.reg" >&2
      exit 1
    fi
    echo "$TAVRIN_PREFIX_VERSION" >"$stamp"
  ) 9>"$wdir/.lock-${width}x${height}"
}

# Makes sure a wineserver, the Wine services and the virtual desktop run for
# the prefix, all started with their output on a log file. Left to the first
# `wine`, they would inherit that command's stdout and stderr and keep a pipe
# open long after the program ended, hanging whoever reads it. Keeping them up
# also makes each later program start in a fraction of a second instead of ~2 s.
# They end TAVRIN_WINESERVER_LINGER seconds (default 600) after the last
# program, or at tavrin_wine_stop.
_tavrin_wineserver_up() {
  : "${WINEPREFIX:?call tavrin_wine_prefix first}"
  # Signal 0 only asks whether a server answers for this prefix; it starts none.
  if HOME=$TAVRIN_WINE_HOME wineserver -k0 >/dev/null 2>&1; then
    return 0
  fi
  local log=$TAVRIN_WINE_LOGS/wineserver.log rc=0
  HOME=$TAVRIN_WINE_HOME wineserver -p"${TAVRIN_WINESERVER_LINGER:-600}" </dev/null >>"$log" 2>&1 || rc=$?
  # Exit status 2 means another caller's server came up in the meantime.
  if [ $rc -ne 0 ] && [ $rc -ne 2 ]; then
    echo "tavrin_wine_run: wineserver did not start, see $log" >&2
    return 1
  fi
  # Asking for the desktop window starts services.exe and explorer's desktop.
  HOME=$TAVRIN_WINE_HOME timeout 60 wine rundll32.exe user32.dll,GetDesktopWindow \
    </dev/null >>"$log" 2>&1 || true
}

# tavrin_wine_run EXE [ARGS...]
# Runs a Windows program in the current prefix and returns its exit code
# (the low 8 bits, as for any Unix process; 124 if it hit the time limit).
# Its stdout and stderr go to the files TAVRIN_WINE_STDOUT and
# TAVRIN_WINE_STDERR (default: BUILD_DIR/wine/logs/last.out and last.err),
# never to a pipe. TAVRIN_WINE_TIMEOUT (seconds, default 300, 0 = none)
# bounds the run so a hung program cannot stall a test run for good.
tavrin_wine_run() {
  local exe=${1:?usage: tavrin_wine_run EXE [ARGS...]}
  shift
  : "${WINEPREFIX:?call tavrin_wine_prefix first}"
  _tavrin_wineserver_up || return 1
  local out=${TAVRIN_WINE_STDOUT:-$TAVRIN_WINE_LOGS/last.out}
  local err=${TAVRIN_WINE_STDERR:-$TAVRIN_WINE_LOGS/last.err}
  local limit=${TAVRIN_WINE_TIMEOUT:-300}
  local rc=0
  if [ "$limit" = 0 ]; then
    HOME=$TAVRIN_WINE_HOME wine "$exe" "$@" </dev/null >"$out" 2>"$err" || rc=$?
  else
    HOME=$TAVRIN_WINE_HOME timeout -k 5 "$limit" wine "$exe" "$@" </dev/null >"$out" 2>"$err" || rc=$?
  fi
  return $rc
}

# Ends every Wine process of the current prefix (the desktop too) and waits
# until the wineserver is gone, so the registry is written and the next
# tavrin_xvfb_start/tavrin_wine_run starts clean.
tavrin_wine_stop() {
  : "${WINEPREFIX:?call tavrin_wine_prefix first}"
  HOME=$TAVRIN_WINE_HOME wineserver -k >/dev/null 2>&1 || true
  HOME=$TAVRIN_WINE_HOME wineserver -w >/dev/null 2>&1 || true
}
