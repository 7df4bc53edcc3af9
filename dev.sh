#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, then starts korvel (`run`), runs every
# test (`test`), makes the Debian packages (`package`) or builds the page (and
# build-web/korvel.html, the page in one file) and serves it on
# http://localhost:8080/ (`web`). With CI=true warnings are errors, the tests
# run a second time in an AddressSanitizer + UndefinedBehaviorSanitizer build,
# the fuzz targets run for a short while, and the packages are built and
# checked.
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth fonts-dejavu-core fonts-liberation2 locales)
# Packaging: cpack needs file and dpkg-shlibdeps; the rest checks the packages.
packages+=(dpkg-dev file lintian desktop-file-utils appstream)
packages+=(clang libclang-rt-14-dev)  # libFuzzer, for the fuzz targets
packages+=(qt6-translations-l10n)  # Qt's own dialogs in the user's language
packages+=(libxcb1-dev)  # asks the X11 window manager for a window's frame before showing it
packages+=(libzip-dev)  # tests: exported documents and XLSX tables read back
packages+=(openbox xdotool x11-utils)  # tests: both windows centred under a real window manager
packages+=(libxlsxwriter-dev)  # XLSX tables
# The page: its compiler, Node for its tools, a browser for its tests, and the
# GoogleTest sources that its tests' WebAssembly build compiles.
packages+=(emscripten nodejs chromium googletest)

install_missing() {  # install_missing PACKAGE...
    local missing=()
    for p in "$@"; do  # a package whose triggers are still to run is there
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -Eq 'install ok (installed|triggers-)' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    local log
    log=$(mktemp)
    # env carries DEBIAN_FRONTEND through sudo; apt waits for a lock another
    # installation holds; dpkg's progress goes to the log, shown only on failure.
    if ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive sh -c 'apt-get update -qq -o DPkg::Lock::Timeout=600 &&
            apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "$@"' apt "${missing[@]}" \
            >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    grep 'newly installed' "$log" || true
    rm -f "$log"
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

build_web() {  # build_web TARGET: the page (and its tests' programs) in build-web/
    export NODE_PATH=/usr/share/nodejs  # em++'s optimiser needs Debian's acorn
    emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror -DKORVEL_TESTS=ON \
        >/dev/null
    cmake --build build-web -j "$(nproc)" --target "$1"
}

web_tools() {  # esbuild for the pages' scripts, puppeteer-core and axe-core for their tests, as the lockfile pins them
    cmp -s web/package-lock.json web/node_modules/.installed-lock && return 0
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
    cp web/package-lock.json web/node_modules/.installed-lock
}

package() {  # package DIR: the .deb files of a built folder, checked
    (cd "$1" && rm -f ./*.deb && { cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }; })
    packaging/check-packages.sh "$1"/*.deb
}

werror=OFF
[ "${CI:-}" = true ] && werror=ON
# Every option is given, so that no folder keeps what an earlier command configured.
release=(-DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror -DKORVEL_SANITIZE=OFF -DKORVEL_GUI=ON)

case "${1:-}" in
    run)
        install_all
        build build korvel "${release[@]}" -DKORVEL_TESTS=ON -DKORVEL_BENCH=ON -DKORVEL_WEB_BUILD=
        exec ./build/app/korvel
        ;;
    test)
        install_all
        web_tools
        if [ "${CI:-}" = true ]; then
            build build-san all -DCMAKE_BUILD_TYPE=Debug -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON -DKORVEL_GUI=ON \
                                -DKORVEL_TESTS=ON -DKORVEL_BENCH=OFF
            (cd build-san && ctest --output-on-failure -j "$(nproc)")
            CC=clang CXX=clang++ build build-fuzz all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WERROR=ON -DKORVEL_FUZZ=ON
            (cd build-fuzz && ctest --output-on-failure -j 3)
        fi
        # The page: the core's own tests under Node, the page in headless Chromium.
        build_web all
        (cd build-web && ctest --output-on-failure -j "$(nproc)")
        build build all "${release[@]}" -DKORVEL_TESTS=ON -DKORVEL_BENCH=ON -DKORVEL_WEB_BUILD="$PWD/build-web"
        if [ "${CI:-}" = true ]; then
            package build
            # korvel-batch alone, without Qt (the last -D of an option wins).
            build build-batch all "${release[@]}" -DKORVEL_GUI=OFF -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF
            package build-batch
        fi
        # Last, so that the run ends with ctest's summary.
        cd build && exec ctest --output-on-failure -j "$(nproc)"
        ;;
    package)
        install_all
        web_tools
        build_web korvel_page  # the page korvel carries
        build build-package all "${release[@]}" -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF -DKORVEL_WEB_BUILD="$PWD/build-web"
        package build-package
        ;;
    web)
        install_all
        web_tools
        build_web korvel_page
        echo "korvel: the page in one file is build-web/korvel.html"
        exec node web/serve.mjs build-web/site 8080
        ;;
    *)
        echo "usage: $0 run|test|package|web" >&2
        exit 2
        ;;
esac
