#!/bin/bash
# Plays two notes into morvelline through a JACK server of this test's own (dummy driver, no
# sound card), records its outputs and compares them with morvelline-render of the same notes.
# The server runs synchronously: on a busy machine it waits for a late client instead of
# playing on without it, so a slow cycle does not cut the recording.
#   check-jack.sh MORVELLINE PROBE RENDER OUTPUT-FOLDER
set -u
morvelline=$1 probe=$2 render=$3 out=$4
command -v jackd >/dev/null || { echo "SKIPPED: jackd is not installed (Debian package jackd2)"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/home"
export HOME=$out/home XDG_DATA_HOME=$out/home/share
# A server name of its own: the test never touches a user's server, nor another test's.
export JACK_DEFAULT_SERVER=morvelline-test-$$
jackd --no-realtime --sync -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$out/jackd.log" 2>&1 &
server=$!
player=
cleanup() {
    [ -z "$player" ] || { kill "$player" 2>/dev/null; wait "$player" 2>/dev/null; }
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do
    jack_lsp >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || { cat "$out/jackd.log" >&2; fail "jackd did not start"; }
    sleep 0.1
done

"$morvelline" --no-gui --no-connect >"$out/morvelline.log" 2>&1 &
player=$!
"$probe" play "$out/live.wav" "$out/notes.mid" || { cat "$out/morvelline.log" >&2; fail "no recording"; }
"$render" --rate 48000 --block 256 --format float --tail 0.5 --out "$out/render.wav" "$out/notes.mid" >/dev/null ||
    fail "morvelline-render failed"
"$probe" compare "$out/live.wav" "$out/render.wav" || exit 1

# Stopped as a service manager stops it, it keeps the session.
kill -TERM "$player"
wait "$player"
status=$?
player=
[ "$status" = 0 ] || { cat "$out/morvelline.log" >&2; fail "morvelline ended with status $status"; }
[ -s "$XDG_DATA_HOME/Hollowfen Software/Morvelline/Session.hfb" ] || fail "no session bank was kept"
grep -q "playing through JACK at 48000 Hz, 256 frames" "$out/morvelline.log" || fail "$(cat "$out/morvelline.log")"
echo "played live through JACK"
