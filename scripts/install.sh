#!/usr/bin/env bash
# Installs Morvelline for the current user: Morvelline.so into ~/.vst and its data folder
# (factory bank, example themes) beside it as ~/.vst/Morvelline_Data. Files the user already has
# there (their Default.hfb, Settings.txt, Midi.txt, themes) are never overwritten.
# usage: scripts/install.sh [PATH/TO/Morvelline.so]   (default: build/linux/Morvelline.so,
#        built first when it is missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
plugin=${1:-$top/build/linux/Morvelline.so}

if [ $# -eq 0 ] && [ ! -f "$plugin" ]; then
    cmake -S "$top" -B "$top/build/linux" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$top/build/linux" -j "$(nproc)" --target Morvelline
fi
if [ ! -f "$plugin" ]; then
    echo "install.sh: no plug-in at $plugin" >&2
    exit 1
fi

vst_dir=$HOME/.vst
data_dir=$vst_dir/Morvelline_Data
mkdir -p "$vst_dir" "$data_dir/Presets" "$data_dir/Themes"
# Replace the plug-in through a temporary file so a host that has it loaded keeps a valid file.
cp "$plugin" "$vst_dir/.Morvelline.so.new"
mv -f "$vst_dir/.Morvelline.so.new" "$vst_dir/Morvelline.so"

copy_missing() { # source folder, target folder: copies only files that do not exist yet
    local from=$1 to=$2
    (cd "$from" && find . -type f) | while IFS= read -r file; do
        if [ -e "$to/$file" ]; then
            echo "kept your $to/${file#./}"
        else
            mkdir -p "$(dirname "$to/$file")"
            cp "$from/$file" "$to/$file"
        fi
    done
}
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging/Presets"
cp "$top/resources/presets/Default.hfb" "$staging/Presets/"
if [ -d "$top/resources/themes" ]; then
    cp -r "$top/resources/themes" "$staging/Themes"
fi
copy_missing "$staging" "$data_dir"
echo "Installed $vst_dir/Morvelline.so with its data folder $data_dir"
