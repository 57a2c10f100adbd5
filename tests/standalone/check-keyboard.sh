#!/bin/bash
# Real key events on a virtual display: with morvelline's window in front, Q held for half a
# second plays middle C (MIDI note 60) into the JACK recording.
#   check-keyboard.sh MORVELLINE PROBE OUTPUT-FOLDER   (under run-with-xvfb.sh)
set -u
morvelline=$1 probe=$2 out=$3
command -v xdotool >/dev/null || { echo "SKIPPED: xdotool is not installed"; exit 77; }
source "$(dirname "$0")/jack-server.sh"

"$morvelline" --no-connect >"$out/morvelline.log" 2>&1 &
started+=("$!")
timeout 20 xdotool search --sync --limit 1 --name '^Morvelline' >/dev/null ||
    { cat "$out/morvelline.log" >&2; fail "no window"; }
"$probe" record "$out/keys.wav" >"$out/recorder.log" &
recorder=$!
# A busy machine may take a while to connect the recorder: the key waits for it.
for _ in $(seq 200); do
    grep -q recording "$out/recorder.log" && break
    kill -0 "$recorder" 2>/dev/null || fail "the recorder stopped"
    sleep 0.1
done
sleep 0.2
xdotool keydown q
sleep 0.5
xdotool keyup q
wait "$recorder" || fail "no recording"
"$probe" pitch "$out/keys.wav" 261.6256 || exit 1
echo "the computer keyboard plays"
