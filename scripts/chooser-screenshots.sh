#!/usr/bin/env bash
# scripts/chooser-screenshots.sh
# Takes pictures of the three choosers that the example program zapfile-choosers opens: as
# GTK draws them on Linux, in a small window manager's frames (docs/choosers-save.png,
# docs/choosers-folder.png, docs/choosers-colour.png), and as Wine draws Windows' own dialogs
# (docs/wine-choosers-save.png, docs/wine-choosers-folder.png, docs/wine-choosers-colour.png).
# Everything runs on virtual displays and in throw-away folders.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
"$root/scripts/build-windows.sh" >/dev/null
cmake --build --preset windows --target zapfile-choosers wintest >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-choosers-shots-XXXXXX")
xvfb="" wm="" world="$work/wine"
world() { env -u DISPLAY -u WAYLAND_DISPLAY bash "$root/tests/windows/wine-world.sh" "$@"; }
cleanup() {
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  [ ! -d "$world" ] || world stop "$world" || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$root/docs" "$work/files/Music/Live" "$work/files/Photos"
: >"$work/files/report.txt"

# ---- Linux: GTK in jwm's frames -----------------------------------------------------------
source "$root/scripts/desktop.sh"
start_display "$work"
export NO_AT_BRIDGE=1 XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
  GSETTINGS_BACKEND=memory
start_wm "$work"

keys() { xdotool windowfocus --sync "$(window "$1")" key "${@:2}"; sleep 0.5; }
shot() {  # title file: the window in its frame, once drawn
  sleep 1
  import -frame -window "$(window "$1")" "$2"
  echo "Saved $2"
}

(cd "$work/files" && exec "$root/build/zapfile-choosers" </dev/null >/dev/null) &
app=$!
main="Zapfile Choosers"
keys "$main" space
xdotool windowsize --sync "$(window "Save As")" 720 440
shot "Save As" "$root/docs/choosers-save.png"
keys "Save As" Escape
keys "$main" Tab space
xdotool windowsize --sync "$(window "Browse For Folder")" 720 440
shot "Browse For Folder" "$root/docs/choosers-folder.png"
keys "Browse For Folder" Escape
# A colour mixed in the editor ("+", eight rows down), then the chooser again: the custom
# colours offer it.
keys "$main" Tab space
keys Color Down Down Down Down Down Down Down Down Return
keys Color Return
keys "$main" space
shot Color "$root/docs/choosers-colour.png"
keys Color Escape
keys "$main" Escape
wait "$app"

# ---- Windows' dialogs under Wine ----------------------------------------------------------
world start "$world" >/dev/null
world run "$world" bash -c '
  root=$1 files=$2
  wt() { timeout 30 wine "$root/build-windows/wintest.exe" "$@"; }
  winpath() { local p=${1//\//\\}; printf "Z:%s" "$p"; }
  (cd "$files" && exec timeout 120 wine "$root/build-windows/zapfile-choosers.exe" >/dev/null) &
  wt "Zapfile Choosers" text 2004 >/dev/null
  wt "Zapfile Choosers" press 2001
  wt "Save As" set 0x47C "report.txt"
  sleep 1.5
  import -window "Save As" "$root/docs/wine-choosers-save.png"
  wt "Save As" cancel
  wt "Zapfile Choosers" press 2002
  wt "Browse for Folder" text 1 >/dev/null
  sleep 1.5
  import -window "Browse for Folder" "$root/docs/wine-choosers-folder.png"
  wt "Browse for Folder" cancel
  wt "Zapfile Choosers" press 2003
  wt Color set 706 18
  wt Color set 707 52
  wt Color set 708 86
  wt Color press 712
  wt Color click 1
  wt "Zapfile Choosers" press 2003
  wt Color text 1 >/dev/null
  sleep 1.5
  import -window Color "$root/docs/wine-choosers-colour.png"
  wt Color cancel
  wt "Zapfile Choosers" cancel
  wait' _ "$root" "$work/files"
echo "Saved $root/docs/wine-choosers-save.png, wine-choosers-folder.png and wine-choosers-colour.png"
