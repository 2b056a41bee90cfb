#!/usr/bin/env bash
# tests/install/install_tree.sh SOURCE_DIR BUILD_DIR
# `cmake --install` into a fresh prefix: exactly the files expected, the desktop entry valid,
# the icons made from icon 103 at each of its sizes, the manual pages rendered without a warning, the README's
# removal command taking everything away again, and the installed program at work with the
# build folder out of sight: it deletes a file, and asks in a window through the module that
# it finds in lib/zapfile/, also after the whole prefix has been moved.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-install-XXXXXX")
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in Xvfb xdotool convert identify desktop-file-validate groff man unshare; do
  command -v "$tool" >/dev/null ||
    { echo "install_tree: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
prefix=$tmp/prefix
rm -f "$build/install_manifest.txt"  # see scripts/package.sh
cmake --install "$build" --prefix "$prefix" >/dev/null

# ---- The files ------------------------------------------------------------------------------
expected="755 bin/zapfile
755 bin/zapfile-reg
644 lib/zapfile/libzapfile-gtk.so
644 share/applications/zapfile.desktop
644 share/doc/zapfile/README.md
644 share/doc/zapfile/copyright
644 share/icons/hicolor/128x128/apps/zapfile.png
644 share/icons/hicolor/16x16/apps/zapfile.png
644 share/icons/hicolor/24x24/apps/zapfile.png
644 share/icons/hicolor/256x256/apps/zapfile.png
644 share/icons/hicolor/32x32/apps/zapfile.png
644 share/icons/hicolor/48x48/apps/zapfile.png
644 share/icons/hicolor/64x64/apps/zapfile.png
644 share/icons/hicolor/scalable/apps/zapfile.svg
644 share/man/man1/zapfile-reg.1.gz
644 share/man/man1/zapfile.1.gz"
actual=$(cd "$prefix" && find . -type f -printf '%m %P\n' | LC_ALL=C sort -k2)
[ "$actual" = "$expected" ] || fail "installed files:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"

# ---- The desktop entry: valid, starting the installed program with the installed icon --------
entry=$prefix/share/applications/zapfile.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qx 'Name=Ko Zapfile' "$entry" || fail "the entry's name is not Ko Zapfile"
grep -qx 'Categories=System;FileTools;' "$entry" || fail "the entry is not with the system tools"
# The disk blocks are not overwritten: no keyword may promise it.
! grep -qiE '^Keywords=.*(wipe|erase|shred|scrub)' "$entry" || fail "a keyword promises overwriting"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$prefix/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$prefix/share/icons/hicolor/32x32/apps/$icon.png" ] || fail "Icon=$icon is not installed"

# ---- The icons: every size icon 103 holds, each its own image --------------------------------
icons=$prefix/share/icons/hicolor
pixels() { convert "$@" txt:- | tail -n +2; }  # the header names the file's own format
sides=($(identify -format '%w ' "$source/res/zapfile.ico"))
[ "${sides[*]}" = "16 24 32 48 64 128 256" ] || fail "icon 103 holds the sizes ${sides[*]}"
for i in "${!sides[@]}"; do
  side=${sides[$i]}
  [ "$(pixels "$icons/${side}x$side/apps/zapfile.png")" = "$(pixels "$source/res/zapfile.ico[$i]")" ] ||
    fail "the $side x $side icon is not icon 103's image of that size"
done

# ---- The manual pages: no warning from man or groff, and the sections a reader looks for ------
for page in "$prefix"/share/man/man1/*.1.gz; do
  name=$(basename "$page" .1.gz)
  warnings=$(zcat "$page" | groff -ww -man -Tutf8 -z 2>&1)
  [ -z "$warnings" ] || fail "groff -ww $name: $warnings"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"$tmp/man-warnings")
  [ ! -s "$tmp/man-warnings" ] || fail "man -l $name: $(cat "$tmp/man-warnings")"
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT FILES "SEE ALSO"; do
    grep -qx "$section" <<<"$text" || fail "$name has no $section section"
  done
  grep -q "^       $name - " <<<"$text" || fail "$name's NAME line does not name it"
done

# ---- The installed program, with the build folder out of sight --------------------------------
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data NO_AT_BRIDGE=1
unset DISPLAY WAYLAND_DISPLAY
reg=$prefix/bin/zapfile-reg
"$prefix/bin/zapfile" --version | grep -q '^zapfile (Ko Zapfile) Version ' ||
  fail "zapfile --version"
"$reg" add 'HKCU\Software\Zapfile' /v bAskUser /d 0 /f >/dev/null
echo secret >"$tmp/quiet"
"$prefix/bin/zapfile" "$tmp/quiet" </dev/null || fail "zapfile exited with $? on a plain file"
[ ! -e "$tmp/quiet" ] || fail "the installed zapfile did not delete a file"
"$reg" add 'HKCU\Software\Zapfile' /v bAskUser /d 1 /f >/dev/null

source "$source/scripts/desktop.sh"
start_display "$tmp" 1024x768x24

# Runs PROGRAM FILE in a mount namespace of its own where the build folder is an empty one,
# answers its question in the window with Yes, and checks that the file is gone.
ask_in_window() {
  local program=$1 file=$2 id status=0
  echo secret >"$file"
  unshare --mount --map-root-user sh -c \
    'mount -t tmpfs hidden "$1" && [ ! -e "$1/zapfile" ] && exec "$2" "$3"' \
    sh "$build" "$program" "$file" </dev/null >"$tmp/out" 2>&1 &
  local zap=$!
  id=$(window Cofirm 2>/dev/null) || {
    kill "$zap" 2>/dev/null || true
    wait "$zap" || true
    fail "$program showed no question in a window: $(cat "$tmp/out")"
    return
  }
  sleep 0.3  # a window just mapped may not take keys yet
  xdotool windowfocus --sync "$id" key Return
  wait "$zap" || status=$?
  [ "$status" -eq 0 ] || fail "$program exited with $status: $(cat "$tmp/out")"
  [ ! -e "$file" ] || fail "$program did not delete $file after Yes in the window"
}
ask_in_window "$prefix/bin/zapfile" "$tmp/asked"
mv "$prefix" "$tmp/moved"
ask_in_window "$tmp/moved/bin/zapfile" "$tmp/asked-again"
mv "$tmp/moved" "$prefix"

# ---- The README's removal command leaves nothing of the installation ---------------------------
# The command given for /usr/local, run in the prefix: "cd /usr/local && sudo rm -rf ..." and
# the lines it continues on.
removal=$(sed -n '/^cd \/usr\/local && sudo rm -rf /,/[^\\]$/p' "$source/README.md" |
  sed -e 's/^cd \/usr\/local && sudo //' -e 's/\\$//' | tr '\n' ' ')
[ -n "$removal" ] || fail "no removal command in the README"
(cd "$prefix" && eval "$removal")
left=$(cd "$prefix" && find . -type f)
[ -z "$left" ] || fail "the README's removal command left: $left"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "install tree: all checks passed"
