#!/usr/bin/env bash
# Signs a Windows executable in place with Authenticode (SHA-256), with the
# key and certificate of a PKCS#12 file.
# Usage: sign.sh PKCS12 PASSWORD_FILE TIMESTAMP_URL DESCRIPTION EXE [SIGNING_TIME]
#   TIMESTAMP_URL   an RFC 3161 timestamp server, or "" for none
#   SIGNING_TIME    the signing time to record (seconds since 1970; default:
#                   now): a fixed one makes the signature, and so the signed
#                   file, the same at every signing with the same key
set -euo pipefail
pkcs12="$1" password="$2" timestamp="$3" description="$4" exe="$5" signing_time="${6:-}"

options=(-pkcs12 "$pkcs12" -readpass "$password" -h sha256 -n "$description")
[[ -n "$signing_time" ]] && options+=(-time "$signing_time")
# A timestamp keeps the signature valid after the certificate has expired.
[[ -n "$timestamp" ]] && options+=(-ts "$timestamp")

signed="$exe.signing"
rm -f "$signed"
osslsigncode sign "${options[@]}" -in "$exe" -out "$signed" >/dev/null
chmod --reference="$exe" "$signed"
mv -f "$signed" "$exe"
