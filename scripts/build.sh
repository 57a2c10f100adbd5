#!/usr/bin/env bash
# Builds the three plug-in files and the tools, then renders the three demo songs on factory
# programs into out/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"
"$top/scripts/build-all.sh"
echo
echo "Plug-in files:"
ls -l build/linux/Morvelline.so build/win64/Morvelline_64.dll build/win32/Morvelline_32.dll
echo
mkdir -p out
# The three demo songs, each played on its factory programs, with a spectrogram of each.
python3 scripts/audition/render_demo_songs.py --render build/linux/morvelline-render \
    --bank resources/presets/Default.hfb --out out
echo "The demo songs are in $top/out/ (demo-pads, demo-bass-lead, demo-arpeggio: .wav and -spectrogram.png)"
