#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, then starts korvel (`run`), runs every
# test (`test`), makes the Debian packages (`package`) or builds the page (and
# build-web/korvel.html, the page in one file) and serves it on
# http://localhost:8080/ (`web`). Each command installs only the package
# groups it needs and prints one line per phase; the output of a phase that
# fails is shown in full. With CI=true warnings are errors, the tests run a
# second time in an AddressSanitizer + UndefinedBehaviorSanitizer build, the
# fuzz targets run for a short while, and the packages are built and checked.
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages by what needs them.
# run: building and starting the window (its compiler, Qt and its X11
# platform plugins, the libraries it links (libxlsxwriter links zlib, whose
# -dev package it does not bring; minizip and expat read workbooks), its font
# and Qt's Russian texts).
run_packages=(g++ cmake ninja-build pkg-config qt6-base-dev libxcb1-dev libxlsxwriter-dev zlib1g-dev
              libminizip-dev libexpat1-dev libgumbo-dev fonts-liberation2 qt6-translations-l10n)
# test: the native tests and benchmarks, the windows under a real window
# manager, the regional settings they switch between, exported documents read
# back, the fuzz targets (clang's libFuzzer), the report view beside Chromium.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth openbox xdotool x11-utils locales libzip-dev
               clang libclang-rt-14-dev nodejs chromium)
# web: the pages (their compiler, dpkg-source for the C libraries the inventory
# page builds from Debian's source packages, and the GoogleTest sources the
# tests' WebAssembly build compiles); their tests drive the Chromium of the
# test group.
web_packages=(cmake ninja-build emscripten nodejs googletest dpkg-dev)
# package: the Debian packages and their checks (cpack needs file and
# dpkg-shlibdeps).
package_packages=(dpkg-dev file lintian desktop-file-utils appstream)

phase() { echo "== $*"; }

# quietly LOG COMMAND...: runs COMMAND with its output in LOG, shown only if it fails.
quietly() {
    local log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        echo "dev.sh: failed: $*" >&2
        return 1
    fi
}

install_missing() {  # install_missing GROUP PACKAGE...
    local group=$1 missing=()
    shift
    for p in "$@"; do  # a package whose triggers are still to run is there
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -Eq 'install ok (installed|triggers-)' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    phase "Installing the $group packages: ${missing[*]} (and what they need)"
    # env carries DEBIAN_FRONTEND through sudo; apt waits for a lock another
    # installation holds.
    local log
    log=$(mktemp)
    quietly "$log" "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive sh -c \
        'apt-get update -qq -o DPkg::Lock::Timeout=600 &&
         apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "$@"' apt "${missing[@]}"
    rm -f "$log"
}

build() {  # build DIR TARGET [cmake options...]
    local dir=$1 target=$2
    shift 2
    mkdir -p "$dir"
    phase "Building $target in $dir/"
    quietly "$dir/configure.log" cmake -S . -B "$dir" -G Ninja "$@"
    quietly "$dir/build.log" cmake --build "$dir" -j "$(nproc)" --target "$target"
}

build_web() {  # build_web TARGET: the pages (and their tests' programs) in build-web/
    # The C libraries of the inventory page, from Debian's source packages.
    if ! web/deps/fetch-sources.sh --check build-web/sources; then
        phase "Fetching the inventory page's C libraries (Debian source packages: zlib, libxlsxwriter, expat)"
        mkdir -p build-web
        quietly build-web/fetch.log web/deps/fetch-sources.sh build-web/sources
    fi
    export NODE_PATH=/usr/share/nodejs  # em++'s optimiser needs Debian's acorn
    mkdir -p build-web
    phase "Building $1 in build-web/ (WebAssembly)"
    quietly build-web/configure.log emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DKORVEL_WERROR=$werror -DKORVEL_TESTS=ON
    quietly build-web/build.log cmake --build build-web -j "$(nproc)" --target "$1"
}

