#!/bin/bash
# Plays two notes into morvelline through a JACK server of this test's own (dummy driver, no
# sound card), records its outputs and compares them with morvelline-render of the same notes.
#   check-jack.sh MORVELLINE PROBE RENDER OUTPUT-FOLDER
set -u
morvelline=$1 probe=$2 render=$3 out=$4
source "$(dirname "$0")/jack-server.sh"

"$morvelline" --no-gui --no-connect >"$out/morvelline.log" 2>&1 &
player=$!
started+=("$player")
"$probe" play "$out/live.wav" "$out/notes.mid" || { cat "$out/morvelline.log" >&2; fail "no recording"; }
"$render" --rate 48000 --block 256 --format float --tail 0.5 --out "$out/render.wav" "$out/notes.mid" >/dev/null ||
    fail "morvelline-render failed"
"$probe" compare "$out/live.wav" "$out/render.wav" || exit 1

# Stopped as a service manager stops it, it keeps the session.
kill -TERM "$player"
wait "$player"
status=$?
started=()
[ "$status" = 0 ] || { cat "$out/morvelline.log" >&2; fail "morvelline ended with status $status"; }
[ -s "$XDG_DATA_HOME/Hollowfen Software/Morvelline/Session.hfb" ] || fail "no session bank was kept"
grep -q "playing through JACK at 48000 Hz, 256 frames" "$out/morvelline.log" || fail "$(cat "$out/morvelline.log")"
echo "played live through JACK"
