#!/usr/bin/env bash
# Builds the Windows program (build/win) and, with "all", the native rules too (build/native).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$top" -B "$top/build/win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "${1:-}" = all ]; then
  cmake --build "$top/build/win" -j"$jobs"
  cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$top/build/native" -j"$jobs"
else
  cmake --build "$top/build/win" -j"$jobs" --target zeigerwerk
fi
