#!/usr/bin/env bash
# Runs formats_agree on the default programs (no data folder) and on factory programs (the
# factory bank in a data folder beside the modules, whose settings choose an example tuning).
# With "wine 64" first, under Wine. The other build is a .clap file or an .lv2 bundle; the
# bundle's programs are its presets, the factory programs whatever the data folder holds, so it
# plays the default program only bare.
# usage: check-formats-agree.sh [wine 64] AGREE VST OTHER FACTORY_BANK
set -euo pipefail
run=()
if [ "$1" = wine ]; then
    source "$(cd "$(dirname "$0")/../wine" && pwd)/wine-prefix.sh" "$2"
    run=("$wine_loader")
    shift 2
fi
agree=$1 vst=$2 clap=$3 bank=$4
work=$(mktemp -d)
trap 'rm -rf "$work"; if [ ${#run[@]} -gt 0 ]; then wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"; fi' EXIT
export XDG_DATA_HOME=$work/xdg HOME=$work
for kind in bare factory; do
    mkdir -p "$work/$kind"
    cp -r "$vst" "$clap" "$work/$kind/"
done
mkdir -p "$work/factory/Morvelline_Data/Presets"
cp "$bank" "$work/factory/Morvelline_Data/Presets/Default.hfb"
cp -r "$(dirname "$bank")/../tunings" "$work/factory/Morvelline_Data/Tunings"
printf 'tuningScale=Quarter-Comma Meantone.scl\ntuningMapping=A4 at 432 Hz.kbm\n' >"$work/factory/Morvelline_Data/Settings.txt"
# A bundle's module looks for its data folder inside the bundle, as installed.
[ ! -d "$clap" ] || ln -s ../Morvelline_Data "$work/factory/$(basename "$clap")/Morvelline_Data"
path() { if [ ${#run[@]} -gt 0 ]; then windows_path "$1"; else echo "$1"; fi; }
# Program -1 is the one a fresh instance starts with.
if [[ $clap == *.lv2 ]]; then bare=(-1) factory=(0); else bare=(-1 5) factory=(-1); fi
"${run[@]}" "$agree" "$(path "$work/bare/$(basename "$vst")")" "$(path "$work/bare/$(basename "$clap")")" "${bare[@]}"
"${run[@]}" "$agree" "$(path "$work/factory/$(basename "$vst")")" "$(path "$work/factory/$(basename "$clap")")" \
    "${factory[@]}" 14 26 38 48 56 62 68 78 88
