#!/usr/bin/env bash
# The demo: builds the program and runs it under Wine, then prints its log and
# exit code. Without a display it runs on a virtual one (Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/setup-machine.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

bench="$root/build/wine-bench"
bash tools/wine/bench.sh start "$bench"
trap 'bash tools/wine/bench.sh stop "$bench"' EXIT

# The program writes osi.log into the user's temporary folder of the prefix;
# this run's records are what it appends.
log="$bench/prefix/drive_c/users/$(whoami)/Temp/osi.log"
log_size_before=$(stat -c %s "$log" 2>/dev/null || echo 0)

set +e
bash tools/wine/bench.sh exec "$bench" build/KestrafinSetup.exe
exit_code=$?
set -e

echo "--- this run's records in $log ---"
tail -c +$((log_size_before + 1)) "$log" 2>/dev/null | sed '1s/^\xEF\xBB\xBF//' || true
echo "--- exit code: $exit_code ---"
