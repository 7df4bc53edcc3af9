#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, then starts korvel (`run`), runs every
# test (`test`) or serves the page on http://localhost:8080/ (`web`). With
# CI=true warnings are errors and the tests run a second time in an
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth fonts-dejavu-core fonts-liberation2 locales)
packages+=(dpkg-dev)  # dpkg-shlibdeps, for the Debian package that cpack builds
packages+=(emscripten nodejs chromium)  # the page: its compiler, Node for its tools, a browser for its tests

install_missing() {  # install_missing PACKAGE...
    local missing=()
    for p in "$@"; do
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

install_all() {
    install_missing "${packages[@]}"
    # Debian's own nodejs comes without npm; the registry's nodejs has it built in.
    command -v npm >/dev/null || install_missing npm
}

build_web() {  # build_web TARGET: the page (and the tests' programs) in build-web/
    export NODE_PATH=/usr/share/nodejs  # em++'s optimiser needs Debian's acorn
    emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror >/dev/null
    cmake --build build-web -j "$(nproc)" --target "$1"
}

web_tools() {  # puppeteer-core for the page's tests and benchmark, as the lockfile pins it
    cmp -s web/package-lock.json web/node_modules/.installed-lock && return 0
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
    cp web/package-lock.json web/node_modules/.installed-lock
}

werror=OFF
[ "${CI:-}" = true ] && werror=ON

case "${1:-}" in
    run)
        install_all
        build build korvel -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror
        exec ./build/app/korvel
        ;;
    test)
        install_all
        web_tools
        if [ "${CI:-}" = true ]; then
            build build-san all -DCMAKE_BUILD_TYPE=Debug -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON -DKORVEL_BENCH=OFF
            (cd build-san && ctest --output-on-failure -j "$(nproc)")
        fi
        # The page: the core's tests under Node, the page in headless Chromium.
        build_web all
        (cd build-web && ctest --output-on-failure -j "$(nproc)")
        build build all -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror
        cd build && exec ctest --output-on-failure -j "$(nproc)"
        ;;
    web)
        install_all
        build_web korvel_page
        exec node web/serve.mjs build-web/site 8080
        ;;
    *)
        echo "usage: $0 run|test|web" >&2
        exit 2
        ;;
esac
