#!/usr/bin/env bash
# Prints the lines of product code and of tests, and their ratio (tests should stay at most 40%).
# Code: the product folders' .cpp/.h, and with the page's JavaScript, HTML and CSS and dist/'s
# generator. Tests: tests/ but the benchmarks and the fuzz corpus (.cpp .h .sh .mjs .html .py).
set -euo pipefail
cd "$(dirname "$0")/.."
product=(app card common files record search sim tools res export index frontend view)
lines() { xargs cat 2>/dev/null | wc -l; }
cpp=$(find "${product[@]}" -name '*.cpp' -o -name '*.h' | lines)
all=$(find "${product[@]}" dist -name node_modules -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.js' \
      -o -name '*.html' -o -name '*.css' -o -name '*.py' \) -print | lines)
tcpp=$(find tests -path tests/bench -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | lines)
tall=$(find tests -path tests/bench -prune -o -path tests/fuzz/corpus -prune -o \( -name '*.cpp' -o -name '*.h' \
       -o -name '*.sh' -o -name '*.mjs' -o -name '*.html' -o -name '*.py' \) -print | lines)
echo "C++ only:      code $cpp, tests $tcpp = $(( 1000 * tcpp / cpp / 10 )).$(( 1000 * tcpp / cpp % 10 ))%"
echo "all languages: code $all, tests $tall = $(( 1000 * tall / all / 10 )).$(( 1000 * tall / all % 10 ))%"
