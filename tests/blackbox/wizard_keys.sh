#!/usr/bin/env bash
# Drives the real program with keystrokes only, on a screen of its own, and checks the links it
# writes with lnkinfo: a start with a target whose path holds a blank, Enter through every page;
# then an /E start that changes the description and replaces the link.
set -euo pipefail
program=${1:?path of zeigerwerk.exe}
work=${2:?a scratch folder}
top=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$work/wineprefix-blackbox"
source "$top/scripts/wine_env.sh"
run_as_test_user "$work" -- "$0" "$@"
source "$top/scripts/virtual_screen.sh"
ensure_test_prefix
cleanup() { wineserver -k 2>/dev/null || true; stop_virtual_screen; }
trap cleanup EXIT
# Keystrokes go to whatever has the focus on the screen: no other test's window may be there.
start_virtual_screen --own

# A failure also shows what the desktop link says, if there is one: a description typed wrong shows there.
link_fields() { declare -F desktop_link >/dev/null || return 0; local link; link=$(desktop_link); [ -n "$link" ] && lnkinfo "$link" 2>/dev/null | grep -i -E 'description|path' || true; }
source "$top/tests/blackbox/keystrokes.sh"
map_umlauts
link_says() { local link; link=$(desktop_link); [ -n "$link" ] && lnkinfo "$link" 2>/dev/null | grep -q "$1"; }
wait_for_link() { wait_until "no link on the desktop that says '$1'" link_says "$1"; }

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Programme Test"
cp "$drive_c/windows/system32/notepad.exe" "$drive_c/Programme Test/werkzeug.exe"
desktop_link() { find -L "$drive_c/users" -path '*Desktop*' -name 'werkzeug.lnk' 2>/dev/null | head -n 1; }
rm -f "$(desktop_link)" 2>/dev/null || true

# The update's reminder comes first at a first start; this script drives the wizard alone.
wine reg add 'HKLM\Software\DZ\Zeigerwerk' /v NoUpdate /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1
use_desktop Schwarz

# 1. A bare path with a blank, Enter through every page, Esc answers "Nein" on the closing page.
start_program "$program" 'C:\Programme Test\werkzeug.exe'
wait_for_window 'Verknüpfung erstellen'
key Return                         # target accepted
wait_for_window 'Verknüpfungsdatei angeben'
key Return                         # desktop and proposed name accepted
wait_for_window 'Beschreibung angeben'
type_text 'Werkzeug für Prüfungen'
key Return                         # icon page
wait_for_window 'Symboldatei angeben'
key Return                         # writes the link
wait_for_link 'Werkzeug für Prüfungen'
key Escape                         # "Nein": no further link
wait_gone 'Symboldatei angeben'
program_ended
wineserver -w

link=$(desktop_link)
[ -n "$link" ] || fail "no werkzeug.lnk on the desktop"
info=$(lnkinfo "$link")
grep -q 'Programme Test\\werkzeug.exe' <<<"$info" || fail "target not in: $info"
grep -q 'Description.*Werkzeug für Prüfungen' <<<"$info" || fail "description not in: $info"
grep -q 'Working directory.*Programme Test' <<<"$info" || fail "working folder not in: $info"
echo "created: $link"

# 2. /E: change the description and replace the link (no overwrite question: the old one goes first).
windows_link=$(winepath -w "$link")
start_program "$program" /E "$windows_link"
wait_for_window 'Verknüpfung erstellen'
key Return
wait_for_window 'Verknüpfungsdatei angeben'
key Return
wait_for_window 'Beschreibung angeben'
key ctrl+a
type_text 'Geänderte Beschreibung'
key Return
wait_for_window 'Symboldatei angeben'
key Return
wait_for_link 'Geänderte Beschreibung'
key Escape
wait_gone 'Symboldatei angeben'
program_ended
wineserver -w

info=$(lnkinfo "$link")
grep -q 'Description.*Geänderte Beschreibung' <<<"$info" || fail "edited description not in: $info"
count=$(find "$(dirname "$link")/" -maxdepth 1 -name 'werkzeug*' | wc -l)
[ "$count" -eq 1 ] || fail "expected one link, found $count"
echo "edited: $link"
echo "PASSED"
