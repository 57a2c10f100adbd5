#!/usr/bin/env bash
# Builds the Linux plug-in with its tools and tests, and both Windows DLLs, into build/.
# usage: scripts/build-all.sh   (BUILD_TYPE=Debug to change the native build type,
#        WARNINGS_AS_ERRORS=OFF for a compiler that warns about more than ours)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/build-trees.sh"
echo "Building build/linux, build/win64 and build/win32..."
build_tree win64 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release &
win64=$!
build_tree win32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release &
win32=$!
build_tree linux -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
    -DMORVELLINE_WIN64_DIR="$top/build/win64" -DMORVELLINE_WIN32_DIR="$top/build/win32" &
wait_for_builds $win64 $win32 $!
