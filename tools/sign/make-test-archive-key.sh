#!/usr/bin/env bash
# Makes the build's own key pair for signing resource archives: ECDSA P-256,
# for tests and the demo only, never for a release. Writes into DIR:
#   test-archive-key.pem       the private key (PKCS#8), which the content tool signs with
#   test-archive-key.pub.pem   the public key, which the program embeds
#   test-archive-key.blob      the private key as CNG's BCRYPT_ECCPRIVATE_BLOB, which the
#                              Windows tests import to sign the archives they serve
# Usage: make-test-archive-key.sh DIR
set -euo pipefail
umask 077
dir="$1"
# Made beside the outputs and moved into place together, so that an
# interrupted run leaves no half key pair.
mkdir -p "$dir"
work="$(mktemp -d "$dir/making.XXXXXX")"
trap 'rm -rf "$work"' EXIT

openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/test-archive-key.pem"
openssl pkey -in "$work/test-archive-key.pem" -pubout -out "$work/test-archive-key.pub.pem"

# The key as SEC1 DER (RFC 5915) with the curve named: 121 bytes, the private
# value d at byte 7, the public point 04 || X || Y in the last 65 bytes.
der="$(openssl ec -in "$work/test-archive-key.pem" -outform DER 2>/dev/null | od -An -v -tx1 | tr -d ' \n')"
if ((${#der} != 242)) || [[ "${der:112:2}" != 04 ]]; then
    echo "make-test-archive-key.sh: unexpected key encoding" >&2
    exit 1
fi
# BCRYPT_ECCKEY_BLOB: magic BCRYPT_ECDSA_PRIVATE_P256_MAGIC ("ECS2"), key size 32; then X, Y, d.
blob_hex="4543533220000000${der:114:128}${der:14:64}"
printf "$(sed 's/../\\x&/g' <<<"$blob_hex")" >"$work/test-archive-key.blob"

mv "$work"/test-archive-key.* "$dir/"
