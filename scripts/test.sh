#!/usr/bin/env bash
# Sets everything up, builds both builds and runs every test: native, then under Wine.
set -euo pipefail
# Wine names files in the Unix locale's charset: umlauts and CJK need a UTF-8 one.
export LC_ALL=C.UTF-8
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" all

# One virtual screen for every windowed test.
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $display" >&2; exit 1; }
fi

status=0
ctest --test-dir "$top/build/native" --output-on-failure -j"$(nproc)" || status=1
ctest --test-dir "$top/build/win" --output-on-failure -j"$(nproc)" || status=1
exit $status
