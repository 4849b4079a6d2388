#!/usr/bin/env bash
# On a Wayland desktop without X (weston's headless backend, no DISPLAY) the real program starts
# natively through Qt's Wayland plugin and shows its main menu under the desktop entry's id.
# The compositor has no input devices, so nothing is clicked; and Qt 6.4's Wayland plugin
# crashes in a file dialog on a seat without a keyboard, so no dialog is opened.
. "$(dirname "$0")/lib.sh"
binary=$1
id=org.tamberlo.Tamberlo

command -v weston >/dev/null || { echo "SKIP: weston not installed"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    { echo "SKIP: qt6-wayland not installed"; exit 77; }

WESTON_PID=""
trap '[ -z "$WESTON_PID" ] || kill "$WESTON_PID" 2>/dev/null || true; cleanup' EXIT
export XDG_RUNTIME_DIR=$E2E_TMP WAYLAND_DISPLAY=tamberlo-e2e XDG_SESSION_TYPE=wayland
unset DISPLAY QT_QPA_PLATFORM
weston --backend=headless-backend.so --shell=kiosk-shell.so --socket="$WAYLAND_DISPLAY" \
    --no-config --idle-time=0 --log="$E2E_TMP/weston.log" >/dev/null 2>&1 &
WESTON_PID=$!
listening() {
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && return 0
    kill -0 "$WESTON_PID" 2>/dev/null || fail "weston ended: $(cat "$E2E_TMP/weston.log")"
    return 1
}
poll 30 listening || fail "weston does not listen: $(cat "$E2E_TMP/weston.log")"

# The client's side of the protocol, logged by libwayland, shows what the program asks for;
# an object is written interface@id up to libwayland 1.22, interface#id from 1.23.
(cd "$E2E_TMP" && exec env WAYLAND_DEBUG=client "$binary") >"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
# A buffer attached after the compositor's configure: the main menu is on the screen.
shown() {
    sed -n '/xdg_toplevel[@#][0-9]*\.configure(/,$p' "$E2E_TMP/app.log" | grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' && return 0
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(grep -v '^\[' "$E2E_TMP/app.log")"
    return 1
}
poll 30 shown || fail "the main menu was not shown: $(grep -v '^\[' "$E2E_TMP/app.log")"
grep -q 'xdg_toplevel[@#][0-9]*\.set_title("Tamberlo")' "$E2E_TMP/app.log" || fail "no toplevel titled Tamberlo"
grep -q "xdg_toplevel[@#][0-9]*\.set_app_id(\"$id\")" "$E2E_TMP/app.log" ||
    fail "app id is not $id: $(grep set_app_id "$E2E_TMP/app.log")"

kill -TERM "$APP_PID"
wait_exit 30
echo "PASS"
