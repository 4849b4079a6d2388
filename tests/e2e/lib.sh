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
