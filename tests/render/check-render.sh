#!/bin/bash
# Runs morvelline-render and checks its outcome.
#   check-render.sh sound any|loud COMMAND...   succeeds, writes a WAV; "loud": peak above -60 dBFS
#   check-render.sh output REGEX COMMAND...     succeeds and prints a line matching REGEX
#   check-render.sh error REGEX COMMAND...      fails cleanly with one error line matching REGEX
set -u
mode=$1 expect=$2
shift 2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$@" >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2

fail() { echo "FAILED: $*" >&2; exit 1; }

case $mode in
sound)
    [ $status -eq 0 ] || fail "exit status $status"
    line=$(grep -E '^Wrote ' "$out") || fail "no summary line"
    file=$(sed -E 's/^Wrote (.*): [0-9.]+ s, peak .*/\1/' <<<"$line")
    [ -s "$file" ] || fail "no output file '$file'"
    [ "$(head -c 4 "$file")" = RIFF ] || fail "'$file' is not a WAV file"
    if [ "$expect" = loud ]; then
        peak=$(sed -nE 's/.*peak (-?[0-9.]+|-inf) dBFS.*/\1/p' <<<"$line")
        [ "$peak" != "-inf" ] || fail "silent output"
        awk -v p="$peak" 'BEGIN { exit !(p > -60) }' || fail "output too quiet: peak $peak dBFS"
    fi
    ;;
output)
    [ $status -eq 0 ] || fail "exit status $status"
    grep -Eq -- "$expect" "$out" || fail "output does not match '$expect'"
    ;;
error)
    [ $status -ne 0 ] || fail "succeeded where it should have failed"
    [ $status -lt 128 ] || fail "killed by a signal (status $status)"
    count=$(grep -c '^morvelline-render: ' "$err")
    [ "$count" -eq 1 ] || fail "expected one error line, got $count"
    grep '^morvelline-render: ' "$err" | grep -Eq -- "$expect" || fail "error does not match '$expect'"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
exit 0
