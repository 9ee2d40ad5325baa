#!/usr/bin/env bash
# The demo: builds everything, serves the resource archive on 127.0.0.1 (the
# built-in address), and runs KestrafinSetup.exe under Wine.
#
# With a display (DISPLAY set) the person at it clicks through. Without one
# the demo starts a virtual display, walks through the dialogs itself with the
# automation helper, and saves a screenshot of each into demo-output/screenshots.
# It ends by printing the run's log records and the exit code.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

interactive=0
[[ -n "${DISPLAY:-}" ]] && interactive=1

bash tools/setup-machine.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

bench="$root/build/wine-bench"
output="$root/demo-output"
screenshots="$output/screenshots"
served="$output/served"
rm -rf "$output" && mkdir -p "$screenshots" "$served"
cp build/content/resources.zip "$served/"

bash tools/wine/bench.sh start "$bench"
eval "$(bash tools/wine/bench.sh env "$bench")"
server_pid=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null
    bash tools/wine/bench.sh stop "$bench"
}
trap cleanup EXIT

# The demo server: the address built into the program (see README).
python3 -m http.server 47800 --bind 127.0.0.1 --directory "$served" >"$output/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/47800) 2>/dev/null && break
    sleep 0.1
done

log="$bench/prefix/drive_c/users/$(whoami)/Temp/osi.log"
log_size_before=$(stat -c %s "$log" 2>/dev/null || echo 0)

winauto() { wine build/winauto.exe "$@"; }
# Saves a picture of the window with that caption.
screenshot() {
    local id
    id=$(xwininfo -name "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
    [[ -n "$id" ]] && import -window "$id" "$screenshots/$2.png" && echo "screenshot: $screenshots/$2.png"
}

wine build/KestrafinSetup.exe &
product_pid=$!

if ((interactive == 0)); then
    winauto wait "Kestrafin" 30000
    sleep 0.3
    screenshot "Kestrafin" 01-language
    winauto click "Kestrafin" 1
fi

set +e
wait "$product_pid"
exit_code=$?
set -e

echo "--- this run's records in $log ---"
tail -c +$((log_size_before + 1)) "$log" 2>/dev/null | sed '1s/^\xEF\xBB\xBF//' || true
echo "--- exit code: $exit_code ---"
