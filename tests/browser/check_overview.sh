#!/usr/bin/env bash
# The overview page in a real browser: qeltool overview writes the page of a sample recording
# (three stretches of qeltool generate's traffic at different rates, the second starting ten seconds
# before the first ended, the third three hours later), headless Chromium draws it, and this
# checks the rendered page: the five plots and their series, the hover script's marker, what the
# hover shows when the pointer moves over the plots over time, and no message on the console. It
# saves a screenshot of the page.
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
"$qeltool" overview "$work/sample.qel" -o "$work/overview.html" || { echo "check_overview.sh: no page" >&2; exit 1; }
cp "$top/tests/browser/hover_check.html" "$work/"

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
browse shot overview.html --hide-scrollbars --window-size=1040,2180 --screenshot="$screenshot" >/dev/null ||
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
  grep -q "$id: visible: recorded time .*first time tag 153:10:00:.*words/s" "$work/hover.dom" ||
    fail "hovering over $id shows nothing: $(grep "$id: " "$work/hover.dom")"
done
if grep -h 'CONSOLE' "$work"/*.log; then fail "messages on the console (above)"; fi
[ -s "$screenshot" ] || fail "the screenshot is empty"

if [ $failures -ne 0 ]; then
  echo "overview page check: $failures failures"
  exit 1
fi
echo "overview page check: 5 plots, their series and the hover render without console messages; screenshot $screenshot"
