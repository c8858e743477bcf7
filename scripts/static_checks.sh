#!/usr/bin/env bash
# Static checks of the project's code: cppcheck (warning, performance, portability; remaining
# findings justified in .cppcheck-suppressions) and clang-tidy 14 (checks and their reasons in
# .clang-tidy). Both must be clean: any finding makes the script fail.
#
#   scripts/static_checks.sh [cppcheck|clang-tidy]...    both when none is named
#
# clang-tidy reads the compile commands of a native clang configuration in build/static; the
# Win32 layers (app/win32, card/win32) are checked against the mingw-w64 headers through the
# compile commands of a cross configuration in build/static-windows, when mingw-w64 is installed.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${JOBS:-2}
folders=(common files index search card sim record app tools)
mingw=i686-w64-mingw32-g++-posix

die() { echo "static_checks.sh: $*" >&2; exit 2; }

run_cppcheck() {
  command -v cppcheck >/dev/null || die "cppcheck is missing (apt-get install cppcheck)"
  echo "--- cppcheck $(cppcheck --version | awk '{print $2}') over ${folders[*]}"
  cppcheck --enable=warning,performance,portability --inline-suppr --error-exitcode=1 --std=c++17 \
    --language=c++ -I "$top" --suppressions-list="$top/.cppcheck-suppressions" -q \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' "${folders[@]}"
}

# The project's .cpp files under the folders, those of win32/ subfolders apart.
sources() {
  find "${folders[@]}" -name '*.cpp' | sort | if [ "$1" = win32 ]; then grep '/win32/'; else grep -v '/win32/'; fi
}

# Runs clang-tidy over the files on stdin with the given extra arguments; prints only findings.
tidy_files() {
  local database=$1; shift
  local each='out=$(clang-tidy-14 --quiet -p "$0" "$@" {} 2>&1) || { printf "%s\n" "$out"; exit 1; }'
  xargs -r -P "$jobs" -I{} sh -c "$each" "$database" "$@" | grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$'
  return "${PIPESTATUS[0]}"
}

run_clang_tidy() {
  command -v clang-tidy-14 >/dev/null || die "clang-tidy-14 is missing (apt-get install clang-tidy-14)"
  command -v clang++ >/dev/null || die "clang is missing (apt-get install clang)"
  cmake -S "$top" -B "$top/build/static" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DVARNOTEK_TESTS=OFF >"$top/build/static-configure.log" 2>&1 ||
    { cat "$top/build/static-configure.log"; die "configuration for clang-tidy failed"; }
  echo "--- clang-tidy $(clang-tidy-14 --version | grep -oE '[0-9]+\.[0-9.]+' | head -n 1) over ${folders[*]}"
  local status=0
  sources portable | tidy_files "$top/build/static" || status=1

  if ! command -v "$mingw" >/dev/null; then
    echo "--- clang-tidy of the Win32 layers skipped: $mingw is missing"
    return $status
  fi
  cmake -S "$top" -B "$top/build/static-windows" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVARNOTEK_TESTS=OFF >"$top/build/static-windows-configure.log" 2>&1 ||
    { cat "$top/build/static-windows-configure.log"; die "cross configuration for clang-tidy failed"; }
  # clang parses for the same target as mingw-w64, with mingw-w64's own headers.
  local extra=(--extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc --extra-arg=-nostdinc++) dir
  while read -r dir; do
    extra+=(--extra-arg=-isystem "--extra-arg=$dir")
  done < <(echo | "$mingw" -E -x c++ - -v 2>&1 | sed -n '/#include <...> search starts here/,/End of search list/p' |
           grep '^ ' | sed 's/^ //')
  echo "--- clang-tidy over the Win32 layers (i686-w64-mingw32)"
  sources win32 | tidy_files "$top/build/static-windows" "${extra[@]}" || status=1
  return $status
}

checks=("$@")
[ ${#checks[@]} -gt 0 ] || checks=(cppcheck clang-tidy)
failed=()
for check in "${checks[@]}"; do
  case "$check" in
    cppcheck) run_cppcheck || failed+=(cppcheck) ;;
    clang-tidy) run_clang_tidy || failed+=(clang-tidy) ;;
    *) die "unknown check '$check' (cppcheck, clang-tidy)" ;;
  esac
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "static checks failed: ${failed[*]}"
  exit 1
fi
echo "static checks clean: ${checks[*]}"
