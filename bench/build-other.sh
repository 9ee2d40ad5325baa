#!/usr/bin/env bash
# Builds another commit's KestrafinSetup.exe for a before-and-after
# comparison (bench/run.sh with OTHER_COMMIT=REV), configured as the
# benchmark's own build is: the same archive address, and trusting and
# signing with that build's test key, so that both programs take the
# archive that the benchmarks serve. Prints the program's path.
#
#   bash bench/build-other.sh REV BENCH_BUILD PORT
#
# The commit's files go to BENCH_BUILD-other/src, its build to
# BENCH_BUILD-other/build; build output goes to standard error. The fetched
# third-party sources (.deps) are shared with this checkout when the commit
# fetches them as this checkout does; otherwise the commit's fetch script
# would lay out this checkout's cache its own way under this checkout's
# builds, so the commit gets a cache of its own (BENCH_BUILD-other/deps).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
revision="${1:?usage: build-other.sh REV BENCH_BUILD PORT}"
bench_build="${2:?usage: build-other.sh REV BENCH_BUILD PORT}"
port="${3:?usage: build-other.sh REV BENCH_BUILD PORT}"

other="$bench_build-other"
commit="$(git -C "$root" rev-parse --verify "$revision^{commit}")"
keys="$bench_build/archive-signing"
[[ -f "$keys/test-archive-key.pem" ]] || { echo "build-other: no test key in $keys; build $bench_build first" >&2; exit 1; }

{
    # A fresh copy of the commit, unless the last one was of the same commit.
    if [[ "$(cat "$other/commit" 2>/dev/null)" != "$commit" ]]; then
        rm -rf "$other/src"
        mkdir -p "$other/src"
        git -C "$root" archive "$commit" | tar -x -C "$other/src"
        if git -C "$root" diff --quiet HEAD "$commit" -- tools/deps; then
            ln -s "$root/.deps" "$other/src/.deps"
        else
            mkdir -p "$other/deps"
            ln -s "$other/deps" "$other/src/.deps"
        fi
        echo "$commit" >"$other/commit"
    fi
    cd "$other/src"
    # Outside a git checkout the build takes its date from here.
    SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct "$commit")" \
        cmake --preset windows -B "$other/build" -DBUILD_TESTING=OFF \
              -DSETUP_RESOURCE_ARCHIVE_URL="http://127.0.0.1:$port/resources.zip" -DSETUP_CONNECTIVITY_CHECK_URL= \
              -DSETUP_ARCHIVE_PUBLIC_KEY="$keys/test-archive-key.pub.pem" \
              -DSETUP_ARCHIVE_SIGNING_KEY="$keys/test-archive-key.pem" >"$other/configure.log" 2>&1 \
        || { cat "$other/configure.log"; exit 1; }
    # Two cores on the build machine: never more than two jobs.
    cmake --build "$other/build" -j2 --target KestrafinSetup
} >&2
echo "$other/build/KestrafinSetup.exe"
