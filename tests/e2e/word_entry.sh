#!/usr/bin/env bash
# A dictionary chosen in the real file dialog gets two words from the word entry window, one with a
# Japanese meaning typed on the keyboard; each lands on disk as one CP932 line. Back in a fresh main
# menu the same dictionary is still selected, and the drill shows one of the two words.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/entrylib.sh"
binary=$1
export QT_LOGGING_RULES="tamberlo.drill.debug=true"

mkdir -p "$E2E_TMP/dictionaries" "$E2E_TMP/start"
dictionary="$E2E_TMP/dictionaries/mine.tmb"
: >"$dictionary"

start_xvfb
open_menu "$binary" "$dictionary" "$E2E_TMP/start"
menu=$MENU

click "$menu" $(centre_of 2280 1200 1575 375) # 単語追加
entry=$(next_window "$menu")
register "$entry" dog 犬
[ "$(hex "$dictionary")" = "64 6f 67 3c 3e 8c a2 0d 0a" ] || fail "after the first word: $(hex "$dictionary")"
register "$entry" bird tori
[ "$(hex "$dictionary")" = "64 6f 67 3c 3e 8c a2 0d 0a 62 69 72 64 3c 3e 74 6f 72 69 0d 0a" ] \
    || fail "after the second word: $(hex "$dictionary")"

click "$entry" $(centre_of 5040 1800 1095 495) # 戻る
menu=$(next_window "$entry")
click "$menu" $(centre_of 240 1200 1575 375) # 暗記開始: the dictionary is still selected
drill=$(next_window "$menu")
click "$drill" $(centre_of 4320 2640 1215 495) # 開始, at the design's 2 s per word

wait_trace 3 # word, wait, meaning
read -r kind _ n word < <(trace | sed -n 1p)
read -r mkind _ meaning < <(trace | sed -n 3p)
case "$kind $n $word / $mkind $meaning" in
"word 1 dog / meaning 犬" | "word 2 bird / meaning tori") ;;
*) fail "unexpected flash: $(trace)" ;;
esac

click "$drill" $(centre_of 6240 2640 1095 495) # 終了
wait_exit 30
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS: $(cat "$E2E_TMP/app.log")"
[ -z "$(ls -A "$E2E_TMP/start")" ] || fail "files appeared where the program started: $(ls -A "$E2E_TMP/start")"
echo "PASS"
