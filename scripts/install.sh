#!/usr/bin/env bash
# Installs Morvelline for the current user: Morvelline.so into ~/.vst and its data folder
# (factory bank, example themes and tunings) beside it as ~/.vst/Morvelline_Data; Morvelline.clap (found
# beside Morvelline.so) into ~/.clap, where ~/.clap/Morvelline_Data links to the same folder so
# both builds share one bank and one set of settings; the LV2 bundle Morvelline.lv2 (found in lv2/
# beside Morvelline.so) into ~/.lv2, with a Morvelline_Data link inside it to the same folder.
# The program morvelline (found beside Morvelline.so) goes to ~/.local/lib/morvelline, with a
# Morvelline_Data link there to the same folder, a command ~/.local/bin/morvelline, and a menu
# entry with its icon.
# Files the user already has
# there (their Default.hfb, Settings.txt, Midi.txt, themes, tunings) are never overwritten.
# A data folder beside the plug-in takes precedence over the per-user one
# ($XDG_DATA_HOME/Hollowfen Software/Morvelline). When the user already keeps files in the
# per-user folder, they are copied into the new folder first (never over files there), so the
# next instance starts with the user's own bank and settings; with --keep-data-folder no folder
# is made beside the plug-in and the per-user folder stays in use.
# usage: scripts/install.sh [--keep-data-folder] [PATH/TO/Morvelline.so]
#        (default: build/linux/Morvelline.so, built first when it is missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
keep_data_folder=no
if [ "${1:-}" = "--keep-data-folder" ]; then
    keep_data_folder=yes
    shift
fi
case "${1:-}" in
-*) echo "usage: install.sh [--keep-data-folder] [PATH/TO/Morvelline.so]" >&2; exit 2 ;;
esac
plugin=${1:-$top/build/linux/Morvelline.so}

