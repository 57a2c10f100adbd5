#!/usr/bin/env bash
# The plug-in's dynamic symbol table holds its two entry points and nothing else, so no symbol
# of a host or of another plug-in can take over one of ours.
set -euo pipefail
library=$1
exports=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exports" != "VSTPluginMain main " ]; then
    echo "$library exports: $exports"
    echo "expected exactly: VSTPluginMain main"
    exit 1
fi
echo "exports: VSTPluginMain main"
