# Sourced by the live tests: a JACK server of the test's own (dummy driver, no sound card) under a
# name no user or other test uses, stopped with everything the test started when it ends.
# The server runs synchronously: on a busy machine it waits for a late client instead of playing
# on without it, so a slow cycle does not cut a recording.
command -v jackd >/dev/null || { echo "SKIPPED: jackd is not installed (Debian package jackd2)"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/home"
export HOME=$out/home XDG_DATA_HOME=$out/home/share
export JACK_DEFAULT_SERVER=morvelline-test-$$
jackd --no-realtime --sync -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$out/jackd.log" 2>&1 &
server=$!
started=()
stop_all() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
}
trap stop_all EXIT
for _ in $(seq 100); do
    jack_lsp >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || { cat "$out/jackd.log" >&2; fail "jackd did not start"; }
    sleep 0.1
done
