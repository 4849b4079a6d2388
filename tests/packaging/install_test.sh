#!/usr/bin/env bash
# Installs the build tree into a scratch DESTDIR and checks what lands there.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_DIR SOURCE_DIR}
source=${2:?usage: install_test.sh BUILD_DIR SOURCE_DIR}
id=org.tamberlo.Tamberlo

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >"$root.log" 2>&1 || { cat "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"

fail=0
err() { echo "FAIL: $*"; fail=1; }

expected="usr/bin/tamberlo
usr/bin/tamberlo-dict
usr/share/applications/$id.desktop
usr/share/bash-completion/completions/tamberlo-dict
usr/share/doc/tamberlo/changelog.gz
usr/share/doc/tamberlo/copyright
usr/share/icons/hicolor/16x16/apps/$id.png
usr/share/icons/hicolor/32x32/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/tamberlo-dict.1.gz
usr/share/man/man1/tamberlo.1.gz
usr/share/metainfo/$id.metainfo.xml
usr/share/tamberlo/examples/basic-english.tmb"
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    err "installed files differ from the expected list"
    diff <(echo "$expected") <(echo "$actual") || true
fi

[ -x "$root/usr/bin/tamberlo" ] || err "usr/bin/tamberlo is not executable"
[ -x "$root/usr/bin/tamberlo-dict" ] || err "usr/bin/tamberlo-dict is not executable"
for f in applications/$id.desktop metainfo/$id.metainfo.xml icons/hicolor/16x16/apps/$id.png \
         icons/hicolor/32x32/apps/$id.png icons/hicolor/scalable/apps/$id.svg tamberlo/examples/basic-english.tmb \
         doc/tamberlo/copyright doc/tamberlo/changelog.gz man/man1/tamberlo.1.gz man/man1/tamberlo-dict.1.gz \
         bash-completion/completions/tamberlo-dict; do
    [ -f "$root/usr/share/$f" ] || continue
    perms=$(stat -c %a "$root/usr/share/$f")
    [ "$perms" = 644 ] || err "usr/share/$f has mode $perms, expected 644"
done

# Icon sizes, read from the PNG header (width and height are bytes 16..23, big-endian).
for size in 16 32; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || continue
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { err "$png is not a PNG"; continue; }
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || err "${size}x${size} icon is $dims"
done
svg=$root/usr/share/icons/hicolor/scalable/apps/$id.svg
[ ! -f "$svg" ] || grep -q '<svg' "$svg" || err "scalable icon is not SVG"

# The desktop entry names the installed binary and icon.
desktop=$root/usr/share/applications/$id.desktop
if [ -f "$desktop" ]; then
    exec_=$(sed -n 's/^Exec=//p' "$desktop"); icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -x "$root/usr/bin/${exec_%% *}" ] || err "Exec=$exec_ is not an installed program"
    [ "$icon" = "$id" ] || err "Icon=$icon does not name the installed icons"
fi

example=$root/usr/share/tamberlo/examples/basic-english.tmb
[ ! -f "$example" ] || cmp -s "$example" "$source/examples/basic-english.tmb" || err "installed example differs from the source"

# `make uninstall` takes back every file, and the folders that only Tamberlo's files were in.
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make -s -C "$source" uninstall RELEASE="$build" DESTDIR="$root" >/dev/null ||
    err "make uninstall failed"
left=$(cd "$root" && find . -type f -o -type l -o -type d -name tamberlo)
[ -z "$left" ] || err "make uninstall left: $left"

[ $fail -eq 0 ] && echo "install: $(echo "$actual" | wc -l) files as expected"
exit $fail
