#!/usr/bin/env bash
# Anki packages for the tests, made with the sqlite3, zstd and zip tools as Anki lays them out:
# the old layout (collection.anki2 alone), the current one (collection.anki21b in zstd beside a
# collection.anki2 that only asks for an upgrade), collection.anki21, a bare collection, and hostile
# ones. Usage: make_packages.sh OUTPUT_DIR
set -euo pipefail
out=${1:?usage: make_packages.sh OUTPUT_DIR}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The notes table as Anki's schema has it; the others only as far as a collection needs them.
schema="PRAGMA page_size=1024;
CREATE TABLE col (id integer primary key, crt integer not null, mod integer not null, scm integer not null,
  ver integer not null, dty integer not null, usn integer not null, ls integer not null, conf text not null,
  models text not null, decks text not null, dconf text not null, tags text not null);
CREATE TABLE notes (id integer primary key, guid text not null, mid integer not null, mod integer not null,
  usn integer not null, tags text not null, flds text not null, sfld integer not null, csum integer not null,
  flags integer not null, data text not null);
CREATE TABLE cards (id integer primary key, nid integer not null, did integer not null, ord integer not null,
  mod integer not null, usn integer not null, type integer not null, queue integer not null, due integer not null,
  ivl integer not null, factor integer not null, reps integer not null, lapses integer not null, left integer not null,
  odue integer not null, odid integer not null, flags integer not null, data text not null);
INSERT INTO col VALUES (1, 0, 0, 0, 11, 0, 0, 0, '{}', '{}', '{}', '{}', '{}');"
note() { # ID FIELDS...: an INSERT of a note whose fields are SQL expressions
    local id=$1; shift
    local IFS='|'
    local flds="$*"
    echo "INSERT INTO notes VALUES ($id, 'g$id', 1, 0, 0, '', ${flds//|/ || char(31) || }, 0, 0, 0, '');"
}
collection() { # FILE SQL...
    local file=$1; shift
    rm -f "$file"
    printf '%s\n' "PRAGMA synchronous=OFF;" "$schema" "$@" | sqlite3 "$file"
}
package() { # NAME FILE...: a ZIP of the files, each under its own name
    (cd "$work/$1" && rm -f "$out/$1.apkg" && zip -q -X "$out/$1.apkg" "${@:2}")
}

# Inserted out of id order: notes come in the order of their ids.
three=("$(note 1700000000003 "'{{c1::cat::animal}}'" "'猫[sound:neko.mp3]'")"
       "$(note 1700000000001 "'dog'" "'犬'")"
       "$(note 1700000000002 "'<b>ice</b>&nbsp;cream'" "'アイス<br>クリーム'")")
upgrade=$(note 1 "'Please update to the latest Anki version, then import the .colpkg/.apkg file again.'" "''")

mkdir -p "$work"/{old,current,anki21,bomb,truncated,cut-zstd,wrong-shape,no-collection}
collection "$work/old/collection.anki2" "${three[@]}"
echo '{}' >"$work/old/media"
package old collection.anki2 media

collection "$work/three.db" "${three[@]}"
zstd -q -f "$work/three.db" -o "$work/current/collection.anki21b"
collection "$work/current/collection.anki2" "$upgrade"
printf '' >"$work/current/media"
package current collection.anki2 collection.anki21b media

collection "$work/anki21/collection.anki21" "${three[@]}"
cp "$work/current/collection.anki2" "$work/anki21/"
package anki21 collection.anki2 collection.anki21

cp "$work/three.db" "$out/collection.anki2"

# 4 MiB of zeros pack a thousandfold.
head -c 4M /dev/zero >"$work/bomb/collection.anki2"
package bomb collection.anki2

# Notes on many pages, the file cut after its third.
collection "$work/many.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
    INSERT INTO notes SELECT i, 'g' || i, 1, 0, 0, '', 'word ' || i || char(31) || printf('%.100c', 'x'), 0, 0, 0, '' FROM n;"
head -c 3072 "$work/many.db" >"$work/truncated/collection.anki2"
package truncated collection.anki2

head -c 200 "$work/current/collection.anki21b" >"$work/cut-zstd/collection.anki21b"
package cut-zstd collection.anki21b

printf '%s\n' "CREATE TABLE notes (id integer primary key, fields text);" \
    "INSERT INTO notes VALUES (1, 'dog');" | sqlite3 "$work/wrong-shape/collection.anki2"
package wrong-shape collection.anki2

echo '{}' >"$work/no-collection/media"
package no-collection media
