#!/usr/bin/env bash
# Screenshots of the three windows, taken from the real program under Xvfb as a user walks it.
# Usage: tools/screenshots.sh BUILD_DIR [OUT_DIR] [SCALE] [plain|dark]
# dark: qt6ct's "darker" colour scheme (package qt6ct), files named form1-dark.png and so on.
set -euo pipefail
usage="usage: tools/screenshots.sh BUILD_DIR [OUT_DIR] [SCALE] [plain|dark]"
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?$usage}" && pwd)
out=${2:-$root/docs/screenshots}
scale=${3:-1}
palette=${4:-plain}
mkdir -p "$out"
out=$(cd "$out" && pwd)

. "$root/tests/e2e/lib.sh"
export QT_SCALE_FACTOR=$scale QT_LOGGING_RULES="tamberlo.drill.debug=true"
case $palette in
plain)
    unset QT_QPA_PLATFORMTHEME
    suffix="" ;;
dark)
    scheme=/usr/share/qt6ct/colors/darker.conf
    [ -f "$scheme" ] || fail "no $scheme: apt-get install qt6ct"
    # In the run's own settings folder (lib.sh): the user's qt6ct settings are neither read nor changed.
    export QT_QPA_PLATFORMTHEME=qt6ct
    mkdir -p "$XDG_CONFIG_HOME/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' "$scheme" \
        >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
    suffix="-dark" ;;
*) fail "$usage" ;;
esac

# Twips of the designs to the centre of a control, in device pixels at this scale.
at() { local x y; read -r x y < <(centre_of "$@"); echo $((x * scale)) $((y * scale)); }

shot() { # WINDOW NAME
    sleep 0.4
    import -window "$1" "$out/$2$suffix.png"
    echo "wrote $out/$2$suffix.png"
}

cp "$root/examples/basic-english.tmb" "$E2E_TMP/basic-english.tmb"
start_xvfb
start_app "$build/src/tamberlo" "$E2E_TMP"
win=$(wait_window)
shot "$win" form1

# Select the example dictionary in the file dialog.
click "$win" $(at 240 1800 1575 375)
sleep 0.8
xdotool type --delay 5 "$E2E_TMP/basic-english.tmb"
xdotool key Return
sleep 0.5

# Word entry, with a word typed in.
click "$win" $(at 2280 1200 1575 375)
sleep 0.5
win=$(wait_window)
xdotool type --delay 20 "library"
shot "$win" form3

# Back to the menu, then the drill, caught while a meaning is shown.
click "$win" $(at 5040 1800 1095 495)
sleep 0.5
win=$(wait_window)
click "$win" $(at 240 1200 1575 375)
sleep 0.5
win=$(wait_window)
# 9 s a word: the meaning is still up when the picture is taken on a busy machine.
click "$win" $(at 2160 2640 495 420)
xdotool key ctrl+a
xdotool type 9
click "$win" $(at 4320 2640 1215 495)
meaning_shown() { trace | grep -q '^meaning'; }
poll 30 meaning_shown || fail "the drill showed no meaning"
shot "$win" form2
click "$win" $(at 6240 2640 1095 495)
wait_exit 5
