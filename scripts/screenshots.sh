#!/usr/bin/env bash
# scripts/screenshots.sh
# Takes pictures of Zapfile's windows as GTK draws them on a virtual display: the main window
# (docs/main-window.png) and the question asked when a file manager starts it with a path
# (docs/confirm-box.png), "Ie Ext" with its box ticked (docs/ie-ext.png) and the About box
# (docs/about.png), each in the title bar that a small window manager (jwm) gives it, the
# GTK file chooser that "..." opens, over the main window (docs/chooser.png), and the main
# window again with the desktop's font at 14 points (docs/main-window-14pt.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-shots-XXXXXX")
xvfb=""
wm=""
cleanup() {
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/scripts/desktop.sh"
start_display "$work"
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory XDG_CONFIG_HOME="$work/config" \
  XDG_DATA_HOME="$work/data"  # the chooser's recent files: none
start_wm "$work"

shot() {  # window file
  sleep 0.5  # the first frame is drawn after the window is mapped
  import -frame -window "$1" "$2"
  echo "Saved $2"
}

mkdir -p "$root/docs"
"$root/build/zapfile" </dev/null &
zap=$!
id=$(window "Ko Zapfile")
shot "$id" "$root/docs/main-window.png"
xdotool windowfocus --sync "$id" key Escape
wait "$zap"

# "Ie Ext" (two Tabs on from "...") with "Delete without asking" ticked, then "?" (two more).
"$root/build/zapfile" </dev/null &
zap=$!
id=$(window "Ko Zapfile")
xdotool windowmove --sync "$id" 60 60
xdotool windowfocus --sync "$id" key Tab Tab space
ieext=$(window "Ie Ext")
sleep 0.3
xdotool windowfocus --sync "$ieext" key Tab Tab Tab space  # OK, Register, Unregister, the box
shot "$ieext" "$root/docs/ie-ext.png"
xdotool windowfocus --sync "$ieext" key Escape
sleep 0.3
xdotool windowfocus --sync "$id" key Tab Tab space
about=$(window "About Zapfile")
shot "$about" "$root/docs/about.png"
xdotool windowfocus --sync "$about" key Return
sleep 0.3
xdotool windowfocus --sync "$id" key Escape
wait "$zap"

# Without a terminal, as from a file manager; the question is answered No.
: >"$work/old report.txt"
setsid "$root/build/zapfile" "$work/old report.txt" </dev/null &
zap=$!
id=$(window "Cofirm")
shot "$id" "$root/docs/confirm-box.png"
xdotool windowfocus --sync "$id" key alt+n
wait "$zap"
[ -e "$work/old report.txt" ] || { echo "the file was deleted although No was answered" >&2; exit 1; }

# "..." and the chooser, a folder typed in. The chooser opens centred over the main window and
# hides it; it is made smaller and moved down so that the picture shows which window it
# belongs to.
mkdir "$work/reports"
: >"$work/reports/old report.txt"
: >"$work/reports/notes.txt"
(cd "$work/reports" && exec "$root/build/zapfile" </dev/null) &  # the chooser opens here
zap=$!
id=$(window "Ko Zapfile")
xdotool windowmove --sync "$id" 60 60
sleep 0.3
xdotool windowfocus --sync "$id" key space
chooser=$(window "Open")
sleep 0.5
xdotool windowsize --sync "$chooser" 720 440  # GTK sizes it to the screen at first
xdotool windowmove --sync "$chooser" 100 170
sleep 1
frame() {  # window: left top right bottom on the screen of the frame the window manager gave it
  local parent
  parent=$(xwininfo -tree -id "$1" | awk '/Parent window id/ {print $4}')
  xwininfo -id "$parent" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
    END {print x, y, x + w, y + h}'
}
read -r ml mt mr mb < <(frame "$id")
read -r cl ct cr cb < <(frame "$chooser")
left=$((ml < cl ? ml : cl)); right=$((mr > cr ? mr : cr)); bottom=$((mb > cb ? mb : cb))
import -window root -crop "$((right - left))x$((bottom - mt))+$left+$mt" +repage \
  "$root/docs/chooser.png"
echo "Saved $root/docs/chooser.png"
xdotool windowfocus --sync "$chooser" key Escape
xdotool windowfocus --sync "$(window "Ko Zapfile")" key Escape
wait "$zap"

# The desktop's font at 14 points, as GTK's own settings file gives it.
mkdir -p "$work/config/gtk-3.0"
printf '[Settings]\ngtk-font-name = DejaVu Sans 14\n' >"$work/config/gtk-3.0/settings.ini"
"$root/build/zapfile" </dev/null &
zap=$!
id=$(window "Ko Zapfile")
shot "$id" "$root/docs/main-window-14pt.png"
xdotool windowfocus --sync "$id" key Escape
wait "$zap"
