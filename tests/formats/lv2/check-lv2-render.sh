#!/usr/bin/env bash
# A MIDI file with a tempo change rendered by morvelline-render through the VST 2.4 build and
# through the LV2 bundle: the same programs give the same samples (a pad, a tempo-synced
# arpeggio sound and a noise sound, with the random sources seeded alike).
# usage: check-lv2-render.sh RENDER VST_LIBRARY BUNDLE FACTORY_BANK SOURCE_ROOT
set -euo pipefail
render=$1 vst=$2 bundle=$3 bank=$4 root=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/xdg
mkdir -p "$work/vst/Morvelline_Data/Presets"
cp "$vst" "$work/vst/"
cp "$bank" "$work/vst/Morvelline_Data/Presets/Default.hfb"
PYTHONPATH=$root/scripts/audition python3 - "$work/song.mid" <<'PY'
import sys
from smf import Song
song = Song(bpm=100)
song.chord(0, 3, [57, 60, 64])
for step in range(16):
    song.note(4 + step / 4, 0.2, 69 + (step * 5) % 12, 70 + step)
song.tempo(6, 140)
song.controller(5, 1, 100)
song.note(8, 2, 45, 110)
song.save(sys.argv[1])
PY
samples() {
    python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); i = d.find(b"data"); sys.stdout.buffer.write(d[i:])' "$1"
}
failed=0
for program in 27 70 80; do
    common=(--program "$program" --seed 20261210 --format float --block 333 "$work/song.mid")
    "$render" --plugin "$work/vst/$(basename "$vst")" "${common[@]}" --out "$work/vst.wav" >/dev/null
    "$render" --plugin "$bundle" "${common[@]}" --out "$work/lv2.wav" >/dev/null
    if cmp -s <(samples "$work/vst.wav") <(samples "$work/lv2.wav"); then
        echo "ok: program $program renders the same through both builds"
    else
        echo "FAILED: program $program sounds different through the LV2 bundle"
        failed=1
    fi
done
exit $failed
