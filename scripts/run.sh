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
# The tour prints "screenshot NAME" where the screen is worth keeping: the screen, cut to what is
# drawn on it, goes to build/tour/NAME.png.
(cd "$edition_bin" && "$WINE" varnotek-tour.exe "$("$WINE" winepath -w "$tour/work")" "${RECORD_SECONDS:-4}") |
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      "screenshot "*) import -window root -trim +repage "$tour/${line#screenshot }.png" && echo "screenshot: $tour/${line#screenshot }.png" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done
rc=${PIPESTATUS[0]}
stop_display
exit $rc
