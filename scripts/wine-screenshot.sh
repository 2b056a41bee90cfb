#!/usr/bin/env bash
# scripts/wine-screenshot.sh
# Takes pictures of zapfile.exe as Wine draws it, on a virtual display and in a throw-away
# Wine prefix: the question asked for a name in Greek and with ✓ (docs/wine-confirm-box.png),
# the main window with that name in its field (docs/wine-main-window.png) and its "Ie Ext"
# dialog (docs/wine-ie-ext.png). No file is touched: the question is answered No.
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
  zapfile=$1/build-windows/zapfile.exe wintest=$1/build-windows/wintest.exe docs=$1/docs
  win() { timeout 30 wine "$wintest" "$@"; }
  name="Z:\\home\\zoë\\Ελληνικά ✓\\café.txt"
  timeout 60 wine "$zapfile" "$name" &
  win Cofirm where >/dev/null
  sleep 1  # the controls paint after the window shows
  import -window Cofirm "$docs/wine-confirm-box.png"
  win Cofirm click 7  # No
  timeout 60 wine "$zapfile" &
  win "Ko Zapfile" where >/dev/null
  win "Ko Zapfile" set 1002 "$name"
  sleep 1
  import -window "Ko Zapfile" "$docs/wine-main-window.png"
  win "Ko Zapfile" press 1004
  win "Ie Ext" where >/dev/null
  sleep 1
  import -window "Ie Ext" "$docs/wine-ie-ext.png"
  win "Ie Ext" cancel
  win "Ko Zapfile" cancel
  wait' _ "$root"
echo "Saved $root/docs/wine-confirm-box.png, wine-main-window.png and wine-ie-ext.png"
