#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Navrik needs on Debian 12, builds it, and then either starts it or runs
# every test.
#   scripts/navrik.sh run     install, build, start Navrik
#   scripts/navrik.sh test    install, build, run the unit, widget, end-to-end, install and
#                             package tests
set -euo pipefail
cd "$(dirname "$0")/.."

# What building Navrik and its Debian package (README, Install) and running it need; Qt's
# translation tools compile the English translation into the program.
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libx11-dev libxcb1-dev libxcb-keysyms1-dev
    qt6-tools-dev qt6-l10n-tools
    libwayland-dev libwayland-bin libicu-dev fonts-ipafont-gothic
    librsvg2-bin scdoc gzip file dpkg-dev
)
# Only the tests use these: GoogleTest and the session libraries of the tests' own session
# manager; Xvfb, the pointer, key, clipboard and window tools and the screenshots of the
# end-to-end tests, with the window manager, the terminal and the private session bus some of
# them start, and the Wayland compositors (sway, KWin, mutter) of others, with xhost to let the
# test's user into their XWayland; the accessibility bus and the screen reader's client library
# that reads Navrik's controls through it; the validators of the install tree and lintian; the
# extended attribute and ACL tools of the settings file tests.
test_packages=(
    libgtest-dev libsm-dev libice-dev
    xvfb xdotool xclip x11-utils imagemagick
    openbox wmctrl xterm dbus-daemon dbus-bin netcat-openbsd
    at-spi2-core python3-pyatspi
    desktop-file-utils appstream man-db lintian
    attr acl
    sway xwayland wl-clipboard qt6-wayland kwin-wayland mutter x11-xserver-utils
)
# Only the fuzz step of the tests: clang with its libFuzzer and sanitizer runtimes (some 250 MB).
fuzz_packages=(clang libclang-rt-14-dev)

# install_missing PACKAGE...: installs those not installed yet, without the packages they only
# recommend (KWin's would bring the rest of the Plasma desktop, some 650 MB; mutter's, media
# codecs and portals, some 220 MB), so the tests pass on a machine that has only what is listed
# here.
install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure ON|OFF: the build folder, with or without the tests. NAVRIK_WERROR=ON (set by CI)
# makes every warning an error.
configure() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNAVRIK_BUILD_TESTS="$1" \
        -DNAVRIK_WERROR="${NAVRIK_WERROR:-OFF}"
}

case "${1:-}" in
run)
    install_missing "${packages[@]}"
    configure OFF
    cmake --build build --target navrik
    exec build/src/app/navrik
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}"
    configure ON
    cmake --build build
    ctest --test-dir build --output-on-failure --timeout 300
    # The core's fuzz targets, a short smoke run each, built with clang's libFuzzer.
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DNAVRIK_FUZZ=ON -DNAVRIK_WERROR="${NAVRIK_WERROR:-OFF}"
    cmake --build build-fuzz
    ctest --test-dir build-fuzz --output-on-failure
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
