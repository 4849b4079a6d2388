# Helpers for runs that go through the main menu, the file dialog and word entry; source after lib.sh.

# dismiss_message WINDOW: waits for the message box over WINDOW and presses its OK with Return.
# Its text cannot be read from outside; callers check what the command did to the files.
dismiss_message() {
    local box
    box=$(wait_other_window "$1")
    poll 30 has_focus "$box" || fail "the message box $box never got the focus"
    xdotool key Return
    wait_unmapped "$box"
}

has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ]; }

# map_keys TEXT: gives every character of TEXT that no key makes a spare key of its own, for good.
# xdotool would otherwise map a key for each such character and take it back at once, and a
# program busy at that moment reads the key under the old map and loses the character.
map_keys() {
    /usr/bin/python3 - "$1" <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
x.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
x.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
x.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
x.XFree.argtypes = [ctypes.c_void_p]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
low, high, per = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
x.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
count = high.value - low.value + 1
table = x.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
keys = {code: [table[(code - low.value) * per.value + i] for i in range(per.value)]
        for code in range(low.value, high.value + 1)}
x.XFree(table)
mapped = {sym for syms in keys.values() for sym in syms}
spare = [code for code in sorted(keys, reverse=True) if not any(keys[code])]
for c in dict.fromkeys(sys.argv[1]):
    sym = ord(c) if ord(c) < 0x100 else 0x1000000 + ord(c)
    if ord(c) < 0x80 or sym in mapped:
        continue
    syms = (ctypes.c_ulong * per.value)(*([sym, sym] + [0] * (per.value - 2)))
    x.XChangeKeyboardMapping(display, spare.pop(0), per.value, syms, 1)
x.XSync(display, 0)
x.XCloseDisplay(display)
EOF
}

# type_into WINDOW LEFT TOP WIDTH HEIGHT TEXT: replaces the text of the box placed there (twips).
type_into() {
    local win=$1 text=$6
    map_keys "$text"
    click "$win" $(centre_of "$2" "$3" "$4" "$5")
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$text"
}

# register WINDOW WORD MEANING: types a pair into word entry, presses 登録 and dismisses the message.
register() {
    type_into "$1" 1320 360 4935 375 "$2"
    type_into "$1" 1320 1080 4935 375 "$3"
    click "$1" $(centre_of 3480 1800 1095 495) # 登録
    dismiss_message "$1"
}

# next_window WINDOW: after a command that unloads WINDOW, the window shown in its place.
next_window() {
    local next
    next=$(wait_other_window "$1")
    wait_unmapped "$1"
    echo "$next"
}

# hex FILE: the file's bytes as one line of hex pairs.
hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# shoot WINDOW NAME: a screenshot of the window into $TAMBERLO_E2E_SHOTS, when that is set.
shoot() {
    [ -n "${TAMBERLO_E2E_SHOTS:-}" ] || return 0
    mkdir -p "$TAMBERLO_E2E_SHOTS"
    import -window "$1" "$TAMBERLO_E2E_SHOTS/$2.png"
}
