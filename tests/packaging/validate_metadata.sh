#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo, and checks that they agree.
# Usage: validate_metadata.sh DATA_DIR. Exit 77 (skip) when a validator is missing.
set -euo pipefail
data=${1:?usage: validate_metadata.sh DATA_DIR}
id=org.tamberlo.Tamberlo
desktop=$data/$id.desktop
metainfo=$data/$id.metainfo.xml

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done

fail=0
# desktop-file-validate exits 0 on warnings; any message at all is a fault here.
out=$(desktop-file-validate "$desktop" 2>&1) || fail=1
if [ -n "$out" ]; then echo "$out"; fail=1; fi
appstreamcli validate --no-net --explain "$metainfo" || fail=1

key() { sed -n "s/^$1=//p" "$desktop"; }
expect() { # what, got, want
    if [ "$2" != "$3" ]; then echo "FAIL: $1 is '$2', expected '$3'"; fail=1; fi
}
expect "desktop Exec" "$(key Exec)" tamberlo
expect "desktop Icon" "$(key Icon)" "$id"
expect "desktop StartupWMClass" "$(key StartupWMClass)" tamberlo
expect "desktop Name" "$(key Name)" Tamberlo
case ";$(key Categories)" in *";Education;"*) ;; *) echo "FAIL: Categories lacks Education (menu placement)"; fail=1 ;; esac
[ -n "$(key 'GenericName\[ja\]')" ] || { echo "FAIL: no GenericName[ja]"; fail=1; }
[ -n "$(key 'Comment\[ja\]')" ] || { echo "FAIL: no Comment[ja]"; fail=1; }

tag() { sed -n "s:.*<$1[^>]*>\(.*\)</$1>.*:\1:p" "$metainfo" | head -n1; }
expect "metainfo id" "$(tag id)" "$id"
expect "metainfo launchable" "$(tag launchable)" "$id.desktop"
expect "metainfo binary" "$(tag binary)" "$(key Exec)"
expect "metainfo release" "$(sed -n 's:.*<release version="\([^"]*\)".*:\1:p' "$metainfo" | head -n1)" "${TAMBERLO_VERSION:-2.0.0}"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || { echo "FAIL: no OARS 1.1 content rating"; fail=1; }
expect "metainfo screenshots" "$(grep -c '<screenshot[ >]' "$metainfo")" 3

exit $fail
