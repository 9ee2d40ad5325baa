#!/usr/bin/env bash
# Checks an executable's Authenticode signature with osslsigncode.
#
#   check-signature.sh verified ANCHOR EXE
#       the signature verifies, with the certificate file ANCHOR as the only
#       trusted root
#   check-signature.sh tampered ANCHOR EXE WORK_DIR
#       a copy with one byte of its code changed fails verification: its
#       digest no longer matches the signed one
#   check-signature.sh untrusted EXE WORK_DIR
#       verifying against another root (a certificate made here) fails
set -euo pipefail
mode="$1"
shift

# Runs the verification; prints its output and passes on its exit code.
verify() {
    osslsigncode verify -CAfile "$1" -in "$2" 2>&1
}

case "$mode" in
verified)
    output="$(verify "$1" "$2")" || { echo "$output"; echo "FAIL: the signature of $2 does not verify"; exit 1; }
    grep -q "Signature verification: ok" <<<"$output" || { echo "$output"; echo "FAIL: no verified signature"; exit 1; }
    echo "the signature of $(basename "$2") verifies"
    ;;
tampered)
    anchor="$1" exe="$2" work="$3"
    mkdir -p "$work"
    copy="$work/tampered-$(basename "$exe")"
    cp "$exe" "$copy"
    text_offset=$(x86_64-w64-mingw32-objdump -h "$copy" | awk '$2 == ".text" { print $6 }')
    [[ -n "$text_offset" ]] || { echo "FAIL: no code section in $exe"; exit 1; }
    # Inverts one byte of the code.
    offset=$((16#$text_offset + 256))
    value=$(od -An -tu1 -j "$offset" -N1 "$copy" | tr -d ' ')
    printf "\\x$(printf '%02x' $((value ^ 0xFF)))" | dd of="$copy" bs=1 seek="$offset" conv=notrunc status=none
    cmp -s "$exe" "$copy" && { echo "FAIL: the copy is unchanged"; exit 1; }
    if output="$(verify "$anchor" "$copy")"; then
        echo "$output"; echo "FAIL: a tampered copy verifies"; exit 1
    fi
    grep -q "MISMATCH" <<<"$output" || { echo "$output"; echo "FAIL: the failure is not the digest's"; exit 1; }
    echo "a tampered copy of $(basename "$exe") fails verification"
    ;;
untrusted)
    exe="$1" work="$2"
    mkdir -p "$work"
    openssl req -x509 -newkey rsa:2048 -sha256 -days 1 -nodes -subj "/CN=Another root" \
        -keyout "$work/other-key.pem" -out "$work/other-root.pem" 2>/dev/null
    if output="$(verify "$work/other-root.pem" "$exe")"; then
        echo "$output"; echo "FAIL: the signature verifies against a root that did not sign it"; exit 1
    fi
    grep -q "Signature verification: failed" <<<"$output" || { echo "$output"; echo "FAIL: no signature was checked"; exit 1; }
    echo "$(basename "$exe") does not verify against another root"
    ;;
*)
    echo "usage: check-signature.sh verified|tampered|untrusted ..." >&2
    exit 2
    ;;
esac
