#!/usr/bin/env bash
# The drill's timing on the real program under Xvfb, read from its trace and /proc:
#  - processor time as a share of wall time over a drill at 2 s per word;
#  - how late each meaning and each clearing comes after its due time (wait start + half-period);
#  - how long from the exit click to the process being gone;
#  - flashes per second at speed 0 on a 32767-entry dictionary.
# Usage: bench/drill_bench.sh BINARY [SECONDS] [EXIT_RUNS]
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "drill_bench: skipped, $tool is not installed"; exit 0; }
done
. "$root/tests/e2e/lib.sh"
. "$root/tests/e2e/drilllib.sh"
binary=$(realpath "${1:?usage: bench/drill_bench.sh BINARY [SECONDS] [EXIT_RUNS]}")
seconds=${2:-20}
exit_runs=${3:-5}
export QT_LOGGING_RULES="tamberlo.drill.debug=true"
ticks_per_second=$(getconf CLK_TCK)

example="$root/examples/basic-english.tmb"
full="$E2E_TMP/full.tmb"
# 32767 entries of a realistic length: word00001<>意味1 ... in code page 932.
awk 'BEGIN { for (i = 1; i <= 32767; i++) printf "word%05d<>\210\323\226\241%d\r\n", i, i }' >"$full"

# Processor time of the program so far (all its threads), in clock ticks.
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$APP_PID/stat")
    stat=${stat##*) } # the fields after the command name
    read -r -a fields <<<"$stat"
    echo $((fields[11] + fields[12])) # utime, stime
}

now_us() { echo $((${EPOCHREALTIME/./})); }

# exit_latency: clicks 終了, waits for the process to be gone and sets LATENCY in ms, counted
# from the start of xdotool. Not in a command substitution, which could not wait for this
# shell's child. Press and release by hand: xdotool's "click" sleeps 100 ms after clicking.
exit_latency() {
    local start end
    start=$(now_us)
    xdotool mousemove --window "$DRILL" $(centre_of 6240 2640 1095 495) mousedown 1 mouseup 1
    STATUS=0
    wait "$APP_PID" || STATUS=$?
    end=$(now_us)
    APP_PID=""
    [ "$STATUS" = 0 ] || fail "exit status $STATUS"
    LATENCY=$(awk -v us=$((end - start)) 'BEGIN { printf "%.1f", us / 1000 }')
}

# Median and largest of the numbers on stdin, one per line.
median_max() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a n/a"; exit }
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.2f %.2f\n", m, v[NR] }'
}

start_xvfb

# 1. A drill at 2 s per word: processor share and label-change delays, then one exit.
start_drill "$binary" "$example" 2
wait_trace 2
cpu_start=$(cpu_ticks)
wall_start=$(now_us)
sleep "$seconds"
cpu_end=$(cpu_ticks)
wall_end=$(now_us)
# The due time of a meaning or a clearing is the start of the wait before it plus its half-period.
trace | awk '$1 == "wait" { due = $2 + $3 * 1000; next }
             ($1 == "meaning" || $1 == "clear") && due { printf "%.3f\n", ($2 - due) / 1000; due = 0 }' >"$E2E_TMP/delays"
changes=$(wc -l <"$E2E_TMP/delays")
read -r delay_median delay_worst < <(median_max <"$E2E_TMP/delays")
cpu_share=$(awk -v t=$((cpu_end - cpu_start)) -v hz="$ticks_per_second" -v us=$((wall_end - wall_start)) \
    'BEGIN { printf "%.2f", 100 * t / hz / (us / 1e6) }')
# The same xdotool command on a spot that does nothing (the word label): its own share of the
# exit latency, process start-up included.
overheads=()
for _ in 1 2 3 4 5; do
    start=$(now_us)
    xdotool mousemove --window "$DRILL" $(centre_of 0 360 7935 1095) mousedown 1 mouseup 1
    overheads+=("$(awk -v us=$(($(now_us) - start)) 'BEGIN { printf "%.1f", us / 1000 }')")
done
read -r xdotool_median _ < <(printf '%s\n' "${overheads[@]}" | median_max)
# Mid-wait: the exit click then lands while the drill is blocked in a wait.
sleep 0.3
exit_latency
latencies=("$LATENCY")

# 2. More exits, each a moment into the first half-period of a fresh drill.
for ((run = 1; run < exit_runs; run++)); do
    : >"$E2E_TMP/app.log"
    start_drill "$binary" "$example" 2
    wait_trace 2
    sleep 0.3
    exit_latency
    latencies+=("$LATENCY")
done
read -r exit_median exit_worst < <(printf '%s\n' "${latencies[@]}" | median_max)

# 3. Speed 0 on the full dictionary: flashes as fast as the program goes, each re-reading the file.
: >"$E2E_TMP/app.log"
start_drill "$binary" "$full" 0
wait_trace 2
sleep 5
exit_latency
busy_exit=$LATENCY
read -r flashes rate < <(trace | awk '$1 == "word" { if (!first) first = $2; last = $2; n++ }
    END { printf "%d %.0f\n", n, (n - 1) / ((last - first) / 1e6) }')

verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN { ok = op == "<=" ? v <= goal : v >= goal; print ok ? "met" : "MISSED" }'; }

cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Drill on the real program under Xvfb; $(nproc) CPUs, ${cpu_model:-unknown CPU}"
printf '%-58s %12s %10s  %s\n' "measure" "measured" "goal" ""
printf '%-58s %12s %10s  %s\n' "processor time / wall time, ${seconds} s at 2 s/word" "$cpu_share %" "<= 1 %" "$(verdict "$cpu_share" 1 "<=")"
printf '%-58s %12s %10s  %s\n' "label change after its due time, median of $changes" "$delay_median ms" "<= 2 ms" "$(verdict "$delay_median" 2 "<=")"
printf '%-58s %12s %10s  %s\n' "label change after its due time, worst" "$delay_worst ms" "<= 16 ms" "$(verdict "$delay_worst" 16 "<=")"
printf '%-58s %12s %10s  %s\n' "exit click to process gone, median of ${#latencies[@]}" "$exit_median ms" "<= 50 ms" "$(verdict "$exit_median" 50 "<=")"
printf '%-58s %12s %10s  %s\n' "exit click to process gone, worst" "$exit_worst ms" "<= 50 ms" "$(verdict "$exit_worst" 50 "<=")"
printf '%-58s %12s %10s  %s\n' "  of which xdotool itself (same click on a label), median" "$xdotool_median ms" "" ""
printf '%-58s %12s %10s  %s\n' "exit click to process gone at speed 0" "$busy_exit ms" "" ""
printf '%-58s %12s %10s  %s\n' "flashes per second at speed 0, 32767 entries ($flashes flashes)" "$rate /s" ">= 200 /s" "$(verdict "$rate" 200 ">=")"
