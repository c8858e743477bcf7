#!/usr/bin/env bash
# Runs the qeltool examples of README.md and docs/qeltool.md exactly as they are written, so that
# the documents cannot go stale.
#
# An example is a line of an indented code block (four spaces) that begins with "qeltool " or pipes
# into qeltool ("... | qeltool ..."). Each document's examples run in order, with bash, in a fresh
# scratch folder of their own, with the qeltool under test first in PATH and standard input
# empty. A folder starts with one thing no example can make: a memory dump "data/RUN7.SUP".
# Each example must exit with 0, or with N when its comment says "exit N"; one whose comment
# says "runs until Ctrl-C" gets Ctrl-C (SIGINT) after 3 seconds and must then exit with 0. Every
# command of a pipeline counts (pipefail), but one ended by its reader leaving (SIGPIPE, as in
# "| head") counts as success. One whose comment ends in "prints TEXT" must also print a line
# that reads TEXT to standard output.
#
# Usage: scripts/readme_examples.sh [QELTOOL_DIR]   (default: build/native/tools)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool_dir=$(cd "${1:-$top/build/native/tools}" 2>/dev/null && pwd) || tool_dir=""
if [ -z "$tool_dir" ] || [ ! -x "$tool_dir/qeltool" ]; then
  echo "readme examples: no qeltool in ${1:-build/native/tools} (build it with scripts/build.sh native)"
  exit 2
fi
export PATH="$tool_dir:$PATH"
documents=(README.md docs/qeltool.md)
example_pattern='^    (qeltool( |$)|[^#]*\| *qeltool( |$))'
prints_pattern='#.*prints (.*[^ ]) *$'
longest_seconds=300

scratch=$(mktemp -d "${TMPDIR:-/tmp}/readme-examples.XXXXXX") || exit 3
trap 'rm -rf "$scratch"' EXIT

run_example() {  # folder, command text, log file; prints the exit code
  local folder=$1 text=$2 log=$3 rc
  if [[ $text =~ \#.*runs\ until\ Ctrl-C ]]; then
    (cd "$folder" && timeout --preserve-status -s INT 3 bash -o pipefail -c "$text" </dev/null >"$log" 2>"$log.err")
  else
    (cd "$folder" && timeout "$longest_seconds" bash -o pipefail -c "$text" </dev/null >"$log" 2>"$log.err")
  fi
  rc=$?
  if [ "$rc" -eq 141 ] && [[ $text == *"|"* ]]; then rc=0; fi
  echo "$rc"
}

total=0
failed=0
empty_documents=0
for document in "${documents[@]}"; do
  folder="$scratch/$(basename "$document" .md)"
  mkdir -p "$folder/data"
  truncate -s 786434 "$folder/data/RUN7.SUP"  # a leading unit and 393,216 units of 16 bits
  found=0
  while IFS= read -r numbered; do
    number=${numbered%%:*}
    text=${numbered#*:}
    text=${text#    }
    expected=0
    if [[ $text =~ \#.*exit\ ([0-9]+) ]]; then expected=${BASH_REMATCH[1]}; fi
    printed=""
    if [[ $text =~ $prints_pattern ]]; then printed=${BASH_REMATCH[1]}; fi
    found=$((found + 1))
    total=$((total + 1))
    log="$scratch/example.log"
    rc=$(run_example "$folder" "$text" "$log")
    problem=""
    if [ "$rc" != "$expected" ]; then
      problem="exit $rc, expected $expected"
    elif [ -n "$printed" ] && ! grep -qxF -- "$printed" "$log"; then
      problem="no line of its standard output reads \"$printed\""
    fi
    if [ -z "$problem" ]; then
      echo "ok      $document:$number  $text"
    else
      failed=$((failed + 1))
      echo "FAILED  $document:$number  $text"
      echo "        $problem; the last lines of its output and errors:"
      tail -q -n 5 "$log" "$log.err" | sed 's/^/        | /'
    fi
  done < <(grep -n -E "$example_pattern" "$top/$document")
  if [ "$found" -eq 0 ]; then
    echo "FAILED  $document: no example found"
    empty_documents=$((empty_documents + 1))
  fi
done

echo "readme examples: $((total - failed)) of $total passed"
[ "$failed" -eq 0 ] && [ "$empty_documents" -eq 0 ]
