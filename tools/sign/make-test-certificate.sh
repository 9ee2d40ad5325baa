#!/usr/bin/env bash
# Makes the build's own code-signing certificate: self-signed, for tests and
# the demo only, never for a release. Writes into DIR:
#   test-signing.p12   key and certificate (PKCS#12, as a real one comes)
#   password           the PKCS#12 file's password (random)
#   test-signing.pem   the certificate alone, the trust anchor for verifying
# Usage: make-test-certificate.sh DIR
set -euo pipefail
dir="$1"
mkdir -p "$dir"
umask 077
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat >"$work/certificate.cnf" <<'CONFIG'
[req]
distinguished_name = name
prompt = no
x509_extensions = code_signing
[name]
CN = Quillmark Test Code Signing
O = Quillmark (test certificate, not trusted anywhere)
[code_signing]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
CONFIG

# Valid for ten years: a build folder never outlives it.
openssl req -x509 -newkey rsa:3072 -sha256 -days 3650 -nodes -config "$work/certificate.cnf" \
    -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
openssl rand -base64 24 >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -name "Quillmark test" \
    -passout "file:$work/password" -out "$work/test-signing.p12"
mv "$work/password" "$work/test-signing.p12" "$dir/"
mv "$work/certificate.pem" "$dir/test-signing.pem"
