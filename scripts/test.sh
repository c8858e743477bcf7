#!/usr/bin/env bash
# Runs every test: the native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the long lossless recording, the fuzz corpus replay, the static
# checks, the dialog template check, and the end-to-end tests of the real
# Windows programs under Wine and Xvfb. Installs and builds what is missing first.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh" || exit 1

failed=()
step() {
  local name=$1; shift
  echo "=== $name"
  if "$@"; then echo "=== $name: passed"; else echo "=== $name: FAILED"; failed+=("$name"); fi
}

step "native build" scripts/build.sh native
step "unit tests" ctest --test-dir build/native --output-on-failure -j 2
step "lossless recording (50 million words through the drain, compared word for word)" \
  build/native/tests/bench/lossless_recording_bench "$top/build"
step "sanitizer build" scripts/build.sh sanitize
step "unit tests (address and undefined-behaviour sanitizers)" \
  env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/sanitize --output-on-failure -j 2
if [ -x scripts/fuzz.sh ]; then
  step "fuzz corpus replay" scripts/fuzz.sh replay
fi
step "static checks (cppcheck and clang-tidy)" scripts/static_checks.sh
step "windows build" scripts/build.sh windows
step "dialog template check" cmake --build build/windows --target vk_resources_check

e2e() {
  source "$top/scripts/wine_env.sh"
  VARNOTEK_FORCE_XVFB=1 start_display || return 1
  prepare_prefix
  (cd build/windows/bin && timeout 1200 wine varnotek-e2e.exe --gtest_color=no)
  local rc=$?
  stop_display
  return $rc
}
step "end-to-end tests under Wine" e2e

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test steps passed"
