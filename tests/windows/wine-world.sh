#!/usr/bin/env bash
# tests/windows/wine-world.sh
# One Wine world for a run of the Windows tests: a throw-away Wine prefix, made once, and
# an Xvfb display of its own when the run has no display. Every wait is bounded.
#
#   wine-world.sh start DIR        makes DIR/prefix (and starts Xvfb when DISPLAY is empty)
#   wine-world.sh run DIR CMD...   runs CMD in the world, then waits until Wine is idle
#   wine-world.sh stop DIR         ends Wine and that Xvfb, and removes DIR
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: wine-world.sh start|run|stop DIR [CMD...]" >&2; exit 2; }
action=$1 dir=$2
shift 2

world_env() {
  export WINEPREFIX="$dir/prefix" WINEARCH=win64 WINEDEBUG=-all
  # Wine reads Unix file names and arguments in the locale's character set: a UTF-8 locale
  # lets every name through. C.UTF-8 is on every Debian machine, and under it Windows'
  # ANSI code page is 1252, as on a Western European or American Windows.
  unset LANGUAGE
  export LC_ALL=C.UTF-8
  # No Mono or Gecko installer asking for the network, no menu entries for the desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -s "$dir/display" ]; then
    export DISPLAY=":$(cat "$dir/display")"
  fi
}

wait_idle() {
  timeout "$1" wineserver -w && return
  echo "wine-world: Wine still busy after $1 s; ending it" >&2
  wineserver -k 2>/dev/null || true
  return 1
}

case $action in
start)
  [ ! -d "$dir" ] || bash "$0" stop "$dir"
  mkdir -p "$dir"
  if [ -z "${DISPLAY:-}" ]; then
    # Detached (setsid), with no inherited output: it outlives this step, whose output the
    # test runner waits to see closed.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" \
      </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do
      [ -s "$dir/display" ] && break
      sleep 0.1
    done
    [ -s "$dir/display" ] || { echo "wine-world: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  fi
  world_env
  started=$(date +%s)
  timeout 180 wine wineboot -i || { echo "wine-world: wineboot failed or hung" >&2; exit 1; }
  # No window manager runs: unmanaged windows spare a two-second wait at every close.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  wait_idle 60
  echo "wine-world: prefix made in $(($(date +%s) - started)) s, display $DISPLAY"
  ;;
run)
  world_env
  status=0
  "$@" || status=$?
  wait_idle 30 || [ "$status" -ne 0 ] || status=1
  exit "$status"
  ;;
stop)
  if [ -d "$dir/prefix" ]; then
    world_env
    timeout 30 wineserver -k 2>/dev/null || true
  fi
  # Only the server this script started, should its number have been given to another.
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) || pid=
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    kill "$pid"
  fi
  rm -rf "$dir"
  ;;
*)
  echo "wine-world: unknown action $action" >&2
  exit 2
  ;;
esac
