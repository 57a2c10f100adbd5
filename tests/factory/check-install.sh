#!/usr/bin/env bash
# scripts/install.sh into a temporary home: a first install creates ~/.vst with the plug-in and
# its data folder (and ~/.clap with the CLAP and ~/.lv2 with the LV2 bundle, sharing that folder), the installed plug-in finds its factory bank there, and a second install
# keeps the bank and settings the user has changed since. A user who already keeps files in the
# per-user data folder keeps them: they are copied into the new folder, or with
# --keep-data-folder no new folder is made.
# usage: check-install.sh SOURCE_DIR PLUGIN.so MORVELLINE-RENDER
set -euo pipefail
src=$1 plugin=$2 render=$3
root=$(mktemp -d /tmp/morvelline-install-XXXXXX)
trap 'rm -rf "$root"' EXIT
HOME=$root/first XDG_DATA_HOME=$root/first/xdg
export HOME XDG_DATA_HOME
fail() { echo "FAILED: $*" >&2; exit 1; }

data=$HOME/.vst/Morvelline_Data
bank=$src/resources/presets/Default.hfb
first_name=$(sed -n 202p "$bank" | tr -d '\r')

"$src/scripts/install.sh" "$plugin" >/dev/null
cmp -s "$plugin" "$HOME/.vst/Morvelline.so" || fail "the plug-in was not copied to ~/.vst"
cmp -s "$bank" "$data/Presets/Default.hfb" || fail "the factory bank was not installed"
if [ -d "$src/resources/themes" ]; then
    diff -r "$src/resources/themes" "$data/Themes" >/dev/null || fail "the themes were not installed"
fi
diff -r "$src/resources/tunings" "$data/Tunings" >/dev/null || fail "the example tunings were not installed"
listed=$("$render" --plugin "$HOME/.vst/Morvelline.so" --list-programs | head -1)
[ "$listed" = "  0  $first_name" ] || fail "the installed plug-in starts with '$listed', not the factory bank"
cmp -s "${plugin%.so}.clap" "$HOME/.clap/Morvelline.clap" || fail "the CLAP was not copied to ~/.clap"
[ "$(readlink -f "$HOME/.clap/Morvelline_Data")" = "$(readlink -f "$data")" ] ||
    fail "the CLAP does not share the data folder"
bundle=$(dirname "$plugin")/lv2/Morvelline.lv2
cmp -s "$bundle/Morvelline.so" "$HOME/.lv2/Morvelline.lv2/Morvelline.so" || fail "the LV2 bundle was not copied to ~/.lv2"
cmp -s "$bundle/presets.ttl" "$HOME/.lv2/Morvelline.lv2/presets.ttl" || fail "the LV2 presets were not copied"
[ "$(readlink -f "$HOME/.lv2/Morvelline.lv2/Morvelline_Data")" = "$(readlink -f "$data")" ] ||
    fail "the LV2 does not share the data folder"
app=$HOME/.local/lib/morvelline
cmp -s "$(dirname "$plugin")/morvelline" "$app/morvelline" || fail "the program was not installed"
[ "$(readlink -f "$HOME/.local/bin/morvelline")" = "$app/morvelline" ] || fail "~/.local/bin/morvelline does not start it"
[ "$(readlink -f "$app/Morvelline_Data")" = "$(readlink -f "$data")" ] || fail "the program does not share the data folder"
grep -qx "Exec=$HOME/.local/bin/morvelline" "$HOME/.local/share/applications/morvelline.desktop" ||
    fail "the menu entry does not start the installed program"

sed "202s/.*/My Own Sound\r/" "$bank" > "$data/Presets/Default.hfb"
printf 'my settings\r\n' > "$data/Settings.txt"
cp "$data/Presets/Default.hfb" "$HOME/user-bank"
"$src/scripts/install.sh" "$plugin" >/dev/null
cmp -s "$HOME/user-bank" "$data/Presets/Default.hfb" || fail "a second install replaced the user's bank"
[ "$(cat "$data/Settings.txt")" = $'my settings\r' ] || fail "a second install replaced the user's settings"
listed=$("$render" --plugin "$HOME/.vst/Morvelline.so" --list-programs | head -1)
[ "$listed" = "  0  My Own Sound" ] || fail "after a second install the plug-in shows '$listed'"
# Users of the per-user folder: their own bank, another bank, the MIDI map and the settings.
for mode in copy keep; do
    HOME=$root/$mode XDG_DATA_HOME=$root/$mode/xdg data=$root/$mode/.vst/Morvelline_Data
    user=$XDG_DATA_HOME/Hollowfen\ Software/Morvelline
    mkdir -p "$user/Presets" "$user/Themes"
    cp "$root/first/user-bank" "$user/Presets/Default.hfb"
    printf 'Morvelline Preset Bank\r\n' > "$user/Presets/Mine.hfb"
    printf '7\n' > "$user/Midi.txt"
    printf 'scale=2\n' > "$user/Settings.txt"
    cp -r "$user" "$root/$mode-before"
    flag=$([ $mode = keep ] && echo --keep-data-folder || true)
    said=$("$src/scripts/install.sh" $flag "$plugin")
    (cd "$root/$mode-before" && find . -type f) | while IFS= read -r file; do
        cmp -s "$root/$mode-before/$file" "$user/$file" || fail "$mode: the install changed the user's $file"
    done
    if [ $mode = copy ]; then
        for file in Presets/Default.hfb Presets/Mine.hfb Midi.txt Settings.txt; do
            cmp -s "$user/$file" "$data/$file" || fail "copy: $file was not copied into $data"
        done
        grep -q "copied into the new data folder" <<<"$said" || fail "copy: the install did not say so: $said"
    else
        [ ! -e "$data" ] || fail "keep: --keep-data-folder made $data"
        grep -q "Kept the data folder" <<<"$said" || fail "keep: the install did not say so: $said"
    fi
    listed=$("$render" --plugin "$HOME/.vst/Morvelline.so" --list-programs | head -1)
    [ "$listed" = "  0  My Own Sound" ] || fail "$mode: the installed plug-in starts with '$listed'"
done
echo "install ok"
