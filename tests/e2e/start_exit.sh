#!/usr/bin/env bash
# The real program starts with its main menu centred on the screen and ends with status 0 on exit.
. "$(dirname "$0")/lib.sh"
binary=$1
scale=${2:-1}
export QT_SCALE_FACTOR=$scale

start_xvfb
start_app "$binary"
win=$(wait_window)

eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" = $((529 * scale)) ] && [ "$HEIGHT" = $((196 * scale)) ] || fail "main menu is ${WIDTH}x${HEIGHT} at scale $scale"
[ $(( X + WIDTH / 2 - 640 )) -ge -2 ] && [ $(( X + WIDTH / 2 - 640 )) -le 2 ] || fail "not centred horizontally: x=$X"
[ $(( Y + HEIGHT / 2 - 512 )) -ge -2 ] && [ $(( Y + HEIGHT / 2 - 512 )) -le 2 ] || fail "not centred vertically: y=$Y"

read -r x y < <(centre_of 4320 1200 1455 375)   # 終了
click "$win" $((x * scale)) $((y * scale))
wait_exit 30
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
echo "PASS"
