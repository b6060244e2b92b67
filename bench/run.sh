#!/usr/bin/env bash
# Builds every benchmark without sanitizers and runs it, then prints each ratio again at the end.
# Native benchmarks (bench/*_bench.cpp) are built in <build>/native-bench with ZW_SANITIZERS=OFF
# and run directly; Windows benchmarks (bench/*_winbench.cpp) are built in <build>/win and run
# under 32-bit Wine in a prefix of their own (<build>/win/bench-prefix), inside a virtual screen
# when there is no display. startup_winbench also runs as the x86_64 build (<build>/win64) against
# zeigerwerk64.exe in a 64-bit prefix (<build>/win64/bench-prefix), its minimal window then 64-bit too.
# Where the machine runs no 32-bit program, every Windows benchmark runs as the x86_64 build only.
# <build> is build/ in the repository unless ZW_BUILD_DIR names another.
# Arguments: names of benchmarks to run (default: all), e.g. bench/run.sh startup_winbench.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZW_BUILD_DIR:-$top/build}
jobs=${ZW_JOBS:-$(nproc)}
logs=$build/bench-logs
mkdir -p "$logs"

native=() windows=()
for source in "$top"/bench/*_bench.cpp; do [ -e "$source" ] && native+=("$(basename "$source" .cpp)"); done
for source in "$top"/bench/*_winbench.cpp; do [ -e "$source" ] && windows+=("$(basename "$source" .cpp)"); done
if [ $# -gt 0 ]; then
  wanted=" $* "
  keep() { local n; for n in "$@"; do [[ $wanted == *" $n "* ]] && echo "$n"; done; return 0; }
  mapfile -t native < <(keep "${native[@]}")
  mapfile -t windows < <(keep "${windows[@]}")
  [ $((${#native[@]} + ${#windows[@]})) -eq $# ] || { echo "unknown benchmark among: $*" >&2; exit 2; }
fi

if [ ${#native[@]} -gt 0 ]; then
  echo "== building native benchmarks (no sanitizers) in $build/native-bench"
  cmake -S "$top" -B "$build/native-bench" -DCMAKE_BUILD_TYPE=Release -DZW_SANITIZERS=OFF >/dev/null
  cmake --build "$build/native-bench" -j"$jobs" --target "${native[@]}" >"$logs/native-build.log" 2>&1 ||
    { cat "$logs/native-build.log" >&2; exit 1; }
fi
source "$top/scripts/machine.sh"
windows64=()
if [ ${#windows[@]} -gt 0 ] && ! zw_runs_32bit; then
  windows64=("${windows[@]}") windows=()
elif [[ " ${windows[*]} " == *" startup_winbench "* ]]; then
  windows64=(startup_winbench)
fi
if [ ${#windows[@]} -gt 0 ]; then
  echo "== building Windows benchmarks in $build/win"
  cmake -S "$top" -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build/win" -j"$jobs" --target zeigerwerk "${windows[@]}" >"$logs/win-build.log" 2>&1 ||
    { cat "$logs/win-build.log" >&2; exit 1; }
fi
if [ ${#windows64[@]} -gt 0 ]; then
  echo "== building the 64-bit Windows benchmarks in $build/win64"
  cmake -S "$top" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build/win64" -j"$jobs" --target zeigerwerk "${windows64[@]}" >"$logs/win64-build.log" 2>&1 ||
    { cat "$logs/win64-build.log" >&2; exit 1; }
fi

failed=()
run() {  # name, command...
  local name=$1; shift
  echo "== $name"
  # Wine's own note on the root drive, which has no volume label, is left out of the screen.
  "$@" 2>&1 | tee "$logs/$name.log" | sed '/^wine: Read access denied for device/d' || failed+=("$name")
}

for name in "${native[@]}"; do
  run "$name" "$build/native-bench/$name"
done

# Runs Windows benchmarks (suffix, build folder, Wine architecture, names...) in that build's own
# prefix, inside a virtual screen when there is no display.
run_under_wine() {
  local suffix=$1 dir=$2 arch=$3 name; shift 3
  export WINEPREFIX=$dir/bench-prefix ZW_WINEARCH=$arch
  source "$top/scripts/wine_env.sh"
  if [ -z "${zw_screen_started:-}" ]; then
    source "$top/scripts/virtual_screen.sh"
    cleanup() { wineserver -k 2>/dev/null || true; stop_virtual_screen; }
    trap cleanup EXIT
    start_virtual_screen
    zw_screen_started=1
  fi
  "$top/scripts/wine-test.sh" --init
  for name in "$@"; do
    run "$name$suffix" "$top/scripts/wine-test.sh" "$dir/$name.exe"
  done
  wineserver -k 2>/dev/null || true
}
if [ ${#windows[@]} -gt 0 ]; then run_under_wine "" "$build/win" win32 "${windows[@]}"; fi
if [ ${#windows64[@]} -gt 0 ]; then run_under_wine 64 "$build/win64" win64 "${windows64[@]}"; fi

echo
echo "== ratios"
for name in "${native[@]}" "${windows[@]}" "${windows64[@]/%/64}"; do
  [ -f "$logs/$name.log" ] || continue
  grep -i 'ratio' "$logs/$name.log" | sed "s/^/$name: /" || echo "$name: no ratio printed"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
