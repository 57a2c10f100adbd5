#!/bin/bash
# Takes a screenshot with morvelline-render on a virtual display and checks the PNG.
#   check-screenshot.sh FILE.png WIDTHxHEIGHT|any COMMAND...
set -u
file=$1 size=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
rm -f "$file"
"$here/../gui/run-with-xvfb.sh" "$@" --screenshot "$file" || { echo "FAILED: exit status $?" >&2; exit 1; }
fail() { echo "FAILED: $*" >&2; exit 1; }
[ -s "$file" ] || fail "no file '$file'"
[ "$(head -c 4 "$file" | tail -c 3)" = PNG ] || fail "'$file' is not a PNG file"
if command -v identify >/dev/null; then
    shown=$(identify -format '%wx%h' "$file")
    [ "$size" = any ] || [ "$shown" = "$size" ] || fail "size $shown, expected $size"
    colours=$(identify -format '%k' "$file")
    [ "$colours" -gt 8 ] || fail "only $colours colours: the editor drew nothing"
fi
echo "screenshot $file: ${shown:-unchecked}"
