#!/usr/bin/env bash
# Fetches the pinned Debian source packages of SQLite, minizip and RapidJSON
# into a cache folder and prepares them for the build. A second run finds
# everything in the cache and needs no network. Every fetched file must have
# the SHA-256 pinned below: another file fails the fetch, and so the build.
#
# Two SQLite amalgamations are generated from the sources, once each:
# - sqlite3/sqlite3.c, complete, for the build machine's content tool;
# - sqlite3-program/sqlite3.c, for the Windows build (the program, its tests,
#   content-tool.exe), generated with the options of
#   tools/deps/sqlite-program-options.txt. Options that take parts out of the
#   SQL grammar only work in an amalgamation generated with them. Its stamp
#   names a digest of that file, so changing an option regenerates it.
#
# Usage: fetch-sources.sh CACHE_DIR
#
# The source download uses a private apt configuration of its own (sources list,
# package lists) inside the cache, so the system's apt setup is never changed.
# Its mirror addresses are taken from the system's configured Debian sources.
# docs/dependencies.md says what each package is, and which advisories were
# checked against it.
set -euo pipefail
# apt's helper for single files lives beside apt's own programs, off the PATH.
PATH="$PATH:/usr/lib/apt"

SQLITE_VERSION="3.40.1-2+deb12u2"
MINIZIP_VERSION="1.1-8+deb12u1"
# Debian 12's RapidJSON (1.1.0+dfsg2-7.1) lacks the fix for an exponent that
# overflows with the fraction's digits (CVE-2024-38517): a 31-byte number read
# far outside the reader's table of powers. Debian fixed it in 7.4; this is the
# later Debian revision whose sources the mirrors serve. No release of Debian
# 12 has it, so its files are taken from the pool by name and pinned digest.
RAPIDJSON_VERSION="1.1.0+dfsg2-7.6"

PINNED_SHA256="
ee3459ae9d00939741c7708fc1b8ce1bde12d8c3fb1dfa005bbbc8651d884e23  sqlite3_3.40.1-2+deb12u2.dsc
aaa776260ab4dc976db34aa7891819484c8676b5b2783123ebc6301e2ca5d655  sqlite3_3.40.1.orig.tar.xz
a5e95a18d1b59729278860559ded78751b9163ffb5bb906c5cd24c015f71d5fd  sqlite3_3.40.1.orig-www.tar.xz
0843bc12e4364076477935ce313a6d0796fd899a989ff18ebb6545540e10e4ca  sqlite3_3.40.1-2+deb12u2.debian.tar.xz
1a518d106083cac24385382a34e0452b5a659919206a147a6f66d85d60adf135  minizip_1.1-8+deb12u1.dsc
7d8da446d3b6799e7851f077a66551a46b80fc3de708549e79dbd3e49e842ba1  minizip_1.1.orig.tar.xz
1a6f0cec9d51b9485d7a2f6c6fcf8240ab716854fe4640790838451f9f4b90fa  minizip_1.1-8+deb12u1.debian.tar.xz
92aa6402743012e5f2c3db17def1ff5273df4f3ca7a8f8ed9f1041d392c14ce7  rapidjson_1.1.0+dfsg2.orig.tar.gz
78304eb6c64f9255ac7f59a799d3cf1205f479c94a552cf62794f47f87a6c4c0  rapidjson_1.1.0+dfsg2-7.6.debian.tar.xz
"

# Debian's patches that change SQLite's code, in the order of its series: the
# fixes of its security updates (CVE-2025-6965, CVE-2023-7104 and two others)
# and of a wrong result. Its other patches concern its own packaging and build.
SQLITE_PATCHES="
41-fix_a_bug_in_the_NOT_NULL-IS_NULL_optimization.patch
42-CVE-2025-6965.patch
0001-Fix-a-buffer-overread-in-the-sessions-extension-that.patch
0002-Avoid-a-stack-overflow-that-could-be-caused-by-a-rec.patch
0003-Fix-a-technically-undefined-signed-integer-overflow-.patch
"

