#!/usr/bin/env bash
# tests/windows/e2e.sh
# zapfile.exe under Wine on real files, its windows answered from inside Wine by wintest.exe.
# Runs in a Wine world (wine-world.sh run):
#
#   e2e.sh no-question|question|refused|main-window|ie-ext|statics ZAPFILE_EXE WINTEST_EXE SCRATCH_DIR
#
# The world's ANSI code page is 1252 (wine-world.sh): names in other scripts reach the program
# whole only through the UTF-8 code page its manifest asks for.
set -uo pipefail

[ $# -eq 4 ] || { echo "usage: e2e.sh CASE ZAPFILE_EXE WINTEST_EXE SCRATCH_DIR" >&2; exit 2; }
case_name=$1 zapfile=$2 wintest=$3 scratch=$4/$1
source "$(dirname "$0")/common.sh"

# A file name that makes the Windows path DIR\NAME exactly BYTES bytes long: as many
# three-byte characters as fit, then ASCII letters; far fewer characters than bytes. Without
# a blank in DIR, Wine passes the path as the whole tail, unquoted.
name_of_bytes() {
  local room=$(($2 - $(printf '%s\\' "$(winpath "$1")" | wc -c) - 4)) name=  # 4: ".txt"
  while [ "$room" -ge 3 ]; do name+=語 room=$((room - 3)); done
  while [ "$room" -gt 0 ]; do name+=a room=$((room - 1)); done
  printf %s.txt "$name"
}
# Wine's reg writes to a pipe in the OEM code page (437), where these names become '?'; to a
# terminal it writes UTF-8. So it gets one, wide enough for a line not to wrap, and the
# terminal's controls are taken out.
reg_query() {
  SHELL=/bin/bash script -qec "stty cols 2000; wine reg query $(printf '%q ' "$@")" /dev/null </dev/null |
    sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\r//g'
}

case $case_name in
no-question)
  # Each target is zapped without a question; beside it stand names that the ANSI conversion
  # would make the same: other characters where it puts '?', and what its best fit makes of
  # "Σα" (S and a). None of them may be touched. (Wine quotes a path with a blank.)
  wine reg add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 0 /f >/dev/null || fail "reg add"
  # The longest tail taken: 260 bytes, in about 90 characters.
  longest=$(name_of_bytes "$scratch" 260)
  targets=("a b.txt" 日本語の報告.txt Ελληνικά.txt ✓.txt café✓.txt Σα.txt "$longest")
  bystanders=(報告の日本語.txt Ελληνική.txt ✗.txt café✗.txt Sa.txt)
  for name in "${targets[@]}" "${bystanders[@]}"; do printf secret >"$scratch/$name"; done
  # A second name for the first, made on the Unix side: what is left there is the mark alone.
  ln "$scratch/a b.txt" "$scratch/twin"
  for name in "${targets[@]}"; do zap "$zapfile" "$scratch/$name"; done
  printf secret >"$scratch/case.txt"  # asked for in another case
  zap "$zapfile" "$scratch/CASE.TXT"
  [ ! -e "$scratch/case.txt" ] || fail "case.txt asked for as CASE.TXT is still there"
  [ "$(od -An -tx1 "$scratch/twin")" = " ff" ] || fail "the hard link holds $(od -An -tx1 "$scratch/twin")"
  for name in "${bystanders[@]}"; do
    [ "$(cat "$scratch/$name" 2>/dev/null)" = secret ] || fail "$name was touched"
  done
  # A link among the folders above is followed, as the system follows it.
  mkdir "$scratch/real" && printf secret >"$scratch/real/f" && ln -s real "$scratch/up"
  zap "$zapfile" "$scratch/up/f"
  [ ! -e "$scratch/real/f" ] || fail "the file behind a folder link is still there"
  # Held open by another program that does not let it be deleted: emptied and marked, and
  # the failed removal shown.
  printf secret >"$scratch/held"
  wine "$wintest" "$(winpath "$scratch/held")" hold 10 >"$scratch.hold" &
  holder=$!
  for _ in $(seq 100); do grep -q held "$scratch.hold" && break; sleep 0.1; done
  start "$zapfile" "$(winpath "$scratch/held")"
  error_box "a file held open"
  finish
  [ "$(od -An -tx1 "$scratch/held")" = " ff" ] || fail "the held file holds $(od -An -tx1 "$scratch/held")"
  wait "$holder"
  rm -f "$scratch.hold"
  ;;

