# Helpers for end-to-end runs of the real program in its own Xvfb server.
# Source it; it sets DISPLAY and cleans up after itself.
set -euo pipefail

E2E_TMP=$(mktemp -d)
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
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    fail "Xvfb on $DISPLAY does not answer"
}

# start_app BINARY [WORKDIR]: runs the program with its output in $E2E_TMP/app.log.
start_app() {
    local binary=$1 workdir=${2:-$E2E_TMP}
    (cd "$workdir" && exec env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$E2E_TMP" "$binary") >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

# wait_window: prints the id of the visible "Tamberlo" window once it is mapped.
wait_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | tail -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    fail "no Tamberlo window appeared"
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

# wait_trace N: until the trace has at least N lines.
wait_trace() {
    for _ in $(seq 200); do
        [ "$(trace | wc -l)" -ge "$1" ] && return 0
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(cat "$E2E_TMP/app.log")"
        sleep 0.05
    done
    fail "the trace stopped at $(trace | wc -l) lines, short of $1"
}

# other_window WINDOW [TRIES]: the visible Tamberlo window (a window or a message box) that is not
# WINDOW; returns 1 after TRIES looks 50 ms apart (200 by default).
other_window() {
    local id
    for _ in $(seq "${2:-200}"); do
        id=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | grep -vx "$1" | tail -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

wait_other_window() {
    other_window "$1" || fail "no Tamberlo window besides $1 appeared"
}

wait_unmapped() {
    for _ in $(seq 200); do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.05
    done
    fail "window $1 is still shown"
}

# wait_focus_leaves WINDOW: prints the window that has the keyboard focus once it is another one.
wait_focus_leaves() {
    local focus
    for _ in $(seq 200); do
        focus=$(xdotool getwindowfocus 2>/dev/null || true)
        [ -n "$focus" ] && [ "$focus" != "$1" ] && { echo "$focus"; return 0; }
        sleep 0.05
    done
    fail "the focus never left window $1"
}

# choose_file MENU PATH: 辞書選択, then the full path typed into the dialog's file name and Return.
choose_file() {
    local menu=$1 path=$2 dialog
    click "$menu" $(centre_of 240 1800 1575 375) # 辞書選択
    dialog=$(wait_focus_leaves "$menu")
    xdotool type --delay 5 "$path"
    # Return may first close the completer's list of matching names; then it confirms.
    for _ in 1 2 3; do
        xdotool key Return
        sleep 0.3
        xwininfo -id "$dialog" 2>/dev/null | grep -q 'IsViewable' || return 0
    done
    fail "the file dialog did not take $path"
}

# wait_exit SECONDS: sets EXIT_STATUS to the program's exit status, or fails if it still runs.
# (Not meant for $(...): a subshell cannot wait for this shell's child.)
EXIT_STATUS=""
wait_exit() {
    local limit=$1
    for _ in $(seq $((limit * 20))); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            EXIT_STATUS=0
            wait "$APP_PID" || EXIT_STATUS=$?
            APP_PID=""
            return 0
        fi
        sleep 0.05
    done
    fail "the program did not end within ${limit}s"
}
