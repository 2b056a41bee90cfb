#!/usr/bin/env bash
# tests/windows/packages.sh
# The Windows user's download under Wine: the installer installed, used, upgraded to and
# removed with msiexec as a user would (quietly), and the zip's program started. Runs in a
# Wine world (wine-world.sh run):
#
#   packages.sh install|upgrade|zip MSI OLDER_MSI ZIP WINTEST_EXE SCRATCH_DIR
#
# (Wine writes "Ie Ext"'s HKEY_CLASSES_ROOT keys to HKEY_LOCAL_MACHINE\Software\Classes; the
# uninstall looks below HKEY_CURRENT_USER\Software\Classes too, where Windows may put them.)
set -uo pipefail

[ $# -eq 6 ] || { echo "usage: packages.sh CASE MSI OLDER_MSI ZIP WINTEST_EXE SCRATCH_DIR" >&2; exit 2; }
case_name=$1 msi=$2 older=$3 zip=$4 wintest=$5 scratch=$6/packages-$1
source "$(dirname "$0")/common.sh"

expand() { wine cmd /c "echo $1" | tr -d '\r'; }  # a Windows variable such as %APPDATA%
unix() { wine winepath -u "$1" | tr -d '\r'; }
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
msiexec() {  # msiexec /i or /x PACKAGE, quietly, bounded (Wine's first start is slow)
  timeout 120 wine msiexec "$1" "$(winpath "$2")" /qn || fail "msiexec $1 $(basename "$2") ended with $?"
}
folder=$(expand '%LOCALAPPDATA%')'\Programs\Zapfile'
unix_folder=$(unix "$folder")
shortcut="$(unix "$(expand '%APPDATA%')")/Microsoft/Windows/Start Menu/Programs/Ko Zapfile.lnk"
command="\"$folder\\zapfile.exe\" \"%1\""
# The installed-programs entries named "Ko Zapfile", one line each: version|publisher|location.
entries() {
  for root in HKCU HKLM; do query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s; done |
    awk -F '    ' '/^HKEY_/ { key = $0 } NF == 4 { value[key, $2] = $4 }
      NF == 4 && $2 == "DisplayName" && $4 == "Ko Zapfile" { keys[key] = 1 }
      END { for (k in keys) print value[k, "DisplayVersion"] "|" value[k, "Publisher"] "|" value[k, "InstallLocation"] }'
}
verb() { query "HKCR\\$1\\shell\\Zapfile\\command" /ve | sed -n 's/^    (Default)    REG_SZ    //p'; }
# What a run that failed half-way, or the other tests, may have left: the setting too, so that
# the program asks at first.
for package in "$msi" "$older"; do wine msiexec /x "$(winpath "$package")" /qn >/dev/null 2>&1; done
for key in 'HKCR\*\shell\Zapfile' 'HKCR\Zapfile' 'HKCU\Software\Classes\*\shell\Zapfile' \
           'HKCU\Software\Zapfile'; do wine reg delete "$key" /f >/dev/null 2>&1; done
version=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')

case $case_name in
install)
  # For this user alone: Windows would not ask for an administrator (source flags 8 and 2).
  msiinfo suminfo "$msi" | grep -qx 'Source: 10 (a)' || fail "not a per-user package: $(msiinfo suminfo "$msi")"
  msiexec /i "$msi"
  [ "$(ls "$unix_folder" 2>&1 | tr '\n' ' ')" = "LICENSE.txt README.txt zapfile.exe " ] ||
    fail "installed: $(ls "$unix_folder" 2>&1)"
  [ "$(entries)" = "$version|Zapfile developers|$folder\\" ] || fail "installed-programs entries: $(entries)"
  # The shortcut starts the installed program, with the product's icon.
  code=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
  icon=$(expand '%APPDATA%')"\\Microsoft\\Installer\\$code\\zapfile.ico"
  links=$({ strings -a "$shortcut" && strings -a -el "$shortcut"; } 2>&1)  # ANSI and UTF-16 fields
  grep -qxF "$folder\\zapfile.exe" <<<"$links" || fail "the shortcut's target: $links"
  grep -qF "$icon" <<<"$links" || fail "the shortcut's icon: $links"
  icotool -l "$(unix "$icon")" >/dev/null || fail "no icon at $icon"
  # Started from the menu, the program registers its entry, to delete without asking.
  start start /wait /unix "$shortcut"
  window "Ko Zapfile" press 1004
  window "Ie Ext" press 1010
  window "Ie Ext" press 1001
  [ "$(window_text "Ie Ext Register.")" = "Ie Ext Register Successful." ] || fail "Register failed"
  window "Ie Ext Register." click 1
  window "Ie Ext" click 1
  window "Ko Zapfile" cancel
  finish
  for class in '*' Zapfile; do [ "$(verb "$class")" = "$command" ] || fail "$class's entry: $(verb "$class")"; done
  printf secret >"$scratch/victim"
  zap "$unix_folder/zapfile.exe" "$scratch/victim"
  # An entry of a copy beside the installed program, which the uninstall leaves, stays.
  other="\"$folder\\zapfile.exe.old\" \"%1\""
  wine reg add 'HKCU\Software\Classes\*\shell\Zapfile\command' /ve /d "$other" /f >/dev/null
  msiexec /x "$msi"
  [ ! -e "$unix_folder" ] || fail "left behind: $(ls "$unix_folder")"
  [ ! -e "$shortcut" ] || fail "the shortcut is still there"
  [ -z "$(entries)" ] || fail "installed-programs entries left: $(entries)"
  query 'HKCR\*\shell\Zapfile' >/dev/null && fail "the entry for every file is still there"
  query 'HKCR\Zapfile' >/dev/null && fail "the class Zapfile is still there"
  query 'HKCU\Software\Classes\*\shell\Zapfile\command' /ve | grep -qF "$other" || fail "another copy's entry went"
  query 'HKCU\Software\Zapfile' /v bAskUser | grep -q 'REG_SZ    0$' || fail "the setting went"
  ;;

