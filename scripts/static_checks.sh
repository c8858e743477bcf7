#!/usr/bin/env bash
# Static checks of the project's code: cppcheck (warning, performance, portability; remaining
# findings justified in .cppcheck-suppressions) and clang-tidy, whichever version is installed
# (checks and their reasons in .clang-tidy). Both must be clean: any finding makes the script fail.
#
#   scripts/static_checks.sh [cppcheck|clang-tidy]...    both when none is named
#
# clang-tidy reads the compile commands of the native build (build/native); the Win32 layers
# (app/win32, card/win32) are checked against the mingw-w64 headers through the compile commands
# of the x86 Windows build (build/windows), when mingw-w64 is installed. Either tree is configured
# here when it is not there yet, never built.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
folders=(common files index search card sim record export frontend view app tools)
mingw=i686-w64-mingw32-g++-posix

die() { echo "static_checks.sh: $*" >&2; exit 2; }

# clang-tidy, or the newest clang-tidy-N on the PATH.
clang_tidy=$(command -v clang-tidy || compgen -c clang-tidy- | grep -E '^clang-tidy-[0-9]+$' | sort -t- -k3 -n | tail -n 1)

# Configures a build tree for its compile commands when it has none.
compile_database() {  # folder, cmake arguments...
  local folder=$1; shift
  [ -f "$folder/compile_commands.json" ] && return 0
  cmake -S "$top" -B "$folder" "$@" >"$folder.configure.log" 2>&1 ||
    { cat "$folder.configure.log"; die "configuring $folder for its compile commands failed"; }
}

run_cppcheck() {
  command -v cppcheck >/dev/null || die "cppcheck is missing (apt-get install cppcheck)"
  echo "--- cppcheck $(cppcheck --version | awk '{print $2}') over ${folders[*]}"
  cppcheck --enable=warning,performance,portability --inline-suppr --error-exitcode=1 --std=c++17 \
    --language=c++ -I "$top" --suppressions-list="$top/.cppcheck-suppressions" -q \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' -i view/web "${folders[@]}"
}

# The project's .cpp files under the folders, those of win32/ subfolders apart (and not the
# page's folder, whose node_modules hold other projects' sources).
sources() {
  find "${folders[@]}" -path view/web -prune -o -name '*.cpp' -print | sort | if [ "$1" = win32 ]; then grep '/win32/'; else grep -v '/win32/'; fi
}

# Runs clang-tidy over the files on stdin with the given extra arguments; prints only findings.
tidy_files() {
  local database=$1; shift
  local each='out=$('"$clang_tidy"' --quiet -p "$0" "$@" {} 2>&1) || { printf "%s\n" "$out"; exit 1; }'
  xargs -r -P "$jobs" -I{} sh -c "$each" "$database" "$@" | grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$'
  return "${PIPESTATUS[0]}"
}

run_clang_tidy() {
  [ -n "$clang_tidy" ] || die "clang-tidy is missing (apt-get install clang-tidy)"
  mkdir -p "$top/build"
  compile_database "$top/build/native" -DCMAKE_BUILD_TYPE=Release -DVARNOTEK_BENCH=ON
  echo "--- clang-tidy $("$clang_tidy" --version | grep -oE '[0-9]+\.[0-9.]+' | head -n 1) over ${folders[*]}"
  local status=0
  sources portable | tidy_files "$top/build/native" || status=1

  if ! command -v "$mingw" >/dev/null; then
    echo "--- clang-tidy of the Win32 layers skipped: $mingw is missing"
    return $status
  fi
  compile_database "$top/build/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DVARNOTEK_TESTS=OFF
  # clang parses for the same target as mingw-w64, with mingw-w64's own headers.
  local extra=(--extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc --extra-arg=-nostdinc++) dir
  while read -r dir; do
    extra+=(--extra-arg=-isystem "--extra-arg=$dir")
  done < <(echo | "$mingw" -E -x c++ - -v 2>&1 | sed -n '/#include <...> search starts here/,/End of search list/p' |
           grep '^ ' | sed 's/^ //')
  echo "--- clang-tidy over the Win32 layers (i686-w64-mingw32)"
  sources win32 | tidy_files "$top/build/windows" "${extra[@]}" || status=1
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
