#!/usr/bin/env bash
# Checks the Linux package of a native build (default build/native): the .deb builds, holds its
# files where they belong, installs into a scratch root (the machine's own package database is not
# touched) and the installed qeltool runs; its manual page renders without a warning and lists every
# command and option; bash-completion finds its completion, which completes "qeltool se" to
# "search" and "--bus j" to the buses; lintian finds no error; and the operator's guide has every
# font embedded, a sane number of pages and every word of its source.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/native}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

rm -f "$build"/varnotek_*.deb
cmake --build "$build" --target package >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack failed"; }
debs=("$build"/varnotek_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "no varnotek_<version>_amd64.deb in $build"
deb=${debs[0]}
echo "built $(basename "$deb")"

expected="./usr/bin/qeltool
./usr/share/bash-completion/completions/qeltool
./usr/share/doc/varnotek/QELHELP.PDF
./usr/share/doc/varnotek/READ-ME.txt
./usr/share/doc/varnotek/changelog.gz
./usr/share/doc/varnotek/copyright
./usr/share/man/man1/qeltool.1.gz
./usr/share/zsh/vendor-completions/_qeltool"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$files" = "$expected" ] || fail "the package holds"$'\n'"$files"$'\n'"instead of"$'\n'"$expected"
for field in Depends Section Maintainer Description; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field in the package's control file"
done

root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless --log=/dev/null \
     -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -i into $root failed"; }
qeltool=$root/usr/bin/qeltool
"$qeltool" --version | grep -qx "qeltool $(dpkg-deb -f "$deb" Version)" || fail "installed qeltool --version"
"$qeltool" generate "$scratch/t.qel" --records 1000 --seed 7 --start "2024-01-01 00:00:00"
[ "$("$qeltool" count "$scratch/t.qel")" = 1000 ] || fail "installed qeltool does not count 1000 records"

page=$root/usr/share/man/man1/qeltool.1.gz
MANWIDTH=100 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" >"$scratch/man.txt" 2>"$scratch/man.err"
[ ! -s "$scratch/man.err" ] || fail "man -l warns: $(cat "$scratch/man.err")"
for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS "EXIT STATUS" EXAMPLES; do
  grep -qx "$section" "$scratch/man.txt" || fail "the manual page has no section $section"
done
"$qeltool" --option-table >"$scratch/table.tsv"
while IFS=$'\t' read -r kind command names _; do
  case $kind in
    command) grep -qx "   $command" "$scratch/man.txt" || fail "the manual page lacks the command $command" ;;
    option) for name in $names; do
        grep -qe "$name\b" "$scratch/man.txt" || fail "the manual page lacks $name of ${command:-qeltool}"
      done ;;
  esac
done <"$scratch/table.tsv"

completes() {  # the words of a command line, the last one being completed; prints the completions
  XDG_DATA_DIRS=$root/usr/share bash -c '
    source /usr/share/bash-completion/bash_completion
    { __load_completion qeltool || _comp_load qeltool; } 2>/dev/null || exit 1
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    $(complete -p qeltool | sed -n "s/.*-F \([^ ]*\) .*/\1/p") qeltool "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    echo "${COMPREPLY[*]}"' completes "$@"
}
[ "$(completes qeltool se)" = search ] || fail "qeltool se<TAB> does not complete to search"
[ "$(completes qeltool search run.qel --bus j)" = "jx j1 j2 j3 j4" ] || fail "--bus j<TAB> does not offer jx and j1 to j4"

lintian --fail-on error "$deb" >"$scratch/lintian.txt" 2>&1 || { cat "$scratch/lintian.txt"; fail "lintian reports errors"; }
grep -v "running with root privileges" "$scratch/lintian.txt" || true

guide=$root/usr/share/doc/varnotek/QELHELP.PDF
pdffonts "$guide" | awk 'NR > 2 && $(NF-4) != "yes" {bad = 1; print "not embedded: " $1} END {exit bad}' ||
  fail "the guide's fonts are not all embedded"
pages=$(pdfinfo "$guide" | awk '/^Pages:/ {print $2}')
[ "$pages" -ge 8 ] && [ "$pages" -le 20 ] || fail "the guide has $pages pages"
# Every word of the source at least as often in the pages (without their foot lines) as in it.
words() { tr -c 'A-Za-z0-9' '\n' | grep . | sort | uniq -c; }
missing=$(awk 'NR == FNR {seen[$2] = $1; next} seen[$2] < $1 {print $2}' \
  <(pdftotext -x 0 -y 0 -W 595 -H 785 "$guide" - | words) <(grep -v '^!\[' "$top/docs/operator-guide.md" | words))
[ -z "$missing" ] || fail "words of docs/operator-guide.md missing from the guide:" $missing
echo "package check: passed ($(basename "$deb"), guide of $pages pages)"
