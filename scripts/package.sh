#!/usr/bin/env bash
# Builds the Debian package from debian/ with dpkg-buildpackage: vxrmgr_<version>_<arch>.deb and
# its debugging symbols, vxrmgr-dbgsym_<version>_<arch>.deb, in the project folder (or
# $PKG_OUT_DIR). The build runs in a copy of the tree (the files git tracks or would track), so
# the build folder and debian/'s work files never land in the checkout; through ccache when it is
# installed. Prints the package's path as its last line.
#
# It needs only what debian/control's Build-Depends name (and build-essential, which every Debian
# package build assumes): no browser, Emscripten, Node or npm, and no network once those are
# installed. Missing ones are installed with apt-get, as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT_DIR=${PKG_OUT_DIR:-.}

# Build-Depends as one relation list, continuation lines joined.
build_depends() {
    awk '/^Build-Depends:/ { on = 1; sub(/^Build-Depends:/, ""); printf "%s", $0; next }
         on && /^[ \t]/ { printf "%s", $0; next }
         { on = 0 }' debian/control | sed 's/[[:space:]]\+/ /g; s/^ //; s/,[[:space:]]*$//'
}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }
if ! installed build-essential || ! installed dpkg-dev || ! dpkg-checkbuilddeps >/dev/null 2>&1; then
    echo "package: installing the build dependencies of debian/control" >&2
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends build-essential dpkg-dev
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get satisfy -y -qq --no-install-recommends "$(build_depends)"
fi
umask 022

# The project's version is the package's; the changelog must have an entry for it.
version=$(sed -n 's/^project(vxrmgr VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
changelog_version=$(dpkg-parsechangelog -l debian/changelog -S Version)
if [ "$version" != "$changelog_version" ]; then
    echo "package: CMakeLists.txt says $version, debian/changelog says $changelog_version" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)

# The copy is made in the same folder every time, one build at a time (a lock): Debian's flags name
# that folder (-ffile-prefix-map), so the compile lines repeat from one build to the next and
# ccache, when installed, hands back what the last build compiled. What the package holds is the
# same either way. The folder is removed afterwards.
work=${VXR_PACKAGE_BUILD_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vxrmgr-package}
mkdir -p "$(dirname "$work")"
exec 9>"$work.lock"
if ! flock -n 9; then
    echo "package: waiting for another package build to end" >&2
    flock 9
fi
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
src="$work/vxrmgr"
mkdir -p "$src"
if command -v ccache >/dev/null 2>&1; then
    # debhelper gives the build a HOME of its own: ccache is told where the user's cache and its
    # settings are (asked before CCACHE_DIR is set, which would change the answer).
    cache_dir=$(ccache --get-config cache_dir)
    config=$(ccache --show-stats --verbose | sed -n 's/^Config file: *//p')
    export CCACHE_DIR="$cache_dir"
    [ -z "$config" ] || export CCACHE_CONFIGPATH="$config"
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
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
if ! (cd "$src" && dpkg-buildpackage -us -uc -b -J"$(nproc)") >"$work/build.log" 2>&1; then
    tail -n 60 "$work/build.log" >&2
    echo "package: dpkg-buildpackage failed (the end of its output above)" >&2
    exit 1
fi

mkdir -p "$OUT_DIR"
for name in "vxrmgr-dbgsym_${version}_${arch}.deb" "vxrmgr_${version}_${arch}.deb"; do
    cp "$work/$name" "$OUT_DIR/"
    echo "$OUT_DIR/$name"
done
