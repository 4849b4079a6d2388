#!/usr/bin/env bash
# The drill on a real dictionary chosen in the real file dialog, at 1 s per word: each flash shows a
# word, then that entry's meaning, then clears it. The exit button mid-wait, and closing the window
# through its frame mid-wait, each end the program with status 0 and no further flash.
. "$(dirname "$0")/lib.sh"
binary=$1
export QT_LOGGING_RULES="tamberlo.drill.debug=true"

dictionary="$E2E_TMP/words.tmb"
printf 'dog<>\x8c\xa2\r\ncat<>\x94\x4c\r\nbird<>\x92\xb9\r\n' >"$dictionary" # 犬 猫 鳥 in CP932
entries=("" "dog 犬" "cat 猫" "bird 鳥")

# The drill's trace, without the category prefix: "word <µs> <n> <word>", "wait <µs> <ms>", ...
trace() { sed -n 's/^tamberlo\.drill: //p' "$E2E_TMP/app.log"; }

# wait_trace N: until the trace has at least N lines.
wait_trace() {
    for _ in $(seq 200); do
        [ "$(trace | wc -l)" -ge "$1" ] && return 0
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended; its output: $(cat "$E2E_TMP/app.log")"
        sleep 0.05
    done
    fail "the trace stopped at $(trace | wc -l) lines, short of $1"
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

wait_unmapped() {
    for _ in $(seq 200); do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.05
    done
    fail "window $1 is still shown"
}

# wait_other_window WINDOW: the visible Tamberlo window that is not WINDOW.
wait_other_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | grep -vx "$1" | tail -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    fail "no second Tamberlo window appeared"
}

# wait_gone SECONDS: sets STATUS to the program's exit status. In the shell that started the
# program, since a command substitution cannot wait for its parent's child.
wait_gone() {
    for _ in $(seq $(($1 * 100))); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.01
    done
    kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end within $1 s"
    STATUS=0
    wait "$APP_PID" || STATUS=$?
    APP_PID=""
}

# What the window frame's close button sends; there is no window manager to send it for us.
send_delete_window() {
    python3 - "$1" <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
event = XEvent()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, int(sys.argv[1]), 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
EOF
}

# Starts the program, picks the dictionary in the file dialog, opens the drill, types speed 1 and
# presses start. Sets DRILL to the drill window.
start_drill() {
    start_app "$binary"
    local menu dialog
    menu=$(wait_window)
    click "$menu" $(centre_of 240 1800 1575 375) # 辞書選択
    dialog=$(wait_focus_leaves "$menu")
    xdotool type --delay 5 "$dictionary"
    xdotool key Return
    wait_unmapped "$dialog"
    click "$menu" $(centre_of 240 1200 1575 375) # 暗記開始
    DRILL=$(wait_other_window "$menu")
    wait_unmapped "$menu"
    click "$DRILL" $(centre_of 2160 2640 495 420) # the speed box
    xdotool key ctrl+a BackSpace
    xdotool type "1"
    click "$DRILL" $(centre_of 4320 2640 1215 495) # 開始
}

# check_flash FIRST_LINE: the five trace lines of one flash from FIRST_LINE on.
check_flash() {
    local from=$1 kind at n word ms meaning
    local -a lines
    mapfile -t lines < <(trace | sed -n "${from},$((from + 4))p")
    read -r kind at n word <<<"${lines[0]}"
    [ "$kind" = word ] || fail "expected a word at trace line $from: ${lines[0]}"
    [ "$n" -ge 1 ] && [ "$n" -le 3 ] || fail "entry number $n out of 1..3"
    [ "${entries[$n]%% *}" = "$word" ] || fail "entry $n shown as '$word'"
    local wait_at
    read -r kind wait_at ms <<<"${lines[1]}"
    [ "$kind $ms" = "wait 500" ] || fail "expected a 500 ms wait: ${lines[1]}"
    read -r kind at meaning <<<"${lines[2]}"
    [ "$kind $meaning" = "meaning ${entries[$n]#* }" ] || fail "entry $n: expected its meaning, got: ${lines[2]}"
    # The wait lasts at least its time; a millisecond clock may start it up to 1 ms early.
    [ $((at - wait_at)) -ge 499000 ] || fail "meaning after $((at - wait_at)) µs, not 500 ms"
    read -r kind wait_at ms <<<"${lines[3]}"
    [ "$kind $ms" = "wait 500" ] || fail "expected a 500 ms wait: ${lines[3]}"
    read -r kind at <<<"${lines[4]}"
    [ "$kind" = clear ] || fail "expected the meaning cleared: ${lines[4]}"
    [ $((at - wait_at)) -ge 499000 ] || fail "cleared after $((at - wait_at)) µs, not 500 ms"
}

# end_mid_wait HOW: ends the program a moment into the second flash's first wait, by HOW.
end_mid_wait() {
    wait_trace 7 # a whole flash, then the next word and its wait
    check_flash 1
    sleep 0.1
    local before
    before=$(trace | wc -l)
    [ "$before" = 7 ] || fail "the wait ended early: $(trace | tail -n +7)"
    "$@"
    wait_gone 5
    [ "$STATUS" = 0 ] || fail "exit status $STATUS after: $*"
    [ "$(trace | wc -l)" = "$before" ] || fail "the drill went on after: $*: $(trace | tail -n +8)"
    ! grep -q '実行時エラー' "$E2E_TMP/app.log" || fail "a run-time error: $(cat "$E2E_TMP/app.log")"
}

start_xvfb

start_drill
end_mid_wait click "$DRILL" $(centre_of 6240 2640 1095 495) # 終了

start_drill
end_mid_wait send_delete_window "$DRILL"

echo "PASS"
