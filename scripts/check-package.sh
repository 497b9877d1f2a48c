#!/usr/bin/env bash
# Checks a built package (scripts/package.sh) with the ecosystem's own tools and starts it from an
# unpacked copy: the desktop entry (desktop-file-validate), the metainfo (appstreamcli, which
# needs no network: it names no web address), the file type (update-mime-database), the package
# and its debugging symbols beside it (lintian, failing on errors and warnings), the manual pages
# against the programs' --help and the troubleshooting notes vxrmgr(1) points to, each program's
# --version against the package's; then the window under the offscreen platform, which must keep
# running, keep its settings in XDG_CONFIG_HOME and write nothing beside the program.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:?usage: scripts/check-package.sh vxrmgr_VERSION_ARCH.deb}
id=org.vxrmgr.VxrManager

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
dpkg-deb -x "$deb" "$root"

echo "check-package: desktop entry, metainfo, file type"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate "$root/usr/share/metainfo/$id.metainfo.xml"
mkdir -p "$tmp/mime/packages"
cp "$root/usr/share/mime/packages/$id.xml" "$tmp/mime/packages/"
XDG_DATA_DIRS="$tmp" update-mime-database "$tmp/mime"  # in the search path: no note about it
grep -q '^50:application/x-vxrmgr-settings:\*\.vxs$' "$tmp/mime/globs2"
grep -q ':application/x-vxrmgr-settings:\*\.VXS:cs$' "$tmp/mime/globs2"

echo "check-package: lintian"
debs=("$deb")
dbgsym="$(dirname "$deb")/$(basename "$deb" | sed 's/^vxrmgr_/vxrmgr-dbgsym_/')"
[ -f "$dbgsym" ] && debs+=("$dbgsym")
rc=0
lintian --fail-on error,warning "${debs[@]}" >"$tmp/lintian.log" 2>&1 || rc=$?
grep -v 'running with root privileges' "$tmp/lintian.log" || true
if [ "$rc" -ne 0 ]; then
    echo "check-package: lintian found errors or warnings" >&2
    exit 1
fi

echo "check-package: manual pages and documentation"
bin="$root/usr/bin"
scripts/check-manpages.sh "$bin" "$root/usr/share/man/man1"
notes=$(zcat "$root/usr/share/man/man1/vxrmgr.1.gz" | grep -o '/usr/share/doc/[^ ]*\.md' | head -n 1)
if [ -z "$notes" ] || ! grep -q 'dialout' "$root$notes" 2>/dev/null; then
    echo "check-package: vxrmgr(1) points to '$notes', which does not hold the port notes" >&2
    exit 1
fi

echo "check-package: the unpacked programs"
version=$(dpkg-deb -f "$deb" Version)
for p in vxrmgr vxrmgr-cli vxr-sim; do
    said=$(QT_QPA_PLATFORM=offscreen timeout 10 "$bin/$p" --version)
    if [ "$said" != "$p $version" ]; then
        echo "check-package: $p --version says '$said', the package is version $version" >&2
        exit 1
    fi
done

listing() { (cd "$root" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }
before=$(listing)
export XDG_CONFIG_HOME="$tmp/config"
# The start ends in the port's message, which waits for the user: the window is still running
# when the time is up, and is ended then.
rc=0
QT_QPA_PLATFORM=offscreen timeout 10 "$bin/vxrmgr" -E >"$tmp/vxrmgr.log" 2>&1 || rc=$?
if [ "$rc" -ne 124 ]; then
    cat "$tmp/vxrmgr.log" >&2
    echo "check-package: vxrmgr ended by itself (exit status $rc) instead of running" >&2
    exit 1
fi
if [ ! -f "$XDG_CONFIG_HOME/vxrmgr/VXRMGR.ini" ]; then
    echo "check-package: vxrmgr did not keep its settings in \$XDG_CONFIG_HOME/vxrmgr/" >&2
    exit 1
fi
if [ "$(listing)" != "$before" ]; then
    diff <(echo "$before") <(listing) >&2 || true
    echo "check-package: vxrmgr wrote into the folder it was installed into" >&2
    exit 1
fi
echo "check-package: passed"
