#!/usr/bin/env bash
# Runs morvelline-validate and checks its verdict.
# usage: check-validate.sh pass COMMAND...          (exit 0 and "N passed, 0 failed")
#        check-validate.sh fail REGEX COMMAND...    (exit 1 and a line matching REGEX)
#        check-validate.sh usage REGEX COMMAND...   (exit 2, a command-line error, matching REGEX)
# A comma-decimal locale is made for the run when the system has none, so the locale test runs.
set -uo pipefail
mode=$1
shift
if [ "$mode" != pass ]; then
    pattern=$1
    shift
fi
if [ -n "${VALIDATE_LOCALE_DIR:-}" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE'; then
    if [ ! -d "$VALIDATE_LOCALE_DIR/de_DE.UTF-8" ] && command -v localedef >/dev/null; then
        mkdir -p "$VALIDATE_LOCALE_DIR"
        tmp=$(mktemp -d "$VALIDATE_LOCALE_DIR/.make-XXXXXX")
        localedef -i de_DE -f UTF-8 "$tmp/de_DE.UTF-8" >/dev/null 2>&1 &&
            mv -T "$tmp/de_DE.UTF-8" "$VALIDATE_LOCALE_DIR/de_DE.UTF-8" 2>/dev/null
        rm -rf "$tmp"
    fi
    [ -d "$VALIDATE_LOCALE_DIR/de_DE.UTF-8" ] && export LOCPATH=$VALIDATE_LOCALE_DIR
fi
output=$("$@" 2>&1)
status=$?
echo "$output"
if [ "$mode" = pass ]; then
    [ $status -eq 0 ] && grep -qE '^[0-9]+ passed, 0 failed' <<<"$output" && exit 0
    echo "expected every test to pass (exit status $status)"
    exit 1
fi
expected=1
[ "$mode" = usage ] && expected=2
if [ $status -ne $expected ]; then
    echo "expected exit status $expected, got $status"
    exit 1
fi
grep -qE -- "$pattern" <<<"$output" && exit 0
echo "expected a line matching: $pattern"
exit 1