# esbuild for the pages' scripts, puppeteer-core and axe-core for the page's
# tests and benchmarks and the report view's test, as the lockfile pins them.
# False, with the reason said, when the npm registry cannot be reached.
web_tools() {
    cmp -s web/package-lock.json web/node_modules/.installed-lock && return 0
    # Debian's own nodejs comes without npm; the registry's nodejs has it built in.
    command -v npm >/dev/null || install_missing web npm
    phase "Installing the page's test tools from the npm registry (npm ci)"
    if ! (cd web && npm ci --no-audit --no-fund --loglevel=error); then
        echo "dev.sh: npm ci failed (is the npm registry reachable?): the page's tests and the report view's" \
             "comparison with Chromium cannot run" >&2
        return 1
    fi
    cp web/package-lock.json web/node_modules/.installed-lock
}

package() {  # package DIR: the .deb files of a built folder, checked
    phase "Packaging $1/"
    (cd "$1" && rm -f ./*.deb && quietly cpack.log cpack -G DEB)
    packaging/check-packages.sh "$1"/*.deb
}

werror=OFF
[ "${CI:-}" = true ] && werror=ON
# Every option is given, so that no folder keeps what an earlier command configured.
release=(-DCMAKE_BUILD_TYPE=Release -DKORVEL_WERROR=$werror -DKORVEL_SANITIZE=OFF -DKORVEL_GUI=ON)

case "${1:-}" in
    run)
        install_missing run "${run_packages[@]}"
        build build korvel "${release[@]}" -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF -DKORVEL_WEB_BUILD=
        phase "Starting build/app/korvel"
        exec ./build/app/korvel
        ;;
    test)
        install_missing run "${run_packages[@]}"
        install_missing test "${test_packages[@]}"
        install_missing web "${web_packages[@]}"
        [ "${CI:-}" = true ] && install_missing package "${package_packages[@]}"
        # The page's tools come from the npm registry: without them the native
        # tests still run, and the run fails at the end.
        tools=ok
        web_tools || tools=missing
        if [ "${CI:-}" = true ]; then
            build build-san all -DCMAKE_BUILD_TYPE=Debug -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON -DKORVEL_GUI=ON \
                                -DKORVEL_TESTS=ON -DKORVEL_BENCH=OFF
            phase "Testing build-san/ (AddressSanitizer, UndefinedBehaviorSanitizer)"
            (cd build-san && ctest --output-on-failure -j "$(nproc)")
            CC=clang CXX=clang++ build build-fuzz all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WERROR=ON -DKORVEL_FUZZ=ON
            phase "Fuzzing (build-fuzz/)"
            (cd build-fuzz && ctest --output-on-failure -j 3)
        fi
        web_build=
        if [ "$tools" = ok ]; then
            # The page: the core's own tests under Node, the page in headless Chromium.
            build_web all
            phase "Testing build-web/ (the core under Node, the page in Chromium)"
            (cd build-web && ctest --output-on-failure -j "$(nproc)")
            web_build=$PWD/build-web  # the page the korvel package carries
        fi
        build build all "${release[@]}" -DKORVEL_TESTS=ON -DKORVEL_BENCH=ON -DKORVEL_WEB_BUILD="$web_build"
        if [ "${CI:-}" = true ]; then
            package build
            # korvel-batch alone, without Qt (the last -D of an option wins).
            build build-batch all "${release[@]}" -DKORVEL_GUI=OFF -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF
            package build-batch
            phase "Building the packages twice, from two folders: the same files"
            packaging/check-reproducible.sh build
        fi
        # Last, so that the run ends with ctest's summary.
        phase "Testing build/"
        status=0
        (cd build && ctest --output-on-failure -j "$(nproc)") || status=$?
        if [ "$tools" != ok ]; then
            echo "dev.sh: the page's tests did not run: npm ci failed" >&2
            exit 1
        fi
        exit "$status"
        ;;
    package)
        install_missing run "${run_packages[@]}"
        install_missing web "${web_packages[@]}"
        install_missing package "${package_packages[@]}"
        web_tools
        build_web korvel_page  # the page korvel carries
        build build-package all "${release[@]}" -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF \
            -DKORVEL_WEB_BUILD="$PWD/build-web"
        package build-package
        ;;
    web)
        install_missing web "${web_packages[@]}"
        web_tools
        build_web korvel_page
        echo "korvel: the page in one file is build-web/korvel.html"
        phase "Serving build-web/site/ on http://localhost:8080/"
        exec node web/serve.mjs build-web/site 8080
        ;;
    *)
        echo "usage: $0 run|test|package|web" >&2
        exit 2
        ;;
esac
