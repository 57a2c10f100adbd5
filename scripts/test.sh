#!/usr/bin/env bash
# Builds the release and Windows trees with warnings as errors and runs every test: first the
# native suite under AddressSanitizer/UBSan and under ThreadSanitizer (without the benchmarks),
# then the release suite with the host-level tests, the render tests and the DLLs under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"
WARNINGS_AS_ERRORS=ON "$top/scripts/build-all.sh"
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    (cd "$dir" && ctest --output-on-failure -j "$jobs" "$@")
}

# System libraries (fontconfig, cairo, library initialisers, locales) keep memory for the life
# of the process; their frames are found only with the slow unwinder.
export LSAN_OPTIONS="suppressions=$top/tests/gui/lsan-system-libraries.supp"
export ASAN_OPTIONS="fast_unwind_on_malloc=0"
export TSAN_OPTIONS="suppressions=$top/tests/gui/tsan-system-libraries.supp"
for sanitizer in address thread; do
    dir=build/$sanitizer
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVELLINE_SANITIZE=$sanitizer >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== tests under the $sanitizer sanitizer"
    run_suite "$dir"
done

echo "== all tests, Windows DLLs under Wine included"
run_suite build/linux
