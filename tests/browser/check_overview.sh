#!/usr/bin/env bash
# The overview page in a real browser: qeltool overview writes the page of a sample recording
# (three stretches of qeltool generate's traffic at different rates, the second starting ten seconds
# before the first ended, the third three hours later), headless Chromium draws it, and this
# checks the rendered page: the five plots and their series, the hover script's marker, what the
# hover shows when the pointer moves over the plots over time, and no message on the console. It
# saves a screenshot of the page. steps_check.html reads the drawn lines of two more pages back: a
# constant 20,000 words/s (every step within 5%) and two hours at 250 words/s with J2 silent for
# 5 s (J2's least line alone at 0); an empty file must give exit 1 and no page.
#
#   tests/browser/check_overview.sh [BUILD] [SCREENSHOT]
#
# BUILD defaults to build/native (scripts/build.sh native); SCREENSHOT to BUILD/overview.png.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build/native}
screenshot=${2:-$build/overview.png}
qeltool=$build/tools/qeltool
browser=$(command -v chromium || command -v chromium-browser || true)

[ -x "$qeltool" ] || { echo "check_overview.sh: no $qeltool (scripts/build.sh native)" >&2; exit 2; }
[ -n "$browser" ] || { echo "check_overview.sh: chromium is missing (apt-get install chromium)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for stretch in "10:00:00 6000 40" "10:00:30 2500 20" "13:00:00 9000 30"; do
  read -r start rate seconds <<<"$stretch"
  "$qeltool" generate "$work/part.qel" --force --start "2024-06-01 $start" --rate "$rate" --seed "$rate" \
    --records $((rate * seconds)) && cat "$work/part.qel" >>"$work/sample.qel" ||
    { echo "check_overview.sh: the sample recording was not written" >&2; exit 1; }
done
"$qeltool" generate "$work/constant.qel" --start "2024-06-01 09:00:00" --rate 20000 --seed 5 --records 1200000 &&
  "$qeltool" generate "$work/two-hours.qel" --start "2024-06-01 10:00:00" --rate 250 --seed 6 --records 1800000 ||
  { echo "check_overview.sh: the constant and two-hour recordings were not written" >&2; exit 1; }
# J2 (bus bits 31-30 of longword 2: 01) falls silent from 153:11:00:00 (hour 11, minute 0) to 11:00:05.
python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); r = [d[i:i + 16] for i in range(0, len(d), 16)]
w = lambda x: int.from_bytes(x[:4], "little")
open(sys.argv[2], "wb").write(b"".join(x for x in r if not (w(x) >> 6 & 0x7C3F == 11 << 10 and w(x) & 63 < 5
                                                           and x[11] >> 6 == 1)))' "$work/two-hours.qel" "$work/silence.qel" ||
  { echo "check_overview.sh: no silence recording" >&2; exit 1; }
for name in sample constant silence; do
  page=$name.html
  [ $name = sample ] && page=overview.html
  "$qeltool" overview "$work/$name.qel" -o "$work/$page" || { echo "check_overview.sh: no page of $name" >&2; exit 1; }
done
cp "$top/tests/browser/hover_check.html" "$top/tests/browser/steps_check.html" "$work/"

# One run of a fresh headless browser on a page; the console goes to $work/<name>.log.
browse() {
  local name=$1 page=$2; shift 2
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile-$name" --enable-logging=stderr --v=0 --allow-file-access-from-files \
    --virtual-time-budget=5000 "$@" "file://$work/$page" 2>"$work/$name.log"
}

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

browse page overview.html --dump-dom >"$work/page.dom" || fail "Chromium did not render the page"
browse hover hover_check.html --dump-dom >"$work/hover.dom" || fail "Chromium did not render the hover check"
browse shot overview.html --hide-scrollbars --window-size=1040,2560 --screenshot="$screenshot" >/dev/null ||
  fail "no screenshot"

grep -q 'data-overview="ready"' "$work/page.dom" || fail "the page's script did not finish"
for id in words-per-second errors-per-second time-breaks gap-histogram command-codes; do
  grep -q "<svg id=\"$id\"" "$work/page.dom" || fail "no plot $id"
done
for series in J1 J2 J3 J4 errors backwards jump gaps code-1001; do
  grep -q "data-series=\"$series\"" "$work/page.dom" || fail "no series $series"
done
[ "$(grep -o 'class="hover"' "$work/page.dom" | wc -l)" = 2 ] || fail "the hover is not set up on both plots over time"
for id in words-per-second errors-per-second; do
  grep -q "$id: visible: step from 153:10:00:.*s wide.*words/s, least" "$work/hover.dom" ||
    fail "hovering over $id shows nothing: $(grep "$id: " "$work/hover.dom")"
done
for check in constant.html silence.html,J2; do
  browse "${check%%.*}" "steps_check.html#$check" --dump-dom >"$work/steps.dom"
  grep -q '"result">steps ok<' "$work/steps.dom" || fail "$check: $(grep -o '"result">[^<]*' "$work/steps.dom")"
done
: >"$work/empty.qel" && "$qeltool" overview "$work/empty.qel" -o "$work/empty.html" 2>/dev/null
[ $? = 1 ] && [ ! -e "$work/empty.html" ] || fail "overview of an empty file: not exit 1 without a page"
if grep -h 'CONSOLE' "$work"/*.log; then fail "messages on the console (above)"; fi
[ -s "$screenshot" ] || fail "the screenshot is empty"

if [ $failures -ne 0 ]; then
  echo "overview page check: $failures failures"
  exit 1
fi
echo "overview page check: 5 plots, their series, hover and steps render without console messages; screenshot $screenshot"
