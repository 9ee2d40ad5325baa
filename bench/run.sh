#!/usr/bin/env bash
# Runs the benchmarks: configures and builds the benchmark's own build folder
# (build-bench/, with its own archive address, so that it never meets the
# tests or the demo on port 47800), starts a Wine bench of its own, runs the
# benchmark programs and prints their tables. Not part of the tests.
#
#   bash bench/run.sh            every benchmark
#   bash bench/run.sh unzip      only some: unzip, download, strings, startup, footprint, responsiveness
#
# RUNS=N overrides the number of runs of each comparison. BENCH_PORT=N
# serves the archive on another port than 47811 (two people benchmarking on
# one machine). OTHER_COMMIT=REV also builds commit REV's program
# (bench/build-other.sh) and measures it beside this one in startup,
# footprint and responsiveness: before and after, side by side in one run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

build="$root/build-bench"
port="${BENCH_PORT:-47811}"
wine_bench="$build/wine-bench"
selected=("$@")
[[ ${#selected[@]} -gt 0 ]] || selected=(unzip download strings startup footprint responsiveness)

# Two cores on the build machine: never more than two jobs.
mkdir -p "$build"
cmake --preset windows -B "$build" -DSETUP_RESOURCE_ARCHIVE_URL="http://127.0.0.1:$port/resources.zip" \
      -DSETUP_CONNECTIVITY_CHECK_URL= >"$build/bench-configure.log" 2>&1 \
    || { cat "$build/bench-configure.log"; exit 1; }
cmake --build "$build" -j2
cmake --build "$build" -j2 --target benchmarks

# The other build's program, as its Windows path (the bench maps / to Z:).
other=()
if [[ -n "${OTHER_COMMIT:-}" ]]; then
    other_program="$(bash bench/build-other.sh "$OTHER_COMMIT" "$build" "$port")"
    other=("Z:${other_program//\//\\}")
fi

cleanup() {
    # The programs remove their temporary folders; this catches what an
    # interrupted run left behind.
    find "$wine_bench/prefix/drive_c/users" -maxdepth 6 -type d -name 'kt-bench-*' -prune \
         -exec rm -rf {} + 2>/dev/null || true
    bash tools/wine/bench.sh stop "$wine_bench"
}
bash tools/wine/bench.sh start "$wine_bench"
trap cleanup EXIT

echo
echo "Benchmarks of $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?') on $(date -u '+%Y-%m-%d %H:%M UTC')," \
     "$(nproc) cores, $(wine --version 2>/dev/null || echo 'wine'); load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
[[ ${#other[@]} -eq 0 ]] || echo "Beside it: $OTHER_COMMIT (${other[0]})"

failed=()
run() {
    local name="$1" program="$2"
    shift 2
    echo
    echo "--- $name ---"
    if ! bash tools/wine/bench.sh exec "$wine_bench" "$build/$program" "$@"; then
        failed+=("$name")
    fi
}
for name in "${selected[@]}"; do
    case "$name" in
    unzip) run unzip bench_unzip.exe "${RUNS:-5}" ;;
    download) run download bench_download.exe "${RUNS:-15}" ;;
    strings) run strings bench_strings.exe "${RUNS:-5}" ;;
    startup) run startup bench_startup.exe "${RUNS:-9}" "${other[@]}" ;;
    footprint) run footprint bench_footprint.exe "${RUNS:-3}" "${other[@]}" ;;
    responsiveness) run responsiveness bench_responsiveness.exe "${RUNS:-3}" "${other[@]}" ;;
    *) echo "bench: unknown benchmark $name" >&2; failed+=("$name") ;;
    esac
done

echo
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "benchmarks that did not complete: ${failed[*]}"
    exit 1
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "all benchmarks completed (a goal that is not met is reported in its table, not as a failure)"
