#!/usr/bin/env bash
# The drill on a real dictionary chosen in the real file dialog, at 1 s per word: each flash shows a
# word, then that entry's meaning, then clears it. At 20 s per word, the exit button mid-wait, and
# closing the window through its frame mid-wait, each end the program with status 0 at once: before
# the wait would have run out, and with nothing more shown.
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

# end_mid_wait HOW...: ends the program by HOW during the first 10 s wait. The times come from the
# program's own clock: the action must have been sent, and the program gone, before the wait's end.
end_mid_wait() {
    wait_trace 2 # the word, then its wait
    local kind wait_at ms due acted gone
    read -r kind wait_at ms < <(trace | sed -n 2p)
    [ "$kind $ms" = "wait 10000" ] || fail "expected a 10 s wait: $(trace)"
    due=$((wait_at + ms * 1000))
    "$@"
    acted=$(monotonic_us)
    wait_exit 30
    gone=$(monotonic_us)
    [ "$acted" -lt "$due" ] || fail "the test was too slow: $* was sent only $(((acted - wait_at) / 1000)) ms into the wait"
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after: $*"
    [ "$gone" -lt "$due" ] || fail "the program ended only $(((gone - acted) / 1000)) ms after: $*, when its wait ran out"
    [ -z "$(trace | tail -n +3)" ] || fail "the drill went on after: $*: $(trace | tail -n +3)"
    ! grep -q '実行時エラー' "$E2E_TMP/app.log" || fail "a run-time error: $(cat "$E2E_TMP/app.log")"
}

start_xvfb

start_drill "$binary" "$dictionary" 1
wait_trace 5
check_flash 1
click "$DRILL" $(centre_of 6240 2640 1095 495) # 終了
wait_exit 30
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"

start_drill "$binary" "$dictionary" 20
end_mid_wait click "$DRILL" $(centre_of 6240 2640 1095 495) # 終了

start_drill "$binary" "$dictionary" 20
end_mid_wait send_delete_window "$DRILL"

echo "PASS"
