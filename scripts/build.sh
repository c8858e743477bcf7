#!/usr/bin/env bash
# Builds what is asked for: native (portable code, unit tests, qeltool), sanitize (the same with
# AddressSanitizer and UndefinedBehaviorSanitizer) and windows (the two programs, the end-to-end
# tests and the guide, cross-built with mingw-w64). Build trees live under build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}

for what in "$@"; do
  case "$what" in
    native)
      cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Release -DVARNOTEK_BENCH=ON >/dev/null
      cmake --build "$top/build/native" -j "$jobs" ;;
    sanitize)
      cmake -S "$top" -B "$top/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVARNOTEK_SANITIZE=ON >/dev/null
      cmake --build "$top/build/sanitize" -j "$jobs" ;;
    windows)
      cmake -S "$top" -B "$top/build/windows" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DVARNOTEK_TESTS=OFF >/dev/null
      cmake --build "$top/build/windows" -j "$jobs" ;;
    *) echo "build.sh: unknown build '$what' (native, sanitize, windows)" >&2; exit 2 ;;
  esac
done
