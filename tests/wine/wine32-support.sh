# Sourced by every test that runs 32-bit Windows code, so all of them decide the same way whether
# it can run here, and skip (exit 77) with the true reason when it cannot.
# The 32-bit loader is called by its own path: when wine32 is missing, Debian's "wine" wrapper
# falls back to the 64-bit loader, which then refuses a 32-bit prefix.
wine32_loader=${MORVELLINE_WINE32_LOADER:-/usr/lib/wine/wine}

# Prints why 32-bit Windows programs cannot run here; prints nothing when they can.
wine32_unavailable_reason() {
    if [ ! -e "$wine32_loader" ]; then
        echo "wine32 is not installed ($wine32_loader is missing; install the package wine32:i386)"
        return
    fi
    local out
    out=$("$wine32_loader" --version 2>&1) && return
    case $out in
        *"Exec format error"*) echo "this kernel cannot execute 32-bit programs ($wine32_loader: Exec format error)" ;;
        *) echo "the 32-bit Wine loader does not start: $(head -n 1 <<<"$out")" ;;
    esac
}

# Ends the calling test as skipped when 32-bit Windows code cannot run here.
skip_unless_wine32_runs() {
    local reason
    reason=$(wine32_unavailable_reason)
    if [ -n "$reason" ]; then
        echo "SKIPPED: $reason, so no 32-bit Windows code was run"
        exit 77
    fi
}
