#!/usr/bin/env bash
# Start-up against a bare Qt window with the same controls (bare_window), run by turns on one Xvfb:
# the wall time from starting each program to its window's first frame (Qt's own painting log
# says when the top-level is flushed). Median and fastest of each; several programs (a build before
# and after a change) run by turns with the bare window in one go.
# Usage: [ROUNDS=15] bench/startup_bench.sh BARE_WINDOW BINARY...
root=$(cd "$(dirname "$0")/.." && pwd)
command -v Xvfb >/dev/null || { echo "startup_bench: skipped, Xvfb is not installed"; exit 0; }
. "$root/tests/e2e/lib.sh"
rounds=${ROUNDS:-15}
usage="usage: [ROUNDS=15] bench/startup_bench.sh BARE_WINDOW BINARY..."
now_us() { echo $((${EPOCHREALTIME/./})); }

# first_frame_ms BINARY: starts it, waits for its first flushed frame, ends it.
first_frame_ms() {
    local fifo="$E2E_TMP/paint" start pid
    rm -f "$fifo"
    mkfifo "$fifo"
    start=$(now_us)
    (cd "$E2E_TMP" && exec env XDG_RUNTIME_DIR="$E2E_TMP" QT_LOGGING_RULES="qt.widgets.painting=true" "$1" \
        2>"$fifo" >/dev/null) &
    pid=$!
    grep -m 1 -q 'Flushing top level' <"$fifo" || fail "$1 showed no frame"
    awk -v us=$(($(now_us) - start)) 'BEGIN { printf "%.1f\n", us / 1000 }'
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

stats() { sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
                                             printf "%6.1f ms median, %6.1f ms fastest", m, v[1] }'; }

[ $# -ge 2 ] || fail "$usage"
programs=()
for program in "$@"; do programs+=("$(realpath "$program")"); done
start_xvfb
first_frame_ms "${programs[0]}" >/dev/null # fontconfig's caches warm for all
for ((i = 0; i < rounds; i++)); do
    for p in "${!programs[@]}"; do first_frame_ms "${programs[p]}" >>"$E2E_TMP/times$p"; done
done
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "Start to first frame on Xvfb, $rounds runs each by turns"
bare=$(median "$E2E_TMP/times0")
for p in "${!programs[@]}"; do
    name=$(basename "${programs[p]}")
    [ "$p" = 0 ] && name="bare Qt window, same controls"
    printf '%-30s %s, median %.2f x the bare window\n' "$name" "$(stats <"$E2E_TMP/times$p")" \
        "$(awk -v a="$(median "$E2E_TMP/times$p")" -v b="$bare" 'BEGIN { print a / b }')"
done
