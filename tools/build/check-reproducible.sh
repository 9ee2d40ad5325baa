#!/usr/bin/env bash
# Checks that the build is reproducible: builds the program, the demo
# installers and resources.zip in a fresh folder, from a copy of the sources
# in another folder, later and in another time zone, and compares them byte
# for byte with a reference build of the same sources.
#
#   check-reproducible.sh                 builds twice, both fresh, and compares
#   check-reproducible.sh --against DIR   builds once and compares with build DIR
#
# Compared: KestrafinSetup.exe and recorder.exe (the demo installers) without
# their Authenticode signatures (osslsigncode remove-signature), and signed
# too when no timestamp server is configured (the signing time is the
# build's date, so equal keys give equal signatures); resources.db; and
# resources.zip without its zip comment, where an archive signature may be.
# Both builds sign with the same key (the reference's, or one made here),
# since the demo content carries the signed installers' digests, and trust
# and sign the archive with the same archive key pair, which the program
# embeds.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

reference=""
if [[ "${1:-}" == "--against" ]]; then
    reference="$(cd "${2:?usage: check-reproducible.sh [--against BUILD_DIR]}" && pwd)"
fi
work="$(mktemp -d "${TMPDIR:-/tmp}/kestrafin-reproducible.XXXXXX")"
trap 'rm -rf "$work"' EXIT

cache_value() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }

# A copy of the sources (tracked files, as they are in the working tree).
copy_sources() {
    mkdir -p "$1"
    git -C "$root" ls-files -z | (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$1"
}

# build NAME SOURCE_DIR BUILD_DIR [cmake options...]: the outputs only, not the tests.
build() {
    local name="$1" source="$2" dir="$3"
    shift 3
    echo "check-reproducible: building $name in $dir ($(date -u '+%H:%M:%S UTC'), TZ=${TZ:-unset})"
    (cd "$source" && cmake --preset windows -B "$dir" -DBUILD_TESTING=OFF "$@" >"$work/$name-configure.log" 2>&1) \
        || { cat "$work/$name-configure.log"; exit 1; }
    cmake --build "$dir" -j2 --target KestrafinSetup recorder resources_zip >"$work/$name-build.log" 2>&1 \
        || { tail -50 "$work/$name-build.log"; exit 1; }
}

# The archive without its comment: the end record's comment length set to 0.
strip_zip_comment() {
    python3 - "$1" "$2" <<'PYTHON'
import struct, sys
data = open(sys.argv[1], "rb").read()
end = data.rfind(b"PK\x05\x06")
assert end >= 0, "no end of central directory record"
open(sys.argv[2], "wb").write(data[:end + 20] + struct.pack("<H", 0))
PYTHON
}

if [[ -n "$reference" ]]; then
    epoch="$(cache_value "$reference" SETUP_SOURCE_DATE_EPOCH)"
    deps="$(cache_value "$reference" SETUP_DEPS_CACHE)"
    pkcs12="$(cache_value "$reference" SETUP_SIGNING_PKCS12)"
    password="$(cache_value "$reference" SETUP_SIGNING_PASSWORD_FILE)"
    if [[ -z "$pkcs12" ]]; then
        pkcs12="$reference/signing/test-signing.p12" password="$reference/signing/password"
    fi
    timestamp="$(cache_value "$reference" SETUP_SIGNING_TIMESTAMP_URL)"
    archive_public="$(cache_value "$reference" SETUP_ARCHIVE_PUBLIC_KEY)"
    archive_private="$(cache_value "$reference" SETUP_ARCHIVE_SIGNING_KEY)"
    if [[ -z "$archive_public" ]]; then
        archive_public="$reference/archive-signing/test-archive-key.pub.pem"
        archive_private="$reference/archive-signing/test-archive-key.pem"
    fi
    options=("-DSETUP_RESOURCE_ARCHIVE_URL=$(cache_value "$reference" SETUP_RESOURCE_ARCHIVE_URL)"
             "-DSETUP_CONNECTIVITY_CHECK_URL=$(cache_value "$reference" SETUP_CONNECTIVITY_CHECK_URL)")
    # A release's content folder lies outside the sources; the demo's is each copy's own.
    content="$(cache_value "$reference" SETUP_CONTENT_DIR)"
    if [[ "$content" != "$(cache_value "$reference" CMAKE_HOME_DIRECTORY)/content" ]]; then
        options+=("-DSETUP_CONTENT_DIR=$content")
    fi
    first="$reference"
else
    epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
    deps="${SETUP_DEPS_CACHE:-$root/.deps}"
    bash "$root/tools/sign/make-test-certificate.sh" "$work/signing" >/dev/null
    pkcs12="$work/signing/test-signing.p12" password="$work/signing/password" timestamp=""
    bash "$root/tools/sign/make-test-archive-key.sh" "$work/archive-signing" >/dev/null
    archive_public="$work/archive-signing/test-archive-key.pub.pem"
    archive_private="$work/archive-signing/test-archive-key.pem"
    options=()
    copy_sources "$work/a/src"
    first="$work/a/src/build"
    SOURCE_DATE_EPOCH="$epoch" build first "$work/a/src" "$first" "-DSETUP_DEPS_CACHE=$deps" \
        "-DSETUP_SIGNING_PKCS12=$pkcs12" "-DSETUP_SIGNING_PASSWORD_FILE=$password" \
        "-DSETUP_ARCHIVE_PUBLIC_KEY=$archive_public" "-DSETUP_ARCHIVE_SIGNING_KEY=$archive_private"
    sleep 2  # at least one tick of the zip format's two-second clock
fi
copy_sources "$work/another/source/folder"
second="$work/another/source/folder/out/build-two"
SOURCE_DATE_EPOCH="$epoch" TZ=Pacific/Kiritimati build second "$work/another/source/folder" "$second" \
    "-DSETUP_DEPS_CACHE=$deps" "-DSETUP_SIGNING_PKCS12=$pkcs12" "-DSETUP_SIGNING_PASSWORD_FILE=$password" \
    "-DSETUP_ARCHIVE_PUBLIC_KEY=$archive_public" "-DSETUP_ARCHIVE_SIGNING_KEY=$archive_private" "${options[@]}"

failed=0
compare() {
    local label="$1" one="$2" two="$3"
    if cmp -s "$one" "$two"; then
        echo "check-reproducible: same     $label ($(stat -c %s "$one") bytes)"
    else
        echo "check-reproducible: DIFFERS  $label: $(cmp "$one" "$two" 2>&1 | head -1)"
        cmp -l "$one" "$two" 2>/dev/null | wc -l | xargs echo "  bytes that differ:"
        failed=1
    fi
}
for exe in KestrafinSetup.exe recorder.exe; do
    for side in first second; do
        osslsigncode remove-signature -in "${!side}/$exe" -out "$work/$side-$exe" >/dev/null
    done
    compare "$exe without its signature" "$work/first-$exe" "$work/second-$exe"
    [[ -z "$timestamp" ]] && compare "$exe signed" "$first/$exe" "$second/$exe"
done
compare "resources.db" "$first/content/resources.db" "$second/content/resources.db"
for side in first second; do
    strip_zip_comment "${!side}/content/resources.zip" "$work/$side-resources.zip"
done
compare "resources.zip without its comment" "$work/first-resources.zip" "$work/second-resources.zip"

if ((failed)); then
    echo "check-reproducible: the builds differ"
    exit 1
fi
echo "check-reproducible: the builds are the same"
