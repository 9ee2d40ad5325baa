#!/usr/bin/env bash
# The mutation check: proves what the tests catch by planting known faults.
#
#   bash tools/mutation/run.sh [BUILD_DIR] [FAULT...]
#
# Each file in tools/mutation/faults/ is one fault: a unified diff against one
# product file (as `git diff` writes it), preceded by a line
#   # tests: TEST [TEST...]
# naming the CTest tests that should catch it. For each fault the script
# applies the patch, rebuilds what changed, runs the named tests on the Wine
# bench, and puts the file back; it prints one line per fault (caught, missed,
# or broken when the patch no longer applies or the build fails) and the
# total. Not part of CI: every fault costs a rebuild and a test run.
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
trap 'restore' EXIT
trap 'restore; exit 130' INT TERM

# The file a patch changes (its "+++ b/PATH" line).
patched_file() { sed -n 's|^+++ b/||p' "$1" | head -1; }
# The tests a fault names.
named_tests() { sed -n 's/^# tests: *//p' "$1" | head -1; }

caught=0 missed=0 broken=0
for fault in "${faults[@]}"; do
    name="$(basename "$fault" .patch)"
    target="$root/$(patched_file "$fault")"
    tests="$(named_tests "$fault")"
    if [[ ! -f "$target" || -z "$tests" ]] || ! git -C "$root" apply --check "$fault" 2>/dev/null; then
        echo "broken  $name (does not apply)"
        broken=$((broken + 1))
        continue
    fi
    saved="$(mktemp)"
    cp -p "$target" "$saved"
    git -C "$root" apply "$fault"
    regex="^($(tr ' ' '|' <<<"$tests"))\$"
    if ! cmake --build "$build" >"$build/mutation-build.log" 2>&1; then
        echo "broken  $name (does not build, see $build/mutation-build.log)"
        broken=$((broken + 1))
    elif ctest --test-dir "$build" -R "$regex" >"$build/mutation-$name.log" 2>&1; then
        echo "missed  $name (tests: $tests)"
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
