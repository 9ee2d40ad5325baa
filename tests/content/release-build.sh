#!/usr/bin/env bash
# A release built from a content folder outside the project by the build's own rules (cmake/ContentArchive.cmake):
# the digest in resources.db follows its installer (build, replace the installer, build again), the signed archive
# passes docs/release.md's OpenSSL recipe as written there, and the release check refuses a plain http:// installer
# address. The same content as the demo's (whose digests.tsv names installers the demo does not have) carries the
# demo installer's digest instead.
#   release-build.sh CONTENT_TOOL
set -euo pipefail
tool="$1"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
release="$work/release" installer="$work/installers/KestrafinInstaller.exe"
cp -r "$source_dir/content" "$release"
mkdir -p "$work/installers" "$work/project"
echo first >"$installer"
echo partner >"$work/installers/PartnerInstaller.exe"
sed -i -e 's|^56\t.*|56\thttps://downloads.quillmark.example/1.0/KestrafinInstaller.exe|' \
       -e 's|^61\t.*|61\thttps://downloads.quillmark.example/1.0/PartnerInstaller.exe|' "$release/texts/0.txt"
printf 'language\tid\tfile\n0\t300\t../installers/KestrafinInstaller.exe\n0\t301\t../installers/PartnerInstaller.exe\n' \
    >"$release/digests.tsv"
cat >"$work/project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(release_content LANGUAGES NONE)
include("$source_dir/cmake/ContentArchive.cmake")
content_build_archive(SOURCE "$release" DEMO_SOURCE "$source_dir/content" TOOL "$tool" OUT "$work/build/out"
                      SIGNING_KEY "$work/key.pem")
add_custom_target(archive ALL DEPENDS "$work/build/out/resources.zip")
content_build_archive(SOURCE "$release" DEMO_SOURCE "$release" TOOL "$tool" OUT "$work/build/demo"
                      DEMO_FOLDER "$work/demo" DEMO_INSTALLER ../installers/PartnerInstaller.exe)
add_custom_target(demo ALL DEPENDS "$work/build/demo/resources.zip")
EOF

fail() { echo "FAILED: $*" >&2; exit 1; }
# Resource 300 of the neutral language as an archive's database holds it, against an installer's digest.
expect_installer_digest() {
    local stored
    stored=$(python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute(
        "select DATA from RESOURCE_VALUE natural join BLOB where RES_DEF_ID = 300 and LANG_CODE = ?", ("0",)
        ).fetchone()[0].decode())' "$work/build/${3:-out}/resources.db")
    [[ "$stored" == "$(sha256sum <"${2:-$installer}" | cut -c1-64)" ]] || fail "resource 300 is $stored, $1"
}

openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/key.pem"
openssl pkey -pubout -in "$work/key.pem" -out "$work/archive-2025.pub.pem"
cmake -G Ninja -S "$work/project" -B "$work/build" >/dev/null
sed -i 's|/KestrafinInstaller.exe$|/release/KestrafinInstaller.exe|' "$release/digests.tsv"  # for the demo only
cmake --build "$work/build" --target demo
expect_installer_digest "not the demo installer's" "$work/installers/PartnerInstaller.exe" demo
sed -i 's|/release/KestrafinInstaller.exe$|/KestrafinInstaller.exe|' "$release/digests.tsv"
cmake --build "$work/build"
expect_installer_digest "not the installer's digest"
recipe=$(sed -n '/^### Verifying an archive with OpenSSL alone/,/^### /p' "$source_dir/docs/release.md" |
    sed -n '/^```sh$/,/^```$/{/^```/!p}')
verified=$(cd "$work" && cp build/out/resources.zip . && bash -euo pipefail -c "$recipe" 2>&1) || true
[[ "$verified" == *ECDSA-P256-SHA256:*"Verified OK"* ]] || fail "docs/release.md's OpenSSL recipe said: $verified"
echo second >"$installer"
cmake --build "$work/build"
expect_installer_digest "the digest of the installer before it was replaced"
sed -i 's|^56\thttps://downloads.quillmark.example/|56\thttp://downloads.quillmark.example/|' "$release/texts/0.txt"
if output=$(cmake --build "$work/build" 2>&1); then
    fail "a release with a plain http:// installer address was built: $output"
fi
grep -q 'is plain http://; a release downloads its installers over https://' <<<"$output" || fail "$output"
echo "release content outside the project: built and verified, its digest followed the installer, http:// refused"
