#!/usr/bin/env bash
# Fails when a Windows executable imports, at start-up, a DLL outside the
# allow-list. The loader resolves these imports before the program runs and
# searches the program's own folder first for any DLL that Windows does not
# keep among its known DLLs, so the list holds known DLLs only; other system
# DLLs are delay-loaded (cmake/DelayLoad.cmake), and the C and C++ runtimes
# are linked in.
# Usage: check-imports.sh EXE ALLOWED_DLL...
set -euo pipefail
exe="$1"
shift
allowed=" $(echo "$*" | tr '[:lower:]' '[:upper:]') "

# Read first, so that a file objdump cannot read fails the check.
dump="$(x86_64-w64-mingw32-objdump -p "$exe")"
mapfile -t imports < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
if ((${#imports[@]} == 0)); then
    echo "no start-up imports found in $exe"
    exit 1
fi

status=0
for dll in "${imports[@]}"; do
    if [[ "$allowed" != *" ${dll^^} "* ]]; then
        echo "not an allowed start-up import: $dll"
        status=1
    fi
done
((status == 0)) && echo "start-up imports of $(basename "$exe"), all allowed: ${imports[*]}"
exit $status
