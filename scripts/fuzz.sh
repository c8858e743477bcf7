#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz/ with clang (in build/fuzz, everything compiled with
# -fsanitize=fuzzer-no-link,address,undefined) and replays or runs them.
#
#   scripts/fuzz.sh replay                     runs every seed corpus once; non-zero on a crash
#   scripts/fuzz.sh run SECONDS [target...]    fuzzes each target (all when none is named) for
#                                              SECONDS, one after the other, from a scratch corpus
#                                              build/fuzz/corpus-<target> seeded from the repository
#   scripts/fuzz.sh list                       names the targets
#
# A run prints, per target: executions, executions a second, coverage (cov: and ft: of
# libFuzzer's last status line), the scratch corpus size and what it added, and the crashes
# (their inputs are kept in build/fuzz/crashes-<target>/). Its log is build/fuzz/<target>.log.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/fuzz"
seeds="$top/tests/fuzz/corpus"
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
flags="-g -O2 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"

die() { echo "fuzz.sh: $*" >&2; exit 2; }

all_targets() {
  local source name
  for source in "$top"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    echo "$name"
  done
}

# Configures and builds the named targets; concurrent runs of this script take turns.
build_targets() {
  command -v clang++ >/dev/null || die "clang is missing (apt-get install clang libclang-rt-dev)"
  mkdir -p "$build"
  exec 9>"$build/.build-lock"
  flock 9
  if ! cmake -S "$top" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
         -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
         -DVARNOTEK_TESTS=OFF -DVARNOTEK_FUZZ=ON >"$build/configure.log" 2>&1; then
    cat "$build/configure.log" >&2
    die "configuration failed"
  fi
  local wanted=() name
  for name in "$@"; do wanted+=(--target "${name}_fuzzer"); done
  cmake --build "$build" -j "$jobs" "${wanted[@]}" || die "build failed"
  flock -u 9
}

binary() { echo "$build/tests/fuzz/$1_fuzzer"; }

check_targets() {
  local name
  for name in "$@"; do
    [ -f "$top/tests/fuzz/${name}_fuzz.cpp" ] || die "no target '$name' (targets: $(all_targets | tr '\n' ' '))"
  done
}

replay() {
  local targets
  mapfile -t targets < <(all_targets)
  build_targets "${targets[@]}"
  local failed=() name inputs
  for name in "${targets[@]}"; do
    inputs=$(find "$seeds/$name" -type f 2>/dev/null | wc -l)
    if [ "$inputs" -eq 0 ]; then
      echo "$name: no seed corpus in tests/fuzz/corpus/$name"
      failed+=("$name")
      continue
    fi
    if "$(binary "$name")" -runs=0 "$seeds/$name" >"$build/$name-replay.log" 2>&1; then
      echo "$name: $inputs inputs replayed, no crash"
    else
      echo "$name: CRASHED while replaying its corpus:"
      tail -n 40 "$build/$name-replay.log"
      failed+=("$name")
    fi
  done
  [ ${#failed[@]} -eq 0 ] || { echo "fuzz replay failed: ${failed[*]}"; return 1; }
}

# The value of one field ("cov:", "ft:") in the last libFuzzer status line that has it.
last_field() {
  grep -oE "(^|[[:space:]])$2 [0-9]+" "$1" | tail -n 1 | awk '{print $2}'
}

final_stat() {
  grep -E "^stat::$2:" "$1" | tail -n 1 | awk '{print $2}'
}

run_one() {
  local name=$1 seconds=$2
  local corpus="$build/corpus-$name" crashes="$build/crashes-$name" log="$build/$name.log"
  mkdir -p "$corpus" "$crashes"
  cp -n "$seeds/$name"/* "$corpus"/ 2>/dev/null
  local before
  before=$(find "$corpus" -type f | wc -l)
  local crashes_before
  crashes_before=$(find "$crashes" -type f | wc -l)
  local started=$SECONDS rc
  "$(binary "$name")" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$corpus" >"$log" 2>&1
  rc=$?
  local took=$((SECONDS - started))
  local after crashes_after
  after=$(find "$corpus" -type f | wc -l)
  crashes_after=$(find "$crashes" -type f | wc -l)
  local execs rate cov ft
  execs=$(final_stat "$log" number_of_executed_units)
  rate=$(final_stat "$log" average_exec_per_sec)
  cov=$(last_field "$log" cov:)
  ft=$(last_field "$log" ft:)
  printf '%-18s %6ss %12s execs %8s/s  cov %-6s ft %-7s corpus %5s (+%s)  crashes %s%s\n' \
    "$name" "$took" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$after" "$((after - before))" \
    "$((crashes_after - crashes_before))" "$([ "$rc" -ne 0 ] && echo " (exit $rc, see $log)")"
  if [ "$rc" -ne 0 ]; then
    grep -E "ERROR|invariant broken|runtime error|SUMMARY" "$log" | head -n 5 | sed 's/^/    /'
    return 1
  fi
}

run() {
  [ $# -ge 1 ] || die "run needs SECONDS"
  local seconds=$1
  shift
  [[ "$seconds" =~ ^[0-9]+$ ]] || die "SECONDS must be a whole number, not '$seconds'"
  local targets=("$@")
  [ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(all_targets)
  check_targets "${targets[@]}"
  build_targets "${targets[@]}"
  local failed=() name
  for name in "${targets[@]}"; do
    run_one "$name" "$seconds" || failed+=("$name")
  done
  [ ${#failed[@]} -eq 0 ] || { echo "crashes in: ${failed[*]}"; return 1; }
}

case "${1:-}" in
  replay) replay ;;
  run) shift; run "$@" ;;
  list) all_targets ;;
  *) die "usage: scripts/fuzz.sh replay | run SECONDS [target...] | list" ;;
esac
