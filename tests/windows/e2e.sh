#!/usr/bin/env bash
# tests/windows/e2e.sh
# zapfile.exe run under Wine as a user runs it, on real files, its windows answered from
# inside Wine by wintest.exe. Runs in a Wine session (wine-session.sh run):
#
#   e2e.sh CASE ZAPFILE_EXE WINTEST_EXE SCRATCH_DIR
#
# CASE is one of: no-question, question, refused, main-window.
set -uo pipefail

if [ $# -ne 4 ]; then
  echo "usage: e2e.sh CASE ZAPFILE_EXE WINTEST_EXE SCRATCH_DIR" >&2
  exit 2
fi
case_name=$1 zapfile=$2 wintest=$3 scratch=$4/$1

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# The Windows name of a Linux path: Wine's drive Z: is the root.
winpath() {
  local p=${1//\//\\}
  printf 'Z:%s' "$p"
}

set_ask() {
  wine reg add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d "$1" /f >/dev/null ||
    fail "reg add bAskUser $1"
}

# zapfile.exe runs in the background while its windows are answered; finish waits for it.
# A window left unanswered keeps it running: the bound turns that into a failure.
start_zapfile() {
  timeout 30 wine "$zapfile" "$@" &
  zapfile_pid=$!
  zapfile_args="$*"
}
finish() {
  local status=0
  wait "$zapfile_pid" || status=$?
  [ "$status" -eq 0 ] || fail "zapfile.exe $zapfile_args ended with $status"
}
window() {
  timeout 40 wine "$wintest" "$@" || fail "wintest $*"
}

# Answers the error box, which must say why.
expect_error_box() {
  local text
  text=$(timeout 40 wine "$wintest" "Error." text 65535 | tr -d '\r') || fail "no error box for $zapfile_args"
  [ "$text" = "Couldn't delete file." ] || fail "error box says \"$text\" for $zapfile_args"
  window "Error." click 1  # IDOK
}

rm -rf "$scratch"
mkdir -p "$scratch"

case $case_name in
no-question)
  # With the question turned off, a run deletes the file by itself: a window would wait for
  # an answer that never comes and the run would not end within its bound.
  set_ask 0
  file="$scratch/a b.txt"
  printf secret >"$file"
  status=0
  timeout 20 wine "$zapfile" "$(winpath "$file")" || status=$?
  [ "$status" -eq 0 ] || fail "zapfile.exe ended with $status (124: a window waited)"
  [ ! -e "$file" ] || fail "the file is still there"
  ;;

question)
  wine reg delete 'HKCU\Software\Zapfile' /f >/dev/null 2>&1
  file="$scratch/keep me.txt"
  printf secret >"$file"
  start_zapfile "$(winpath "$file")"
  # Wine quotes a path with a space in the command line; the question shows the line as is.
  text=$(timeout 40 wine "$wintest" Cofirm text 65535 | tr -d '\r') || fail "no question"
  expected=$(printf 'Are you sure you want to delete the file:\n"%s"' "$(winpath "$file")")
  [ "$text" = "$expected" ] || fail "the question says \"$text\""
  window Cofirm click 7  # IDNO
  finish
  [ "$(cat "$file" 2>/dev/null)" = secret ] || fail "No did not leave the file whole"

  start_zapfile "$(winpath "$file")"
  window Cofirm click 6  # IDYES
  finish
  [ ! -e "$file" ] || fail "Yes did not delete the file"

  # The first run made the key, empty: no setting is stored for the user. (Wine lists an
  # empty key as a blank line; its parent lists it by name.)
  listing=$(wine reg query 'HKCU\Software\Zapfile' | tr -d '\r') || fail "reg query found no key"
  ! grep -q bAskUser <<<"$listing" || fail "a setting was stored: $listing"
  listing=$(wine reg query 'HKCU\Software' | tr -d '\r')
  grep -qx 'HKEY_CURRENT_USER\\Software\\Zapfile' <<<"$listing" || fail "key not listed: $listing"
  ;;

refused)
  set_ask 0
  printf precious >"$scratch/target"
  printf 'read-only' >"$scratch/attrib"
  wine cmd /c attrib +r "$(winpath "$scratch/attrib")" || fail "attrib +r"
  printf 'no write bit' >"$scratch/no-write"
  chmod 0444 "$scratch/no-write"
  mkdir "$scratch/folder"
  # Wine shows a symbolic link as the file it points to: it must still not be written through.
  ln -s target "$scratch/link"
  ln -s nowhere "$scratch/dangling"
  # A command line longer than the buffers: refused whole, never shortened.
  deep="$scratch/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
  mkdir -p "$deep"
  printf long >"$deep/long.txt"
  [ ${#deep} -gt 260 ] || fail "the long path is only ${#deep} characters"

  for target in "$scratch/attrib" "$scratch/no-write" "$scratch/folder" "$scratch/link" \
                "$scratch/dangling" "$deep/long.txt"; do
    start_zapfile "$(winpath "$target")"
    expect_error_box
    finish
  done
  for device in NUL CON '\\.\NUL' '\\.\CON'; do
    start_zapfile "$device"
    expect_error_box
    finish
  done

  [ "$(cat "$scratch/attrib")" = read-only ] || fail "the read-only file changed"
  [ "$(cat "$scratch/no-write")" = 'no write bit' ] || fail "the file without a write bit changed"
  [ -d "$scratch/folder" ] || fail "the folder is gone"
  [ -L "$scratch/link" ] && [ "$(cat "$scratch/target")" = precious ] ||
    fail "the link or its target changed"
  [ -L "$scratch/dangling" ] && [ ! -e "$scratch/nowhere" ] ||
    fail "the link to nowhere changed or its target was made"
  [ "$(cat "$deep/long.txt")" = long ] || fail "the file behind the long path changed"
  chmod -R u+w "$scratch"
  ;;

main-window)
  start_zapfile
  window "Ko Zapfile" cancel  # what Escape sends
  finish
  ;;

*)
  echo "e2e: unknown case $case_name" >&2
  exit 2
  ;;
esac

rm -rf "$scratch"
if [ "$failures" -ne 0 ]; then
  echo "$case_name: $failures failure(s)" >&2
  exit 1
fi
echo "$case_name: passed"
