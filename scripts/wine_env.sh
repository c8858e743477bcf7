# Sourced: Wine for one Windows edition of the build, with a prefix of its own in the build tree,
# and a display (Xvfb when none).
#   use_edition x86   the 32-bit programs (build/windows/bin) under wine in a win32 prefix
#   use_edition x64   the 64-bit programs (build/windows-x64/bin) under wine64 in a win64 prefix
#   host_edition      prints x86 where this host runs 32-bit programs, else x64 (and says why)
# After use_edition: $WINE runs a Windows program, $edition_bin holds the edition's programs.
top=${top:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine64_loader() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64; else echo /usr/lib/wine/wine64; fi
}

use_edition() {
  case "$1" in
    x86)
      WINE=wine
      unset WINELOADER
      export WINEARCH=win32 WINEPREFIX="$top/build/wineprefix"
      edition_bin="$top/build/windows/bin" ;;
    x64)
      WINE=$(wine64_loader)
      export WINELOADER=$WINE WINEARCH=win64 WINEPREFIX="$top/build/wineprefix-x64"
      edition_bin="$top/build/windows-x64/bin" ;;
    *) echo "use_edition: x86 or x64, not '$1'" >&2; return 2 ;;
  esac
  EDITION=$1
}

host_edition() {
  if "$top/scripts/host_runs_32bit.sh"; then
    echo x86
  else
    echo "This host does not run 32-bit programs (the 32-bit probe failed): using the 64-bit Windows edition under wine64." >&2
    echo x64
  fi
}

xvfb_pid=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${VARNOTEK_FORCE_XVFB:-}" ]; then return 0; fi
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      return 0
    fi
  done
  echo "no free display number for Xvfb" >&2
  return 1
}

stop_display() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
}
