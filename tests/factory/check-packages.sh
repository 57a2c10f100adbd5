#!/usr/bin/env bash
# Makes the release packages with CPack and checks that each holds exactly its files (the 64-bit
# run), and that the DLL of the given bitness from the Windows ZIP loads under Wine and finds the
# factory bank in the data folder beside it.
# usage: check-packages.sh NATIVE_BUILD_DIR WIN64_BUILD_DIR WIN32_BUILD_DIR 64|32
set -euo pipefail
build=$1 win64=$2 win32=$3 bits=$4
src=$(cd "$(dirname "$0")/../.." && pwd)
source "$src/tests/wine/wine32-support.sh"
[ "$bits" = 32 ] && skip_unless_wine32_runs
work=$(mktemp -d /tmp/morvelline-packages-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -B "$work/out" >/dev/null)
tarball=$(ls "$work"/out/Morvelline-*-linux-x86_64.tar.gz)
zipfile=$(ls "$work"/out/Morvelline-*-windows.zip)

data_files() {
    echo Morvelline_Data/Presets/Default.hfb
    if [ -d "$src/resources/themes" ]; then
        (cd "$src/resources/themes" && find . -type f | sed 's|^\./|Morvelline_Data/Themes/|')
    fi
    (cd "$src/resources/tunings" && find . -type f | sed 's|^\./|Morvelline_Data/Tunings/|')
}
# Files only, without the package's top folder.
contents() { grep -v '/$' | sed 's|^[^/]*/||' | sort; }

first_name=$(sed -n 202p "$src/resources/presets/Default.hfb" | tr -d '\r')
if [ "$bits" = 64 ]; then
    expected=$( (printf '%s\n' Morvelline.so Morvelline.clap morvelline-render morvelline morvelline.desktop morvelline.svg \
        Morvelline.lv2/{manifest.ttl,Morvelline.ttl,presets.ttl,Morvelline.so,MorvellineUI.so}; data_files) | sort)
    actual=$(tar tzf "$tarball" | contents)
    [ "$actual" = "$expected" ] || fail "the tar.gz holds"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"

    expected=$( (printf '%s\n' Morvelline_64.dll Morvelline_32.dll Morvelline_64.clap Morvelline_32.clap INSTALL-Windows.txt; data_files) | sort)
    actual=$(unzip -Z1 "$zipfile" | contents)
    [ "$actual" = "$expected" ] || fail "the ZIP holds"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"

    mkdir "$work/tar"
    tar xzf "$tarball" -C "$work/tar"
    listed=$("$work"/tar/*/morvelline-render --list-programs | head -1)
    [ "$listed" = "  0  $first_name" ] || fail "the unpacked tar.gz starts with '$listed', not the factory bank"
    "$work"/tar/*/morvelline-render --plugin "$(ls "$work"/tar/*/Morvelline.clap)" --bench >/dev/null ||
        fail "the unpacked Morvelline.clap does not play"
    "$work"/tar/*/morvelline-render --plugin "$(ls -d "$work"/tar/*/Morvelline.lv2)" --program 1 --bench >/dev/null ||
        fail "the unpacked Morvelline.lv2 does not play"
fi

unzip -q "$zipfile" -d "$work/zip"
folder=$(ls -d "$work"/zip/*/)
folder=${folder%/}
windows_path() { local p=$1; echo "Z:${p//\//\\}"; } # winepath itself needs the 32-bit loader
host_dir=$win64 loader=wine
if [ "$bits" = 32 ]; then
    host_dir=$win32 loader=$wine32_loader
elif [ -x /usr/lib/wine/wine64 ]; then
    loader=/usr/lib/wine/wine64
fi
prefix=$work/prefix$bits
mkdir -p "$prefix"
(
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$bits" = 32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    "$loader" wineboot --init >/dev/null 2>&1 || true
    "$loader" "$host_dir/tests/wine/wintesthost.exe" "$(windows_path "$folder/Morvelline_$bits.dll")" "$first_name"
) || fail "Morvelline_$bits.dll from the ZIP"
echo "packages ok"
