#!/usr/bin/env bash
# The README names the Compact layout's two upper tabs as the built-in images draw them.
# usage: check-readme-tabs.sh README IMAGE_CATALOGUE
set -euo pipefail
readme=$1 catalogue=$2
drawn=$(grep -o 'SwitchMain[12].*tab_button([^"]*"[^"]*"' "$catalogue" | sed 's/.*"\(.*\)"$/\1/' | paste -sd, -)
told=$(tr '\n' ' ' <"$readme" | grep -o 'two tabs ("[^"]*" and "[^"]*")' |
    sed 's/two tabs ("\(.*\)" and "\(.*\)")/\1,\2/' || true)
if [ -z "$drawn" ] || [ "$drawn" != "$told" ]; then
    echo "README names the Compact tabs '$told', the images draw '$drawn'" >&2
    exit 1
fi
echo "Compact tabs: $drawn"
