#!/usr/bin/env bash
# Puts the single header of cpp-httplib, from Debian's source package (its patches applied), where
# the viewer's build looks for it: /usr/local/share/varnotek/cpp-httplib/httplib.h. Debian's binary
# package splits the library into a shared object; the Windows editions and the native build
# compile the one header instead, the same way everywhere. Source lines are enabled for the
# machine's Debian entries when none are (as root).
set -euo pipefail

dest=/usr/local/share/varnotek/cpp-httplib
[ -f "$dest/httplib.h" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types: deb$/Types: deb-src/' "$f" | "${as_root[@]}" tee "${f%.sources}-src.sources" >/dev/null
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${as_root[@]}" tee /etc/apt/sources.list.d/varnotek-src.list >/dev/null
  fi
  "${as_root[@]}" apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq cpp-httplib >/dev/null 2>&1)
header=$(find "$work" -maxdepth 2 -name httplib.h | head -n 1)
[ -n "$header" ] || { echo "cpp-httplib's source package gave no httplib.h" >&2; exit 1; }
"${as_root[@]}" mkdir -p "$dest"
"${as_root[@]}" cp "$header" "$(dirname "$header")/LICENSE" "$dest/"
