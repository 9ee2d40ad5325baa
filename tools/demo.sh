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
#
#   bash tools/demo.sh [LANGUAGE]
#
# With a language code of the content (3082, 1031, ...) the walk chooses that
# language in the language dialog and saves its pictures into
# demo-output/screenshots/LANGUAGE, so that each language's captions are seen
# in the dialogs before a user sees them; there is no second run then.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

interactive=0
[[ -n "${DISPLAY:-}" ]] && interactive=1
language="${1:-}"

bash tools/setup-machine.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

bench="$root/build/wine-bench"
output="$root/demo-output"
screenshots="$output/screenshots${language:+/$language}"
served="$output/served"
# Only what this run writes again: other languages' screenshots stay beside these.
rm -rf "$served" "$output/server.log" "$screenshots"/*.png && mkdir -p "$screenshots" "$served"
# The content that the build packed (SETUP_CONTENT_DIR, the demo's by default).
content=$(sed -n 's/^SETUP_CONTENT_DIR:[A-Z]*=//p' build/CMakeCache.txt)
content="${content:-$root/content}"
# A text of the chosen language, else of the neutral one, as the program reads it.
text_of() {
    local file
    for file in "$content/texts/$language.txt" "$content/texts/0.txt"; do
        [[ -f "$file" ]] && grep -q -P "^$1\t" "$file" && { grep -m1 -P "^$1\t" "$file" | cut -f2-; return; }
    done
    echo "demo: no text $1 for language $language in $content" >&2
    return 1
}
# The language's name as the language dialog lists it.
language_name=""
if [[ -n "$language" ]]; then
    language_name=$(grep -P "^$language\t" "$content/languages.tsv" | cut -f2 || true)
    [[ -n "$language_name" ]] || { echo "demo: no language $language in $content/languages.tsv" >&2; exit 2; }
fi
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
accept="Accept"
finish="Finish"
if [[ -n "$language" ]]; then
    accept=$(text_of 237)
    finish=$(text_of 216)
fi
winauto() { wine build/winauto.exe "$@"; }
# The caption of the wizard's window once it shows: "TITLE (VVERSION)".
wizard_caption() {
    for _ in $(seq 300); do
        xwininfo -root -tree | sed -n 's/^ *0x[0-9a-f]* "\([^"]*(V[^"]*)\)".*/\1/p' | head -1 | grep . && return 0
        sleep 0.1
    done
    echo "demo: no wizard window" >&2
    return 1
}
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

# The whole setup, in English or the chosen language, accepting the offer.
walk_through() {
    winauto wait "Kestrafin" 30000
    if [[ -n "$language" ]]; then  # the list's order is the dialog's own
        local place
        place=$(winauto combo "Kestrafin" 1001 | tr -d '\r' | tail -n +2 | grep -n -x -F "$language_name" | cut -d: -f1)
        [[ -n "$place" ]] || { echo "demo: the language dialog does not list $language_name" >&2; return 1; }
        winauto select "Kestrafin" 1001 $((place - 1))
    fi
    screenshot "Kestrafin" 01-language
    winauto click "Kestrafin" 1
    if [[ -n "$language" ]]; then
        wizard=$(wizard_caption)
    else
        winauto wait "$wizard" 30000
    fi
    screenshot "$wizard" 02-welcome
    winauto click "$wizard" 1009
    wait_for_text 1009 "$accept"
    screenshot "$wizard" 03-offer
    winauto click "$wizard" 1009
    wait_for_text 1055 "$finish"
    sleep 1
    screenshot "$wizard" 04-progress
    wait_for_text 1009 "$finish"
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
if ((interactive == 0)) && [[ -z "$language" ]]; then
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
