#!/usr/bin/env bash
# Checks an edition's installer (x86 or x64) under Wine: a silent install into a fresh prefix;
# inside Windows the files, shortcuts (the recorders, the viewer, the guide, the uninstaller), working folders, Add/Remove Programs entry, the simulated
# recorder started as its shortcut starts it and Help (tests/e2e/installed_e2e_test.cpp); a second
# silent install over the first (an upgrade); then a silent uninstall, which must remove what was
# installed and keep the data folder with everything in it.
set -uo pipefail
edition=${1:?usage: installer_check.sh x86|x64}
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine_env.sh"
use_edition "$edition" || exit 2
case "$edition" in x86) build="$top/build/windows" ;; x64) build="$top/build/windows-x64" ;; esac
setup=$(ls "$build"/varnotek-*-setup-"$edition".exe 2>/dev/null | head -n 1)
[ -n "$setup" ] || { echo "installer check: no installer in $build (is nsis installed?)" >&2; exit 1; }

# A fresh prefix, and a home of its own so that Documents is not the real user's.
export WINEPREFIX="$top/build/wineprefix-install-$edition"
export HOME="$top/build/install-home-$edition"
rm -rf "$WINEPREFIX" "$HOME" && mkdir -p "$HOME"
VARNOTEK_FORCE_XVFB=1 start_display || exit 1
problems=()
check() { if ! eval "$2"; then problems+=("$1"); echo "installer check: FAILED: $1" >&2; fi; }

prepare_prefix
install_dir="$WINEPREFIX/drive_c/Program Files/Varnotek"
check "silent install exits 0" '"$WINE" "$setup" /S && wineserver -w'
check "the installation checked from inside Windows" \
  '(cd "$edition_bin" && "$WINE" varnotek-e2e.exe --gtest_color=no --gtest_also_run_disabled_tests --gtest_filter="InstalledE2E.*")'
data_folder=$(find -L "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -path '*/Documents/Varnotek' 2>/dev/null | head -n 1)
check "the data folder exists" '[ -n "$data_folder" ] && [ -f "$data_folder/QEL.SUP" ]'
[ -n "$data_folder" ] && head -c 65536 /dev/urandom >"$data_folder/KEEP.QEL"
touch -d '2001-01-01' "$install_dir/varnotek-sim.exe" 2>/dev/null
check "a second silent install upgrades the first" \
  '"$WINE" "$setup" /S && wineserver -w && [ -n "$(find "$install_dir/varnotek-sim.exe" -newermt 2002-01-01)" ]'
check "silent uninstall exits 0" '"$WINE" "$install_dir/Uninstall.exe" /S && wineserver -w'
check "the uninstall removes the programs" '[ ! -e "$install_dir" ]'
check "the uninstall removes the shortcuts" \
  '[ -z "$(find -L "$WINEPREFIX/drive_c" -name "*.lnk" -path "*Varnotek*" 2>/dev/null)" ]'
check "the uninstall removes the Add/Remove Programs entry" \
  '! "$WINE" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnotek" >/dev/null 2>&1'
check "the data folder and its files survive the uninstall" \
  '[ -f "$data_folder/QEL.SUP" ] && [ $(stat -c %s "$data_folder/KEEP.QEL") -eq 65536 ]'
stop_display

if [ ${#problems[@]} -ne 0 ]; then echo "installer check ($edition): ${#problems[@]} failed" >&2; exit 1; fi
echo "installer check ($edition): passed"
