#!/usr/bin/env bash
# 登録 on the real program under Xvfb while another program holds the dictionary's lock
# (`flock FILE sleep 30`):
#  - the time from the 登録 click to the message box, and whether the file stayed as it was;
#  - whether the window repaints meanwhile: 0.3 s into the wait a red window covers part of it for
#    0.2 s, and 0.3 s later that part is looked at again;
#  - whether a close request sent 0.5 s into the wait ends the program, and how soon;
#  - whether the same press saves when the holder lets go 1 s into the wait.
# Usage: bench/lockwait_bench.sh BINARY
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwininfo flock; do
    command -v "$tool" >/dev/null || { echo "lockwait_bench: skipped, $tool is not installed"; exit 0; }
done
. "$root/tests/e2e/lib.sh"
. "$root/tests/e2e/drilllib.sh"
. "$root/tests/e2e/entrylib.sh"
binary=$(realpath "${1:?usage: bench/lockwait_bench.sh BINARY}")

x11() { /usr/bin/python3 "$E2E_DIR/x11.py" "$@"; }

now_us() { echo $((${EPOCHREALTIME/./})); }
ms_since() { awk -v us=$(($(now_us) - $1)) 'BEGIN { printf "%.0f", us / 1000 }'; }

dictionary="$E2E_TMP/held.tmb"
printf 'cat<>neko\r\n' >"$dictionary"
before=$(hex "$dictionary")
HOLDER=""
hold_lock() {
    # -o: flock itself holds the lock, so killing it lets go; sleep keeps no output open.
    flock -o "$dictionary" sleep 30 >/dev/null 2>&1 &
    HOLDER=$!
    poll 10 held || fail "flock did not take the lock"
}
held() { ! flock -n "$dictionary" true; }
let_go() {
    [ -n "$HOLDER" ] || return 0
    kill $(ps -o pid= --ppid "$HOLDER") "$HOLDER" 2>/dev/null || true
    wait "$HOLDER" 2>/dev/null || true
    HOLDER=""
}
trap 'let_go; cleanup' EXIT

# open_entry: the word entry window on the dictionary, with a pair typed; sets ENTRY.
open_entry() {
    open_menu "$binary" "$dictionary"
    click "$MENU" $(centre_of 2280 1200 1575 375) # 単語追加
    ENTRY=$(next_window "$MENU")
    type_into "$ENTRY" 1320 360 4935 375 dog
    type_into "$ENTRY" 1320 1080 4935 375 inu
}

start_xvfb

# 1. The refusal, and the repaint meanwhile.
open_entry
read -r wx wy < <(xwininfo -id "$ENTRY" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
# A spot of plain window background, right of the boxes.
px=$((wx + 6400 / 15)) py=$((wy + 1700 / 15))
background=$(x11 pixel "$px" "$py")
hold_lock
start=$(now_us)
click "$ENTRY" $(centre_of 3480 1800 1095 495) # 登録
sleep 0.3
x11 cover $((px - 20)) $((py - 20)) 40 40 0.2
sleep 0.3
after_cover=$(x11 pixel "$px" "$py")
polled_at=$(ms_since "$start")
box=$(poll 40 visible_other "$ENTRY") || fail "no message box within 40 s"
refusal_ms=$(ms_since "$start")
after=$(hex "$dictionary")
[ "$after_cover" = "$background" ] && repainted="yes" || repainted="no (still $after_cover, background $background)"
[ "$after" = "$before" ] && unchanged="yes" || unchanged="no: $after"
let_go
kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; APP_PID=""

# 2. A close request during the wait.
open_entry
hold_lock
click "$ENTRY" $(centre_of 3480 1800 1095 495) # 登録
sleep 0.5
start=$(now_us)
send_delete_window "$ENTRY"
if poll 40 ended; then
    close="program ended $(ms_since "$start") ms after the close request"
    APP_PID=""
else
    close="lost: the program still runs 40 s after the close request"
fi
let_go

# 3. The holder lets go during the wait.
printf 'cat<>neko\r\n' >"$dictionary"
open_entry
hold_lock
click "$ENTRY" $(centre_of 3480 1800 1095 495) # 登録
sleep 1
let_go
start=$(now_us)
poll 40 visible_other "$ENTRY" >/dev/null || fail "no message box within 40 s"
saved_ms=$(ms_since "$start")
[ "$(hex "$dictionary")" = "$before 64 6f 67 3c 3e 69 6e 75 0d 0a" ] && saved="saved" || saved="not saved: $(hex "$dictionary")"

echo "登録 while another program holds the lock (flock FILE sleep 30)"
printf '%-52s %s\n' "click to message box" "$refusal_ms ms"
printf '%-52s %s\n' "file unchanged" "$unchanged"
printf '%-52s %s\n' "window repainted after being covered (at $polled_at ms)" "$repainted"
printf '%-52s %s\n' "close request 0.5 s into the wait" "$close"
printf '%-52s %s\n' "holder lets go 1 s into the wait" "$saved, message box $saved_ms ms later"
