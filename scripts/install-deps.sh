#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
# A package index that fails to download is not fatal: the install goes on with the lists that
# are there. Only a package the build or the 64-bit tests need stops it. Wine's 32-bit half is
# optional: without it the 32-bit DLL is still built and checked, but not run.
set -euo pipefail

required=(
    cmake g++ make ninja-build pkg-config ccache libgtest-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64
    libsndfile1-dev amsynth
    # The factory previews and demo songs: their scripts, mixing and spectrograms, and the ZIP check.
    sox python3 unzip
    # The editor: drawing, the X11 window, fonts, and the headless screenshot and input tests.
    libcairo2-dev libx11-dev libfontconfig-dev fonts-liberation fonts-dejavu-core xvfb xauth imagemagick xdotool
    python3-cairo
    # The comma-decimal locale the validator makes for its locale test.
    locales
    # The LV2 build: its headers, lilv for the render host, and the LV2 tools and hosts the tests
    # prove the bundle in (jalv plays through a JACK server).
    lv2-dev liblilv-dev lilv-utils sordi jalv jackd2
    # The program morvelline: JACK and ALSA (PulseAudio and PipeWire through ALSA).
    libjack-jackd2-dev libasound2-dev
)
# Ardour renders the LV2 build in a real DAW session; large, so its test skips when it is absent.
optional_daw=ardour
optional_32_bit=wine32:i386

# (Outputs are read whole: grep -q closing a pipe early would fail the pipeline.)
installed() { [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == *"ok installed"* ]]; }
# A package apt can install: it has a candidate version in the lists at hand.
available() { grep -q '^ *Candidate: [^(]' <<<"$(apt-cache policy "$1" 2>/dev/null)"; }

missing=()
for p in "${required[@]}"; do
    installed "$p" || missing+=("$p")
done
want_32_bit=0
installed "$optional_32_bit" || want_32_bit=1
want_daw=0
installed "$optional_daw" || want_daw=1
[ ${#missing[@]} -eq 0 ] && [ $want_32_bit = 0 ] && [ $want_daw = 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
apt_options=(-q -o Acquire::Retries=4)

if [ $want_32_bit = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386 || true
fi

update_log=$(mktemp)
trap 'rm -f "$update_log"' EXIT
if ! "${sudo_cmd[@]}" apt-get update "${apt_options[@]}" >"$update_log" 2>&1; then
    echo "install-deps: apt-get update could not fetch every package index; going on with the lists that are there:"
    grep -E '^(E|Err):' "$update_log" | sed 's/^/  /' || true
fi

if [ ${#missing[@]} -gt 0 ]; then
    unavailable=()
    for p in "${missing[@]}"; do
        available "$p" || unavailable+=("$p")
    done
    if [ ${#unavailable[@]} -gt 0 ]; then
        echo "install-deps: cannot install ${unavailable[*]}: no package lists offer them." >&2
        echo "  Check the network and /etc/apt/sources.list, run 'apt-get update', then this script again." >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    if ! "${sudo_cmd[@]}" apt-get install -y "${apt_options[@]}" --no-install-recommends "${missing[@]}"; then
        still=()
        for p in "${missing[@]}"; do
            installed "$p" || still+=("$p")
        done
        echo "install-deps: apt-get could not install ${still[*]:-the packages above}." >&2
        echo "  Read apt-get's message above, mend the package sources, then run this script again." >&2
        exit 1
    fi
fi

if [ $want_32_bit = 1 ]; then
    if ! "${sudo_cmd[@]}" apt-get install -y "${apt_options[@]}" --no-install-recommends "$optional_32_bit" \
        >"$update_log" 2>&1; then
        echo "install-deps: $optional_32_bit could not be installed, so Morvelline_32.dll will be built but not run."
    fi
fi
if [ $want_daw = 1 ]; then
    if ! "${sudo_cmd[@]}" apt-get install -y "${apt_options[@]}" --no-install-recommends "$optional_daw" \
        >"$update_log" 2>&1; then
        echo "install-deps: $optional_daw could not be installed, so the LV2 build's Ardour test will be skipped."
    fi
fi
exit 0
