#!/usr/bin/env bash
# Runs scripts/install-deps.sh against a fake apt-get, apt-cache, dpkg and dpkg-query: a failed
# index does not stop the install, wine32 or Ardour that cannot be installed is a notice, a required
# package that no list offers stops it with its name, and a complete machine hears nothing.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# The fake system: a package is installed unless its name is in $FAKE/missing.
cat >"$work/bin/dpkg-query" <<'FAKE'
#!/bin/sh
pkg=$(eval echo "\${$#}")
grep -qx "$pkg" "$FAKE/missing" && exit 1
echo "install ok installed"
FAKE
cat >"$work/bin/dpkg" <<'FAKE'
#!/bin/sh
[ "$1" = --print-foreign-architectures ] && { cat "$FAKE/arches" 2>/dev/null; exit 0; }
[ "$1" = --add-architecture ] && echo "$2" >>"$FAKE/arches"
exit 0
FAKE
cat >"$work/bin/apt-cache" <<'FAKE'
#!/bin/sh
echo "$2:"
if grep -qx "$2" "$FAKE/unavailable" 2>/dev/null; then echo "  Candidate: (none)"; else echo "  Candidate: 1.0"; fi
FAKE
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/sh
echo "apt-get $*" >>"$FAKE/log"
if [ "$1" = update ]; then
    [ -e "$FAKE/update-fails" ] || exit 0
    echo "Err:4 http://deb.example/debian-security bookworm-security/main i386 Packages"
    echo "E: Some index files failed to download."
    exit 100
fi
for arg; do
    if grep -qx -- "$arg" "$FAKE/uninstallable" 2>/dev/null; then echo "E: cannot install $arg"; exit 100; fi
done
for arg; do grep -vx -- "$arg" "$FAKE/missing" >"$FAKE/m"; mv "$FAKE/m" "$FAKE/missing"; done
FAKE
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work"/bin/*

failures=0
# Each case: missing packages, unavailable ones, uninstallable ones, does update fail, expected
# exit status, a text the output must hold (or "silent"), packages still missing afterwards.
while IFS='|' read -r missing unavailable uninstallable update_fails status text left; do
    export FAKE=$work/case
    rm -rf "$FAKE"
    mkdir "$FAKE"
    tr ' ' '\n' <<<"$missing" >"$FAKE/missing"
    tr ' ' '\n' <<<"$unavailable" >"$FAKE/unavailable"
    tr ' ' '\n' <<<"$uninstallable" >"$FAKE/uninstallable"
    [ "$update_fails" = yes ] && touch "$FAKE/update-fails"
    output=$(PATH=$work/bin:$PATH bash "$script" 2>&1)
    got=$?
    now_missing=$(grep -v '^$' "$FAKE/missing" | tr '\n' ' ' | sed 's/ $//')
    problem=
    [ "$got" = "$status" ] || problem="exit $got, expected $status"
    if [ "$text" = silent ]; then
        [ -z "$output" ] || problem="$problem; printed something"
    elif [[ $output != *"$text"* ]]; then
        problem="$problem; no '$text' in the output"
    fi
    [ "$now_missing" = "$left" ] || problem="$problem; '$now_missing' still missing, expected '$left'"
    if [ -n "$problem" ]; then
        echo "FAILED (missing '$missing', update fails: $update_fails): $problem"
        echo "$output" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
done <<'TABLE'
||||0|silent|
sox|||yes|0|bookworm-security/main i386 Packages|
sox wine32:i386||wine32:i386|yes|0|install-deps: wine32:i386 could not be installed, so Morvelline_32.dll will be built but not run.|wine32:i386
sox xvfb wine32:i386|xvfb||no|1|cannot install xvfb|sox xvfb wine32:i386
sox||sox|no|1|apt-get could not install sox|sox
jalv ardour||ardour|no|0|ardour could not be installed, so the LV2 build's Ardour test will be skipped.|ardour
TABLE
[ $failures -eq 0 ] && echo "install-deps cases ok"
exit $((failures > 0))
