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
  local dir=$1 output="$1/Testing/first-run.log" first=() again=() name result=0
  mkdir -p "$dir/Testing"
  ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" 2>&1 | tee "$output" || result=$?
  [ "$result" -eq 0 ] && return 0
  cat "$output" >>"$failures"
  mapfile -t first < <(cut -d: -f2- "$dir/Testing/Temporary/LastTestsFailed.log")
  echo "== once more: ${first[*]}"
  if ! ctest --test-dir "$dir" --output-on-failure --rerun-failed; then
    status=1
    mapfile -t again < <(cut -d: -f2- "$dir/Testing/Temporary/LastTestsFailed.log")
  fi
  for name in "${first[@]}"; do
    [[ " ${again[*]} " == *" $name "* ]] || flaky+=("$name")
  done
}
run_suite "$top/build/native"
run_suite "$top/build/win"
run_suite "$top/build/win64"
[ ${#flaky[@]} -eq 0 ] || echo "first failures of the flaky tests: $failures"
echo "flaky: ${#flaky[@]}${flaky:+ (${flaky[*]})}"
exit $status
