#!/usr/bin/env bash
# The viewer's page in a real browser: qeltool view serves a folder with a generated recording,
# headless Chromium (driven by check_viewer.mjs through puppeteer-core) opens it, scrolls to the
# end, goes to a time, finds, follows the file while records are appended, and checks what the
# page shows against qeltool's own answers; then the page's Quit stops the server. Prints the
# longest frame while scrolling and keeps screenshots.
#
#   tests/browser/check_viewer.sh [BUILD] [SHOTS]
#
# BUILD defaults to build/native (scripts/build.sh native); SHOTS to BUILD/viewer.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build/native}
shots=${2:-$build/viewer}
qeltool=$build/tools/qeltool
browser=$(command -v chromium || command -v chromium-browser || true)

[ -x "$qeltool" ] || { echo "check_viewer.sh: no $qeltool (scripts/build.sh native)" >&2; exit 2; }
[ -n "$browser" ] || { echo "check_viewer.sh: chromium is missing (scripts/setup.sh)" >&2; exit 2; }
[ -d "$top/view/web/node_modules/puppeteer-core" ] ||
  { echo "check_viewer.sh: puppeteer-core is missing (scripts/setup.sh)" >&2; exit 2; }

work=$(mktemp -d)
server=0
trap '[ $server -ne 0 ] && kill $server 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/data" "$shots"
"$qeltool" generate "$work/data/older.qel" --records 20000 --seed 5 --start "2024-05-31 09:00:00" >/dev/null &&
  "$qeltool" generate "$work/data/run.qel" --records 400000 --seed 9 --start "2024-06-01 10:00:00" >/dev/null ||
  { echo "check_viewer.sh: the sample recordings were not written" >&2; exit 1; }

"$qeltool" view "$work/data" --no-browser >"$work/server.out" 2>"$work/server.err" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/server.out" ] && break
  sleep 0.1
done
url=$(head -n 1 "$work/server.out")
[[ $url == http://127.0.0.1:*token=* ]] || { echo "check_viewer.sh: qeltool view gave no address: $url $(cat "$work/server.err")" >&2; exit 1; }

timeout 300 node "$top/tests/browser/check_viewer.mjs" "$url" "$work/data/run.qel" "$qeltool" "$shots" "$browser" "$work/profile"
status=$?
# The page's Quit stops the server.
for _ in $(seq 50); do
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
if kill -0 $server 2>/dev/null; then
  echo "FAIL the server still runs after the page's Quit"
  status=1
elif ! wait $server; then
  echo "FAIL the server ended with a failure: $(cat "$work/server.err")"
  status=1
fi
server=0
echo "screenshots in $shots"
exit $status
