#!/usr/bin/env bash
# The Wine bench: runs the project's Windows programs on this Linux machine.
#
#   bench.sh start DIR          make the prefix DIR/prefix if needed (no prompts),
#                               start Xvfb when no DISPLAY is set, start one
#                               persistent wineserver
#   bench.sh exec DIR PROGRAM [ARGS...]
#                               run a Windows program on the bench; its exit code
#                               is passed on
#   bench.sh env DIR            print the environment of the bench (for eval)
#   bench.sh stop DIR           stop the wineserver and whatever Xvfb start began
#
# DIR keeps the bench's state; stop ends only what start began.
set -Eeuo pipefail
# Most steps keep their output to themselves: a failing one says which it was.
trap 'status=$?; echo "bench: line $LINENO failed (exit $status): $BASH_COMMAND" >&2' ERR

command="${1:?usage: bench.sh start|exec|env|stop DIR ...}"
bench="${2:?usage: bench.sh start|exec|env|stop DIR ...}"
shift 2
mkdir -p "$bench"
bench="$(cd "$bench" && pwd)"

export WINEPREFIX="$bench/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Runs a Wine program with its output added to LOG. Under load, Wine now and
# then fails a program as it starts (seen: the session's wineboot, exit 1, once
# in some forty new benches), so a failed step is tried once more.
step() {
    local log="$1"
    shift
    "$@" </dev/null >>"$log" 2>&1 || "$@" </dev/null >>"$log" 2>&1 || {
        local status=$?
        echo "bench: failed twice (exit $status): $*" >&2
        exit "$status"
    }
}

bench_display() {
    if [[ -f "$bench/display" ]]; then
        cat "$bench/display"
    else
        echo "${DISPLAY:-}"
    fi
}

free_display_number() {
    local number
    for number in $(seq 90 140); do
        if [[ ! -e "/tmp/.X11-unix/X$number" && ! -e "/tmp/.X$number-lock" ]]; then
            echo "$number"
            return
        fi
    done
    echo "bench: no free X display number" >&2
    exit 1
}

start_xvfb() {
    local number
    number="$(free_display_number)"
    # Detached from our output: a test runner waits for every holder of its pipes.
    setsid Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$bench/xvfb.log" 2>&1 &
    echo $! >"$bench/xvfb.pid"
    for _ in $(seq 100); do
        [[ -e "/tmp/.X11-unix/X$number" ]] && break
        sleep 0.05
    done
    [[ -e "/tmp/.X11-unix/X$number" ]] || { echo "bench: Xvfb did not start" >&2; exit 1; }
    echo ":$number" >"$bench/display"
}

make_prefix() {
    mkdir -p "$WINEPREFIX"
    step "$bench/wineboot.log" wineboot -i
    configure_prefix
    touch "$WINEPREFIX/.bench-ready"
    # Begin the session anew, so that every process of it sees the settings.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # Already running (a bench started earlier and not stopped) is fine.
    wineserver -p </dev/null >/dev/null 2>&1 || true
}

configure_prefix() {
    # A crash must end the program, not wait for someone to close a dialog.
    step /dev/null wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    # Without a window manager: undecorated windows draw their own caption
    # bar, and unmanaged ones are hidden at once (a managed window waits two
    # seconds for a window manager that never answers).
    step /dev/null wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
    step /dev/null wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    # No host browser or mail program: a link that a program under test opens
    # must not start one on this machine.
    step /dev/null wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d no-browser-on-the-bench /f
    step /dev/null wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /t REG_SZ /d no-mailer-on-the-bench /f
    # The dialog fonts have no Hebrew glyphs: let them borrow DejaVu Sans's.
    local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for font in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
        step /dev/null wine reg add "$link" /v "$font" /t REG_MULTI_SZ /d 'DejaVuSans.ttf,DejaVu Sans' /f
    done
}

case "$command" in
start)
    if [[ -z "${DISPLAY:-}" && ! -f "$bench/display" ]]; then
        start_xvfb
    fi
    export DISPLAY="$(bench_display)"
    # The wineserver must start under the display, before any program.
    mkdir -p "$WINEPREFIX"
    # Already running (a bench started earlier and not stopped) is fine.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    [[ -f "$WINEPREFIX/.bench-ready" ]] || make_prefix
    # Start the session's own processes (services, desktop) now, detached:
    # started by the first program instead, they would inherit its output
    # pipes and hold them open after it ends.
    step "$bench/session.log" wineboot
    configure_prefix
    ;;
exec)
    export DISPLAY="$(bench_display)"
    exec wine "$@"
    ;;
env)
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG='$WINEDEBUG' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' DISPLAY='$(bench_display)'"
    ;;
stop)
    export DISPLAY="$(bench_display)"
    wineserver -k 2>/dev/null || true
    if [[ -f "$bench/xvfb.pid" ]]; then
        kill "$(cat "$bench/xvfb.pid")" 2>/dev/null || true
        rm -f "$bench/xvfb.pid" "$bench/display"
    fi
    ;;
*)
    echo "bench: unknown command $command" >&2
    exit 2
    ;;
esac
