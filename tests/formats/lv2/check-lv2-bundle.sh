#!/usr/bin/env bash
# The LV2 bundle as the LV2 tools see it: lv2_validate and sord_validate (against the installed
# LV2 schema files) find no error and no warning, lv2ls lists it from its build folder and
# lv2info shows the 199 controls, one MIDI input and two audio outputs.
# usage: check-lv2-bundle.sh BUNDLE_FOLDER
set -euo pipefail
bundle=$1
plugin=urn:hollowfen:morvelline
for tool in lv2_validate sord_validate lv2ls lv2info; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done
ttl=("$bundle"/*.ttl)
[ ${#ttl[@]} -eq 3 ] || { echo "FAIL: expected manifest.ttl, Morvelline.ttl and presets.ttl in $bundle"; exit 1; }

# Everything but the count of checks is a finding; lv2_validate also names schema files it skips.
clean() {
    local name=$1 out=$2
    echo "$out" | tail -1
    if ! grep -q '^Found 0 errors' <<<"$out" || grep -v '^Found 0 errors' <<<"$out" | grep -v '^Skipping file' | grep -q .; then
        echo "FAIL: $name reports:"
        echo "$out" | head -40
        exit 1
    fi
}
clean lv2_validate "$(lv2_validate "${ttl[@]}" 2>&1)"
mapfile -t schemas < <(find /usr/lib/lv2 -maxdepth 2 -name '*.ttl' ! -name '*.doap.ttl' | sort)
clean sord_validate "$(sord_validate "${schemas[@]}" "${ttl[@]}" 2>&1)"

export LV2_PATH
LV2_PATH=$(dirname "$bundle")
listed=$(lv2ls 2>&1)
[ "$listed" = "$plugin" ] || { echo "FAIL: lv2ls with LV2_PATH=$LV2_PATH lists: $listed"; exit 1; }
LV2_PATH=$LV2_PATH:/usr/lib/lv2
info=$(lv2info "$plugin" 2>&1)
# One line per port: its index and its classes.
ports=$(awk '/^\tPort [0-9]+:/ { if (p) print p; p = $2 } /#[A-Za-z]+Port$/ { sub(/.*#/, ""); p = p " " $0 }
             END { if (p) print p }' <<<"$info")
count() { grep -c "$1" <<<"$ports" || true; }
controls=$(count 'ControlPort' | head -1)
controls_in=$(grep 'ControlPort' <<<"$ports" | grep -c 'InputPort' || true)
audio_out=$(grep 'AudioPort' <<<"$ports" | grep -c 'OutputPort' || true)
atom_in=$(grep 'AtomPort' <<<"$ports" | grep -c 'InputPort' || true)
echo "lv2info: $controls_in control inputs ($controls controls), $atom_in event input, $audio_out audio outputs"
[ "$controls" = 199 ] && [ "$controls_in" = 199 ] && [ "$audio_out" = 2 ] && [ "$atom_in" = 1 ] ||
    { echo "FAIL: expected 199 controls, 1 MIDI input and 2 audio outputs"; exit 1; }
grep -q 'Class: *Instrument Plugin' <<<"$info" || { echo "FAIL: not an instrument"; exit 1; }
grep -q 'atom:supports midi:MidiEvent' "$bundle/Morvelline.ttl" || { echo "FAIL: the event input takes no MIDI"; exit 1; }
echo "ok: the bundle validates and lists as expected"
