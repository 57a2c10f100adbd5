#!/usr/bin/env bash
# Checks that the Morvelline DLL and CLAP of a Windows build import only system DLLs and export
# their entry points undecorated (and nothing else).
# usage: check-imports.sh 64|32 BUILD_DIR
set -euo pipefail
bits=$1
if [ "$bits" = 32 ]; then objdump=i686-w64-mingw32-objdump; else objdump=x86_64-w64-mingw32-objdump; fi
allowed='^(kernel32|user32|gdi32|gdiplus|shell32|shlwapi|comdlg32|ole32|oleaut32|advapi32|msvcrt|ucrtbase|comctl32|msimg32|api-ms-win-.*)\.dll$'

check_module() { # file, exports...
    local module=$1
    shift
    local dump imports bad
    dump=$($objdump -p "$module")
    imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u)
    echo "$(basename "$module") imports: $(echo $imports)"
    bad=$(grep -v -E "$allowed" <<<"$imports" || true)
    if [ -n "$bad" ]; then
        echo "non-system imports: $bad"
        exit 1
    fi
    local count
    count=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -c -E '^\s+\[ *[0-9]+\]' || true)
    for name in "$@"; do
        if ! grep -q -E "^\s+\[ *[0-9]+\] $name\$" <<<"$dump"; then
            echo "export $name missing or decorated"
            grep -A12 'Ordinal/Name Pointer' <<<"$dump" || true
            exit 1
        fi
    done
    if [ "$count" -ne $# ]; then
        echo "$(basename "$module") exports $count names instead of: $*"
        exit 1
    fi
    echo "exports: $*"
}

check_module "$2/Morvelline_$bits.dll" VSTPluginMain main
check_module "$2/Morvelline_$bits.clap" clap_entry
