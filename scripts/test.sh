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

# Each suite runs once; what fails runs once more. A test that passes only then is a flake: named in
# the last line, its first output kept in build/first-failures.log. A test that fails twice fails.
failures="$top/build/first-failures.log"
: >"$failures"
status=0
flaky=()
run_suite() {  # build folder
  local dir=$1 output="$1/Testing/first-run.log" failed="$1/Testing/Temporary/LastTestsFailed.log"
  local first=() again=() name result=0
  mkdir -p "$dir/Testing"
  # The list of failures is this run's alone: one left from an earlier run would be run again.
  rm -f "$failed"
  ctest --test-dir "$dir" --no-tests=error --output-on-failure -j"$(nproc)" 2>&1 | tee "$output" || result=$?
  [ "$result" -eq 0 ] && return 0
  cat "$output" >>"$failures"
  [ -s "$failed" ] || { echo "== $dir failed without a failed test (nothing ran?)"; status=1; return 0; }
  mapfile -t first < <(cut -d: -f2- "$failed")
  echo "== once more: ${first[*]}"
  if ! ctest --test-dir "$dir" --no-tests=error --output-on-failure --rerun-failed; then
    status=1
    mapfile -t again < <(cut -d: -f2- "$failed")
  fi
  for name in "${first[@]}"; do
    [[ " ${again[*]} " == *" $name "* ]] || flaky+=("$name")
  done
}
run_suite "$top/build/native"
source "$top/scripts/machine.sh"
if zw_runs_32bit; then
  run_suite "$top/build/win"
  run_suite "$top/build/win64"
else
  echo "== This machine runs no 32-bit programs (its kernel's 32-bit support is off): the 32-bit build is"
  echo "== compiled, and every Windows test runs in the 64-bit build and a 64-bit prefix instead."
  run_suite "$top/build/win64"
fi
[ ${#flaky[@]} -eq 0 ] || echo "first failures of the flaky tests: $failures"
echo "flaky: ${#flaky[@]}${flaky:+ (${flaky[*]})}"
exit $status
