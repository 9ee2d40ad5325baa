#!/usr/bin/env bash
# check-imports.sh EXE ALLOWED_DLL...: fails when EXE imports, at start-up, a DLL outside the list (known
# DLLs only: the loader would search the program's folder for any other before the program runs).
set -euo pipefail
exe="$1"
shift
allowed=" ${*^^} "
# Read first, so that a file objdump cannot read fails the check.
dump="$(x86_64-w64-mingw32-objdump -p "$exe")"
mapfile -t imports < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
((${#imports[@]} > 0)) || { echo "no start-up imports found in $exe"; exit 1; }
status=0
for dll in "${imports[@]}"; do
    [[ "$allowed" == *" ${dll^^} "* ]] || { echo "not an allowed start-up import: $dll"; status=1; }
done
((status == 0)) && echo "start-up imports of $(basename "$exe"), all allowed: ${imports[*]}"
exit $status
