#!/usr/bin/env bash
# Runs the Windows test host on a Morvelline DLL under Wine, in a fresh prefix made for this run.
# usage: run-wine-host.sh 64|32 BUILD_DIR
set -euo pipefail
bits=$1
dir=$2
source "$(cd "$(dirname "$0")" && pwd)/wine-prefix.sh" "$bits"
"$wine_loader" "$dir/tests/wine/wintesthost.exe" "$(windows_path "$dir/Morvelline_$bits.dll")"
