#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the packages a second time, from a copy of the sources in another
# folder with other file times, and checks that they are the same, byte for
# byte, as those of the build folder given (its cpack already ran).
#
#   packaging/check-reproducible.sh build
set -euo pipefail
cd "$(dirname "$0")/.."
first=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sources as the repository holds them, checked out anew: new file times.
mkdir -p "$work/src"
git ls-files -z | xargs -0 tar -c | tar -x -C "$work/src"
find "$work/src" -exec touch -d '2001-01-01 00:00' {} +
# The same build type and the same page (the WebAssembly build is not repeated).
options=$(sed -n -e 's/^CMAKE_BUILD_TYPE:STRING=\(.*\)/-DCMAKE_BUILD_TYPE=\1/p' \
                 -e 's/^KORVEL_WEB_BUILD:[A-Z]*=\(.*\)/-DKORVEL_WEB_BUILD=\1/p' "$first/CMakeCache.txt")
cmake -S "$work/src" -B "$work/build" -G Ninja $options -DKORVEL_GUI=ON -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }
(cd "$work/build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }

status=0
for deb in "$first"/*.deb; do
    second=$work/build/$(basename "$deb")
    if cmp -s "$deb" "$second"; then
        echo "$(basename "$deb"): the same from both builds"
        continue
    fi
    status=1
    echo "$(basename "$deb"): the two builds differ" >&2
    name=$(basename "$deb" .deb)
    dpkg-deb -R "$deb" "$work/$name.one" && dpkg-deb -R "$second" "$work/$name.two"
    diff -r "$work/$name.one" "$work/$name.two" >&2 || true
    diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "$second") >&2 || true
done
exit $status
