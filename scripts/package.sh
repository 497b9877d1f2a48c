#!/usr/bin/env bash
# Builds the Debian package: vxrmgr_<version>_<arch>.deb in the project folder (or $PKG_OUT_DIR).
# A Release build of the three programs with Debian's hardening flags into $PKG_BUILD_DIR
# (default build-pkg/), installed into a staging root with stripped programs and compressed manual
# pages and changelog; the dependencies are those the shared-library scan (dpkg-shlibdeps) finds,
# plus the CJK font the Japanese texts need. Prints the package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${PKG_BUILD_DIR:-build-pkg}
OUT_DIR=${PKG_OUT_DIR:-.}
umask 022

# The project's version is the package's; the changelog must have an entry for it.
version=$(sed -n 's/^project(vxrmgr VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
changelog_version=$(dpkg-parsechangelog -l dist/debian/changelog -S Version)
if [ "$version" != "$changelog_version" ]; then
    echo "package: CMakeLists.txt says $version, dist/debian/changelog says $changelog_version" >&2
    exit 1
fi
maintainer=$(dpkg-parsechangelog -l dist/debian/changelog -S Maintainer)
arch=$(dpkg --print-architecture)
# Repeatable builds: dates inside the package follow the changelog entry.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l dist/debian/changelog -S Timestamp)
export SOURCE_DATE_EPOCH

# Debian's optimisation and hardening flags; CMake reads no CPPFLAGS, so they join CXXFLAGS.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
# Given explicitly: the environment only seeds a new build folder's cache.
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
      -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
      -DVXR_BUILD_TESTS=OFF -DVXR_SANITIZE= -DVXR_WERROR=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" >/dev/null

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# The layout dpkg-shlibdeps expects: debian/control, and the package's files in debian/vxrmgr.
mkdir -p "$stage/debian"
printf 'Source: vxrmgr\n\nPackage: vxrmgr\nArchitecture: any\n' >"$stage/debian/control"
root="$stage/debian/vxrmgr"
DESTDIR="$root" cmake --install "$BUILD_DIR" --strip >/dev/null
strip --remove-section=.comment --remove-section=.note "$root"/usr/bin/*

doc="$root/usr/share/doc/vxrmgr"
install -d "$doc"
install -m 644 dist/debian/copyright "$doc/copyright"
gzip -9n -c dist/debian/changelog >"$doc/changelog.gz"
gzip -9n "$root"/usr/share/man/man1/*.1

install -d "$root/DEBIAN"
shlibs=$(cd "$stage" && dpkg-shlibdeps -O debian/vxrmgr/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
# The font is loaded by name and Qt's own Japanese texts as translations at run time: no
# library scan can find either.
depends="$shlibs, fonts-noto-cjk"

installed_size=$(du -sk --apparent-size "$root" | cut -f1)
sed -e "s|@VERSION@|$version|" -e "s|@ARCH@|$arch|" -e "s|@MAINTAINER@|$maintainer|" \
    -e "s|@INSTALLED_SIZE@|$installed_size|" -e "s|@DEPENDS@|$depends|" \
    dist/debian/control.in >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$OUT_DIR"
deb="$OUT_DIR/vxrmgr_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