if [ $# -eq 0 ] && [ ! -f "$plugin" ]; then
    cmake -S "$top" -B "$top/build/linux" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$top/build/linux" -j "$(nproc)" --target Morvelline MorvellineClap MorvellineLv2 MorvellineLv2Ui
    cmake --build "$top/build/linux" -j "$(nproc)" --target morvelline 2>/dev/null ||
        echo "morvelline (the program) was not built: scripts/install-deps.sh installs what it needs."
fi
if [ ! -f "$plugin" ]; then
    echo "install.sh: no plug-in at $plugin" >&2
    exit 1
fi

vst_dir=$HOME/.vst
data_dir=$vst_dir/Morvelline_Data
# The plug-in's own rule: an absolute XDG_DATA_HOME, else ~/.local/share.
case "${XDG_DATA_HOME:-}" in
/*) user_data=$XDG_DATA_HOME/Hollowfen\ Software/Morvelline ;;
*) user_data=$HOME/.local/share/Hollowfen\ Software/Morvelline ;;
esac
user_has_files=no
if [ -d "$user_data" ] && [ -n "$(find "$user_data" -type f -print -quit)" ]; then
    user_has_files=yes
fi

mkdir -p "$vst_dir"
# Replace the plug-in through a temporary file so a host that has it loaded keeps a valid file.
cp "$plugin" "$vst_dir/.Morvelline.so.new"
mv -f "$vst_dir/.Morvelline.so.new" "$vst_dir/Morvelline.so"
echo "Installed $vst_dir/Morvelline.so"
clap=${plugin%.so}.clap
if [ -f "$clap" ]; then
    mkdir -p "$HOME/.clap"
    cp "$clap" "$HOME/.clap/.Morvelline.clap.new"
    mv -f "$HOME/.clap/.Morvelline.clap.new" "$HOME/.clap/Morvelline.clap"
    echo "Installed $HOME/.clap/Morvelline.clap"
fi
bundle=$(dirname "$plugin")/lv2/Morvelline.lv2
lv2_dir=$HOME/.lv2
if [ -f "$bundle/manifest.ttl" ]; then
    # The whole folder is replaced at once; the data link inside it is made again below.
    mkdir -p "$lv2_dir"
    rm -rf "$lv2_dir/.Morvelline.lv2.new" "$lv2_dir/.Morvelline.lv2.old"
    cp -r "$bundle" "$lv2_dir/.Morvelline.lv2.new"
    [ ! -e "$lv2_dir/Morvelline.lv2" ] || mv "$lv2_dir/Morvelline.lv2" "$lv2_dir/.Morvelline.lv2.old"
    mv "$lv2_dir/.Morvelline.lv2.new" "$lv2_dir/Morvelline.lv2"
    if [ -d "$lv2_dir/.Morvelline.lv2.old/Morvelline_Data" ] && [ ! -L "$lv2_dir/.Morvelline.lv2.old/Morvelline_Data" ]; then
        mv "$lv2_dir/.Morvelline.lv2.old/Morvelline_Data" "$lv2_dir/Morvelline.lv2/"
    fi
    rm -rf "$lv2_dir/.Morvelline.lv2.old"
    echo "Installed $lv2_dir/Morvelline.lv2"
fi

copy_missing() { # source folder, target folder, what: copies only files that do not exist yet
    local from=$1 to=$2 what=$3
    (cd "$from" && find . -type f) | while IFS= read -r file; do
        if [ -e "$to/$file" ]; then
            echo "kept your $to/${file#./}"
        else
            mkdir -p "$(dirname "$to/$file")"
            cp -p "$from/$file" "$to/$file"
            [ -z "$what" ] || echo "copied $what ${file#./}"
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
cp -r "$top/resources/tunings" "$staging/Tunings"

if [ -d "$data_dir" ]; then
    target=$data_dir
    [ "$user_has_files" = no ] || echo "Note: $user_data is not used while $data_dir exists."
elif [ "$keep_data_folder" = yes ]; then
    target=$user_data
    echo "Kept the data folder $user_data (no $data_dir made); factory files it lacks are added to it."
elif [ "$user_has_files" = yes ]; then
    target=$data_dir
    mkdir -p "$data_dir"
    echo "Your files in $user_data are copied into the new data folder $data_dir, which is used from now on:"
    copy_missing "$user_data" "$data_dir" "your"
else
    target=$data_dir
fi
mkdir -p "$target/Presets" "$target/Themes" "$target/Tunings"
copy_missing "$staging" "$target" ""
echo "Data folder: $target"
# The CLAP looks beside itself first: a link there leads it to the same folder. A folder the
# user made there is theirs and stays.
if [ -f "$HOME/.clap/Morvelline.clap" ] && [ "$target" = "$data_dir" ] && [ ! -e "$HOME/.clap/Morvelline_Data" ]; then
    ln -s "$data_dir" "$HOME/.clap/Morvelline_Data"
    echo "The CLAP uses the same data folder ($HOME/.clap/Morvelline_Data links to it)."
fi
if [ -d "$lv2_dir/Morvelline.lv2" ] && [ "$target" = "$data_dir" ] && [ ! -e "$lv2_dir/Morvelline.lv2/Morvelline_Data" ]; then
    ln -s "$data_dir" "$lv2_dir/Morvelline.lv2/Morvelline_Data"
    echo "The LV2 uses the same data folder ($lv2_dir/Morvelline.lv2/Morvelline_Data links to it)."
fi
program=$(dirname "$plugin")/morvelline
if [ -f "$program" ]; then
    app_dir=$HOME/.local/lib/morvelline
    mkdir -p "$app_dir" "$HOME/.local/bin" "$HOME/.local/share/applications" "$HOME/.local/share/icons/hicolor/scalable/apps"
    cp "$program" "$app_dir/.morvelline.new"
    mv -f "$app_dir/.morvelline.new" "$app_dir/morvelline"
    ln -sfn "$app_dir/morvelline" "$HOME/.local/bin/morvelline"
    # The program looks for its data folder beside its real file, as the plug-ins do.
    if [ "$target" = "$data_dir" ] && [ ! -e "$app_dir/Morvelline_Data" ]; then
        ln -s "$data_dir" "$app_dir/Morvelline_Data"
    fi
    cp "$top/apps/standalone/morvelline.svg" "$HOME/.local/share/icons/hicolor/scalable/apps/morvelline.svg"
    sed "s|^Exec=morvelline|Exec=$HOME/.local/bin/morvelline|" "$top/apps/standalone/morvelline.desktop" \
        >"$HOME/.local/share/applications/morvelline.desktop"
    echo "Installed $HOME/.local/bin/morvelline and its menu entry (data folder: $target)"
fi
