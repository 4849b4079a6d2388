#!/usr/bin/env bash
# The drill on the real program under Xvfb, given a dictionary of one huge line:
#  - a 1 GiB file of one line without "<>" (sparse, all NUL bytes): the time from 開始 to the
#    run-time error's report (at speed 0, so that no half-period comes between word and report);
#  - a 200 MB file saved with LF line ends, so one line by the line rule: the time from 開始 to
#    the first word shown;
# each with the program's peak memory (VmHWM) at that moment, and one count of the same file
# (countEntries alone, best of three) as the yardstick: the drill counts the file, then reads its entry.
# Usage: bench/hugeline_bench.sh BINARY DICTIONARY_BENCH
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "hugeline_bench: skipped, $tool is not installed"; exit 0; }
done
. "$root/tests/e2e/lib.sh"
. "$root/tests/e2e/drilllib.sh"
binary=$(realpath "${1:?usage: bench/hugeline_bench.sh BINARY DICTIONARY_BENCH}")
counter=$(realpath "${2:?usage: bench/hugeline_bench.sh BINARY DICTIONARY_BENCH}")
export QT_LOGGING_RULES="tamberlo.drill.debug=true"

now_us() { echo $((${EPOCHREALTIME/./})); }
peak_mib() { awk '/^VmHWM/ { printf "%.0f", $2 / 1024 }' "/proc/$APP_PID/status"; }

word_shown() { trace | grep -q '^word '; }
report_shown() { visible_other "$DRILL" >/dev/null; }

# measure FILE word|report: sets MS (開始 to the first word or to the report) and MIB (peak memory then).
measure() {
    open_drill "$binary" "$1" 0
    local start
    start=$(now_us)
    press_start
    poll 300 "$2_shown" || fail "no $2 within 300 s"
    MS=$(awk -v us=$(($(now_us) - start)) 'BEGIN { printf "%.0f", us / 1000 }')
    MIB=$(peak_mib)
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
    : >"$E2E_TMP/app.log"
}

huge="$E2E_TMP/huge.tmb"
truncate -s 1G "$huge"
lf="$E2E_TMP/lf.tmb"
(yes 'vocabulary<>meaning' || true) | head -c 200000000 >"$lf"

start_xvfb
echo "One huge line in the drill (peak memory is VmHWM; a count is countEntries alone, best of 3)"
printf '%-34s %-11s %10s %10s %10s\n' "dictionary" "until" "time" "peak" "one count"
row() { # NAME FILE word|report
    cat "$2" >/dev/null # every run starts from the page cache
    measure "$2" "$3"
    printf '%-34s %-11s %7s ms %6s MiB %7s ms\n' "$1" "$3" "$MS" "$MIB" "$("$counter" --count="$2")"
}
row "1 GiB, one line, no <>" "$huge" report
row "200 MB, LF line ends" "$lf" word