# Fails unless every file in folder $1 is one of the pinned files with its
# pinned SHA-256.
check_pinned() {
    local file
    for file in "$1"/*; do
        awk -v name="$(basename "$file")" '$2 == name { found = 1 } END { exit !found }' <<<"$PINNED_SHA256" || {
            echo "fetch-sources: $(basename "$file") was fetched but is not pinned in $0" >&2
            exit 1
        }
    done
    (cd "$1" && grep . <<<"$PINNED_SHA256" | sha256sum --check --strict --quiet --ignore-missing) || {
        echo "fetch-sources: a fetched file is not the pinned one (see above); nothing was unpacked" >&2
        exit 1
    }
}

cache="${1:?usage: fetch-sources.sh CACHE_DIR}"
mkdir -p "$cache"
cache="$(cd "$cache" && pwd)"
sources_digest="$(echo "$PINNED_SHA256$SQLITE_PATCHES" | sha256sum | cut -c1-16)"
stamp="$cache/ready-sources-${sources_digest}"
program_options="$(dirname "${BASH_SOURCE[0]}")/sqlite-program-options.txt"
program_digest="$(cat "$program_options" <(echo "$sources_digest") | sha256sum | cut -c1-16)"
program_stamp="$cache/ready-sqlite3-program-${program_digest}"

fetch_sources() {
    apt_dir="$cache/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"

    # deb-src lines for the suites that the system's Debian sources name.
    debian_uris() {
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
            grep -E '^[[:space:]]*(URIs:|deb )' | grep -oE 'https?://[^ ]*debian[^ ]*' | sort -u
    }
    : >"$apt_dir/sources.list"
    local mirror="" pool file
    for uri in $(debian_uris); do
        case "$uri" in
            *security*) echo "deb-src $uri bookworm-security main" >>"$apt_dir/sources.list" ;;
            *) mirror="${mirror:-$uri}"
               echo "deb-src $uri bookworm main" >>"$apt_dir/sources.list"
               echo "deb-src $uri bookworm-updates main" >>"$apt_dir/sources.list" ;;
        esac
    done
    if [[ ! -s "$apt_dir/sources.list" ]]; then
        echo "fetch-sources: no Debian mirror found in the system's apt sources" >&2
        exit 1
    fi

    apt_options=(
        -o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=/dev/null"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache::Archives=$apt_dir/archives"
        -o "APT::Sandbox::User=root"
    )
    apt-get -qq "${apt_options[@]}" update

    work="$cache/download"
    rm -rf "$work" && mkdir -p "$work"
    (cd "$work" && apt-get -qq "${apt_options[@]}" source --download-only \
        "sqlite3=$SQLITE_VERSION" "minizip=$MINIZIP_VERSION") || {
        echo "fetch-sources: the pinned versions sqlite3=$SQLITE_VERSION and minizip=$MINIZIP_VERSION" \
             "are not available from the configured mirrors; update the pins in $0" >&2
        exit 1
    }
    pool="$mirror/pool/main/r/rapidjson"
    for file in "rapidjson_${RAPIDJSON_VERSION%-*}.orig.tar.gz" "rapidjson_${RAPIDJSON_VERSION}.debian.tar.xz"; do
        apt-helper -qq -o APT::Sandbox::User=root download-file "$pool/$file" "$work/$file" || {
            echo "fetch-sources: $pool/$file is not available; update the RapidJSON pin in $0" >&2
            exit 1
        }
    done
    check_pinned "$work"

    # SQLite with Debian's fixes to its code; minizip as released (Debian's
    # patches concern its build, the example programs and the zip writer, none
    # of which is built here); RapidJSON with Debian's whole series.
    rm -rf "$cache/sqlite3" "$cache/minizip" "$cache/rapidjson"
    mkdir "$cache/sqlite3" "$cache/rapidjson"
    tar -xJf "$work"/sqlite3_*.orig.tar.xz -C "$cache/sqlite3" --strip-components=1
    tar -xJf "$work"/sqlite3_*.debian.tar.xz -C "$cache/sqlite3"
    for patch in $SQLITE_PATCHES; do
        patch -s -p1 -d "$cache/sqlite3" <"$cache/sqlite3/debian/patches/$patch"
    done
    tar -xJf "$work"/minizip_*.orig.tar.xz -C "$cache"
    tar -xzf "$work"/rapidjson_*.orig.tar.gz -C "$cache/rapidjson" --strip-components=1
    tar -xJf "$work"/rapidjson_*.debian.tar.xz -C "$cache/rapidjson"
    while read -r patch; do
        [[ -n "$patch" ]] && patch -s -p1 -d "$cache/rapidjson" <"$cache/rapidjson/debian/patches/$patch"
    done < <(grep -vE '^[[:space:]]*(#|$)' "$cache/rapidjson/debian/patches/series")

    # Generate the amalgamation (sqlite3.c, sqlite3.h) with the native compiler.
    (cd "$cache/sqlite3" && ./configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
    test -f "$cache/sqlite3/sqlite3.c"

    rm -rf "$work" "$cache"/ready-*
    touch "$stamp"
}

# Generated in a folder of its own, outside the configured source tree, so that
# the grammar and keyword tables are made again with the options.
generate_program_amalgamation() {
    local options build="$cache/sqlite3-program-build"
    options="$(grep -vE '^[[:space:]]*(#|$)' "$program_options" | sed 's/^/-D/' | tr '\n' ' ')"
    rm -rf "$build" "$cache/sqlite3-program" "$cache"/ready-sqlite3-program-*
    mkdir -p "$build" "$cache/sqlite3-program"
    (cd "$build" && "$cache/sqlite3/configure" --disable-tcl >/dev/null &&
        make -s sqlite3.c OPTS="$options" >/dev/null)
    cp "$build/sqlite3.c" "$build/sqlite3.h" "$cache/sqlite3-program/"
    rm -rf "$build"
    touch "$program_stamp"
}

[[ -f "$stamp" ]] || fetch_sources
[[ -f "$program_stamp" ]] || generate_program_amalgamation
