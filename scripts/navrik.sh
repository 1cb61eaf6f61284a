#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Navrik needs on Debian 12, builds it, and then either starts it or runs
# every test.
#   scripts/navrik.sh run     install, build, start Navrik
#   scripts/navrik.sh test    install, build, run the unit, widget, end-to-end, install and
#                             package tests
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxcb-keysyms1-dev
    libwayland-dev libwayland-bin
    fonts-ipafont-gothic
    libgtest-dev libicu-dev clang libclang-rt-14-dev libsm-dev libice-dev
    xvfb xauth xdotool xclip x11-utils imagemagick
    librsvg2-bin scdoc gzip
)
# Only the tests use these: the validators of the install tree, the Debian package tools, the
# extended attribute and ACL tools of the settings file tests, and the window manager, the
# terminal and the private session bus of the end-to-end tests.
test_packages=(
    desktop-file-utils appstream man-db file dpkg-dev lintian
    attr acl
    openbox wmctrl x11-xserver-utils xterm dbus-daemon dbus-bin
    sway xwayland wl-clipboard qt6-wayland
)
# The Wayland end-to-end tests' KWin, without what it recommends (the rest of the Plasma
# desktop, some 650 MB).
test_packages_lean=(kwin-wayland)

# install_missing [--no-install-recommends] PACKAGE...
install_missing() {
    local options=()
    [[ ${1:-} == --no-install-recommends ]] && { options=("$1"); shift; }
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}"
}

# NAVRIK_WERROR=ON (set by CI) makes every warning an error.
configure() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNAVRIK_WERROR="${NAVRIK_WERROR:-OFF}"
}

case "${1:-}" in
run)
    install_missing "${packages[@]}"
    configure
    cmake --build build --target navrik
    exec build/src/app/navrik
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    install_missing --no-install-recommends "${test_packages_lean[@]}"
    configure
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
