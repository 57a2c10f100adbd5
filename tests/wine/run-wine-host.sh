#!/usr/bin/env bash
# Runs the Windows test host on a Morvelline DLL under Wine, in a fresh prefix made for this run.
# usage: run-wine-host.sh 64|32 BUILD_DIR
set -euo pipefail
bits=$1
dir=$2
prefix=$(mktemp -d /tmp/morvelline-wine-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$bits" = 32 ]; then
    export WINEARCH=win32
else
    export WINEARCH=win64
fi
# The 64-bit loader directly where Debian ships it: the "wine" launcher starts the 32-bit loader
# first, which fails on kernels that cannot run 32-bit programs.
loader=wine
# Some kernels are built without 32-bit support: Wine cannot start a 32-bit program there, so
# the 32-bit run is reported as skipped (77) rather than as a fault of the DLL.
if [ "$bits" = 32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "skipped: this kernel cannot run 32-bit programs, so Wine cannot load a 32-bit DLL"
    exit 77
fi
if [ "$bits" = 64 ] && [ -x /usr/lib/wine/wine64 ]; then
    loader=/usr/lib/wine/wine64
fi
"$loader" wineboot --init >/dev/null 2>&1 || true
"$loader" "$dir/tests/wine/wintesthost.exe" "$("$loader" winepath -w "$dir/Morvelline_$bits.dll")"
