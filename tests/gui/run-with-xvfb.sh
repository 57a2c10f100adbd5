#!/bin/bash
# Runs a command on a virtual X display of its own, so window tests need no real screen. The
# server must not reset when its last client leaves: a test opening the next window would fail.
#   run-with-xvfb.sh COMMAND...
set -u
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" 2>/dev/null &
server=$!
cleanup() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number_file"; }
trap cleanup EXIT
for _ in $(seq 200); do
    [ -s "$number_file" ] && break
    kill -0 "$server" 2>/dev/null || { echo "run-with-xvfb: Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$number_file" ] || { echo "run-with-xvfb: Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$number_file")"
"$@"
