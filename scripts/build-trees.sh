# Sourced by build-all.sh and test.sh: how a build tree under build/ is configured and built, so
# the build command and the test command make identical trees and the tests reuse the build's.
jobs=$(nproc)
# Ninja schedules the many small targets better than make; a tree keeps the generator it was
# first configured with.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
    export CMAKE_GENERATOR=Ninja
fi
# Paths inside the checkout are hashed relative to it, so another clone reuses the objects.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
# ccache can reuse objects built with a precompiled header only when told that its macros and
# time stamps may be trusted.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros}
strict=-DMORVELLINE_WERROR=${WARNINGS_AS_ERRORS:-ON}

# build_tree NAME CMAKE_ARGS...: configures and builds build/NAME, its compiler output kept in
# build/NAME.log and shown when the build fails.
build_tree() {
    local name=$1 start=$SECONDS
    shift
    mkdir -p "$top/build"
    if ! { cmake -S "$top" -B "$top/build/$name" "$strict" "$@" &&
        cmake --build "$top/build/$name" -j "$jobs"; } >"$top/build/$name.log" 2>&1; then
        tail -n 60 "$top/build/$name.log" >&2
        echo "The build of build/$name failed; its whole output is in build/$name.log." >&2
        return 1
    fi
    echo "built build/$name in $((SECONDS - start)) s"
}

# wait_for_builds PID...: waits for trees built side by side (one tree's serial steps, such as
# linking and test discovery, leave the cores to the others); fails if any of them failed.
wait_for_builds() {
    local pid failed=0
    for pid; do wait "$pid" || failed=1; done
    return $failed
}
