#!/usr/bin/env bash
# check-signature.sh verified ANCHOR EXE | tampered ANCHOR EXE WORK_DIR | untrusted EXE WORK_DIR: EXE's
# Authenticode signature verifies with ANCHOR as the only root; a copy with a byte of code changed fails
# (digest); against another root (made here) it fails.
set -euo pipefail
mode="$1" output=""
shift
fail() { echo "$output"; echo "FAIL: $1"; exit 1; }

case "$mode" in
verified)
    output="$(osslsigncode verify -CAfile "$1" -in "$2" 2>&1)" || fail "the signature of $2 does not verify"
    grep -q "Signature verification: ok" <<<"$output" || fail "no verified signature"
    echo "the signature of $(basename "$2") verifies"
    ;;
tampered)
    mkdir -p "$3"
    copy="$3/tampered-$(basename "$2")"
    cp "$2" "$copy"
    text_offset=$(x86_64-w64-mingw32-objdump -h "$copy" | awk '$2 == ".text" { print $6 }')
    [[ -n "$text_offset" ]] || fail "no code section in $2"
    offset=$((16#$text_offset + 256))
    value=$(od -An -tu1 -j "$offset" -N1 "$copy" | tr -d ' ')
    printf "\\x$(printf '%02x' $((value ^ 0xFF)))" | dd of="$copy" bs=1 seek="$offset" conv=notrunc status=none
    ! cmp -s "$2" "$copy" || fail "the copy is unchanged"
    ! output="$(osslsigncode verify -CAfile "$1" -in "$copy" 2>&1)" || fail "a tampered copy verifies"
    grep -q "MISMATCH" <<<"$output" || fail "the failure is not the digest's"
    echo "a tampered copy of $(basename "$2") fails verification"
    ;;
untrusted)
    mkdir -p "$2"
    openssl req -x509 -newkey rsa:2048 -sha256 -days 1 -nodes -subj "/CN=Another root" \
        -keyout "$2/other-key.pem" -out "$2/other-root.pem" 2>/dev/null
    ! output="$(osslsigncode verify -CAfile "$2/other-root.pem" -in "$1" 2>&1)" ||
        fail "the signature verifies against a root that did not sign it"
    grep -q "Signature verification: failed" <<<"$output" || fail "no signature was checked"
    echo "$(basename "$1") does not verify against another root"
    ;;
*) echo "usage: check-signature.sh verified|tampered|untrusted ..." >&2 && exit 2 ;;
esac
