#!/usr/bin/env bash
# The 32-bit Wine runs skip with the true reason: a missing loader, a kernel that refuses the
# loader's format, a loader that starts; and a 32-bit run really exits with the skip code.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An ELF header for a machine no kernel runs: exec fails just as a 32-bit loader does on a
# kernel without 32-bit support.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\000' >"$work/foreign"
printf '#!/bin/sh\necho wine-8.0\n' >"$work/starts"
printf '#!/bin/sh\necho "wine: could not load ntdll.so" >&2\nexit 1\n' >"$work/broken"
chmod +x "$work/foreign" "$work/starts" "$work/broken"

failures=0
while IFS='|' read -r loader expected; do
    reason=$(MORVELLINE_WINE32_LOADER=$work/$loader bash -c "source '$here/wine32-support.sh'; wine32_unavailable_reason")
    if [[ $reason != *"$expected"* ]] || { [ -z "$expected" ] && [ -n "$reason" ]; }; then
        echo "FAILED: loader '$loader' gave reason '$reason', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<'TABLE'
missing|wine32 is not installed
foreign|this kernel cannot execute 32-bit programs
broken|the 32-bit Wine loader does not start: wine: could not load ntdll.so
starts|
TABLE

output=$(MORVELLINE_WINE32_LOADER=$work/foreign bash -c "source '$here/wine-prefix.sh' 32; echo ran")
status=$?
if [ $status -ne 77 ] || [[ $output != "SKIPPED: this kernel cannot execute 32-bit programs"* ]]; then
    echo "FAILED: a 32-bit run where the loader cannot execute exited $status with '$output'"
    failures=$((failures + 1))
fi
[ $failures -eq 0 ] && echo "32-bit skip reasons ok"
exit $((failures > 0))
