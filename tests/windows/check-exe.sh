#!/usr/bin/env bash
# tests/windows/check-exe.sh
# What zapfile.exe carries, read back from the file: a GUI program that imports only DLLs
# every Windows has, with the three dialogs, the icon at seven sizes in 32-bit colour and the
# application manifest in its resources.
#
#   check-exe.sh EXE OBJDUMP
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: check-exe.sh EXE OBJDUMP" >&2; exit 2; }
exe=$1 objdump=$2 case_name=zapfile.exe scratch=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-exe-XXXXXX")
source "$(dirname "$0")/common.sh"

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
# (icotool reads a PNG image only from a file.)
icon= ico=$scratch/icon.ico
wrestool -x --type=14 --name=103 "$exe" >"$ico" && icon=$(icotool -l "$ico") || fail "no icon 103"
expected=() index=1
for side in 16 24 32 48 64 128 256; do
  expected+=("--icon --index=$((index++)) --width=$side --height=$side --bit-depth=32 --palette-size=0")
done
[ "$icon" = "$(printf '%s\n' "${expected[@]}")" ] || fail "icon 103 holds:"$'\n'"$icon"

# The manifest Windows reads at start (type 24, RT_MANIFEST; name 1), and what it asks for.
# Its lines are joined and its comments dropped, so that each setting is seen whole and only
# where it takes effect.
manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" | tr -s '\n\t ' ' ' |
  sed 's/<!--[^>]*-->//g') || fail "no manifest"
expect() {
  grep -q -- "$2" <<<"$manifest" || fail "the manifest does not ask for $1"
}
windows_settings='xmlns="http://schemas.microsoft.com/SMI'
expect "UTF-8" "<activeCodePage $windows_settings/2019/WindowsSettings\">UTF-8</activeCodePage>"
expect "the common controls 6" '<dependency> <dependentAssembly> <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="\*" publicKeyToken="6595b64144ccf1df" language="\*"/> </dependentAssembly> </dependency>'
expect "per-monitor v2 DPI awareness, else system" "<dpiAwareness $windows_settings/2016/WindowsSettings\">PerMonitorV2, System</dpiAwareness>"
expect "system DPI awareness before 1607" "<dpiAware $windows_settings/2005/WindowsSettings\">true</dpiAware>"
expect "the rights of the user who starts it" '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
for os in 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 35138b9a-5d96-4fbd-8e2d-a2440225f93a; do
  expect "Windows $os" "<supportedOS Id=\"{$os}\"/>"  # 10 and 11, 8.1, 8, 7
done

passed
