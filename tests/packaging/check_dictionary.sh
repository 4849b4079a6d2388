#!/usr/bin/env bash
# Format check of a shipped dictionary (.tmb): code page 932, CR LF on every line,
# one word "<>" meaning per line within the word entry window's limits, no duplicate words.
# Usage: check_dictionary.sh FILE [MIN_ENTRIES]
set -euo pipefail
file=${1:?usage: check_dictionary.sh FILE [MIN_ENTRIES]}
min=${2:-150}
export LC_ALL=C.UTF-8
max_word=15
max_meaning=20

command -v iconv >/dev/null || { echo "SKIP: iconv not installed"; exit 77; }
fail=0
err() { echo "FAIL: $*"; fail=1; }

[ -s "$file" ] || { echo "FAIL: $file missing or empty"; exit 1; }

# Line ends: as many CR as LF, every CR followed by LF, and the file ends with CR LF.
crs=$(tr -cd '\r' <"$file" | wc -c)
lfs=$(tr -cd '\n' <"$file" | wc -c)
crlfs=$(LC_ALL=C grep -c $'\r$' "$file" || true)
[ "$crs" -eq "$lfs" ] && [ "$crlfs" -eq "$lfs" ] || err "line ends: $crs CR, $lfs LF, $crlfs CR LF"
[ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' \n')" = 0d0a ] || err "last line does not end with CR LF"

# Encoding: strict decode, and encoding back gives the same bytes.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! iconv -f CP932 -t UTF-8 "$file" >"$tmp/utf8"; then
    echo "FAIL: not valid code page 932"; exit 1
fi
iconv -f UTF-8 -t CP932 "$tmp/utf8" >"$tmp/back" || err "does not encode back to code page 932"
cmp -s "$file" "$tmp/back" || err "code page 932 round trip changes the bytes"

n=0
declare -A seen=()
while IFS= read -r line; do
    n=$((n + 1))
    line=${line%$'\r'}
    rest=${line#*<>}
    if [ "$rest" = "$line" ]; then err "line $n has no \"<>\": $line"; continue; fi
    word=${line%%<>*}
    meaning=$rest
    case $meaning in *'<>'*) err "line $n has more than one \"<>\": $line"; continue ;; esac
    [ -n "$word" ] || err "line $n: empty word"
    [ -n "$meaning" ] || err "line $n: empty meaning"
    [ "${#word}" -le $max_word ] || err "line $n: word longer than $max_word characters: $word"
    [ "${#meaning}" -le $max_meaning ] || err "line $n: meaning longer than $max_meaning characters: $meaning"
    for f in "$word" "$meaning"; do
        [ "$f" = "$(printf '%s' "$f" | sed 's/^[[:space:]]*//; s/[[:space:]]*$//')" ] \
            || err "line $n: blank at the start or end of a field: '$f'"
    done
    # The English word comes first, the Japanese meaning second.
    [[ $word =~ ^[A-Za-z][A-Za-z\ \'.-]*$ ]] || err "line $n: word is not plain English: $word"
    [[ $meaning =~ [^\ -~] ]] || err "line $n: meaning has no Japanese text: $meaning"
    key=${word,,}
    if [ -n "${seen[$key]:-}" ]; then err "line $n: duplicate word '$word' (first on line ${seen[$key]})"; fi
    seen[$key]=$n
done <"$tmp/utf8"

[ "$n" -eq "$lfs" ] || err "read $n lines, file has $lfs line ends"
[ "$n" -ge "$min" ] || err "$n entries, expected at least $min"
echo "$file: $n entries"
exit $fail
