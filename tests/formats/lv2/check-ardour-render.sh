#!/usr/bin/env bash
# Ardour 7, headless, renders the LV2 build: a session with a MIDI region holding A4 on a MIDI
# track into Morvelline (main oscillator a sine) is made with ardour7-lua and exported with
# ardour7-export; the export must be non-silent and sound at 440 Hz.
# usage: check-ardour-render.sh BUNDLE_FOLDER
set -euo pipefail
bundle=$1
here=$(cd "$(dirname "$0")" && pwd)
for tool in ardour7-lua ardour7-export python3; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs Ardour)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Ardour keeps its settings and plug-in cache under these; the test must not touch the user's.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/xdg XDG_CACHE_HOME=$work/cache
export LV2_PATH=$(dirname "$bundle")

# Runs an Ardour tool with its output in LOG, for at most a minute (it takes seconds). Ardour 7.3
# sometimes hangs (its butler and export waiting on each other) or aborts ("double free") as an
# export starts, more often on a busy machine; none of its threads was in the plug-in then. A hung
# tool has its threads' stacks printed and is killed; a hung or crashed one is tried again, up to
# three times. An error the tool reports itself fails at once.
run_ardour() {
    local log=$1 try pid status
    shift
    for try in 1 2 3; do
        "$@" >"$log" 2>&1 &
        pid=$!
        for _ in $(seq 300); do
            kill -0 $pid 2>/dev/null || break
            sleep 0.2
        done
        if kill -0 $pid 2>/dev/null; then
            echo "WARNING: $1 hung for a minute (try $try); its stacks:"
            command -v gdb >/dev/null && gdb -batch -p $pid -ex "thread apply all bt" 2>/dev/null | grep -E "^(#|Thread)"
            kill -9 $pid 2>/dev/null
            wait $pid 2>/dev/null
            continue
        fi
        wait $pid && return 0 || status=$?
        [ $status -ge 128 ] || return 1
        echo "WARNING: $1 died of signal $((status - 128)) (try $try):"; tail -3 "$log"
    done
    return 1
}

osc1_wave_port=70 sine_code=9 # the Osc1Wave control and the stored number of Sine
if ! run_ardour "$work/lua.log" ardour7-lua "$here/ardour/make-session.lua" "$work/session" test \
    $osc1_wave_port $sine_code || ! grep -q "session made" "$work/lua.log"; then
    echo "FAIL: ardour7-lua could not build the session"; cat "$work/lua.log"; exit 1
fi
sed -i 's/name="range1" \(.*\)flags="IsRangeMarker"/name="session" \1flags="IsSessionRange"/' \
    "$work/session/test.ardour"
grep -q 'flags="IsSessionRange"' "$work/session/test.ardour" || { echo "FAIL: no session range"; exit 1; }
if ! run_ardour "$work/export.log" ardour7-export -s 48000 -o "$work/out.wav" "$work/session" test; then
    echo "FAIL: ardour7-export failed"; cat "$work/export.log"; exit 1
fi

python3 - "$work/out.wav" <<'PY'
import struct, sys, wave
with wave.open(sys.argv[1]) as w:
    rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
    frames = w.readframes(w.getnframes())
assert width == 2, f"expected 16-bit samples, got {8 * width}-bit"
left = struct.unpack(f"<{len(frames) // 2}h", frames)[::channels]
peak = max(abs(s) for s in left) / 32768
print(f"Ardour's export: {len(left) / rate:.2f} s at {rate} Hz, peak {peak:.3f}")
if peak < 0.01:
    sys.exit("FAIL: the export is silent")
# Rising zero crossings from 0.5 s to 1.5 s, past the attack.
ups = [i for i in range(rate // 2, 3 * rate // 2) if left[i] <= 0 < left[i + 1]]
hertz = (len(ups) - 1) * rate / (ups[-1] - ups[0])
print(f"pitch {hertz:.2f} Hz")
if abs(hertz - 440) > 0.5:
    sys.exit("FAIL: A4 should sound at 440 Hz")
print("ok: Ardour renders a MIDI region through the LV2 build: A4 at 440 Hz")
PY
