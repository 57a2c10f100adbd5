#!/usr/bin/env bash
# Checks that a Morvelline DLL imports only system DLLs and exports its entry points undecorated.
# usage: check-imports.sh 64|32 BUILD_DIR
set -euo pipefail
bits=$1
dll=$2/Morvelline_$bits.dll
if [ "$bits" = 32 ]; then objdump=i686-w64-mingw32-objdump; else objdump=x86_64-w64-mingw32-objdump; fi
dump=$($objdump -p "$dll")
imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u)
echo "imports: $(echo $imports)"
allowed='^(kernel32|user32|gdi32|gdiplus|shell32|shlwapi|comdlg32|ole32|oleaut32|advapi32|msvcrt|ucrtbase|comctl32|msimg32|api-ms-win-.*)\.dll$'
bad=$(grep -v -E "$allowed" <<<"$imports" || true)
if [ -n "$bad" ]; then
    echo "non-system imports: $bad"
    exit 1
fi
for name in VSTPluginMain main; do
    if ! grep -q -E "^\s+\[ *[0-9]+\] $name\$" <<<"$dump"; then
        echo "export $name missing or decorated"
        grep -A12 'Ordinal/Name Pointer' <<<"$dump" || true
        exit 1
    fi
done
echo "exports: VSTPluginMain main"
