#!/usr/bin/env bash
# Fails when a Windows executable imports a DLL outside the allowed set: the
# C and C++ runtimes must be linked in, never loaded from beside the program.
# Usage: check-imports.sh EXE ALLOWED_DLL...
set -euo pipefail
exe="$1"
shift
allowed=" $(echo "$*" | tr '[:lower:]' '[:upper:]') "
status=0
while read -r dll; do
    if [[ "$allowed" != *" ${dll^^} "* ]]; then
        echo "unexpected import: $dll"
        status=1
    fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
[[ $status == 0 ]] && echo "imports of $(basename "$exe") are system DLLs only"
exit $status
