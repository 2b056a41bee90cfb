# scripts/desktop.sh
# Sourced by the scripts that need a desktop of their own: a virtual X display, a small
# window manager on it, and the wait for a window by its title. The caller kills $xvfb and
# $wm when it is done.

# start_display FOLDER [SCREEN]: Xvfb on a free display number, which it writes into
# FOLDER/display once it accepts clients; DISPLAY names it afterwards.
# -noreset: it would reset, refusing clients for a moment, when its last client leaves.
start_display() {
  Xvfb -displayfd 3 -screen 0 "${2:-1280x1024x24}" -nolisten tcp -noreset 3>"$1/display" \
    2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$1/display" ] && break
    sleep 0.1
  done
  [ -s "$1/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -1 "$1/display")"
  unset WAYLAND_DISPLAY
}

# start_wm HOME: jwm with its own settings, below HOME, once it runs on the root window.
# Windows shown before it runs get no frame.
start_wm() {
  mkdir -p "$1"
  HOME="$1" jwm >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
}

# window TITLE: prints the id of the shown window with that title; fails after 10 s.
window() {
  for _ in $(seq 100); do
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.1
  done
  echo "no \"$1\" window within 10 s" >&2
  exit 1
}
