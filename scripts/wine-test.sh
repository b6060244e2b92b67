#!/usr/bin/env bash
# Runs one Windows test program under Wine in the build folder's own prefix (32-bit, or 64-bit with
# ZW_WINEARCH=win64).
# "--init" creates the prefix. Without a display the program runs inside a virtual screen.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine_env.sh"
run_as_test_user -- "$0" "$@"
source "$top/scripts/virtual_screen.sh"
log=
cleanup() { [ -z "$log" ] || rm -f "$log"; stop_virtual_screen; }
trap cleanup EXIT
start_virtual_screen

if [ "${1:-}" = --init ]; then
  # A server started here, detached from ctest's pipes, serves every test; otherwise the first
  # test's output pipe stays open until the last test is over. It ends a minute after its last
  # program ("-p 60" would be read as "never": the number must follow without a space).
  wineserver -p60 </dev/null >/dev/null 2>&1 || true  # fails harmlessly when one runs already
  ensure_test_prefix
  exit 0
fi
if [ "${1:-}" = --dpi ]; then
  # The scale a test runs at: Wine reads the prefix's LogPixels when a program starts.
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$2" /f </dev/null >/dev/null 2>&1
  done
  shift 2
fi
# Output goes through a file: processes Wine starts on the side (explorer, services) inherit it
# and would otherwise hold ctest's pipe open until they end. It is shown as it comes, so a test
# ended at its time-out shows how far it got.
log=$(mktemp)
status=0
wine "$@" </dev/null >"$log" 2>&1 &
program=$!
tail -n +1 -f --pid="$program" "$log" &
wait "$program" || status=$?
wait
exit $status
