#!/bin/bash
# Without a usable audio device morvelline says why in one line, exits with status 3 and writes
# nothing (no data folder, no session). No JACK server runs under the name used here.
#   check-device-errors.sh MORVELLINE OUTPUT-FOLDER
set -u
morvelline=$1 out=$2
fail() { echo "FAILED: $*" >&2; exit 1; }
export JACK_DEFAULT_SERVER=morvelline-no-server-$$
while IFS='|' read -r status message args; do
    rm -rf "$out"
    mkdir -p "$out/home"
    export HOME=$out/home XDG_DATA_HOME=$out/home/share
    printf 'Morvelline Preset\r\n' >"$out/not-a-bank.hfb"
    args=${args//NOT-A-BANK/$out/not-a-bank.hfb}
    message=${message//NOT-A-BANK/$out/not-a-bank.hfb}
    # shellcheck disable=SC2086
    "$morvelline" --no-gui $args >"$out/stdout" 2>"$out/stderr"
    code=$?
    [ "$code" = "$status" ] || fail "$args: exit status $code, expected $status: $(cat "$out/stderr")"
    [ "$(wc -l <"$out/stderr")" = 1 ] || fail "$args: not one line: $(cat "$out/stderr")"
    grep -qF "morvelline: $message" "$out/stderr" || fail "$args: '$(cat "$out/stderr")' lacks '$message'"
    [ -z "$(find "$out/home" -mindepth 1 -print -quit)" ] || fail "$args: wrote $(find "$out/home" -mindepth 1)"
done <<'TABLE'
3|cannot open the audio device "hw:99,0" (ALSA: |--device hw:99,0
3|cannot play through JACK: no JACK server is running|--device jack
2|--rate needs a whole number from 8000 to 384000, not '0'|--rate 0
2|unknown option '--loud'|--loud
2|cannot load the bank NOT-A-BANK: it is not a Morvelline bank|--bank NOT-A-BANK --device hw:99,0
TABLE
echo "device errors reported"
