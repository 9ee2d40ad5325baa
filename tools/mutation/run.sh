#!/usr/bin/env bash
# The mutation check (tests/README.md): applies each fault of tools/mutation/faults/ in turn, rebuilds, runs the
# tests of its `# tests:` line (cases narrowed by `# gtest:`, unless a test names its own filter) and restores the
# file, also when interrupted; one line per fault (caught, missed or broken) and the total.
#
#   bash tools/mutation/run.sh [BUILD_DIR] [FAULT...]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
shift || true
faults_dir="$root/tools/mutation/faults"

if [[ $# -gt 0 ]]; then
    faults=("$@")
else
    faults=("$faults_dir"/*.patch)
fi

saved=""
target=""
restore() {
    if [[ -n "$saved" ]]; then
        # A fresh time stamp, so that the next build replaces what the fault built.
        cp "$saved" "$target"
        rm -f "$saved"
        saved=""
    fi
}
# The Wine bench runs for the whole check: starting it for every fault
# would take longer than many faults' tests.
bench_started=false
stop_bench() {
    if $bench_started; then
        ctest --test-dir "$build" -R '^wine_bench_stop$' >/dev/null 2>&1 || true
        bench_started=false
    fi
}
trap 'restore; stop_bench' EXIT
trap 'restore; stop_bench; exit 130' INT TERM

patched_file() { sed -n 's|^+++ b/||p' "$1" | head -1; }
named_tests() { sed -n 's/^# tests: *//p' "$1" | head -1; }
named_filter() { sed -n 's/^# gtest: *//p' "$1" | head -1; }

if ! ctest --test-dir "$build" -R '^wine_bench_start$' >"$build/mutation-bench.log" 2>&1; then
    echo "the Wine bench did not start, see $build/mutation-bench.log" >&2
    exit 1
fi
bench_started=true

caught=0 missed=0 broken=0
for fault in "${faults[@]}"; do
    name="$(basename "$fault" .patch)"
    target="$root/$(patched_file "$fault")"
    tests="$(named_tests "$fault")"
    filter="$(named_filter "$fault")"
    if [[ ! -f "$target" || -z "$tests" ]] || ! git -C "$root" apply --check "$fault" 2>/dev/null; then
        echo "broken  $name (does not apply)"
        broken=$((broken + 1))
        continue
    fi
    saved="$(mktemp)"
    cp -p "$target" "$saved"
    git -C "$root" apply "$fault"
    regex="^($(tr ' ' '|' <<<"$tests"))\$"
    listed="$(ctest --test-dir "$build" -N -R "$regex" 2>/dev/null || true)"
    if ! grep -q '^ *Test *#' <<<"$listed"; then
        echo "broken  $name (names no test of $build)"
        broken=$((broken + 1))
    elif ! cmake --build "$build" >"$build/mutation-build.log" 2>&1; then
        echo "broken  $name (does not build, see $build/mutation-build.log)"
        broken=$((broken + 1))
    elif env ${filter:+GTEST_FILTER="$filter"} ctest --test-dir "$build" -R "$regex" -FS wine_bench -FC wine_bench \
            >"$build/mutation-$name.log" 2>&1; then
        echo "missed  $name (tests: $tests${filter:+, cases: $filter})"
        missed=$((missed + 1))
    else
        echo "caught  $name"
        caught=$((caught + 1))
    fi
    restore
done
# What the last fault changed is rebuilt back to the tree's own program.
cmake --build "$build" >/dev/null 2>&1 || echo "note: the final rebuild failed; run cmake --build $build"
total=$((caught + missed))
echo "total: $caught of $total caught, $missed missed, $broken broken"
