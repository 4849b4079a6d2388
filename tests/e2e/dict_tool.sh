#!/usr/bin/env bash
# tamberlo-dict on the lists it is made for: a spreadsheet's CSV in code page 932 and a card program's
# UTF-16LE export with "#" header lines land as CP932 CR LF lines; a second import adds nothing; check
# names the lines of a broken dictionary; export then import gives the same bytes; an Anki package and
# a KVTML file land as the same lines; and the real program drills the imported dictionary.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/drilllib.sh"
binary=$1
tool=$2
export QT_LOGGING_RULES="tamberlo.drill.debug=true"
hex() { od -An -tx1 "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
dictionary="$E2E_TMP/words.tmb"

# 犬 and アイス in CP932; "ice, cream" quoted as a spreadsheet quotes it.
printf 'dog,\x8c\xa2\r\n"ice, cream",\x83\x41\x83\x43\x83\x58\r\n' >"$E2E_TMP/sheet.csv"
"$tool" import "$E2E_TMP/sheet.csv" "$dictionary" 2>"$E2E_TMP/out" || fail "CSV import: $(cat "$E2E_TMP/out")"
[ "$(cat "$E2E_TMP/out")" = "2件追加しました" ] || fail "CSV import said: $(cat "$E2E_TMP/out")"
csv_bytes="64 6f 67 3c 3e 8c a2 0d 0a 69 63 65 2c 20 63 72 65 61 6d 3c 3e 83 41 83 43 83 58 0d 0a"
[ "$(hex "$dictionary")" = "$csv_bytes" ] || fail "after the CSV: $(hex "$dictionary")"

{ printf '\xff\xfe'; printf '#separator:tab\n#html:false\ncat\t猫\n' | iconv -f UTF-8 -t UTF-16LE; } >"$E2E_TMP/deck.txt"
"$tool" import "$E2E_TMP/deck.txt" "$dictionary" 2>"$E2E_TMP/out" || fail "TSV import: $(cat "$E2E_TMP/out")"
[ "$(hex "$dictionary")" = "$csv_bytes 63 61 74 3c 3e 94 4c 0d 0a" ] || fail "after the TSV: $(hex "$dictionary")"

"$tool" import - "$dictionary" <"$E2E_TMP/sheet.csv" 2>"$E2E_TMP/out" || fail "second import failed"
[ "$(cat "$E2E_TMP/out")" = "0件追加しました（2件はすでにありました）" ] || fail "second import said: $(cat "$E2E_TMP/out")"

# Card programs' files: an Anki package of the current layout (its upgrade note never read) and
# KVTML with an empty grid row, each into a new dictionary.
bash "$(dirname "$0")/../wordlists/make_packages.sh" "$E2E_TMP/packages"
"$tool" import "$E2E_TMP/packages/current.apkg" "$E2E_TMP/anki.tmb" 2>"$E2E_TMP/out" || fail "apkg import: $(cat "$E2E_TMP/out")"
[ "$(hex "$E2E_TMP/anki.tmb")" = "64 6f 67 3c 3e 8c a2 0d 0a 69 63 65 20 63 72 65 61 6d 3c 3e 83 41 83 43 83 58 20 83 4e 83 8a 81 5b 83 80 0d 0a 63 61 74 3c 3e 94 4c 0d 0a" ] ||
    fail "after the apkg: $(hex "$E2E_TMP/anki.tmb")"
printf '<?xml version="1.0"?>\n<kvtml version="2.0">\n<entries>\n<entry id="0"><translation id="0"><text>dog</text></translation><translation id="1"><text>\xe7\x8a\xac</text></translation></entry>\n<entry id="1"><translation id="0"/><translation id="1"/></entry>\n</entries>\n</kvtml>\n' >"$E2E_TMP/words.kvtml"
"$tool" import "$E2E_TMP/words.kvtml" "$E2E_TMP/kvtml.tmb" 2>"$E2E_TMP/out" || fail "kvtml import: $(cat "$E2E_TMP/out")"
[ "$(hex "$E2E_TMP/kvtml.tmb")" = "64 6f 67 3c 3e 8c a2 0d 0a" ] || fail "after the kvtml: $(hex "$E2E_TMP/kvtml.tmb")"

# LF line ends, a blank line and a UTF-8 line.
printf 'a<>b\r\n\r\nc<>\xe7\x8c\xab\r\nd<>e\nf<>g\r\n' >"$E2E_TMP/broken.tmb"
status=0
"$tool" check "$E2E_TMP/broken.tmb" 2>"$E2E_TMP/out" || status=$?
[ "$status" = 1 ] || fail "check of a broken dictionary exited $status"
for line in 2 3 4; do
    grep -q "^$E2E_TMP/broken.tmb:$line: " "$E2E_TMP/out" || fail "check did not name line $line: $(cat "$E2E_TMP/out")"
done
"$tool" check "$dictionary" 2>"$E2E_TMP/out" || fail "check of the imported dictionary: $(cat "$E2E_TMP/out")"

for format in "" --csv; do
    rm -f "$E2E_TMP/again.tmb"
    "$tool" export $format "$dictionary" "$E2E_TMP/list" 2>/dev/null || fail "export $format failed"
    "$tool" import "$E2E_TMP/list" "$E2E_TMP/again.tmb" 2>/dev/null || fail "import of the export $format failed"
    cmp -s "$dictionary" "$E2E_TMP/again.tmb" || fail "export $format and import changed the bytes: $(hex "$E2E_TMP/again.tmb")"
done

start_xvfb
start_drill "$binary" "$dictionary" 1
wait_trace 5
declare -A meanings=([1]="dog 犬" [2]="ice, cream アイス" [3]="cat 猫")
read -r _ _ n word < <(trace | sed -n 1p)
read -r _ _ meaning < <(trace | sed -n 3p)
[ "${meanings[$n]}" = "$word $meaning" ] || fail "entry $n drilled as '$word' '$meaning'"
click "$DRILL" $(centre_of 6240 2640 1095 495) # 終了
wait_exit 30
echo "PASS"
