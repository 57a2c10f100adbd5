#!/usr/bin/env bash
# Runs the Windows validator under Wine, in a fresh prefix made for this run: Morvelline's DLL at
# the given level must pass, and a plug-in that crashes must give a failure line, not a dead run.
# usage: run-under-wine.sh 64|32 BUILD_DIR LEVEL
set -euo pipefail
bits=$1
dir=$2
level=$3
here=$(cd "$(dirname "$0")" && pwd)
# Kernels built without 32-bit support cannot start Wine's 32-bit loader: skipped, not failed.
if [ "$bits" = 32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "skipped: this kernel cannot run 32-bit programs, so Wine cannot load a 32-bit DLL"
    exit 77
fi
prefix=$(mktemp -d /tmp/morvelline-wine-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=wine
if [ "$bits" = 32 ]; then
    export WINEARCH=win32
else
    export WINEARCH=win64
    # The 64-bit loader itself, where the wine wrapper would start the 32-bit one first.
    if command -v wine64 >/dev/null; then
        wine=wine64
    elif [ -x /usr/lib/wine/wine64 ]; then
        wine=/usr/lib/wine/wine64
    fi
fi
"$wine" wineboot --init >/dev/null 2>&1 || true
validator="$dir/tools/validate/morvelline-validate.exe"
"$here/check-validate.sh" pass "$wine" "$validator" --level "$level" --seed 1 "Z:$dir/Morvelline_$bits.dll"
"$here/check-validate.sh" fail 'FAIL  audio: zero-frame calls: crashed \(exception 0xC0000005' \
    "$wine" "$validator" --level 1 --suite audio "Z:$dir/tools/validate/validate_broken_zero_frame_crash.dll"
