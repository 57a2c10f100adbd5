#!/usr/bin/env bash
# A plug-in module's dynamic symbol table holds its entry points and nothing else, so no symbol
# of a host or of another plug-in can take over one of ours.
# usage: check-exports.sh LIBRARY [EXPECTED_SYMBOL...]   (default: VSTPluginMain main)
set -euo pipefail
library=$1
shift
expected=$(printf '%s\n' "${@:-VSTPluginMain}" $([ $# -eq 0 ] && echo main) | sort | tr '\n' ' ')
exports=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exports" != "$expected" ]; then
    echo "$library exports: $exports"
    echo "expected exactly: $expected"
    exit 1
fi
echo "exports: $expected"