question)
  wine reg delete 'HKCU\Software\Zapfile' /f >/dev/null 2>&1
  file="$scratch/keep me ✓ 日本語.txt"
  printf secret >"$file"
  for answer in 7 6; do  # IDNO, then IDYES
    start "$zapfile" "$(winpath "$file")"
    text=$(window_text Cofirm) || fail "no question"
    expected=$(printf 'Are you sure you want to delete the file:\n"%s"' "$(winpath "$file")")
    [ "$text" = "$expected" ] || fail "the question says \"$text\""
    window Cofirm click $answer
    finish
    [ "$answer" = 6 ] || [ "$(cat "$file" 2>/dev/null)" = secret ] || fail "No did not leave the file whole"
  done
  [ ! -e "$file" ] || fail "Yes did not delete the file"
  # The first run made the key, and stored no setting in it.
  listing=$(wine reg query 'HKCU\Software\Zapfile' | tr -d '\r') || fail "the key was not made"
  ! grep -q bAskUser <<<"$listing" || fail "a setting was stored: $listing"
  ;;

refused)
  wine reg add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 0 /f >/dev/null || fail "reg add"
  printf precious >"$scratch/target"
  printf 'no write bit' >"$scratch/read-only"
  chmod 0444 "$scratch/read-only"
  mkdir "$scratch/folder"
  # Wine shows a symbolic link as the file it points to: it must still not be written through.
  ln -s target "$scratch/link"
  ln -s nowhere "$scratch/dangling"
  # A link named as its target in another folder, and a link to a link.
  mkdir "$scratch/d1" "$scratch/d2" "$scratch/a" "$scratch/b"
  printf precious >"$scratch/d2/f" && ln -s ../d2/f "$scratch/d1/f"
  # Its target's name again, in a folder whose name differs in case alone (Wine tells them
  # apart, as Linux does).
  mkdir "$scratch/D1" && printf precious >"$scratch/D1/g" && ln -s ../D1/g "$scratch/d1/g"
  ln -s ../target "$scratch/b/target" && ln -s ../b/target "$scratch/a/target"
  # A link named like its target but for case, beside it; hidden and system files.
  mkdir "$scratch/c" && printf precious >"$scratch/c/f" && ln -s f "$scratch/c/F"
  printf hidden >"$scratch/hidden" && printf system >"$scratch/system"
  wine attrib +h "$(winpath "$scratch/hidden")" && wine attrib +s "$(winpath "$scratch/system")" ||
    fail "attrib"
  deep="$scratch/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
  mkdir -p "$deep"
  printf long >"$deep/long.txt"  # longer than the buffers: refused whole, never shortened
  # 261 bytes in about 90 characters: refused too. Cut to 260 it would name the file beside.
  over=$(name_of_bytes "$scratch" 261)
  printf long >"$scratch/$over"
  printf bystander >"$scratch/${over%t}"
  # In a folder with a blank, the path is passed quoted: 259 bytes and its quotes are 261.
  mkdir "$scratch/a blank"
  quoted=$(name_of_bytes "$scratch/a blank" 259)
  printf long >"$scratch/a blank/$quoted"
  snapshot() { (cd "$scratch" && find . -printf '%p %y %l %m %s\n' | sort && find . -type f -exec md5sum {} + | sort); }
  before=$(snapshot)
  for target in read-only folder link dangling d1/f a/target d1/g "${deep#"$scratch/"}/long.txt" \
                "$over" "a blank/$quoted" c/F hidden system NUL CON '\\.\NUL' '\\.\CON'; do
    [[ "$target" =~ ^(NUL|CON|\\.*)$ ]] || target=$(winpath "$scratch/$target")
    start "$zapfile" "$target"
    # The line, then the system's words for why: Wine's for a read-only file, the first.
    error_box "$target"
    [ "$target" != "$(winpath "$scratch/read-only")" ] || [ "$reason" = "Access denied." ] ||
      fail "the read-only file's error says \"$reason\""
    finish
  done
  [ "$(snapshot)" = "$before" ] || fail "files changed: $(diff <(echo "$before") <(snapshot))"
  ;;

