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
build/linux/morvelline-render --out out/demo.wav
echo "The demo is in $top/out/demo.wav"
