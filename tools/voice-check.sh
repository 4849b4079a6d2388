#!/usr/bin/env bash
# What a screen reader says during the drill: runs the real program under Xvfb with Orca listening
# (speech-dispatcher's dummy output), opens the example dictionary's drill at SPEED seconds a word,
# presses 開始 and prints each line Orca spoke over SECONDS, timed from the press.
# Usage: tools/voice-check.sh BUILD_DIR [SECONDS] [SPEED]   (defaults: 15 s, 4)
# A check by hand, not part of `make test`: Orca's timing under load made it flaky in CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: voice-check.sh BUILD_DIR [SECONDS] [SPEED]}" && pwd)
seconds=${2:-15}
speed=${3:-4}

if [ -z "${VOICE_CHECK_BUS:-}" ]; then
    # Only this check needs a screen reader, so the normal dependencies don't list one.
    need=()
    for p in orca speech-dispatcher python3-speechd at-spi2-core dbus gsettings-desktop-schemas \
            xvfb xauth xdotool x11-utils; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
    done
    if [ ${#need[@]} -gt 0 ]; then
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        echo "voice-check: installing ${need[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
    fi
    # A session bus of its own, which starts the accessibility bus when the program asks for it.
    VOICE_CHECK_BUS=1 exec dbus-run-session -- "$0" "$build" "$seconds" "$speed"
fi

. "$root/tests/e2e/lib.sh"
. "$root/tests/e2e/drilllib.sh"
ORCA_PID=""
SPEECHD_PID=""
# On a failure, the ends of the logs tell why.
trap 'rc=$?; kill $ORCA_PID $SPEECHD_PID 2>/dev/null || true
    [ $rc = 0 ] || tail -n 25 "$E2E_TMP"/orca.log "$E2E_TMP"/orca.out "$E2E_TMP"/speechd.log >&2 2>/dev/null || true
    cleanup' EXIT

export XDG_RUNTIME_DIR="$E2E_TMP" HOME="$E2E_TMP" GSETTINGS_BACKEND=memory QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    QT_LOGGING_RULES="tamberlo.drill.debug=true"
mkdir -p "$E2E_TMP/speechd" "$E2E_TMP/orca"
# The dummy module still opens a sound device: libao's null driver is one that always opens.
printf 'AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nAudioOutputMethod "libao"\n' >"$E2E_TMP/speechd/speechd.conf"
echo default_driver=null >"$HOME/.libao"
export SPEECHD_ADDRESS="unix_socket:$E2E_TMP/speechd.sock"
speech-dispatcher -s -t 0 -C "$E2E_TMP/speechd" -c unix_socket -S "$E2E_TMP/speechd.sock" \
    >"$E2E_TMP/speechd.log" 2>&1 &
SPEECHD_PID=$!

start_xvfb
log="$E2E_TMP/orca.log"
orca --version
orca --replace -u "$E2E_TMP/orca" --debug-file="$log" >"$E2E_TMP/orca.out" 2>&1 &
ORCA_PID=$!
spoke() { grep -q 'SPEECH OUTPUT' "$log" 2>/dev/null; }
poll 60 spoke || fail "Orca said nothing at start: $(tail -n 20 "$log" "$E2E_TMP/orca.out" 2>&1)"

# Orca lags behind the typing and clicking: a click it still holds up can be lost, and when flooded
# it drops queued events. So each step waits until it is idle.
quiet() { local size; size=$(stat -c %s "$log"); sleep 1; [ "$size" = "$(stat -c %s "$log")" ]; }
settle() { poll 60 quiet || fail "Orca never went quiet"; }
open_menu "$build/src/tamberlo" "$root/examples/basic-english.tmb"
settle
click "$MENU" $(centre_of 240 1200 1575 375) # 暗記開始
DRILL=$(wait_other_window "$MENU")
click "$DRILL" $(centre_of 2160 2640 495 420) # the speed box
xdotool key ctrl+a BackSpace
xdotool type "$speed"
settle
start=$(date +%H:%M:%S.%N)
shown=$(monotonic_us)
press_start
sleep "$seconds"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(cat "$E2E_TMP/app.log")"
# Orca writes its log through a buffer: only an Orca that has ended has written all of it.
kill "$ORCA_PID"
orca_ended() { ! kill -0 "$ORCA_PID" 2>/dev/null; }
poll 10 orca_ended || fail "Orca did not end"

echo "Shown from 開始:"
trace | awk -v t0="$shown" -v s="$seconds" '($1 == "word" || $1 == "meaning") && $2 - t0 <= s * 1e6 {
    $2 = sprintf("%6.2f s ", ($2 - t0) / 1e6); print }'
echo "Orca's speech from 開始 (at $start) over $seconds s at $speed s a word:"
/usr/bin/python3 - "$log" "$start" "$seconds" <<'EOF'
import collections, re, sys
from datetime import datetime
clock = lambda s: datetime.strptime(s[:15], "%H:%M:%S.%f")
start, at, events = clock(sys.argv[2]), None, collections.Counter()
for line in open(sys.argv[1], errors="replace"):
    # A line without a time of its own belongs to the last one that had a time.
    m = re.match(r"\D{0,12}(\d\d:\d\d:\d\d\.\d{6})", line)
    at = clock(m[1]) if m else at
    if not at or not 0 <= (at - start).total_seconds() <= float(sys.argv[3]):
        continue
    if m := re.search(r"SPEECH OUTPUT: '(.*)'\s*(\{.*)?$", line):
        print(f"{(at - start).total_seconds():6.2f} s  {m[1]}")
    elif m := re.search(r"(?:OBJECT EVENT:|START .*OBJECT EVENT) (\S+)", line):
        events[m[1].lower()] += 1
# Which route the words came by: the events Orca handled meanwhile.
print("Events:", ", ".join(f"{e} x{n}" for e, n in events.most_common()))
EOF
