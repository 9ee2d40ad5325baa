#!/usr/bin/env bash
# Fetches the pinned Debian source packages of SQLite and minizip into a cache
# folder and prepares them for the build. A second run finds everything in the
# cache and needs no network.
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
set -euo pipefail

SQLITE_VERSION="3.40.1-2+deb12u2"
MINIZIP_VERSION="1.1-8+deb12u1"

cache="${1:?usage: fetch-sources.sh CACHE_DIR}"
mkdir -p "$cache"
cache="$(cd "$cache" && pwd)"
stamp="$cache/ready-sqlite-${SQLITE_VERSION}-minizip-${MINIZIP_VERSION}"
program_options="$(dirname "${BASH_SOURCE[0]}")/sqlite-program-options.txt"
program_digest="$(cat "$program_options" <(echo "$SQLITE_VERSION") | sha256sum | cut -c1-16)"
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
    for uri in $(debian_uris); do
        case "$uri" in
            *security*) echo "deb-src $uri bookworm-security main" >>"$apt_dir/sources.list" ;;
            *) echo "deb-src $uri bookworm main" >>"$apt_dir/sources.list"
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

    # Unpack the upstream sources (the Debian patches concern packaging only).
    rm -rf "$cache/sqlite3" "$cache/minizip"
    tar -xJf "$work"/sqlite3_*.orig.tar.xz -C "$cache"
    mv "$cache"/sqlite3-* "$cache/sqlite3"
    tar -xJf "$work"/minizip_*.orig.tar.xz -C "$cache"

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