upgrade)
  # Installing this version over an older one leaves one installation, and the entry that the
  # older one registered stays, as it starts the same path. The entry is the user's own, where
  # Windows puts it when the user may not write the machine's.
  msiexec /i "$older"
  [[ "$(entries)" =~ ^[0-9.]+\| && "$(entries)" != "$version|"* ]] || fail "the older package: $(entries)"
  user_entry='HKCU\Software\Classes\*\shell\Zapfile'
  wine reg add "$user_entry\command" /ve /d "$command" /f >/dev/null
  msiexec /i "$msi"
  [ "$(entries)" = "$version|Zapfile developers|$folder\\" ] || fail "after the upgrade: $(entries)"
  [ -f "$unix_folder/zapfile.exe" ] || fail "no program after the upgrade"
  query "$user_entry\command" /ve | grep -qF "$command" || fail "the upgrade took the entry away"
  # The program deleted by hand, its entry still goes with the rest.
  rm -f "$unix_folder/zapfile.exe"
  msiexec /x "$msi"
  [ -z "$(entries)" ] || fail "installed-programs entries left: $(entries)"
  query "$user_entry" >/dev/null && fail "the entry is still there"
  [ ! -e "$unix_folder" ] || fail "left behind: $(ls "$unix_folder")"
  ;;

zip)
  name=$(basename "$zip" .zip)
  listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
  [ "$listing" = "$name/ $name/LICENSE.txt $name/README.txt $name/zapfile.exe " ] || fail "the zip holds $listing"
  # Unzipped anywhere, it runs.
  unzip -q "$zip" -d "$scratch/any where" || fail "cannot unzip"
  wine reg add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 0 /f >/dev/null
  printf secret >"$scratch/victim"
  zap "$scratch/any where/$name/zapfile.exe" "$scratch/victim"
  ;;

*)
  echo "packages: unknown case $case_name" >&2
  exit 2
  ;;
esac

passed
