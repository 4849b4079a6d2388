# Helpers for driving the drill of the real program; source after lib.sh.

# What the window frame's close button sends; there is no window manager to send it for us.
send_delete_window() { /usr/bin/python3 "$E2E_DIR/x11.py" close "$1"; }

# open_drill BINARY DICTIONARY SPEED: starts the program, picks the dictionary in the file dialog,
# opens the drill and types the speed. Sets DRILL to the drill window.
open_drill() {
    open_menu "$1" "$2"
    click "$MENU" $(centre_of 240 1200 1575 375) # 暗記開始
    DRILL=$(wait_other_window "$MENU")
    wait_unmapped "$MENU"
    click "$DRILL" $(centre_of 2160 2640 495 420) # the speed box
    xdotool key ctrl+a BackSpace
    xdotool type "$3"
}

press_start() { click "$DRILL" $(centre_of 4320 2640 1215 495); } # 開始

# start_drill BINARY DICTIONARY SPEED: open_drill, then 開始.
start_drill() {
    open_drill "$@"
    press_start
}
