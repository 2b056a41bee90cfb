#!/usr/bin/env bash
# scripts/screenshots.sh
# Takes pictures of Zapfile's windows as GTK draws them on a virtual display: the main window
# (docs/main-window.png) and the question asked when a file manager starts it with a path
# (docs/confirm-box.png), each in the title bar that a small window manager (jwm) gives it, and
# the GTK file chooser that "..." opens, over the main window (docs/chooser.png).
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

# Xvfb picks a free display number and writes it once it accepts clients.
# -noreset: it would reset, refusing clients for a moment, when the first run's last one leaves.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ "$(wc -l <"$work/display")" -ge 1 ] && break
  sleep 0.1
done
[ "$(wc -l <"$work/display")" -ge 1 ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")" NO_AT_BRIDGE=1 XDG_CONFIG_HOME="$work/config" \
  XDG_DATA_HOME="$work/data"  # the chooser's recent files: none
unset WAYLAND_DISPLAY

# The window manager, with its own settings only; windows shown before it runs get no frame.
HOME="$work" jwm >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done

window() {  # title: prints the id of the shown window with that title
  for _ in $(seq 100); do
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.1
  done
  echo "no \"$1\" window within 10 s" >&2
  exit 1
}

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

# Without a terminal, as from a file manager; the question is answered No.
: >"$work/old report.txt"
setsid "$root/build/zapfile" "$work/old report.txt" </dev/null &
zap=$!
id=$(window "Cofirm")
shot "$id" "$root/docs/confirm-box.png"
xdotool windowfocus --sync "$id" key alt+n
wait "$zap"
[ -e "$work/old report.txt" ] || { echo "the file was deleted although No was answered" >&2; exit 1; }

# "..." and the chooser, a folder typed in; GTK sizes the chooser to cover the main window.
mkdir "$work/reports"
: >"$work/reports/old report.txt"
: >"$work/reports/notes.txt"
"$root/build/zapfile" </dev/null &
zap=$!
id=$(window "Ko Zapfile")
xdotool windowfocus --sync "$id" key space
chooser=$(window "Open")
sleep 0.5
xdotool windowfocus --sync "$chooser" key ctrl+l
xdotool windowfocus --sync "$chooser" type "$work/reports/"  # the chooser offers its files
sleep 1  # the offered files are drawn a moment after
# From the screen: the offered files are a window of their own, over the chooser.
geometry=$(xwininfo -id "$chooser" | awk '/Absolute upper-left X/ {x = $NF}
  /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
  END {printf "%dx%d+%d+%d", w, h, x, y}')
import -window root -crop "$geometry" +repage "$root/docs/chooser.png"
echo "Saved $root/docs/chooser.png"
xdotool windowfocus --sync "$chooser" key Escape  # the list of files offered goes
sleep 0.5
xdotool windowfocus --sync "$chooser" key Escape
xdotool windowfocus --sync "$(window "Ko Zapfile")" key Escape
wait "$zap"
