#!/usr/bin/env bash
# Runs the Windows validator under Wine, in a fresh prefix made for this run: Morvelline's DLL (or
# its CLAP file) at the given level must pass, and a plug-in with a fault must give a failure
# line, not a dead run.
# usage: run-under-wine.sh 64|32 BUILD_DIR LEVEL [clap]
set -euo pipefail
bits=$1
dir=$2
level=$3
format=${4:-vst}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../wine/wine-prefix.sh
source "$here/../wine/wine-prefix.sh" "$bits"
validator="$dir/tools/validate/morvelline-validate.exe"
if [ "$format" = clap ]; then
    "$here/check-validate.sh" pass "$wine_loader" "$validator" --level "$level" --seed 1 \
        "Z:$dir/Morvelline_$bits.clap"
    "$here/check-validate.sh" fail 'FAIL  audio: block sizes 1, odd and the largest: the plug-in wrote past' \
        "$wine_loader" "$validator" --level 1 --suite audio "Z:$dir/tools/validate/validate_clap_past_block.clap"
    exit 0
fi
"$here/check-validate.sh" pass "$wine_loader" "$validator" --level "$level" --seed 1 "Z:$dir/Morvelline_$bits.dll"
"$here/check-validate.sh" fail 'FAIL  audio: zero-frame calls: crashed \(exception 0xC0000005' \
    "$wine_loader" "$validator" --level 1 --suite audio "Z:$dir/tools/validate/validate_broken_zero_frame_crash.dll"
