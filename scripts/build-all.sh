#!/usr/bin/env bash
# Builds the Linux plug-in with its tools and tests, and both Windows DLLs, into build/.
# usage: scripts/build-all.sh   (BUILD_TYPE=Debug to change the native build type,
#        WARNINGS_AS_ERRORS=ON as CI does)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
strict=-DMORVELLINE_WERROR=${WARNINGS_AS_ERRORS:-OFF}

cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release "$strict" >/dev/null
cmake --build build/win64 -j "$jobs"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release "$strict" >/dev/null
cmake --build build/win32 -j "$jobs"
cmake -S . -B build/linux -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "$strict" \
    -DMORVELLINE_WIN64_DIR="$top/build/win64" -DMORVELLINE_WIN32_DIR="$top/build/win32" >/dev/null
cmake --build build/linux -j "$jobs"
