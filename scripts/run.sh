#!/usr/bin/env bash
# Sets everything up, builds and starts the wizard under Wine, passing the arguments through.
# Both programs go into one program folder (build/program), as installed; zeigerwerk.exe is started.
# In the 32-bit prefix it runs itself; with ZW_WINEARCH=win64 the prefix is 64-bit, as most Windows
# machines are, and it hands over to zeigerwerk64.exe.
# Without a display: starts a virtual screen, saves a screenshot after start-up and ends the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
mkdir -p "$top/build/program"
cp "$top/build/win/zeigerwerk.exe" "$top/build/win/Pfeilbau.hlp" "$top/build/win64/zeigerwerk64.exe" "$top/build/program/"
exe="$top/build/program/zeigerwerk.exe"
source "$top/scripts/machine.sh"
# Where no 32-bit program can run, the 64-bit one starts, in a 64-bit prefix.
zw_runs_32bit || { ZW_WINEARCH=win64; exe="$top/build/program/zeigerwerk64.exe"; }
if [ "${ZW_WINEARCH:-win32}" = win64 ]; then
  export WINEPREFIX="$top/build/wineprefix-run64"
else
  export WINEPREFIX="$top/build/wineprefix-run"
fi
source "$top/scripts/wine_env.sh"
source "$top/scripts/virtual_screen.sh"
ensure_wine_prefix

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

cleanup() { wineserver -k 2>/dev/null || true; stop_virtual_screen; }
trap cleanup EXIT
start_virtual_screen

wine explorer /desktop=Vorschau,1024x768 "$exe" "$@" >/dev/null 2>&1 &
# The wizard's caption depends on the start mode; each of them ends in one of these words. At a
# first start the update's reminder comes first.
shown=
for _ in $(seq 300); do
  xdotool search --onlyvisible --name 'Verknüpfung erstellen|angeben|Warnung|Updates installieren|Zeigerwerk \[' >/dev/null 2>&1 &&
    { shown=1; break; }
  sleep 0.2
done
[ -n "$shown" ] || echo "The wizard did not appear within a minute; the screenshot shows what did." >&2
# The window paints right after it is shown; a moment more lets the paint finish for the picture.
sleep 1
shot="$top/build/screenshot.png"
import -window root "$shot"
echo "No display: the wizard ran on a virtual screen. Screenshot after start-up: $shot"
