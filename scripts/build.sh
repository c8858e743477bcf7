#!/usr/bin/env bash
# Builds what is asked for: native (portable code, unit tests, qeltool), sanitize (the same with
# AddressSanitizer and UndefinedBehaviorSanitizer), windows (the x86 edition: both recorders,
# qeltool, the end-to-end tests, the guide, its zip and installer, cross-built with mingw-w64 for
# i686) and windows-x64 (the x64 edition: the simulated recorder, qeltool, the end-to-end tests,
# the guide, zip and installer). Build trees live under build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

windows_edition() {  # build folder, toolchain file
  cmake -S "$top" -B "$top/build/$1" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$2" -DVARNOTEK_TESTS=OFF >/dev/null
  cmake --build "$top/build/$1" -j "$jobs"
}

for what in "$@"; do
  case "$what" in
    native)
      cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Release -DVARNOTEK_BENCH=ON >/dev/null
      cmake --build "$top/build/native" -j "$jobs" ;;
    sanitize)
      cmake -S "$top" -B "$top/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVARNOTEK_SANITIZE=ON >/dev/null
      cmake --build "$top/build/sanitize" -j "$jobs" ;;
    windows) windows_edition windows mingw-i686.cmake ;;
    windows-x64) windows_edition windows-x64 mingw-x86_64.cmake ;;
    *) echo "build.sh: unknown build '$what' (native, sanitize, windows, windows-x64)" >&2; exit 2 ;;
  esac
done
