# Helpers for end-to-end runs of the real program in its own Xvfb server.
# Source it; it sets DISPLAY and cleans up after itself.
set -euo pipefail

E2E_TMP=$(mktemp -d)
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
XVFB_PID=""
APP_PID=""

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$E2E_TMP"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# poll SECONDS COMMAND...: runs COMMAND until it succeeds; returns 1 once SECONDS have passed.
# A deadline, not a count of tries: on a busy machine each try itself takes long.
poll() {
    local now=${EPOCHREALTIME//[!0-9]/}
    local deadline=$((now + $1 * 1000000))
    shift
    until "$@"; do
        now=${EPOCHREALTIME//[!0-9]/}
        [ "$now" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# The clock of the program's trace (CLOCK_MONOTONIC), in microseconds.
monotonic_us() { /usr/bin/python3 -c 'import time; print(time.monotonic_ns() // 1000)'; }

answers() { xdpyinfo >/dev/null 2>&1; }

# Starts Xvfb on a display it picks itself (-displayfd), so parallel runs never race for one.
# -noreset: a server that resets when its last client leaves refuses a program started next.
start_xvfb() {
    local fifo="$E2E_TMP/displayfd" n=""
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    read -r -t 20 n <"$fifo" || true
    [ -n "$n" ] || fail "could not start Xvfb: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$n"
    # Only a server that answers a client is ready for the program.
    poll 30 answers || fail "Xvfb on $DISPLAY does not answer"
}

# start_app BINARY [WORKDIR]: runs the program with its output in $E2E_TMP/app.log.
start_app() {
    local binary=$1 workdir=${2:-$E2E_TMP}
    (cd "$workdir" && exec env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$E2E_TMP" "$binary") >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

# visible_other WINDOW: prints a visible Tamberlo window (a window or a message box) other than
# WINDOW (none: any), or returns 1.
visible_other() {
    local id
    id=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | grep -vx "${1:-none}" | tail -n 1 || true)
    [ -n "$id" ] && echo "$id"
}

# wait_window: prints the id of the visible "Tamberlo" window once it is mapped.
wait_window() {
    poll 30 visible_other || fail "no Tamberlo window appeared"
}

# click WINDOW X Y: a left click at a point of the window's client area (pixels).
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Twips of the window designs to the pixel at the middle of that control.
centre_of() { # LEFT TOP WIDTH HEIGHT
    echo $(( ($1 + $3 / 2) / 15 )) $(( ($2 + $4 / 2) / 15 ))
}

# Qt's file dialog keeps settings of its own; keep them in this run, out of the tester's home.
export XDG_CONFIG_HOME="$E2E_TMP/config"

# The drill's trace without its category: "word <µs> <n> <word>", "wait <µs> <ms>", "meaning
# <µs> <text>", "clear <µs>". Needs QT_LOGGING_RULES="tamberlo.drill.debug=true" for the program.
trace() { sed -n 's/^tamberlo\.drill: //p' "$E2E_TMP/app.log"; }

has_trace() {
    [ "$(trace | wc -l)" -ge "$1" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(cat "$E2E_TMP/app.log")"
    return 1
}

# wait_trace N: until the trace has at least N lines.
wait_trace() {
    poll 30 has_trace "$1" || fail "the trace stopped at $(trace | wc -l) lines, short of $1"
}

wait_other_window() {
    poll 30 visible_other "$1" || fail "no Tamberlo window besides $1 appeared"
}

unmapped() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
destroyed() { ! xwininfo -id "$1" >/dev/null 2>&1; }

wait_unmapped() {
    poll 30 unmapped "$1" || fail "window $1 is still shown"
}

focus_elsewhere() {
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null || true)
    [ -n "$focus" ] && [ "$focus" != "$1" ] && echo "$focus"
}

# wait_focus_leaves WINDOW: prints the window that has the keyboard focus once it is another one.
wait_focus_leaves() {
    poll 30 focus_elsewhere "$1" || fail "the focus never left window $1"
}

# Return, then a moment for the dialog to go. Return may first close the completer's list of
# matching names, and a Return too many reaches only the main menu, where it does nothing.
gone_after_return() {
    xdotool key Return
    poll 1 destroyed "$1"
}

# choose_file MENU PATH: 辞書選択, then the full path typed into the dialog's file name and Return.
# Returns once the dialog's window is destroyed: only then has its modal loop ended, and the menu
# takes clicks again.
choose_file() {
    local menu=$1 path=$2 dialog
    click "$menu" $(centre_of 240 1800 1575 375) # 辞書選択
    dialog=$(wait_focus_leaves "$menu")
    xdotool type --delay 5 "$path"
    poll 30 gone_after_return "$dialog" || fail "the file dialog did not take $path"
}

# wait_exit SECONDS: sets EXIT_STATUS to the program's exit status, or fails if it still runs.
# (Not meant for $(...): a subshell cannot wait for this shell's child.)
EXIT_STATUS=""
ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
wait_exit() {
    poll "$1" ended || fail "the program did not end within $1 s"
    EXIT_STATUS=0
    wait "$APP_PID" || EXIT_STATUS=$?
    APP_PID=""
}

# open_menu BINARY DICTIONARY [WORKDIR]: starts the program and picks the dictionary in the file
# dialog. Sets MENU to the main menu.
open_menu() {
    start_app "$1" "${3:-$E2E_TMP}"
    MENU=$(wait_window)
    choose_file "$MENU" "$2"
}
