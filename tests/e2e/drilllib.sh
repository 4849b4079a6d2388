# Helpers for driving the drill of the real program; source after lib.sh.

# The drill's trace, without the category prefix: "word <µs> <n> <word>", "wait <µs> <ms>", ...
# Needs QT_LOGGING_RULES="tamberlo.drill.debug=true" in the program's environment.
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

# other_window WINDOW TRIES: the visible Tamberlo window that is not WINDOW; fails after TRIES
# looks 50 ms apart.
other_window() {
    local id
    for _ in $(seq "$2"); do
        id=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | grep -vx "$1" | tail -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
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

# start_drill BINARY DICTIONARY SPEED: starts the program, picks the dictionary in the file
# dialog, opens the drill, types the speed and presses start. Sets DRILL to the drill window.
start_drill() {
    local binary=$1 dictionary=$2 speed=$3
    start_app "$binary"
    local menu dialog
    menu=$(wait_window)
    click "$menu" $(centre_of 240 1800 1575 375) # 辞書選択
    dialog=$(wait_focus_leaves "$menu")
    xdotool type --delay 5 "$dictionary"
    xdotool key Return
    wait_unmapped "$dialog"
    # A click that comes while the dialog is still winding down can be lost, and without a window
    # manager nothing (not even the focus) tells when it is over: click again if nothing opened.
    DRILL=""
    for _ in 1 2 3; do
        click "$menu" $(centre_of 240 1200 1575 375) # 暗記開始
        DRILL=$(other_window "$menu" 40) && break
    done
    [ -n "$DRILL" ] || fail "暗記開始 opened no drill window"
    wait_unmapped "$menu"
    click "$DRILL" $(centre_of 2160 2640 495 420) # the speed box
    xdotool key ctrl+a BackSpace
    xdotool type "$speed"
    click "$DRILL" $(centre_of 4320 2640 1215 495) # 開始
}

