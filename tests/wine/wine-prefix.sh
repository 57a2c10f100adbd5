# Sourced by the Wine test scripts: a fresh prefix for this run, removed on exit, and the Wine
# loader for the given bitness in $wine_loader.
# usage: source wine-prefix.sh 64|32
# Where 32-bit programs cannot run, the 32-bit run is reported as skipped (77) with the reason,
# never as a fault of the DLL.
source "$(dirname "${BASH_SOURCE[0]}")/wine32-support.sh"
[ "$1" = 32 ] && skip_unless_wine32_runs
prefix=$(mktemp -d /tmp/morvelline-wine-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$1" = 32 ]; then
    export WINEARCH=win32
    wine_loader=$wine32_loader
    export WINELOADER=$wine32_loader
else
    wine_loader=wine
    export WINEARCH=win64
    # The "wine" wrapper prefers the 32-bit loader, which a machine without 32-bit support cannot
    # start; a 64-bit prefix needs only the 64-bit one.
    for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            wine_loader=$candidate
            export WINELOADER=$candidate
            break
        fi
    done
fi
"$wine_loader" wineboot --init >/dev/null 2>&1 || true

# A Linux path as Wine sees it (drive Z: is the root in every prefix).
windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}