main-window)
  # "..." opens Wine's "Open" dialog; the name put into it lands in the field, "Delete!" zaps
  # it, the window stays, and Escape closes it.
  file="$scratch/日本語の報告.txt"
  printf secret >"$file"
  start "$zapfile"
  window "Ko Zapfile" press 1001
  window Open set 0x47C "$(winpath "$file")"  # cmb13, the file-name box
  window Open click 1  # IDOK
  field=$(window_text "Ko Zapfile" 1002)
  [ "$field" = "$(winpath "$file")" ] || fail "the field says \"$field\""
  window "Ko Zapfile" press 1003
  for _ in $(seq 50); do [ -e "$file" ] || break; sleep 0.1; done
  [ ! -e "$file" ] || fail "Delete! left the chosen file"
  # A path of 261 bytes, though of fewer characters than the system would take, is refused.
  over=$(name_of_bytes "$scratch" 261)
  printf long >"$scratch/$over"
  window "Ko Zapfile" set 1002 "$(winpath "$scratch/$over")"
  window "Ko Zapfile" press 1003
  error_box "261 bytes in the field"
  [ "$(cat "$scratch/$over")" = long ] || fail "Delete! took a path of 261 bytes"
  window "Ko Zapfile" cancel
  finish
  ;;

ie-ext)
  # "Register" puts the entry under every file and under the program's own class, read back
  # with Wine's own reg; "Unregister" takes it away. The program runs from a folder whose
  # name is in no ANSI code page, so its path reaches the registry only in UTF-8.
  wine reg delete 'HKCR\*\shell\Zapfile' /f >/dev/null 2>&1
  wine reg delete 'HKCR\Zapfile' /f >/dev/null 2>&1
  program="$scratch/Zäpf ✓ 日本語/zapfile.exe"
  mkdir -p "${program%/*}" && cp "$zapfile" "$program" || fail "cannot copy the program"
  zapfile=$program
  start "$zapfile"
  window "Ko Zapfile" press 1004
  for button in 1001:Register 1003:Unregister; do
    window "Ie Ext" press "${button%:*}"
    caption="Ie Ext ${button#*:}."
    text=$(window_text "$caption") || fail "no box after ${button#*:}"
    [ "$text" = "Ie Ext ${button#*:} Successful." ] || fail "${button#*:}'s box says \"$text\""
    window "$caption" click 1
    for key in 'HKCR\*\shell\Zapfile\command' 'HKCR\Zapfile\shell\Zapfile\command'; do
      value=$(reg_query "$key" /ve 2>&1 | grep REG_)
      expected="    (Default)    REG_SZ    \"$(winpath "$zapfile")\" \"%1\""
      [ "${button#*:}" = Register ] || expected=
      [ "$value" = "$expected" ] || fail "after ${button#*:}, $key holds \"$value\""
    done
  done
  wine reg query 'HKCR\Zapfile' >/dev/null 2>&1 && fail "HKCR\\Zapfile is still there"
  window "Ie Ext" click 1  # OK
  window "Ko Zapfile" cancel
  finish
  ;;

statics)
  # Every static of the three dialogs shows its whole text, at 96 and at 120 DPI.
  for dpi in 96 120; do
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
    start "$zapfile"
    window "Ko Zapfile" fits
    for dialog in 1004:"Ie Ext" 1005:"About Zapfile"; do
      window "Ko Zapfile" press "${dialog%%:*}"
      window "${dialog#*:}" fits
      window "${dialog#*:}" cancel
    done
    window "Ko Zapfile" cancel
    finish
  done
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null
  ;;

*)
  echo "e2e: unknown case $case_name" >&2
  exit 2
  ;;
esac

passed
