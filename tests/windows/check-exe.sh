#!/usr/bin/env bash
# tests/windows/check-exe.sh
# What zapfile.exe carries, read back from the file: a GUI program that imports only DLLs
# every Windows has, with the three dialogs and the 32 x 32, 16-colour icon in its resources.
#
#   check-exe.sh EXE OBJDUMP
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: check-exe.sh EXE OBJDUMP" >&2; exit 2; }
exe=$1 objdump=$2

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

headers=$("$objdump" -p "$exe") || fail "objdump cannot read $exe"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$dlls" ] || fail "no imported DLL found"
for dll in $dlls; do
  grep -Eqix '(kernel32|user32|advapi32|comdlg32|shell32|gdi32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll' \
    <<<"$dll" || fail "imports $dll, which is not part of Windows"
done

resources=$(wrestool -l "$exe") || fail "wrestool cannot read $exe"
for dialog in 101 102 105; do
  grep -q -- "--type=5 --name=$dialog " <<<"$resources" || fail "no dialog $dialog"
done
icon=$(wrestool -x --type=14 --name=103 "$exe" | icotool -l -) || fail "no icon 103"
[ "$icon" = "--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16" ] ||
  fail "icon 103 is not one 32 x 32 image in 16 colours"

[ "$failures" -eq 0 ] || exit 1
echo "zapfile.exe: passed"
