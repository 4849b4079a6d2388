#!/usr/bin/env bash
# Runs every benchmark binary of a build and the drill benchmark, then times `wc -l` on the full
# dictionary the dictionary benchmark uses, as a yardstick for counting entries.
# Usage: tools/bench.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: tools/bench.sh BUILD_DIR}
benchdir="$build/bench"
[ -d "$benchdir" ] || { echo "bench.sh: no $benchdir (configure with TAMBERLO_BENCH=ON)" >&2; exit 1; }

# bare_window is no benchmark: startup_bench.sh starts it beside the program.
mapfile -t binaries < <(find "$benchdir" -path '*/CMakeFiles' -prune -o -type f -executable ! -name bare_window -print | sort)
[ ${#binaries[@]} -gt 0 ] || { echo "bench.sh: no benchmark binaries in $benchdir" >&2; exit 1; }

for bin in "${binaries[@]}"; do
    echo "== $(basename "$bin")"
    "$bin"
done

# The drill on the real program under Xvfb (skips itself when Xvfb or xdotool is missing).
echo "== drill_bench.sh"
"$(dirname "$0")/../bench/drill_bench.sh" "$build/src/tamberlo"
# Start-up against a bare Qt window with the same controls.
echo "== startup_bench.sh"
"$(dirname "$0")/../bench/startup_bench.sh" "$benchdir/bare_window" "$build/src/tamberlo"
# 登録 against a dictionary another program holds, and the drill given one huge line.
echo "== lockwait_bench.sh"
"$(dirname "$0")/../bench/lockwait_bench.sh" "$build/src/tamberlo"
echo "== hugeline_bench.sh"
"$(dirname "$0")/../bench/hugeline_bench.sh" "$build/src/tamberlo" "$benchdir/dictionary_bench"

dictionary_bench="$benchdir/dictionary_bench"
[ -x "$dictionary_bench" ] || exit 0

# The dictionary tool on a full dictionary and on 1 GiB sources.
echo "== dict_bench.sh"
"$(dirname "$0")/../bench/dict_bench.sh" "$build/src/tamberlo-dict/tamberlo-dict" "$dictionary_bench"
# Card programs' files against their time and memory targets.
echo "== cards_bench.sh"
"$(dirname "$0")/../bench/cards_bench.sh" "$build/src/tamberlo-dict/tamberlo-dict"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$dictionary_bench" --write-dictionary="$tmp/full.tmb"

# Mean wall time per run of a command, in ms, over n runs (process start-up included).
per_run_ms() {
    local n=$1; shift
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < n; i++)); do "$@" >/dev/null; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$n" 'BEGIN { printf "%.3f", ns / n / 1e6 }'
}

runs=200
echo "== wc -l on the same file ($(stat -c %s "$tmp/full.tmb") bytes, $(wc -l <"$tmp/full.tmb") lines), mean of $runs runs"
echo "wc -l $(per_run_ms $runs wc -l "$tmp/full.tmb") ms per run"
echo "true  $(per_run_ms $runs true) ms per run (shell builtin: loop overhead)"
echo "/bin/true $(per_run_ms $runs /bin/true) ms per run (process start-up alone)"
