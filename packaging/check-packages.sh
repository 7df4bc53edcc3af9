#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian packages given (korvel and/or korvel-batch): each holds
# exactly the files listed here, korvel-batch depends on nothing of Qt, the
# desktop entries (the window's and the page's) and the AppStream metainfo
# validate, the page's entry opens a one-file page it holds, the programs show the
# packaged version, and lintian finds no error or warning.
set -euo pipefail

fail() {
    echo "check-packages: $*" >&2
    exit 1
}

expected_files() {  # expected_files PACKAGE
    local doc=usr/share/doc/$1
    echo "usr/bin/$1" "usr/share/man/man1/$1.1.gz" "usr/share/man/ru/man1/$1.1.gz" "usr/share/lintian/overrides/$1"
    echo "$doc/README.md.gz" "$doc/changelog.Debian.gz" "$doc/copyright"
    case $1 in
        korvel-batch)
            echo "$doc/examples/stations.csv"
            ;;
        korvel)
            echo usr/libexec/korvel/korvel-xlsx.so
            echo usr/share/applications/korvel.desktop usr/share/metainfo/org.example.korvel.metainfo.xml
            echo usr/share/applications/korvel-web.desktop
            echo usr/share/korvel/web/{index.html,korvel-core.wasm,korvel-core.wasm.js,korvel-32.png}
            echo usr/share/korvel/web/{inventory.html,korvel-inventory.wasm,korvel-inventory.wasm.js}
            echo usr/share/korvel/web/korvel.html
            echo usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/korvel.png
            echo usr/share/icons/hicolor/scalable/apps/korvel.svg
            ;;
        *)
            fail "unknown package $1"
            ;;
    esac
}

# 2.3.0.45-1 -> 2.03.0045
display_version() {
    local major minor patch tweak
    IFS=. read -r major minor patch tweak <<<"${1%-*}"
    printf '%d.%02d.%04d' "$major" "$minor" "$tweak"
}

check_korvel_batch() {  # check_korvel_batch DEB ROOT VERSION
    if dpkg-deb -f "$1" Depends | grep -qi qt; then fail "$1 depends on Qt: $(dpkg-deb -f "$1" Depends)"; fi
    [ "$("$2/usr/bin/korvel-batch" --version)" = "korvel-batch $(display_version "$3")" ] ||
        fail "korvel-batch --version does not show $3"
}

check_korvel() {  # check_korvel DEB ROOT VERSION
    local root=$2 display
    display=$(display_version "$3")
    local hints entry page
    for entry in korvel korvel-web; do
        hints=$(desktop-file-validate "$root/usr/share/applications/$entry.desktop" 2>&1) && [ -z "$hints" ] ||
            fail "desktop-file-validate $entry.desktop: $hints"
        grep -qx "X-Korvel-Version=$display" "$root/usr/share/applications/$entry.desktop" ||
            fail "$entry.desktop does not show version $display"
    done
    # The page's entry opens a page the package holds, which needs no other file.
    page=$(sed -n 's|^Exec=xdg-open /||p' "$root/usr/share/applications/korvel-web.desktop")
    [ -f "$root/$page" ] || fail "korvel-web.desktop opens /$page, which the package does not hold"
    if grep -Eq '(src|href)="[^"d#][^"]*"' "$root/$page"; then
        fail "/$page loads files of its own: $(grep -Eo '(src|href)="[^"d#][^"]*"' "$root/$page" | head -3)"
    fi
    appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.example.korvel.metainfo.xml" >/dev/null ||
        fail "appstreamcli: $(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml)"
    grep -q "<release version=\"${3%-*}\"" "$root/usr/share/metainfo/org.example.korvel.metainfo.xml" ||
        fail "the metainfo has no release ${3%-*}"
    [[ "$(env -u QT_QPA_PLATFORM "$root/usr/bin/korvel" --version)" == "korvel $display ("* ]] ||
        fail "korvel --version does not show $display"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for deb in "$@"; do
    name=$(dpkg-deb -f "$deb" Package)
    version=$(dpkg-deb -f "$deb" Version)
    root=$work/$name
    dpkg-deb -x "$deb" "$root"
    diff -u <(expected_files "$name" | tr ' ' '\n' | sort) <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) ||
        fail "$deb: the files differ from the list (- expected, + packaged)"
    "check_${name//-/_}" "$deb" "$root" "$version"
    echo "$deb: $(find "$root" ! -type d | wc -l) files, checked"
done
status=0
report=$(lintian --fail-on error,warning --display-info "$@" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings"
