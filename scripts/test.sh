#!/usr/bin/env bash
# Runs every test: the release suite (host-level, render, editor and packaging tests, and both
# DLLs under Wine) in the trees scripts/build.sh made, which are only brought up to date here,
# and the native suite again under AddressSanitizer/UBSan and under ThreadSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"
"$top/scripts/build-all.sh"
source "$top/scripts/build-trees.sh"

# The sanitizer trees look for memory and thread faults, not speed: -O1 with line tables only
# compiles much faster than an optimised build with full debug information, and a report still
# names the file and line. They build no benchmarks and configure no Wine or packaging tests.
echo "Building build/address and build/thread..."
sanitized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
           -DMORVELLINE_WERROR=OFF)
build_tree address "${sanitized[@]}" -DMORVELLINE_SANITIZE=address &
address=$!
build_tree thread "${sanitized[@]}" -DMORVELLINE_SANITIZE=thread &
wait_for_builds $address $!

# System libraries (fontconfig, cairo, library initialisers, locales) keep memory for the life
# of the process; their frames are found only with the slow unwinder.
export LSAN_OPTIONS="suppressions=$top/tests/gui/lsan-system-libraries.supp"
export ASAN_OPTIONS="fast_unwind_on_malloc=0"
export TSAN_OPTIONS="suppressions=$top/tests/gui/tsan-system-libraries.supp"

failed=()
run_suite() {
    local name=$1 title=$2
    echo "== $title"
    (cd "build/$name" && ctest --output-on-failure -j "$jobs") || failed+=("$title")
    # ctest lists skipped tests without their output: show why each one skipped.
    grep -h '^SKIPPED: ' "build/$name/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u | sed 's/^/  /' || true
}
run_suite address "tests under AddressSanitizer and UBSan"
run_suite thread "tests under ThreadSanitizer"
run_suite linux "all tests in the release build, Windows DLLs under Wine included"
if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "All test suites passed (skipped tests are listed above with their reasons)."
