#!/usr/bin/env bash
# scripts/wine-screenshot.sh
# Takes pictures of zapfile.exe's main window and of its "Ie Ext" dialog as Wine draws them,
# on a virtual display and in a throw-away Wine prefix: docs/wine-main-window.png and
# docs/wine-ie-ext.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build-windows.sh" >/dev/null
cmake --build --preset windows --target wintest >/dev/null
world="$root/build-windows/screenshot-world"
world() { env -u DISPLAY -u WAYLAND_DISPLAY bash "$root/tests/windows/wine-world.sh" "$@"; }
trap 'world stop "$world"' EXIT
world start "$world" >/dev/null
mkdir -p "$root/docs"
world run "$world" bash -c '
  timeout 60 wine "$1/build-windows/zapfile.exe" &
  timeout 30 wine "$1/build-windows/wintest.exe" "Ko Zapfile" wait
  sleep 1  # the controls paint after the window shows
  import -window "Ko Zapfile" "$1/docs/wine-main-window.png"
  timeout 30 wine "$1/build-windows/wintest.exe" "Ko Zapfile" press 1004
  timeout 30 wine "$1/build-windows/wintest.exe" "Ie Ext" wait
  sleep 1
  import -window "Ie Ext" "$1/docs/wine-ie-ext.png"
  timeout 30 wine "$1/build-windows/wintest.exe" "Ie Ext" cancel
  timeout 30 wine "$1/build-windows/wintest.exe" "Ko Zapfile" cancel
  wait' _ "$root"
echo "Saved $root/docs/wine-main-window.png and $root/docs/wine-ie-ext.png"
