#!/usr/bin/env bash
# Drives the real program with keystrokes only, on a screen of its own, and checks the links it
# writes with lnkinfo: a start with a target whose path holds a blank, Enter through every page;
# then an /E start that changes the description and replaces the link.
set -euo pipefail
export LC_ALL=C.UTF-8  # Wine names files in the Unix locale's charset
program=${1:?path of zeigerwerk.exe}
work=${2:?a scratch folder}
export WINEPREFIX="$work/wineprefix-blackbox" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$WINEPREFIX-home"
mkdir -p "$HOME/Desktop"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1

display=:$((300 + RANDOM % 300))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() { wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

fail() { echo "FAILED: $*" >&2; import -window root "$work/blackbox-failure.png" 2>/dev/null || true; exit 1; }

wait_for_window() {
  for _ in $(seq 150); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "no window named '$1'"
}

wait_gone() {
  for _ in $(seq 100); do
    xdotool search --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "window '$1' did not close"
}

key() { xdotool key --delay 80 "$@"; sleep 0.8; }

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Programme Test"
cp "$drive_c/windows/system32/notepad.exe" "$drive_c/Programme Test/werkzeug.exe"
desktop_link() { find -L "$drive_c/users" -path '*Desktop*' -name 'werkzeug.lnk' 2>/dev/null | head -n 1; }
rm -f "$(desktop_link)" 2>/dev/null || true

# The update's reminder comes first at a first start; this script drives the wizard alone.
wine reg add 'HKLM\Software\DZ\Zeigerwerk' /v NoUpdate /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1

# 1. A bare path with a blank, Enter through every page, Esc answers "Nein" on the closing page.
wine explorer /desktop=Schwarz,1024x768 "$program" 'C:\Programme Test\werkzeug.exe' </dev/null >/dev/null 2>&1 &
wait_for_window 'Verknüpfung erstellen'
sleep 1
key Return                         # target accepted
wait_for_window 'Verknüpfungsdatei angeben'
key Return                         # desktop and proposed name accepted
wait_for_window 'Beschreibung angeben'
xdotool type --delay 40 'Werkzeug für Prüfungen'
sleep 0.5
key Return                         # icon page
wait_for_window 'Symboldatei angeben'
key Return                         # writes the link
sleep 1
key Escape                         # "Nein": no further link
wait_gone 'Symboldatei angeben'
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
wine explorer /desktop=Schwarz,1024x768 "$program" /E "$windows_link" </dev/null >/dev/null 2>&1 &
wait_for_window 'Verknüpfung erstellen'
sleep 1
key Return
wait_for_window 'Verknüpfungsdatei angeben'
key Return
wait_for_window 'Beschreibung angeben'
key ctrl+a
xdotool type --delay 40 'Geänderte Beschreibung'
sleep 0.5
key Return
wait_for_window 'Symboldatei angeben'
key Return
sleep 1
key Escape
wait_gone 'Symboldatei angeben'
wineserver -w

info=$(lnkinfo "$link")
grep -q 'Description.*Geänderte Beschreibung' <<<"$info" || fail "edited description not in: $info"
count=$(find "$(dirname "$link")/" -maxdepth 1 -name 'werkzeug*' | wc -l)
[ "$count" -eq 1 ] || fail "expected one link, found $count"
echo "edited: $link"
echo "PASSED"
