#!/usr/bin/env bash
# The tests' share of the code: non-blank lines of C++, CMake, shell and
# Python under tests/, against those of tests/, the program's folders and
# tools/ together.
#
#   bash tools/metrics/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.rc' -o -name 'CMakeLists.txt' \
        -o -name '*.cmake' -o -name '*.sh' -o -name '*.py' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'
}
tests=$(count tests)
code=$(count app framework tasks resources wizard res tools)
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / (t + c) }')
verdict=$([[ $((3 * tests)) -le $((tests + code)) ]] && echo "at most a third" || echo "above a third")
echo "tests: $tests non-blank lines; program and tools: $code; tests' share: $share% ($verdict)"
