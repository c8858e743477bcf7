#!/usr/bin/env bash
# Exits 0 when this host runs 32-bit x86 programs, 1 when it does not. It runs a real 32-bit
# program (a 96-byte static ELF that only exits with 42) rather than guessing from uname: kernels
# without IA-32 emulation refuse it with "Exec format error". VARNOTEK_NO_32BIT=1 answers "no"
# without asking, to try the 64-bit path on any host.
[ -n "${VARNOTEK_NO_32BIT:-}" ] && exit 1
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$top/build"
probe="$top/build/.probe-32bit"
# ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80 (exit(42)).
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
