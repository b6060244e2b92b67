#!/usr/bin/env bash
# Builds the Windows programs: zeigerwerk.exe (32-bit, build/win) and zeigerwerk64.exe (x86_64,
# build/win64). With "all" also every test program: build/win under Wine, in build/win64 the
# tests that run in a 64-bit prefix, build/native with clang under the sanitizers, with the fuzzers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$top" -B "$top/build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
# Where no 32-bit program can run, the 64-bit build carries every Windows test.
source "$top/scripts/machine.sh"
every=OFF
zw_runs_32bit || every=ON
cmake -S "$top" -B "$top/build/win64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DZW_EVERY_WIN_TEST=$every "${launcher[@]}" >/dev/null
if [ "${1:-}" = all ]; then
  cmake --build "$top/build/win" -j"$jobs"
  cmake --build "$top/build/win64" -j"$jobs"
  CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
  cmake --build "$top/build/native" -j"$jobs"
else
  cmake --build "$top/build/win" -j"$jobs" --target zeigerwerk
  cmake --build "$top/build/win64" -j"$jobs" --target zeigerwerk
fi
