#!/usr/bin/env bash
# tests/windows/wine-session.sh
# One Wine session for a run of the Windows tests: a throw-away Wine prefix, made once, and
# an Xvfb display of its own when the run has no display.
#
#   wine-session.sh start DIR        makes DIR/prefix (and starts Xvfb when DISPLAY is empty)
#   wine-session.sh run DIR CMD...   runs CMD in the session, then waits until Wine is idle
#   wine-session.sh stop DIR         ends Wine and that Xvfb, and removes DIR
#
# Every wait is bounded: a step that hangs fails instead of holding up the run.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: wine-session.sh start|run|stop DIR [CMD...]" >&2
  exit 2
fi
action=$1 dir=$2
shift 2

session_env() {
  export WINEPREFIX="$dir/prefix" WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko installer asking for the network, no menu entries for the desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -s "$dir/display" ]; then
    DISPLAY=":$(cat "$dir/display")"
    export DISPLAY
  fi
}

# Waits at most $1 seconds for the prefix's programs and its server to end.
wait_idle() {
  if ! timeout "$1" wineserver -w; then
    echo "wine-session: Wine still busy after $1 s; ending it" >&2
    wineserver -k 2>/dev/null || true
    return 1
  fi
}

stop_xvfb() {
  local pid
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) || return 0
  # Only the server this script started, should the number have been given to another.
  if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    kill "$pid"
  fi
}

case $action in
start)
  if [ -d "$dir" ]; then
    bash "$0" stop "$dir"
  fi
  mkdir -p "$dir"
  if [ -z "${DISPLAY:-}" ]; then
    # A display number nobody uses; its own session and no inherited output, as it outlives
    # this step (and the test runner waits for a step's output to close).
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
      </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do
      [ -s "$dir/display" ] && break
      sleep 0.1
    done
    if [ ! -s "$dir/display" ]; then
      echo "wine-session: Xvfb did not start" >&2
      cat "$dir/xvfb.log" >&2
      exit 1
    fi
  fi
  session_env
  started=$(date +%s)
  timeout 180 wine wineboot -i
  # Windows that no window manager manages: with none running, Wine would wait two seconds
  # for one to act whenever a window closes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  wait_idle 60
  echo "wine-session: prefix made in $(($(date +%s) - started)) s, display $DISPLAY"
  ;;
run)
  session_env
  status=0
  "$@" || status=$?
  wait_idle 30 || [ "$status" -ne 0 ] || status=1
  exit "$status"
  ;;
stop)
  if [ -d "$dir/prefix" ]; then
    session_env
    timeout 30 wineserver -k 2>/dev/null || true
  fi
  stop_xvfb
  rm -rf "$dir"
  ;;
*)
  echo "wine-session: unknown action $action" >&2
  exit 2
  ;;
esac
