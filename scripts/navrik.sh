#!/usr/bin/env bash
# Installs what Navrik needs on Debian 12, builds it, and then either starts it or runs
# every test.
#   scripts/navrik.sh run     install, build, start Navrik
#   scripts/navrik.sh test    install, build, run the unit, widget and end-to-end tests
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxcb-keysyms1-dev
    fonts-ipafont-gothic
    libgtest-dev
    xvfb xauth xdotool xclip x11-utils imagemagick xterm
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# NAVRIK_WERROR=ON (set by CI) makes every warning an error.
build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNAVRIK_WERROR="${NAVRIK_WERROR:-OFF}" "$@"
    cmake --build build
}

case "${1:-}" in
run)
    install_missing
    build
    exec build/src/app/navrik
    ;;
test)
    install_missing
    build
    mkdir -p artifacts
    ctest --test-dir build --output-on-failure --timeout 300
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
