#!/usr/bin/env bash
# jalv opens the LV2 plug-in with its own UI (the editor as an X11 UI embedded by the host) on a
# virtual display; a screenshot of the UI's window must have the editor's size and show more
# than a blank fill. Run under run-with-xvfb.sh. jalv plays through JACK: a JACK server with
# the dummy driver is started for it.
# usage: check-jalv-editor.sh BUNDLE_FOLDER SHOT.png
set -euo pipefail
bundle=$1 shot=$2
for tool in jalv.gtk3 jackd xdotool import; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export HOME=$work XDG_DATA_HOME=$work/xdg JACK_DEFAULT_SERVER=morvelline-test-$$ JACK_NO_AUDIO_RESERVATION=1
export LV2_PATH=$(dirname "$bundle"):/usr/lib/lv2
jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jack.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    jack_lsp >/dev/null 2>&1 && break
    sleep 0.1
done
jalv.gtk3 urn:hollowfen:morvelline >"$work/jalv.log" 2>&1 &
pids+=($!)
# The editor's own window is a child of jalv's; the top window is jalv's.
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name Morvelline 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "FAIL: jalv showed no window"; cat "$work/jalv.log" "$work/jack.log"; exit 1; }
# The editor draws a moment after the window shows, later on a busy machine.
for _ in $(seq 20); do
    sleep 1
    import -window "$window" "$shot"
    colours=$(convert "$shot" -format '%k' info:)
    [ "$colours" -ge 50 ] && break
done
read -r width height < <(identify -format '%w %h\n' "$shot")
echo "jalv window: ${width}x${height}, $colours colours"
grep -i "error\|fail" "$work/jalv.log" || true
[ "$width" -ge 600 ] && [ "$height" -ge 300 ] || { echo "FAIL: the window is too small for the editor"; exit 1; }
[ "$colours" -ge 50 ] || { echo "FAIL: the window is blank"; exit 1; }
echo "ok: jalv shows the editor ($shot)"
