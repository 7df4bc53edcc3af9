#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, then starts korvel (`run`) or runs every
# test (`test`). With CI=true warnings are errors and the tests run a second
# time in an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth fonts-dejavu-core fonts-liberation2 locales)
packages+=(dpkg-dev)  # dpkg-shlibdeps, for the Debian package that cpack builds
packages+=(clang libclang-rt-14-dev)  # libFuzzer, for the fuzz targets
packages+=(qt6-translations-l10n)  # Qt's own dialogs in the user's language
packages+=(libxcb1-dev)  # asks the X11 window manager for a window's frame before showing it
packages+=(libzip-dev)  # tests: exported documents read back
packages+=(openbox xdotool x11-utils)  # tests: both windows centred under a real window manager

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {  # build DIR TARGET [cmake options...]
    local dir=$1 target=$2; shift 2
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target "$target"
}

werror=OFF
[ "${CI:-}" = true ] && werror=ON

case "${1:-}" in
    run)
        install_missing
        build build korvel -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror
        exec ./build/app/korvel
        ;;
    test)
        install_missing
        if [ "${CI:-}" = true ]; then
            build build-san all -DCMAKE_BUILD_TYPE=Debug -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON -DKORVEL_BENCH=OFF
            (cd build-san && ctest --output-on-failure -j "$(nproc)")
            CC=clang CXX=clang++ build build-fuzz all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WERROR=ON -DKORVEL_FUZZ=ON
            (cd build-fuzz && ctest --output-on-failure -j 3)
        fi
        build build all -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror
        cd build && exec ctest --output-on-failure -j "$(nproc)"
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
