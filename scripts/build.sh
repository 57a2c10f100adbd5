#!/usr/bin/env bash
# Builds the three plug-in files and the tools, then shows what a host sees of the plug-in.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"
"$top/scripts/build-all.sh"
echo
echo "Plug-in files:"
ls -l build/linux/Morvelline.so build/win64/Morvelline_64.dll build/win32/Morvelline_32.dll
echo
build/linux/tests/morvelline_host_tests --gtest_brief=1 --gtest_filter='HostInterface.*'
