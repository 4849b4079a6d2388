#!/usr/bin/env bash
# The drill on a real dictionary chosen in the real file dialog, at 1 s per word: each flash shows a
# word, then that entry's meaning, then clears it. The exit button mid-wait, and closing the window
# through its frame mid-wait, each end the program with status 0 and no further flash.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/drilllib.sh"
binary=$1
export QT_LOGGING_RULES="tamberlo.drill.debug=true"

dictionary="$E2E_TMP/words.tmb"
printf 'dog<>\x8c\xa2\r\ncat<>\x94\x4c\r\nbird<>\x92\xb9\r\n' >"$dictionary" # 犬 猫 鳥 in CP932
entries=("" "dog 犬" "cat 猫" "bird 鳥")

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
    wait_exit 5
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after: $*"
    [ "$(trace | wc -l)" = "$before" ] || fail "the drill went on after: $*: $(trace | tail -n +8)"
    ! grep -q '実行時エラー' "$E2E_TMP/app.log" || fail "a run-time error: $(cat "$E2E_TMP/app.log")"
}

start_xvfb

start_drill "$binary" "$dictionary" 1
end_mid_wait click "$DRILL" $(centre_of 6240 2640 1095 495) # 終了

start_drill "$binary" "$dictionary" 1
end_mid_wait send_delete_window "$DRILL"

echo "PASS"
