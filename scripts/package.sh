#!/usr/bin/env bash
# Builds the Debian package from debian/ with dpkg-buildpackage: vxrmgr_<version>_<arch>.deb and
# its debugging symbols, vxrmgr-dbgsym_<version>_<arch>.deb, in the project folder (or
# $PKG_OUT_DIR). The build runs in a copy of the tree (the files git tracks or would track), so
# the build folder and debian/'s work files never land in the checkout. Prints the package's path
# as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
OUT_DIR=${PKG_OUT_DIR:-.}
umask 022

# The project's version is the package's; the changelog must have an entry for it.
version=$(sed -n 's/^project(vxrmgr VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
changelog_version=$(dpkg-parsechangelog -l debian/changelog -S Version)
if [ "$version" != "$changelog_version" ]; then
    echo "package: CMakeLists.txt says $version, debian/changelog says $changelog_version" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
src="$tmp/vxrmgr-$version"
mkdir "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Uncommitted edits are built too; files deleted but not yet committed are left out.
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$src"
else
    tar --exclude='./build*' --exclude='./vxrmgr_*.deb' --exclude='./vxrmgr-dbgsym_*.deb' -cf - . |
        tar -xf - -C "$src"
fi

# Output only when it fails: the last line must stay the package's path.
if ! (cd "$src" && dpkg-buildpackage -us -uc -b -J"$(nproc)") >"$tmp/build.log" 2>&1; then
    tail -n 60 "$tmp/build.log" >&2
    echo "package: dpkg-buildpackage failed (the end of its output above)" >&2
    exit 1
fi

mkdir -p "$OUT_DIR"
for name in "vxrmgr-dbgsym_${version}_${arch}.deb" "vxrmgr_${version}_${arch}.deb"; do
    cp "$tmp/$name" "$OUT_DIR/"
    echo "$OUT_DIR/$name"
done
