#!/usr/bin/env bash
# Runs the Windows GUI tests under Wine with a virtual display, in a fresh prefix: the toolkit's
# back-end on its own, then the test plug-in's editor and Morvelline's own editor in real windows,
# each captured as a PNG.
# usage: run-wine-gui.sh 64|32 BUILD_DIR
set -euo pipefail
bits=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${MORVELLINE_UNDER_XVFB:-}" ]; then
    MORVELLINE_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi
source "$here/wine-prefix.sh" "$bits"
"$wine_loader" "$dir/tests/wine/winbackendtest.exe"
plugin=$dir/tests/wine/MorvellineToolkitTest_$bits.dll
shot=$dir/editor-screenshot-$bits.png
# (44, 64) is the middle of the test panel's knob.
"$wine_loader" "$dir/tests/wine/wintesthost.exe" --editor "$(windows_path "$plugin")" "$(windows_path "$shot")" 44 64
echo "screenshot: $shot"
# Morvelline's editor in its default (wide) layout: (200, 256) is the middle of filter 1's
# resonance knob, parameter 13 (the cutoff starts fully open, so a drag up could not raise it).
# (172, 66) is on oscillator 1's waveform menu, parameter 70, whose "Square" stores 0.03.
# (351, 23) is the options menu, whose Undo entry then names that choice.
shot=$dir/morvelline-editor-$bits.png
"$wine_loader" "$dir/tests/wine/wintesthost.exe" --editor "$(windows_path "$dir/Morvelline_$bits.dll")" \
    "$(windows_path "$shot")" 200 256 13 172 66 70 Square 0.03 351 23 "Undo Osc 1 Waveform"
echo "screenshot: $shot"
