#!/usr/bin/env bash
# tests/windows/choosers-e2e.sh
# The example zapfile-choosers.exe under Wine with Windows' own common dialogs, answered from
# inside Wine by wintest.exe: control texts, button presses and the window moved. Runs in a
# Wine world (wine-world.sh run):
#
#   choosers-e2e.sh save|folder|colour|placement CHOOSERS_EXE WINTEST_EXE SCRATCH_DIR
set -uo pipefail

[ $# -eq 4 ] || { echo "usage: choosers-e2e.sh CASE CHOOSERS_EXE WINTEST_EXE SCRATCH_DIR" >&2; exit 2; }
case_name=$1 choosers=$2 wintest=$3 scratch=$4/choosers-$1
source "$(dirname "$0")/common.sh"

main="Zapfile Choosers"
# Starts the example and waits until its window shows; closes it and waits for its end.
begin() {
  start "$choosers"
  window "$main" text 2004 >/dev/null
}
end() {
  window "$main" cancel
  finish
}
expect() {
  local got
  got=$(window_text "$main" 2004)
  [ "$got" = "$1" ] || fail "the field says \"$got\", not \"$1\""
}
wine reg delete 'HKCU\Software\Zapfile\Choosers' /f >/dev/null 2>&1

case $case_name in
save)
  # An existing name is asked about: No keeps the dialog open, Yes takes the name.
  printf kept >"$scratch/old.txt"
  begin
  window "$main" press 2001
  window "Save As" set 0x47C "$(winpath "$scratch/old.txt")"
  window "Save As" press 1
  window Error press 7  # No
  window "Save As" press 1
  window Error press 6  # Yes
  sleep 1
  expect "Save to: $(winpath "$scratch/old.txt")"
  [ "$(cat "$scratch/old.txt")" = kept ] || fail "the file was written"
  end
  ;;

folder)
  # The browser opens on the desktop, which is a folder of the file system: OK gives its path.
  begin
  window "$main" press 2002
  window "Browse for Folder" click 1
  got=$(window_text "$main" 2004)
  [[ "$got" =~ ^Folder:\ [A-Z]:\\.*\\Desktop\ \ Leaf:\ Desktop$ ]] || fail "the field says \"$got\""
  window "$main" press 2002
  window "Browse for Folder" cancel
  expect "Folder: cancelled"
  end
  ;;

colour)
  # A colour typed into the full dialog and added to the custom colours, then a cancel, which
  # gives back the colour the dialog opened with; the custom colour is still there.
  begin
  window "$main" press 2003
  window Color set 706 18
  window Color set 707 52
  window Color set 708 86
  window Color press 712  # Add to Custom Colors
  window Color click 1
  expect "Colour: #123456  Custom: #123456"
  window "$main" press 2003
  window Color cancel
  expect "Colour: #123456  Custom: #123456"
  end
  # The colour was stored and is the one the next start begins with.
  begin
  expect "Colour: #123456"
  end
  ;;

placement)
  # Moved, closed and started again. (Its label shows whole.)
  begin
  window "$main" fits
  first=$(window "$main" where | tr -d '\r')
  moved=$((${first%,*} + 48)),$((${first#*,} + 32))
  window "$main" move "${moved%,*}" "${moved#*,}"
  [ "$(window "$main" where | tr -d '\r')" = "$moved" ] || fail "the window did not move to $moved"
  end
  begin
  again=$(window "$main" where | tr -d '\r')
  [ "$again" = "$moved" ] || fail "the window came back at $again, not $moved"
  end
  ;;

*)
  echo "choosers-e2e: unknown case $case_name" >&2
  exit 2
  ;;
esac

passed
