#!/usr/bin/env bash
# tamberlo-dict on card programs' files, against its targets: a 30,000-note Anki package imported in
# under 500 ms, a 30,000-entry KVTML file in under 200 ms (median of 11 runs into a new dictionary,
# process start-up included), and a package whose notes hold 1 GiB imported in under 64 MiB of
# memory (peak RSS). Exits 1 when a target is missed.
# Usage: bench/cards_bench.sh TAMBERLO_DICT
set -euo pipefail
tool=$(realpath "${1:?usage: bench/cards_bench.sh TAMBERLO_DICT}")
for t in sqlite3 zstd zip; do command -v "$t" >/dev/null || { echo "cards_bench: $t not installed"; exit 1; }; done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LC_ALL=C.UTF-8

notes_table="CREATE TABLE notes (id integer primary key, guid text not null, mid integer not null,
  mod integer not null, usn integer not null, tags text not null, flds text not null, sfld integer not null,
  csum integer not null, flags integer not null, data text not null);"
# A collection of N notes whose fields are SQL expressions of i, in the current layout.
package() { # NAME N WORD MEANING [EXTRA]
    local dir="$tmp/$1"
    mkdir -p "$dir"
    sqlite3 "$tmp/$1.db" "PRAGMA synchronous=OFF; PRAGMA journal_mode=OFF; $notes_table
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $2)
        INSERT INTO notes SELECT i, 'g' || i, 1, 0, 0, '', $3 || char(31) || $4 ${5:+|| char(31) || $5}, 0, 0, 0, '' FROM n;" >/dev/null
    zstd -q -T0 "$tmp/$1.db" -o "$dir/collection.anki21b"
    rm "$tmp/$1.db"
    sqlite3 "$dir/collection.anki2" "$notes_table INSERT INTO notes VALUES (1, 'g', 1, 0, 0, '', 'Please update to the latest Anki version, then import the .colpkg/.apkg file again.' || char(31), 0, 0, 0, '');"
    (cd "$dir" && zip -q -0 -X "$tmp/$1.apkg" collection.anki21b collection.anki2)
    rm -r "$dir"
}

package notes30k 30000 "'<b>word' || i || '</b>'" "'意味&nbsp;' || i || '<br>'"
# About 1 GiB of note fields: 960,000 notes of a word, a meaning and 1,100 bytes of other text.
package notes1g 960000 "'word' || i" "'意味' || i" "hex(randomblob(550))"
{
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">\n'
    printf '<kvtml version="2.0">\n<identifiers><identifier id="0"/><identifier id="1"/></identifiers>\n<entries>\n'
    awk 'BEGIN { for (i = 1; i <= 30000; i++)
        printf "<entry id=\"%d\">\n <translation id=\"0\"><text>word%d</text></translation>\n <translation id=\"1\"><text>意味%d</text></translation>\n</entry>\n", i, i, i }'
    printf '</entries>\n</kvtml>\n'
} >"$tmp/entries30k.kvtml"
ls -l "$tmp"/*.apkg "$tmp"/*.kvtml | awk '{ printf "%-60s %12d bytes\n", $9, $5 }'

/usr/bin/python3 - "$tool" "$tmp" <<'PY'
import os, resource, statistics, subprocess, sys, time
tool, tmp = sys.argv[1], sys.argv[2]
missed = 0

def timed(source):
    new = f"{tmp}/new.tmb"
    walls = []
    for _ in range(11):
        if os.path.exists(new):
            os.remove(new)
        t0 = time.perf_counter()
        p = subprocess.run([tool, "import", source, new], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        walls.append((time.perf_counter() - t0) * 1000)
        if p.returncode != 0:
            sys.exit(f"cards_bench: import of {source} failed: {p.stderr.decode()}")
    return statistics.median(walls)

def peak(source):
    # posix_spawn, not fork: a forked child's peak would count this interpreter's pages.
    devnull = os.open(os.devnull, os.O_WRONLY)
    t0 = time.perf_counter()
    pid = os.posix_spawnp(tool, [tool, "import", source, f"{tmp}/big.tmb"], os.environ,
                          file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)])
    _, status = os.waitpid(pid, 0)
    return time.perf_counter() - t0, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024, os.waitstatus_to_exitcode(status)

def verdict(name, value, unit, target):
    global missed
    ok = value < target
    missed += not ok
    print(f"{name:52} {value:8.1f} {unit}  target < {target} {unit}: {'met' if ok else 'MISSED'}")

verdict("import, 30,000-note package (median of 11)", timed(f"{tmp}/notes30k.apkg"), "ms", 500)
verdict("import, 30,000-entry KVTML (median of 11)", timed(f"{tmp}/entries30k.kvtml"), "ms", 200)
wall, rss, status = peak(f"{tmp}/notes1g.apkg")
print(f"import, 1 GiB package: {wall:.1f} s, exit {status} (past the dictionary's 32767 entries: nothing written)")
verdict("  its peak memory (RSS)", rss, "MiB", 64)
sys.exit(1 if missed else 0)
PY
