#!/usr/bin/env bash
# Every file or folder that debian/copyright names is in the source tree: the statement about
# a file is about one the package is built from.
set -euo pipefail
root=$1
paths=$(grep -oE '(dist|src|fuzz|scripts|tests|web|tools)/[A-Za-z0-9._/-]*[A-Za-z0-9/]' "$root/debian/copyright" | sort -u)
[ -n "$paths" ] || { echo "no paths found in debian/copyright" >&2; exit 1; }
status=0
for p in $paths; do
    [ -e "$root/$p" ] || { echo "debian/copyright names $p, which is not there" >&2; status=1; }
done
exit $status
