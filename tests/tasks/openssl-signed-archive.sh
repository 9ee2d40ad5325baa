#!/usr/bin/env bash
# An archive signed with the openssl command line alone, laid out as docs/security.md says, for a test that holds
# the program's check to the document rather than to the layout code that the program and the tests' signer share.
# Usage: openssl-signed-archive.sh PRIVATE_KEY.pem OUTPUT.zip
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$work/plain.zip" <<'PYTHON'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    archive.writestr(zipfile.ZipInfo("resources.db", (2026, 1, 1, 0, 0, 0)), "database")
PYTHON
# Every byte before the comment, the end record's comment length (its last two bytes) already 146.
size=$(stat -c %s "$work/plain.zip")
{ head -c $((size - 2)) "$work/plain.zip"; printf '\222\0'; } >"$work/signed.bin"
openssl dgst -sha256 -sign "$1" -out "$work/sig.der" "$work/signed.bin"
# The comment: the tag, then r and s as 64 lower-case hexadecimal digits each.
{
    cat "$work/signed.bin"
    printf 'ECDSA-P256-SHA256:'
    openssl asn1parse -inform DER -in "$work/sig.der" | sed -n 's/.*INTEGER *://p' |
        while read -r half; do printf '%64s' "$half" | tr ' A-F' '0a-f'; done
} >"$work/out.zip"
(($(stat -c %s "$work/out.zip") == size + 146)) || { echo "openssl-signed-archive.sh: no signature made" >&2; exit 1; }
mv "$work/out.zip" "$2"
