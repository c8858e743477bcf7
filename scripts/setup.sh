#!/usr/bin/env bash
# Installs what the build, the programs and the tests need on a Debian machine, when missing:
# the native toolchain and test libraries, CLI11 and nlohmann-json, mingw-w64 for i686 and x86_64,
# NSIS (the installers), Wine (64-bit always; 32-bit too where this host runs 32-bit programs),
# Xvfb, clang (fuzzing), cppcheck and clang-tidy (static checks), Chromium and puppeteer-core (the
# browser checks), pandoc, WeasyPrint and lintian (the guide and the Debian package), and
# cpp-httplib's header from Debian's source package (the viewer's server).
# As root directly, otherwise through sudo; without either it says what to install.
set -euo pipefail

packages=(cmake make g++ python3 googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          nsis xvfb xauth x11-utils imagemagick curl
          clang libclang-rt-dev clang-tidy cppcheck wine wine64 chromium
          pandoc weasyprint fonts-dejavu-core dpkg-dev file lintian man-db bash-completion poppler-utils)
# 32-bit Wine only where the kernel runs 32-bit programs; elsewhere it could not start anyway.
if "$(dirname "$0")/host_runs_32bit.sh"; then packages+=(wine32:i386); fi
# The viewer's browser check: Node.js, with Debian's npm where nodejs does not bring its own, and
# puppeteer-core installed beside the page (view/web/node_modules) from its package-lock.json.
packages+=(nodejs); command -v npm >/dev/null 2>&1 || packages+=(npm)
web_modules() { [ -d "$(dirname "$0")/../view/web/node_modules/puppeteer-core" ] || (cd "$(dirname "$0")/../view/web" && npm ci --no-audit --no-fund --loglevel=error); }

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && { web_modules || exit 1; exec "$(dirname "$0")/fetch_httplib.sh"; }

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Please install, as root:" >&2
  if [[ " ${missing[*]} " == *":i386 "* ]]; then echo "  dpkg --add-architecture i386 && apt-get update" >&2; fi
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
web_modules
"$(dirname "$0")/fetch_httplib.sh"
