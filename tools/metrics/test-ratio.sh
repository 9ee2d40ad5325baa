#!/usr/bin/env bash
# The tests' share of the code: non-blank lines of C++, CMake, shell and
# Python under tests/ and the test tooling (tools/mutation/, tools/metrics/),
# against those plus the program's folders and the rest of tools/ (the
# automation helper, the Wine bench and the demo's parts also serve the demo).
# The share must stay at most 35%.
#
#   bash tools/metrics/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.rc' -o -name 'CMakeLists.txt' \
        -o -name '*.cmake' -o -name '*.sh' -o -name '*.py' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'
}
tests=$(count tests tools/mutation tools/metrics)
code=$(count app framework tasks resources wizard res $(find tools -mindepth 1 -maxdepth 1 ! -name mutation ! -name metrics))
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / (t + c) }')
verdict=$([[ $((100 * tests)) -le $((35 * (tests + code))) ]] && echo "at most 35%" || echo "above 35%")
echo "tests: $tests non-blank lines; program and tools: $code; tests' share: $share% ($verdict)"
