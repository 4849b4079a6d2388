#!/usr/bin/env bash
# Runs `make package` in two copies of the source, in folders of different names and with file
# times an hour apart, and checks that the two .debs are byte for byte the same. Then checks the
# package's control data, contents and hardening, unpacks it into a scratch root and starts the
# unpacked program under a virtual X server until its main window appears.
# Usage: deb_test.sh SOURCE_DIR. Exit 77 (skip) when a needed tool is missing.
set -euo pipefail
source=$(cd "${1:?usage: deb_test.sh SOURCE_DIR}" && pwd)
id=org.tamberlo.Tamberlo
version=${TAMBERLO_VERSION:-2.0.0}

for tool in make cmake cpack dpkg-deb dpkg readelf Xvfb xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done

tmp=$(mktemp -d)
app_pid=
xvfb_pid=
cleanup() {
    [ -z "$app_pid" ] || { kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; } || true
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail=0
err() { echo "FAIL: $*"; fail=1; }

# The files a clone would hold, uncommitted edits included; the source's build folders left out.
source_files() {
    if [ "$(git -C "$source" rev-parse --show-toplevel 2>/dev/null)" = "$source" ]; then
        git -C "$source" ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' f; do [ -e "$source/$f" ] && printf '%s\0' "$f"; done
    else
        (cd "$source" && find . -path ./.git -prune -o -path './build*' -prune -o -path ./Testing -prune \
            -o ! -type d -print0)
    fi
}
copy_source() { # DEST [tar option]
    mkdir -p "$1"
    source_files | tar -C "$source" --null -T - -cf - | tar -C "$1" -xf - ${2:-}
}

# One commit's time for both, as `make package` takes it from git in a clone.
epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 1700000000)
package() { # DIR
    local start=$SECONDS
    env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL SOURCE_DATE_EPOCH="$epoch" \
        make -C "$1" package RELEASE=build-release >"$1.log" 2>&1 || { tail -n 40 "$1.log"; echo "FAIL: make package in $1"; exit 1; }
    debs=("$1"/build-release/*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { cat "$1.log"; echo "FAIL: expected one .deb, got: ${debs[*]}"; exit 1; }
    echo "make package in $1: $((SECONDS - start)) s, $(sha256sum "${debs[0]}")"
}
copy_source "$tmp/a"
find "$tmp/a" -exec touch -h -d "@$(($(date +%s) - 3600))" {} +
package "$tmp/a"
deb=${debs[0]}
copy_source "$tmp/second-folder" -m
package "$tmp/second-folder"
if ! cmp -s "$deb" "${debs[0]}"; then
    err "two builds of the same source give different packages"
    diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "${debs[0]}") || true
    for d in a b; do mkdir "$tmp/x$d"; done
    dpkg-deb -x "$deb" "$tmp/xa"; dpkg-deb -x "${debs[0]}" "$tmp/xb"
    diff -r "$tmp/xa" "$tmp/xb" || true
fi
echo "package: $(basename "$deb")"
dpkg-deb -I "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tamberlo ] || err "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || err "Version is '$(field Version)', expected $version"
[ "$(field Section)" = education ] || err "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || err "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || err "no Maintainer"
[ -n "$(field Description)" ] || err "no Description"

# Depends: what dpkg-shlibdeps derives from the programs (the library packages' names differ between
# Debian releases), plus the fonts and Qt's Japanese texts, which are named by hand.
dpkg-deb -x "$deb" "$tmp/root"
byhand="fonts-ipafont-gothic, fonts-liberation, qt6-translations-l10n"
if command -v dpkg-shlibdeps >/dev/null; then
    mkdir -p "$tmp/shlibdeps/debian"
    printf 'Source: tamberlo\n\nPackage: tamberlo\nArchitecture: any\n' >"$tmp/shlibdeps/debian/control"
    derived=$(cd "$tmp/shlibdeps" && dpkg-shlibdeps -O "$tmp"/root/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
    [ -n "$derived" ] || err "dpkg-shlibdeps derived nothing"
else
    derived="libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4)"
fi
depends=$(field Depends)
entries() { tr ',' '\n' | sed 's/^[[:space:]]*//; s/[[:space:]]*$//' | sort; }
[ "$(entries <<<"$depends")" = "$(entries <<<"$derived, $byhand")" ] ||
    err "Depends is not what dpkg-shlibdeps derives ($derived) plus $byhand: $depends"
[ "$(field Recommends)" = qt6-wayland ] || err "Recommends is '$(field Recommends)'"
[ "$(field Suggests)" = "fcitx5-frontend-qt6 | ibus" ] || err "Suggests is '$(field Suggests)'"
names=$(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*)//; s/:any//; s/[[:space:]]//g' | sort)
twice=$(uniq -d <<<"$names")
[ -z "$twice" ] || err "Depends names more than once: $twice"
# Every dependency must name a package Debian knows.
for pkg in $(uniq <<<"$names"); do
    dpkg-query -W "$pkg" >/dev/null 2>&1 || apt-cache show "$pkg" >/dev/null 2>&1 || err "Depends names unknown package $pkg"
done

# Contents.
for f in usr/bin/tamberlo usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/16x16/apps/$id.png usr/share/icons/hicolor/32x32/apps/$id.png \
         usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/tamberlo/examples/basic-english.tmb \
         usr/share/doc/tamberlo/copyright usr/share/doc/tamberlo/changelog.gz usr/share/man/man1/tamberlo.1.gz \
         usr/bin/tamberlo-dict usr/share/man/man1/tamberlo-dict.1.gz usr/share/bash-completion/completions/tamberlo-dict; do
    [ -f "$tmp/root/$f" ] || err "package lacks /$f"
done
if stray=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./usr/(bin|share)/' | grep -v -E '^\./(usr/)?$'); then
    err "package installs outside /usr/bin and /usr/share: $stray"
fi
bin=$tmp/root/usr/bin/tamberlo
[ -x "$bin" ] || { err "no executable /usr/bin/tamberlo"; exit 1; }
# What hardening-check calls PIE, stack protector, fortify, RELRO and immediate binding, for both programs.
for bin in "$tmp/root/usr/bin/tamberlo-dict" "$bin"; do
    dynamic=$(readelf -dW "$bin")
    grep -q 'Type: *DYN' < <(readelf -hW "$bin") && grep -q 'FLAGS_1.* PIE' <<<"$dynamic" || err "$(basename "$bin"): not a position-independent executable"
    symbols=$(readelf --dyn-syms -W "$bin")
    grep -q ' __stack_chk_fail@' <<<"$symbols" || err "$(basename "$bin"): no stack protector (__stack_chk_fail)"
    grep -q -E ' __[a-z]+_chk@' <<<"$symbols" || err "$(basename "$bin"): no fortified functions (__*_chk)"
    grep -q GNU_RELRO < <(readelf -lW "$bin") || err "$(basename "$bin"): no RELRO segment"
    grep -q -E 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || err "$(basename "$bin"): no immediate binding (BIND_NOW)"
    if path=$(grep -E 'R(UN)?PATH' <<<"$dynamic"); then err "$(basename "$bin"): the binary keeps a run path: $path"; fi
    if readelf -SW "$bin" | grep -q -F ' .comment '; then err "$(basename "$bin"): the binary keeps its .comment section"; fi
    if missing=$(ldd "$bin" | grep 'not found'); then err "$(basename "$bin"): unresolved libraries: $missing"; fi
done
# The dictionary tool needs no display: no Qt at all.
if qt=$(ldd "$tmp/root/usr/bin/tamberlo-dict" | grep -i qt); then err "tamberlo-dict links Qt: $qt"; fi
LC_ALL=C.UTF-8 "$tmp/root/usr/bin/tamberlo-dict" --help >/dev/null || err "tamberlo-dict --help failed"
# Debian's own checker: no errors or warnings, and not even an informational hardening or binary tag.
if command -v lintian >/dev/null; then
    lintian -I --pedantic --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 || err "lintian reports errors or warnings (or could not run)"
    grep -v '^running with root privileges' "$tmp/lintian.log" || true
    if tags=$(grep -E '^[A-Z]: [^ ]+: (hardening|binary)-' "$tmp/lintian.log"); then err "lintian: $tags"; fi
else
    echo "lintian not installed: the package is not checked against Debian policy"
fi
[ $fail -eq 0 ] || exit 1

# Start the unpacked program on a private X server and wait for its main window.
# Xvfb picks a free display itself (-displayfd), so parallel runs cannot collide.
exec {dfd}>"$tmp/display"
Xvfb -displayfd "$dfd" -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {dfd}>&-
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")

mkdir -p "$tmp/work"
(cd "$tmp/work" && exec env QT_QPA_PLATFORM=xcb "$bin" >"$tmp/app.log" 2>&1) &
app_pid=$!
# Poll for the window for up to 30 s, giving up early if the program ends.
win=
for _ in $(seq 150); do
    win=$(xdotool search --onlyvisible --name '^Tamberlo$' 2>/dev/null | head -n1 || true)
    [ -z "$win" ] && kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.2
done
if [ -n "$win" ]; then
    echo "window $win: $(xdotool getwindowname "$win")"
    class=$(xprop -id "$win" WM_CLASS || true)
    echo "$class"
    case $class in *'"tamberlo"'*) ;; *) err "WM_CLASS does not hold \"tamberlo\" (desktop StartupWMClass)" ;; esac
    icons=$(xprop -id "$win" _NET_WM_ICON || true)
    for size in '16 x 16' '32 x 32'; do
        grep -q "Icon ($size)" <<<"$icons" || err "the window has no $size icon"
    done
    kill -0 "$app_pid" 2>/dev/null || err "the program ended"
else
    err "no window named Tamberlo appeared$(kill -0 "$app_pid" 2>/dev/null || echo '; the program has ended')"
fi
if [ $fail -ne 0 ]; then
    echo "--- program output:"; cat "$tmp/app.log"
fi
[ $fail -eq 0 ] && echo "deb: package checked and its program started"
exit $fail
