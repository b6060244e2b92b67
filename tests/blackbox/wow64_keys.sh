#!/usr/bin/env bash
# Both programs in a 64-bit prefix, as on 64-bit Windows, driven with keystrokes. A file that only
# the real System32 holds is the target. First with both programs in the folder (the 32-bit one
# hands over to the 64-bit one), then with the 32-bit one alone: the target is accepted from the
# command line and typed, a missing one is refused, the link stores System32 (lnkinfo), a link the
# 64-bit program made is finished unchanged with /E, a NoUpdate written in the 64-bit registry view
# keeps the reminder away, a value in the 32-bit view is taken over, and the verbs name the
# program that ran.
set -euo pipefail
program32=${1:?path of zeigerwerk.exe}
program64=${2:?path of zeigerwerk64.exe}
work=${3:?a scratch folder}
top=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$work/wineprefix-wow64" ZW_WINEARCH=win64
source "$top/scripts/wine_env.sh"
run_as_test_user "$work" -- "$0" "$@"
source "$top/scripts/virtual_screen.sh"
ensure_test_prefix
cleanup() { wineserver -k 2>/dev/null || true; stop_virtual_screen; }
trap cleanup EXIT
start_virtual_screen --own

source "$top/tests/blackbox/keystrokes.sh"
start() { wine explorer /desktop=Wow64,1024x768 "$@" </dev/null >/dev/null 2>&1 & }
# Ends the program and its desktop where a scenario has shown what it needs.
end_all() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }

registry() {  # view (32/64), key, value: the value's data, empty when missing
  wine reg query "$2" /v "$3" "/reg:$1" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$3 *REG_[A-Z_]* *//p"
}
has_value() { wine reg query "$2" /v "$3" "/reg:$1" </dev/null >/dev/null 2>&1; }

drive_c="$WINEPREFIX/drive_c"
folder="$drive_c/Zeigerwerk"
mkdir -p "$folder"
cp "$program32" "$program64" "$folder/"
cp "$drive_c/windows/system32/notepad.exe" "$drive_c/windows/system32/zwnur64.exe"
rm -f "$drive_c/windows/syswow64/zwnur64.exe"
exe='C:\Zeigerwerk\zeigerwerk.exe'
target='C:\windows\system32\zwnur64.exe'
desktop_link() { find -L "$drive_c/users" -path '*Desktop*' -iname 'zwnur64.lnk' 2>/dev/null | head -n 1; }
link_says() { local link; link=$(desktop_link); [ -n "$link" ] && lnkinfo "$link" 2>/dev/null | grep -q "$1"; }
# The prefix stays for the next run: start from no link and no settings.
rm -f "$(desktop_link)" 2>/dev/null || true
kept_fields() {  # the fields an unchanged edit must keep (not link_fields: a failure calls that one without a link)
  lnkinfo "$1" | grep -E 'Local path|Working directory|Description|Command line arguments|Icon location|Relative path'
}
stored_path_ok() {
  local info; info=$(lnkinfo "$1")
  grep -qi 'Local path.*windows\\system32\\zwnur64.exe' <<<"$info" || fail "target not System32 in: $info"
  ! grep -qi -E 'sysnative|syswow64' <<<"$info" || fail "alias stored in: $info"
}
settings='HKLM\Software\DZ\Zeigerwerk'
verb='HKCR\*\shell\Link\command'
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pfeilbau'

for view in 32 64; do wine reg delete 'HKLM\Software\DZ' /f "/reg:$view" </dev/null >/dev/null 2>&1 || true; done
# Written as an administrator's 64-bit tools write it: both programs must honour it.
wine reg add "$settings" /v NoUpdate /t REG_SZ /d '' /f /reg:64 </dev/null >/dev/null 2>&1
has_value 32 "$settings" NoUpdate && fail "the 32-bit view must not hold NoUpdate for this test"

