#!/usr/bin/env bash
# The demo: builds everything, serves the resource archive, the product
# installer and a partner's offer installer on 127.0.0.1 (the built-in
# address), and runs KestrafinSetup.exe under Wine. The installers are the
# project's recording program: each writes NAME.record.txt into the
# temporary folder, with its command line, working folder and show state.
#
# With a display (DISPLAY set) the person at it clicks through. Without one
# the demo starts a virtual display and walks through the wizard itself with
# the automation helper (language, welcome, offer accepted, progress,
# finished), then once more in Hebrew up to the mirrored welcome page, and
# saves a screenshot of each page into demo-output/screenshots.
# It ends by printing what ran (the installers' records) and the exit codes.
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
cp build/recorder.exe "$served/KestrafinInstaller.exe"
cp build/recorder.exe "$served/PartnerInstaller.exe"

bash tools/wine/bench.sh start "$bench"
eval "$(bash tools/wine/bench.sh env "$bench")"
server_pid=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null
    bash tools/wine/bench.sh stop "$bench"
}
trap cleanup EXIT

# The demo server: the address built into the program (see README).
python3 tools/demo/server.py 47800 "$served" >"$output/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/47800) 2>/dev/null && break
    sleep 0.1
done

temp="$bench/prefix/drive_c/users/$(whoami)/Temp"
log="$temp/osi.log"
log_size_before=$(stat -c %s "$log" 2>/dev/null || echo 0)
rm -f "$temp"/*.record.txt

wizard="Kestrafin Setup (V3.2)"
winauto() { wine build/winauto.exe "$@"; }
# Saves a picture of the window with that caption.
screenshot() {
    sleep 0.5
    local id
    id=$(xwininfo -name "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
    [[ -n "$id" ]] && import -window "$id" "$screenshots/$2.png" && echo "screenshot: $screenshots/$2.png"
}
# Waits until a control of the wizard shows a text.
wait_for_text() {
    for _ in $(seq 200); do
        [[ "$(winauto text "$wizard" "$1" | tr -d '\r')" == "$2" ]] && return 0
        sleep 0.1
    done
    echo "demo: the wizard did not show \"$2\"" >&2
    return 1
}

# The whole setup, in English, accepting the offer.
walk_through() {
    winauto wait "Kestrafin" 30000
    screenshot "Kestrafin" 01-language
    winauto click "Kestrafin" 1
    winauto wait "$wizard" 30000
    screenshot "$wizard" 02-welcome
    winauto click "$wizard" 1009
    wait_for_text 1009 "Accept"
    screenshot "$wizard" 03-offer
    winauto click "$wizard" 1009
    wait_for_text 1055 "Finish"
    sleep 1
    screenshot "$wizard" 04-progress
    wait_for_text 1009 "Finish"
    screenshot "$wizard" 05-finished
    winauto click "$wizard" 1009
}

# Up to the mirrored welcome page in Hebrew, then cancel and close.
walk_right_to_left() {
    winauto wait "Kestrafin" 30000
    winauto select "Kestrafin" 1001 3
    winauto click "Kestrafin" 1
    sleep 2
    local caption
    caption=$(xwininfo -root -tree | sed -n 's/^ *0x[0-9a-f]* "\([^"]*(V3.2)\)".*/\1/p' | head -1)
    screenshot "$caption" 06-welcome-hebrew
    winauto click "$caption" 1055
    sleep 1
    winauto click "$caption" 1047
}

set +e
wine build/KestrafinSetup.exe &
product_pid=$!
((interactive == 0)) && walk_through
wait "$product_pid"
exit_code=$?
rtl_exit_code=""
if ((interactive == 0)); then
    wine build/KestrafinSetup.exe &
    product_pid=$!
    walk_right_to_left
    wait "$product_pid"
    rtl_exit_code=$?
fi
set -e

echo "--- this run's records in $log ---"
tail -c +$((log_size_before + 1)) "$log" 2>/dev/null | sed '1s/^\xEF\xBB\xBF//' || true
echo "--- what ran ---"
for record in "$temp"/*.record.txt; do
    [[ -f "$record" ]] || continue
    echo "$(basename "$record" .record.txt):"
    sed 's/^/    /' "$record"
done
echo "--- exit code: $exit_code${rtl_exit_code:+ (Hebrew run: $rtl_exit_code)} ---"
