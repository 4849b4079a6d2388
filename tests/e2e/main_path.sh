#!/usr/bin/env bash
# The way a user goes through the program: create a dictionary from the main menu, select it in the
# file dialog, add words, go back, start the drill, watch a whole flash, exit with status 0.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/entrylib.sh"
binary=$1
export QT_LOGGING_RULES="tamberlo.drill.debug=true"

home="$E2E_TMP/home"
mkdir -p "$home"

start_xvfb
start_app "$binary" "$home"
menu=$(wait_window)

type_into "$menu" 2280 2400 3735 375 "my words"
click "$menu" $(centre_of 240 2400 1575 375) # 新規辞書作成
dismiss_message "$menu"
dictionary="$home/my words.tmb"
[ -f "$dictionary" ] && [ ! -s "$dictionary" ] || fail "no empty dictionary: $(ls -la "$home")"

choose_file "$menu" "$dictionary"
click "$menu" $(centre_of 2280 1200 1575 375) # 単語追加
entry=$(next_window "$menu")
register "$entry" apple りんご
shoot "$entry" form3-registered
register "$entry" dog 犬
# りんご and 犬 in CP932
[ "$(hex "$dictionary")" = "61 70 70 6c 65 3c 3e 82 e8 82 f1 82 b2 0d 0a 64 6f 67 3c 3e 8c a2 0d 0a" ] \
    || fail "dictionary holds: $(hex "$dictionary")"

click "$entry" $(centre_of 5040 1800 1095 495) # 戻る
menu=$(next_window "$entry")
click "$menu" $(centre_of 240 1200 1575 375) # 暗記開始
drill=$(next_window "$menu")
click "$drill" $(centre_of 4320 2640 1215 495) # 開始

wait_trace 5 # word, wait, meaning, wait, clear
mapfile -t flash < <(trace | head -n 5 | cut -d' ' -f1,3-)
case "${flash[0]} / ${flash[2]}" in
"word 1 apple / meaning りんご" | "word 2 dog / meaning 犬") ;;
*) fail "unexpected flash: $(trace)" ;;
esac
[ "${flash[1]}" = "wait 1000" ] && [ "${flash[3]}" = "wait 1000" ] && [ "${flash[4]}" = "clear" ] \
    || fail "not a whole flash at 2 s per word: $(trace)"

click "$drill" $(centre_of 6240 2640 1095 495) # 終了
wait_exit 30
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS: $(cat "$E2E_TMP/app.log")"
[ "$(ls -A "$home")" = "my words.tmb" ] || fail "other files in the folder: $(ls -A "$home")"
echo "PASS"
