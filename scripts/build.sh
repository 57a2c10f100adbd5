#!/usr/bin/env bash
# Builds the three plug-in files and the tools, then renders the built-in demo song through
# Morvelline into out/demo.wav.
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
# A patch that shows off the sound: detuned unison saws through a resonant, key-tracked lowpass,
# with the ping-pong delay and the plate reverb.
demo_patch=(
    Volume=0.4 Osc1Det=0.25 Osc1DtVo=0.6 Osc1DtSp=0.8 Osc1DtMx=0.4 FltCut=0.55 FltRes=0.35 FltKey=0.5
    Env1Att=0.08 Env1Rel=0.3 DlyMix=0.3 DlyTime=0.25 DlyFBack=0.45 DlyCut=0.35 DlyLP=0 DlyWidth=0.9
    RvbMix=0.3 RvbPrDly=0.02 RvbSize=0.7 RvbDamp=0.4 RvbDens=0.6 RvbWidth=1
)
settings=()
for value in "${demo_patch[@]}"; do settings+=(--set "$value"); done
build/linux/morvelline-render "${settings[@]}" --out out/demo.wav
echo "The demo is in $top/out/demo.wav"
