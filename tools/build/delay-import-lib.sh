#!/usr/bin/env bash
# Makes a delay-load import library for a system DLL from its ordinary
# MinGW import library: a program linked with it loads the DLL at the first
# call of one of its functions instead of at start-up.
# Usage: delay-import-lib.sh DLLTOOL NM DLL_NAME IMPORT_LIBRARY OUTPUT
set -euo pipefail
dlltool="$1" nm="$2" dll="$3" library="$4" output="$5"

definition="$output.def"
functions="$("$nm" -g --defined-only "$library" | awk '$2 == "T" { print $3 }' | sort -u)"
[[ -n "$functions" ]] || { echo "delay-import-lib: no functions in $library" >&2; exit 1; }
printf 'LIBRARY %s\nEXPORTS\n%s\n' "$dll" "$functions" >"$definition"
"$dlltool" --input-def "$definition" --dllname "$dll" --output-delaylib "$output"
