#!/usr/bin/env bash
# qeltool on a 1 GiB data file: the time of each file task beside the time of reading the file
# with cat, in one run. Figures only; nothing here fails on a time.
#
#   tests/bench/qeltool_bench.sh [QELTOOL] [FOLDER]
#
# QELTOOL defaults to build/native/tools/qeltool (scripts/build.sh native: a Release build).
# The file is made once with qeltool generate in FOLDER (default /tmp/varnotek-bench) and reused.
# It is read once before timing, so every task reads it from the page cache as cat does: the
# ratios compare the tasks' own work with the cheapest possible pass over the same bytes.
# Each task runs RUNS times (default 3) and the best time counts.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
qeltool=${1:-$top/build/native/tools/qeltool}
folder=${2:-/tmp/varnotek-bench}
runs=${RUNS:-3}
records=67108864  # 1 GiB of 16-byte records
file=$folder/bench-1gib.qel

if [ ! -x "$qeltool" ]; then
  echo "qeltool_bench.sh: no qeltool at $qeltool (build it: scripts/build.sh native)" >&2
  exit 2
fi
mkdir -p "$folder"
if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != $((records * 16)) ]; then
  echo "making $file (qeltool generate, $records records)"
  "$qeltool" generate "$file" --records $records --start "2024-01-01 00:00:00" --force
fi
cat "$file" >/dev/null

now() { date +%s.%N; }

# best_of COMMAND...: the shortest wall time of $runs runs, in seconds.
best_of() {
  local best="" start end took
  for ((i = 0; i < runs; i++)); do
    start=$(now)
    "$@" >/dev/null 2>&1 || true  # find-time past the end exits 1 by design
    end=$(now)
    took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    best=$(awk -v t="$took" -v b="$best" 'BEGIN { print (b == "" || t < b) ? t : b }')
  done
  echo "$best"
}

read_with_cat() { cat "$file"; }
# The saved index made from nothing: the one beside the file removed first.
make_index() { rm -f "${file%.qel}.qix"; "$qeltool" index "$file"; }

# The searches with the saved index (made by the first row that needs it) and with --no-index.
names=(
  "cat FILE > /dev/null"
  "count"
  "index (none there)"
  "search --count --gap-min 100 --gap-max 500"
  "  the same, --no-index"
  "search --count --bus j2 --sync cmd"
  "  the same, --no-index"
  "find-time past the last record"
  "  the same, --no-index"
  "report --from 60000000 --lines 1000000"
  "stats"
  "  the same, --no-index"
)
commands=(
  "read_with_cat"
  "$qeltool count $file"
  "make_index"
  "$qeltool search $file --count --gap-min 100 --gap-max 500"
  "$qeltool search $file --count --gap-min 100 --gap-max 500 --no-index"
  "$qeltool search $file --count --bus j2 --sync cmd"
  "$qeltool search $file --count --bus j2 --sync cmd --no-index"
  "$qeltool find-time $file 366:23:59:59.999999"
  "$qeltool find-time $file 366:23:59:59.999999 --no-index"
  "$qeltool report $file --from 60000000 --lines 1000000"
  "$qeltool stats $file"
  "$qeltool stats $file --no-index"
)

echo "qeltool benchmark: $(stat -c %s "$file") bytes ($records records), best of $runs runs"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
printf '%-46s %10s %10s\n' "task" "seconds" "x cat"
cat_time=""
for index in "${!names[@]}"; do
  # shellcheck disable=SC2086  # the command strings split into words on purpose
  seconds=$(best_of ${commands[$index]})
  [ -z "$cat_time" ] && cat_time=$seconds
  awk -v n="${names[$index]}" -v s="$seconds" -v c="$cat_time" 'BEGIN { printf "%-46s %10.3f %10.2f\n", n, s, s / c }'
done
