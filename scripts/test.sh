#!/usr/bin/env bash
# Builds everything and runs every test: the native suite with the Windows DLLs under Wine, then
# the native suite again under AddressSanitizer/UBSan and under ThreadSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"
"$top/scripts/build-all.sh"
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    (cd "$dir" && ctest --output-on-failure -j "$jobs" "$@")
}

for sanitizer in address thread; do
    dir=build/$sanitizer
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVELLINE_SANITIZE=$sanitizer >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== tests under the $sanitizer sanitizer"
    run_suite "$dir"
done

echo "== all tests, Windows DLLs under Wine included"
run_suite build/linux
