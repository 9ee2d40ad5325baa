#!/usr/bin/env bash
# The mutation check: proves what the tests catch by planting known faults.
#
#   bash tools/mutation/run.sh [BUILD_DIR] [FAULT...]
#
# Each file in tools/mutation/faults/ is one fault: a unified diff against one
# product file (as `git diff` writes it), preceded by a line
#   # tests: TEST [TEST...]
# naming the CTest tests that should catch it, and optionally a line
#   # gtest: FILTER
# that narrows those test programs to the cases concerned (it is passed as
# GTEST_FILTER; a test whose command line names a filter keeps its own).
# For each fault the script applies the patch, rebuilds what changed, runs
# the named tests on the Wine bench (started once for the whole check), and
# puts the file back; it prints one line per fault (caught, missed, or broken
# when the patch no longer applies, names no test, or the build fails) and
# the total. Not part of CI: every fault costs a rebuild and a test run.
#
# The tree is left as it was found, also when the run is interrupted: the
# patched file is restored from a copy taken before the patch (with a new
# time stamp, so that the next build drops the faulty objects).
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

# The file a patch changes (its "+++ b/PATH" line).
patched_file() { sed -n 's|^+++ b/||p' "$1" | head -1; }
# The tests a fault names.
named_tests() { sed -n 's/^# tests: *//p' "$1" | head -1; }
# The test cases it narrows them to, if any.
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
