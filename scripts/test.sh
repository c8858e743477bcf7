#!/usr/bin/env bash
# Runs every test: the native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the long lossless recording, the fuzz corpus replay, the static
# checks, both Windows editions' builds and the dialog template check, the end-to-end tests of the
# real Windows programs under Wine and Xvfb (the x86 edition where this host runs 32-bit programs,
# the x64 edition under wine64 always), and the installer of the edition this host runs.
# Installs and builds what is missing first.
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
step "unit tests" ctest --test-dir build/native --output-on-failure -j "$(nproc)"
step "README examples (every qeltool line of README.md and docs/qeltool.md, as written)" scripts/readme_examples.sh build/native/tools
step "Debian package, manual page, completion and guide" scripts/package_check.sh build/native
step "overview page in headless Chromium" tests/browser/check_overview.sh build/native
step "viewer page in headless Chromium" tests/browser/check_viewer.sh build/native
step "lossless recording (50 million words through the drain, compared word for word)" \
  build/native/tests/bench/lossless_recording_bench "$top/build"
step "sanitizer build" scripts/build.sh sanitize
step "unit tests (address and undefined-behaviour sanitizers)" \
  env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/sanitize --output-on-failure -j "$(nproc)"
if [ -x scripts/fuzz.sh ]; then
  step "fuzz corpus replay" scripts/fuzz.sh replay
fi
edition=$(source scripts/wine_env.sh && host_edition)
step "windows build (x86 edition)" scripts/build.sh windows
step "windows build (x64 edition)" scripts/build.sh windows-x64
step "dialog template check" cmake --build build/windows --target vk_resources_check
# Reuses the compile commands of build/native and build/windows.
step "static checks (cppcheck and clang-tidy)" scripts/static_checks.sh

e2e() {  # edition
  (
    source "$top/scripts/wine_env.sh"
    use_edition "$1" || exit 2
    VARNOTEK_FORCE_XVFB=1 start_display || exit 1
    prepare_prefix
    cd "$edition_bin" && timeout 1200 "$WINE" varnotek-e2e.exe --gtest_color=no
    rc=$?
    stop_display
    exit $rc
  )
}
if [ "$edition" = x86 ]; then
  step "end-to-end tests under Wine (x86 edition)" e2e x86
fi
step "end-to-end tests under wine64 (x64 edition)" e2e x64
if [ "$edition" = x86 ]; then
  step "viewer served by qeltool.exe under Wine (x86 edition)" scripts/view_wine_check.sh x86
fi
step "viewer served by qeltool.exe under wine64 (x64 edition)" scripts/view_wine_check.sh x64
step "installer ($edition edition) under Wine" scripts/installer_check.sh "$edition"

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test steps passed"
