#!/usr/bin/env bash
# scripts/install.sh into a temporary home: a first install creates ~/.vst with the plug-in and
# its data folder, the installed plug-in finds its factory bank there, and a second install
# keeps the bank and settings the user has changed since.
# usage: check-install.sh SOURCE_DIR PLUGIN.so MORVELLINE-RENDER
set -euo pipefail
src=$1 plugin=$2 render=$3
HOME=$(mktemp -d /tmp/morvelline-install-XXXXXX)
export HOME
trap 'rm -rf "$HOME"' EXIT
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
listed=$("$render" --plugin "$HOME/.vst/Morvelline.so" --list-programs | head -1)
[ "$listed" = "  0  $first_name" ] || fail "the installed plug-in starts with '$listed', not the factory bank"

sed "202s/.*/My Own Sound\r/" "$bank" > "$data/Presets/Default.hfb"
printf 'my settings\r\n' > "$data/Settings.txt"
cp "$data/Presets/Default.hfb" "$HOME/user-bank"
"$src/scripts/install.sh" "$plugin" >/dev/null
cmp -s "$HOME/user-bank" "$data/Presets/Default.hfb" || fail "a second install replaced the user's bank"
[ "$(cat "$data/Settings.txt")" = $'my settings\r' ] || fail "a second install replaced the user's settings"
listed=$("$render" --plugin "$HOME/.vst/Morvelline.so" --list-programs | head -1)
[ "$listed" = "  0  My Own Sound" ] || fail "after a second install the plug-in shows '$listed'"
echo "install ok"
