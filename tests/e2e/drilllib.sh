# Helpers for driving the drill of the real program; source after lib.sh.

# What the window frame's close button sends; there is no window manager to send it for us.
send_delete_window() {
    /usr/bin/python3 - "$1" <<'EOF'
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
    local menu
    menu=$(wait_window)
    choose_file "$menu" "$dictionary"
    click "$menu" $(centre_of 240 1200 1575 375) # 暗記開始
    DRILL=$(wait_other_window "$menu")
    wait_unmapped "$menu"
    click "$DRILL" $(centre_of 2160 2640 495 420) # the speed box
    xdotool key ctrl+a BackSpace
    xdotool type "$speed"
    click "$DRILL" $(centre_of 4320 2640 1215 495) # 開始
}

