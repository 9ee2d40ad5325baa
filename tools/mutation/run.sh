#!/usr/bin/env bash
# The mutation check (tests/README.md): plants each fault of tools/mutation/faults/ in turn, builds and runs the
# tests of its `# tests:` line (cases narrowed by its `# gtest:` filter) and restores the file, also when interrupted.
# A fault is caught only when a case (or a test without cases) that passed on the tree as it is fails with it.
#   bash tools/mutation/run.sh [BUILD_DIR] [FAULT...]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shift || true
faults=("$@")
[[ $# -gt 0 ]] || faults=("$root"/tools/mutation/faults/*.patch)
set -f  # case names and filters are patterns, never file names
# A fault that hangs its program is ended by the case watchdog sooner than by CTest's limit.
export TEST_CASE_LIMIT_S="${TEST_CASE_LIMIT_S:-60}"
work="$(mktemp -d)" saved="" target="" bench_started=false
# A fresh time stamp, so that the next build replaces what the fault built.
restore() { [[ -z "$saved" ]] || cp "$saved" "$target"; saved=""; }
# One Wine bench for the whole check: starting it for every fault would take longer than many faults' tests.
finish() {
    restore
    ! $bench_started || ctest --test-dir "$build" -R '^wine_bench_stop$' >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

header() { sed -n "s/^# $2: *//p" "$1" | head -1; }
# The target that builds a test's program: the test's own name, or the program it runs under another name.
target_of() {
    local name
    for name in "$1" "${1%_german}" "${1%_japanese}"; do
        ninja -C "$build" -t query "$name" >/dev/null 2>&1 && { echo "$name"; return; }
    done
    echo all
}
# Runs test $1 (filter $3): $2.run lists the cases run, $2.ok those that passed ("(test)" for a passing test
# without cases), $2.log the output.
run_test() {
    local passed=true
    env ${3:+GTEST_FILTER="$3"} ctest --test-dir "$build" -R "^$1\$" -FS wine_bench -FC wine_bench -V >"$2.log" 2>&1 ||
        passed=false
    sed -n 's/^[0-9]*: \[ RUN      \] \([^ ]*\).*/\1/p' "$2.log" | sort -u >"$2.run"
    sed -n 's/^[0-9]*: \[       OK \] \([^ ]*\) .*/\1/p' "$2.log" | sort -u >"$2.ok"
    if $passed && ! grep -qE '^[0-9]+: \[==========\]' "$2.log"; then echo "(test)" >"$2.ok"; fi
}
# Whether gtest case $1 is selected by filter $2 (positive patterns, then an optional -negative part).
selected() {
    local filter="${2:-*}" hit=false
    local positive="${filter%%-*}" negative="${filter#"${filter%%-*}"}"
    for pattern in ${positive:-*}; do [[ "$1" == $pattern ]] && hit=true; done
    for pattern in ${negative#-}; do [[ "$1" == $pattern ]] && hit=false; done
    $hit
}
# The cases of test $1 under filter $2 that pass on the tree as it is; the test's baseline runs once per check.
expected_cases() {
    local base="$work/base-$1"
    if [[ ! -f "$base.ok" ]]; then
        cmake --build "$build" --target "$(target_of "$1")" >"$build/mutation-build.log" 2>&1 ||
            { echo "the tree as it is does not build, see $build/mutation-build.log" >&2; exit 1; }
        run_test "$1" "$base"
        cp "$base.log" "$build/mutation-baseline-$1.log"
    fi
    if [[ "$(cat "$base.ok")" == "(test)" ]]; then echo "(test)"; return; fi
    local any=false
    while read -r case; do ! selected "$case" "${2//:/ }" || any=true; done <"$base.run"
    $any || { echo "!the filter selects no case of $1"; return; }
    while read -r case; do ! selected "$case" "${2//:/ }" || echo "$case"; done <"$base.ok"
}

ctest --test-dir "$build" -R '^wine_bench_start$' >"$build/mutation-bench.log" 2>&1 ||
    { echo "the Wine bench did not start, see $build/mutation-bench.log" >&2; exit 1; }
bench_started=true

caught=0 missed=0 broken=() started=$SECONDS
for fault in "${faults[@]}"; do
    name="$(basename "$fault" .patch)"
    target="$root/$(sed -n 's|^+++ b/||p' "$fault" | head -1)"
    tests="$(header "$fault" tests)" filter="$(header "$fault" gtest)"
    verdict="" lost=()
    [[ -f "$target" && -n "$tests" ]] && git -C "$root" apply --check "$fault" 2>/dev/null || verdict="does not apply"
    # Baselines first, while the tree is as it is.
    for test in $tests; do
        [[ -z "$verdict" ]] || break
        grep -q '^ *Test *#' <<<"$(ctest --test-dir "$build" -N -R "^$test\$")" || { verdict="names no test $test"; break; }
        expected_cases "$test" "$filter" >"$work/expected-$test"
        verdict="$(sed -n 's/^!//p' "$work/expected-$test")"
        [[ -n "$verdict" || -s "$work/expected-$test" ]] || verdict="no selected case of $test passes as it is"
    done
    if [[ -z "$verdict" ]]; then
        saved="$work/saved"
        cp -p "$target" "$saved"
        git -C "$root" apply "$fault"
        targets=()
        for test in $tests; do targets+=("$(target_of "$test")"); done
        if cmake --build "$build" --target "${targets[@]}" >"$build/mutation-build.log" 2>&1; then
            for test in $tests; do
                run_test "$test" "$work/fault" "$filter"
                cp "$work/fault.log" "$build/mutation-$name-$test.log"
                while read -r case; do
                    grep -qxF -- "$case" "$work/fault.ok" || lost+=("$test: $case")
                done <"$work/expected-$test"
            done
        else
            verdict="does not build, see $build/mutation-build.log"
        fi
        restore
    fi
    if [[ -n "$verdict" ]]; then
        echo "broken  $name ($verdict)"
        broken+=("$name")
    elif [[ ${#lost[@]} -gt 0 ]]; then
        echo "caught  $name (${lost[0]}$([[ ${#lost[@]} -lt 2 ]] || echo " and $((${#lost[@]} - 1)) more"))"
        caught=$((caught + 1))
    else
        echo "missed  $name (tests: $tests${filter:+, cases: $filter})"
        missed=$((missed + 1))
    fi
done
# What the last fault changed is rebuilt back to the tree's own programs.
cmake --build "$build" >/dev/null 2>&1 || echo "note: the final rebuild failed; run cmake --build $build"
total=$((caught + missed))
echo "kill rate: $caught of $total caught ($(awk -v c=$caught -v t=$total 'BEGIN { printf "%.1f", t ? 100 * c / t : 0 }')%)," \
     "$missed missed, $(( (SECONDS - started) / 60 )) min; broken: ${#broken[@]}${broken:+ (${broken[*]})}"
