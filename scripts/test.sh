#!/usr/bin/env bash
# Sets everything up, builds all three builds and runs every test: native, then under 32-bit Wine,
# then the 64-bit program's tests and both programs together in a 64-bit prefix.
set -euo pipefail
# Wine names files in the Unix locale's charset: umlauts and CJK need a UTF-8 one.
export LC_ALL=C.UTF-8
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" all

# One virtual screen for every windowed test (the black-box test starts a screen of its own).
source "$top/scripts/virtual_screen.sh"
trap stop_virtual_screen EXIT
start_virtual_screen

status=0
ctest --test-dir "$top/build/native" --output-on-failure -j"$(nproc)" || status=1
# A Windows test that fails is run once more (its first output stays in the log): two of them,
# the update dialog's keyboard walk and the black-box typing, have each failed once on a loaded
# machine and passed on every rerun; a real fault fails twice.
ctest --test-dir "$top/build/win" --output-on-failure -j"$(nproc)" --repeat until-pass:2 || status=1
ctest --test-dir "$top/build/win64" --output-on-failure -j"$(nproc)" --repeat until-pass:2 || status=1
exit $status
