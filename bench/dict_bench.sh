#!/usr/bin/env bash
# tamberlo-dict on a full dictionary (32767 entries, the dictionary benchmark's own) and on 1 GiB
# sources: wall and processor time per command (median of 11 runs, process start-up included), the
# peak memory (ru_maxrss) of each 1 GiB run, and how long an import holds the dictionary's lock, as
# another process waiting for it sees it.
# Usage: bench/dict_bench.sh TAMBERLO_DICT DICTIONARY_BENCH
set -euo pipefail
tool=$(realpath "${1:?usage: bench/dict_bench.sh TAMBERLO_DICT DICTIONARY_BENCH}")
dictionary_bench=$(realpath "${2:?usage: bench/dict_bench.sh TAMBERLO_DICT DICTIONARY_BENCH}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LC_ALL=C.UTF-8

"$dictionary_bench" --write-dictionary="$tmp/full.tmb" >/dev/null
"$tool" export --csv "$tmp/full.tmb" "$tmp/full-utf8.csv" 2>/dev/null
iconv -f UTF-8 -t CP932 "$tmp/full-utf8.csv" >"$tmp/full.csv"
"$tool" export "$tmp/full.tmb" "$tmp/full.tsv" 2>/dev/null
truncate -s 1G "$tmp/nul.txt"
# 1 GiB of whole lines: 56,512,727 lines of 19 bytes.
(yes 'vocabulary,meaning' || true) | head -n 56512727 >"$tmp/lines.csv"
printf 'vocabulary<>meaning\r\n' >"$tmp/known.tmb"

/usr/bin/python3 - "$tool" "$tmp" <<'PY'
import fcntl, os, resource, statistics, subprocess, sys, time
tool, tmp = sys.argv[1], sys.argv[2]

def run(args, before=None):
    if before:
        before()
    r0 = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    p = subprocess.run([tool] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - t0
    r1 = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (r1.ru_utime - r0.ru_utime) + (r1.ru_stime - r0.ru_stime)
    return p.returncode, wall * 1000, cpu * 1000

def remove(path):
    return lambda: os.path.exists(path) and os.remove(path)

new = f"{tmp}/new.tmb"
cases = [
    ("import, CP932 CSV into a new dictionary", ["import", f"{tmp}/full.csv", new], remove(new)),
    ("import, UTF-8 TSV into a new dictionary", ["import", f"{tmp}/full.tsv", new], remove(new)),
    ("import again, all 32767 already there", ["import", f"{tmp}/full.csv", f"{tmp}/full.tmb"], None),
    ("check", ["check", f"{tmp}/full.tmb"], None),
    ("export (TSV)", ["export", f"{tmp}/full.tmb", f"{tmp}/out.tsv"], None),
]
def lock_held(args, dictionary, before):
    before()
    fd = os.open(dictionary, os.O_RDONLY)
    p = subprocess.Popen([tool] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    longest = 0.0
    while p.poll() is None:
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            t0 = time.perf_counter()
            fcntl.flock(fd, fcntl.LOCK_EX)
            longest = max(longest, time.perf_counter() - t0)
        fcntl.flock(fd, fcntl.LOCK_UN)
    os.close(fd)
    return p.returncode, longest * 1000

def fresh(path):
    return lambda: open(path, "w").close()

print("the longest hold of the dictionary's lock, as another process waits for it (of 5 runs)")
for name, args, dictionary, before in [
        ("import of 32767 new entries", ["import", f"{tmp}/full.csv", new], new, fresh(new)),
        ("import of 1 GiB of pairs all there", ["import", f"{tmp}/lines.csv", f"{tmp}/known.tmb"], f"{tmp}/known.tmb", lambda: None)]:
    runs = [lock_held(args, dictionary, before) for _ in range(5)]
    print(f"{name:44} {max(r[1] for r in runs):6.2f} ms  exit {runs[0][0]}")
print("32767 entries, median of 11 runs (process start-up included)")
print(f"{'command':44} {'wall':>9} {'cpu':>9}  exit")
for name, args, before in cases:
    runs = [run(args, before) for _ in range(11)]
    print(f"{name:44} {statistics.median(r[1] for r in runs):6.1f} ms {statistics.median(r[2] for r in runs):6.1f} ms  {runs[0][0]}")
sys.stdout.flush()
PY

# One process per 1 GiB run, so that each peak is its own.
peak() { # NAME COMMAND...
    local name=$1; shift
    /usr/bin/python3 - "$name" "$@" <<'PY'
import os, resource, sys, time
# posix_spawn, not fork: a forked child's peak would count this interpreter's pages.
devnull = os.open(os.devnull, os.O_WRONLY)
t0 = time.perf_counter()
pid = os.posix_spawnp(sys.argv[2], sys.argv[2:], os.environ,
                      file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)])
_, status = os.waitpid(pid, 0)
wall = time.perf_counter() - t0
print(f"{sys.argv[1]:44} {wall:6.2f} s  peak {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024:5.1f} MiB  exit {os.waitstatus_to_exitcode(status)}")
PY
}
echo "1 GiB sources"
peak "import, one 1 GiB line of NUL bytes" "$tool" import "$tmp/nul.txt" "$tmp/a.tmb"
peak "import, 1 GiB of CSV lines (past the limit)" "$tool" import "$tmp/lines.csv" "$tmp/b.tmb"
peak "import, 1 GiB of CSV lines all there" "$tool" import "$tmp/lines.csv" "$tmp/known.tmb"
peak "the same from standard input (a pipe)" sh -c 'cat "$2" | exec "$0" import - "$1"' "$tool" "$tmp/c.tmb" "$tmp/lines.csv"
peak "check, one 1 GiB line" "$tool" check "$tmp/nul.txt"
peak "check, 1 GiB of LF lines" "$tool" check "$tmp/lines.csv"
