#!/usr/bin/env bash
# Takes the editor's pictures with morvelline-render under a virtual display, each with its own
# Settings.txt in a temporary data folder (nothing of the user's own is read or changed).
# usage: scripts/take-screenshots.sh [OUT_DIR]   (default: docs/; build/linux must be built)
# Writes editor-<extended|compact>-<small|medium|large>.png for both layouts and all three sizes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/docs}
render=$top/build/linux/morvelline-render
data=$(mktemp -d /tmp/morvelline-shots-XXXXXX)
trap 'rm -rf "$data"' EXIT
folder="$data/Hollowfen Software/Morvelline"
mkdir -p "$folder" "$out"
sizes=(small medium large)
for theme in Extended Compact; do
    for scale in 1 2 3; do
        printf 'theme=%s\nscale=%d\naskOnBankSelect=0\nenableMouseWheel=0\nignoreAmpVelocity=0\n' \
            "$theme" "$scale" >"$folder/Settings.txt"
        name="editor-${theme,,}-${sizes[scale - 1]}.png"
        # Medium and Large windows are wider than Xvfb's default screen.
        XDG_DATA_HOME=$data xvfb-run -a -s "-screen 0 2600x1400x24" \
            "$render" --plugin "$top/build/linux/Morvelline.so" --screenshot "$out/$name"
        echo "$out/$name"
    done
done
