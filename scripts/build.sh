#!/usr/bin/env bash
# Builds the Windows program (build/win) and, with "all", every test program of both builds
# (build/win under Wine, build/native with clang under the sanitizers, with the fuzzers).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$top" -B "$top/build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
if [ "${1:-}" = all ]; then
  cmake --build "$top/build/win" -j"$jobs"
  CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
  cmake --build "$top/build/native" -j"$jobs"
else
  cmake --build "$top/build/win" -j"$jobs" --target zeigerwerk
fi
