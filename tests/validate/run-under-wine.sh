#!/usr/bin/env bash
# Runs the Windows validator under Wine, in a fresh prefix made for this run: Morvelline's DLL at
# the given level must pass, and a plug-in that crashes must give a failure line, not a dead run.
# usage: run-under-wine.sh 64|32 BUILD_DIR LEVEL
set -euo pipefail
bits=$1
dir=$2
level=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../wine/wine-prefix.sh
source "$here/../wine/wine-prefix.sh" "$bits"
validator="$dir/tools/validate/morvelline-validate.exe"
"$here/check-validate.sh" pass "$wine_loader" "$validator" --level "$level" --seed 1 "Z:$dir/Morvelline_$bits.dll"
"$here/check-validate.sh" fail 'FAIL  audio: zero-frame calls: crashed \(exception 0xC0000005' \
    "$wine_loader" "$validator" --level 1 --suite audio "Z:$dir/tools/validate/validate_broken_zero_frame_crash.dll"
