#!/usr/bin/env bash
# Checks that an edition's qeltool.exe (x86 or x64) serves the viewer under Wine: `qeltool.exe view
# --no-browser` on a folder with a generated recording prints its address, and curl from Linux
# gets the page, the recordings list and rows with the token, 403 without it; POST /api/quit ends it.
# Then, without --no-browser, the address reaches the browser: Wine's ShellExecute hands it to
# xdg-open, here a stand-in that notes what it was given.
set -uo pipefail
edition=${1:?usage: view_wine_check.sh x86|x64}
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine_env.sh"
use_edition "$edition" || exit 2
exe="$edition_bin/qeltool.exe"
[ -f "$exe" ] || { echo "view wine check: no $exe (build the $edition edition first)" >&2; exit 1; }
command -v curl >/dev/null || { echo "view wine check: curl is missing" >&2; exit 1; }

work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
# The folder as Windows programs under Wine see it: on drive Z:.
windows_work="Z:${work//\//\\}"
"$WINE" "$exe" generate --records 50000 "$windows_work\\run.qel" >"$work/gen.txt" 2>&1 ||
  { echo "view wine check: generate failed: $(cat "$work/gen.txt")" >&2; exit 1; }
"$WINE" "$exe" view --no-browser "$windows_work" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
for _ in $(seq 1 120); do grep -q '^http://' "$work/out.txt" 2>/dev/null && break; sleep 0.5; done
address=$(head -n 1 "$work/out.txt" | tr -d '\r')
[[ "$address" =~ ^http://127\.0\.0\.1:([0-9]+)/\?token=([0-9a-f]{32})$ ]] ||
  { echo "view wine check: no address printed: '$address' $(cat "$work/err.txt")" >&2; exit 1; }
base="http://127.0.0.1:${BASH_REMATCH[1]}"
token=${BASH_REMATCH[2]}
problems=0
expect() {  # status, what, curl arguments...
  local want=$1 what=$2; shift 2
  local got
  got=$(curl -s -o "$work/body" -w '%{http_code}' --max-time 20 "$@")
  if [ "$got" != "$want" ]; then echo "view wine check: FAILED: $what: $got, not $want" >&2; problems=$((problems + 1)); fi
}
expect 200 "the page" "$base/?token=$token"
expect 200 "the recordings" -H "X-Varnotek-Token: $token" "$base/api/recordings"
grep -q '"name":"run.qel"' "$work/body" || { echo "view wine check: FAILED: run.qel not listed" >&2; problems=$((problems + 1)); }
expect 200 "rows" -H "X-Varnotek-Token: $token" "$base/api/rows?name=run.qel&from=49990&count=20"
grep -q '"records":50000' "$work/body" || { echo "view wine check: FAILED: rows: $(head -c 200 "$work/body")" >&2; problems=$((problems + 1)); }
expect 200 "the timeline" -H "X-Varnotek-Token: $token" "$base/api/timeline?name=run.qel&bins=100"
expect 403 "no token" "$base/api/recordings"
expect 404 "a path leading out" -H "X-Varnotek-Token: $token" "$base/api/rows?name=..%5Crun.qel"
expect 200 "quit" -d "" -H "X-Varnotek-Token: $token" "$base/api/quit"
for _ in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
if kill -0 "$pid" 2>/dev/null; then echo "view wine check: FAILED: still running after quit" >&2; problems=$((problems + 1)); fi
# The browser opened: a stand-in xdg-open first on the PATH notes the address.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
PATH="$work/bin:$PATH" "$WINE" "$exe" view "$windows_work" >"$work/out2.txt" 2>"$work/err2.txt" &
pid=$!
for _ in $(seq 1 120); do [ -s "$work/opened.txt" ] && break; sleep 0.5; done
address=$(head -n 1 "$work/out2.txt" | tr -d '\r')
if [ -z "$address" ] || [ "$(head -n 1 "$work/opened.txt" 2>/dev/null)" != "$address" ]; then
  echo "view wine check: FAILED: the browser was not opened on '$address': $(cat "$work/opened.txt" 2>/dev/null)" >&2
  problems=$((problems + 1))
fi
token=$(sed -n 's/.*token=\([0-9a-f]*\).*/\1/p' <<<"$address")
curl -s -o /dev/null -d "" -H "X-Varnotek-Token: $token" "${address%%/\?*}/api/quit"
wait "$pid" 2>/dev/null
pid=

if [ "$problems" -ne 0 ]; then echo "view wine check ($edition): $problems failed" >&2; exit 1; fi
echo "view wine check ($edition): passed"