# Walks a target accepted on the first page through the wizard to a written link.
finish_link() {  # description
  wait_for_window 'Verknüpfungsdatei angeben'
  key Return
  wait_for_window 'Beschreibung angeben'
  key ctrl+a
  type_text "$1"
  key Return
  wait_for_window 'Symboldatei angeben'
  key Return
  wait_until "no link on the desktop that says '$1'" link_says "$1"
  key Escape                         # "Nein": no further link
  wait_gone 'Symboldatei angeben'
  wineserver -w
}
first_page() {
  wait_for_window 'Verknüpfung erstellen'
  window_gone 'Updates installieren' || fail "the update reminder came despite NoUpdate"
}
# Typing: a missing file is refused with the warning, then the given one is accepted.
typed_target() {  # text to type
  first_page
  type_text 'C:\windows\system32\zwfehlt.exe'
  key Return
  wait_for_window 'Warnung'
  window_gone 'Verknüpfungsdatei angeben' || fail "a missing target was accepted"
  key Return
  wait_gone 'Warnung'
  key ctrl+a
  type_text "$1"
  key Return
}

echo "== both programs in the folder"
start "$exe" "$target"
first_page
key Return
finish_link 'Beide Programme'
link=$(desktop_link)
[ -n "$link" ] || fail "no zwnur64.lnk on the desktop"
stored_path_ok "$link"
[[ $(wine reg query "$verb" /reg:64 </dev/null 2>/dev/null) == *zeigerwerk64.exe* ]] || fail "the verbs do not name zeigerwerk64.exe"
[[ $(registry 64 "$uninstall" UninstallString) == *zeigerwerk64.exe* ]] || fail "the uninstall entry does not name zeigerwerk64.exe"
[[ $(registry 64 "$settings" ApplicationFileName) == *zeigerwerk64.exe* ]] || fail "ApplicationFileName not in the 64-bit view"
has_value 32 "$settings" ApplicationFileName && fail "a setting landed in the 32-bit view"
echo "command line: accepted, link stores System32, verbs name zeigerwerk64.exe"

start "$exe"
typed_target "$target"
wait_for_window 'Verknüpfungsdatei angeben'
end_all
echo "typed: missing refused, System32 file accepted"

# The 64-bit program starts in the folder the 32-bit one was started in: a name without a folder
# is found there.
start cmd /c "cd /d C:\windows\system32 && $exe zwnur64.exe"
first_page
key Return
wait_for_window 'Verknüpfungsdatei angeben'
end_all
echo "same current folder: a bare name in System32 accepted"

echo "== the 32-bit program alone"
rm "$folder/zeigerwerk64.exe"
# Left in the 32-bit view by an earlier 32-bit program: taken over at the next start.
wine reg add "$settings" /v UpdateInterval /t REG_DWORD /d 9 /f /reg:32 </dev/null >/dev/null 2>&1
before=$(kept_fields "$link")
written=$(stat -c %y "$link")
rewritten() { [ "$(stat -c %y "$link" 2>/dev/null)" != "$written" ]; }
start "$exe" /E "$(winepath -w "$link")"
first_page
key Return
wait_for_window 'Verknüpfungsdatei angeben'
key Return
wait_for_window 'Beschreibung angeben'
key Return
wait_for_window 'Symboldatei angeben'
key Return
wait_until "the link was not written again" rewritten
key Escape
wait_gone 'Symboldatei angeben'
wineserver -w
after=$(kept_fields "$link")
[ "$before" = "$after" ] || fail "the 64-bit program's link changed: before: $before after: $after"
[[ $(wine reg query "$verb" /reg:64 </dev/null 2>/dev/null) == *'Zeigerwerk\zeigerwerk.exe'* ]] || fail "the verbs do not name the 32-bit program"
[[ $(registry 64 "$settings" UpdateInterval) == 0x9 ]] || fail "UpdateInterval was not taken over into the 64-bit view"
has_value 32 "$settings" UpdateInterval && fail "UpdateInterval is still in the 32-bit view"
echo "/E: the 64-bit program's link finished unchanged; 32-bit setting taken over"

rm -f "$link"
start "$exe"
typed_target 'C:\windows\Sysnative\zwnur64.exe'
finish_link 'Allein getippt'
link=$(desktop_link)
[ -n "$link" ] || fail "no zwnur64.lnk on the desktop"
stored_path_ok "$link"
echo "typed: missing refused, Sysnative accepted and stored as System32"

start "$exe" "$target"
first_page
key Return
wait_for_window 'Verknüpfungsdatei angeben'
end_all
echo "command line: accepted"
echo "PASSED"
