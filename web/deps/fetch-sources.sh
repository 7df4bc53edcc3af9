#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The C libraries the inventory page builds into its WebAssembly (zlib with
# its minizip, libxlsxwriter, expat) as Debian's source packages, unpacked in
# DIR/<package>. Emscripten's own ports download from elsewhere, which a
# machine that reaches only the package archive cannot. apt checks the
# checksums; the versions are those of the release the machine runs.
#
# The machine's APT configuration is only read: the source entries, the lists
# they bring and apt's caches live in a temporary folder, so nothing is added
# under /etc/apt or /var/lib/apt and no root is needed.
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

fail() {
    echo "fetch-sources: $*" >&2
    exit 1
}

# The archives the machine installs from, as apt itself reads them (one-line
# and deb822 files alike, wherever APT_CONFIG puts them), each as a deb-src
# line. Those whose release files say they are not Debian's are left out
# (before the first apt-get update nothing says so, and all are taken), and
# so is the security archive, whose sources not every mirror serves.
source_entries() {
    apt-get indextargets --format '$(TARGET_OF)|$(ORIGIN)|$(LABEL)|$(REPO_URI) $(RELEASE) $(COMPONENT)' |
        awk -F'|' '($1 == "deb" || $1 == "deb-src") && ($2 == "" || $2 == "Debian") && $3 != "Debian-Security" &&
                   $4 !~ /-security /' |
        awk -F'|' '{ sub(/ *$/, "", $4); print "deb-src " $4 }' | sort -u
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source_entries >"$work/sources.list"
if [ ! -s "$work/sources.list" ]; then
    eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
    fail "no Debian archive named in $list or in $parts*.list, *.sources"
fi

mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
# Run as root, apt downloads as _apt, which must reach the folders.
chmod 0755 "$work"
[ "$(id -u)" -eq 0 ] && chown _apt "$work/lists/partial" "$work/cache/archives/partial" "$work/download" 2>/dev/null || true
# After the system's configuration; the hooks of an update (which some
# packages add to refresh their own indexes) are the system's, not these lists'.
cat >"$work/apt.conf" <<EOF
Dir::Etc::SourceList "$work/sources.list";
Dir::Etc::SourceParts "$work/parts";
Dir::State::Lists "$work/lists";
Dir::Cache "$work/cache";
#clear APT::Update::Pre-Invoke;
#clear APT::Update::Post-Invoke;
#clear APT::Update::Post-Invoke-Success;
EOF
apt_get=(apt-get -c "$work/apt.conf" -q)

"${apt_get[@]}" update >"$work/log" 2>&1 || { cat "$work/log" >&2; fail "apt-get update of $work/sources.list failed"; }
mkdir -p "$dir"
for p in "${missing[@]}"; do
    (cd "$work/download" && "${apt_get[@]}" source --download-only "$p" &&
        dpkg-source -x "$p"_*.dsc "$p") >"$work/log" 2>&1 || { cat "$work/log" >&2; fail "could not fetch $p"; }
    mv "$work/download/$p" "$dir/$p"
done
