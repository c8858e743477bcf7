#!/usr/bin/env bash
# Runs the recorder with the simulated card (varnotek-sim.exe under Wine). On a display it opens
# the dialog for you; without one it starts Xvfb, drives the real dialog through a short tour
# (record a few seconds, stop, count, search, find a time, view), prints each status line and
# saves screenshots under build/tour/. Where this host does not run 32-bit programs it uses the
# 64-bit edition under wine64.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh" || exit 1
source "$top/scripts/wine_env.sh"
edition=$(host_edition)
case "$edition" in
  x86) "$top/scripts/build.sh" windows || exit 1 ;;
  x64) "$top/scripts/build.sh" windows-x64 || exit 1 ;;
esac
use_edition "$edition"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  prepare_prefix
  workdir="$top/build/recordings"
  mkdir -p "$workdir"
  cd "$workdir" && exec "$WINE" "$edition_bin/varnotek-sim.exe"
fi

start_display || exit 1
prepare_prefix
tour="$top/build/tour"
rm -rf "$tour" && mkdir -p "$tour/work"
(cd "$edition_bin" && "$WINE" varnotek-tour.exe "$("$WINE" winepath -w "$tour/work")" "$("$WINE" winepath -w "$tour")" "${RECORD_SECONDS:-4}")
rc=$?
for bmp in "$tour"/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$tour"/*.png 2>/dev/null | sed 's/^/screenshot: /'
stop_display
exit $rc
