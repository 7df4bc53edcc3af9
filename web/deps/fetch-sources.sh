#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The C libraries the inventory page builds into its WebAssembly (zlib with
# its minizip, libxlsxwriter, expat) as Debian's source packages, unpacked in
# DIR/<package>. Emscripten's own ports download from elsewhere, which a
# machine that reaches only the package archive cannot. apt checks the
# checksums; the versions are those of the release the machine runs.
#
#   web/deps/fetch-sources.sh [--check] DIR
# With --check it only tells whether all are there (exit status 0).
set -euo pipefail
check=false
[ "$1" = --check ] && { check=true; shift; }
dir=$1
packages=(zlib libxlsxwriter expat)

missing=()
for p in "${packages[@]}"; do [ -d "$dir/$p" ] || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0
$check && exit 1

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
# apt-get source needs source entries beside the binary ones: those of the
# system's first deb822 entry, the release's main archive (its security
# archive serves no sources to every mirror).
list=/etc/apt/sources.list.d/korvel-deb-src.sources
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
    tmp=$(mktemp)
    for f in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$list" ] || continue
        grep -q 'debian' "$f" || continue
        awk '/^[[:space:]]*$/ { if (seen) exit; next } { seen = 1; sub(/^Types: *deb$/, "Types: deb-src"); print }' \
            "$f" >"$tmp"
        break
    done
    [ -s "$tmp" ] || { echo "fetch-sources: no Debian entry in /etc/apt/sources.list.d to copy" >&2; exit 1; }
    "${sudo[@]}" install -m 0644 "$tmp" "$list"
    rm -f "$tmp"
    "${sudo[@]}" apt-get update -qq -o DPkg::Lock::Timeout=600
fi

mkdir -p "$dir"
work=$(mktemp -d "$dir/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
for p in "${missing[@]}"; do
    (cd "$work" && apt-get source -qq --download-only "$p" >/dev/null 2>&1 &&
        dpkg-source -x "$p"_*.dsc "$p" >/dev/null 2>&1) || { echo "fetch-sources: could not fetch $p" >&2; exit 1; }
    mv "$work/$p" "$dir/$p"
done
