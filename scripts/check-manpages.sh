#!/usr/bin/env bash
# Checks that each program's manual page describes every option its --help prints: every word of
# the help text that looks like an option (-J, --model, --lang=, "-h, --help") must appear as a
# word of the page. Fails naming each one that is missing.
# Usage: scripts/check-manpages.sh [BINDIR [MANDIR [PROGRAM...]]]
#   defaults: build/bin, dist/man, the three programs; pages may be gzipped (PROGRAM.1.gz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
man=${2:-$root/dist/man}
shift $(($# < 2 ? $# : 2))
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(vxrmgr vxrmgr-cli vxr-sim)

# The page as plain words: roff's escaped minus and font changes removed.
page_text() {
    local page="$man/$1.1"
    [ -f "$page" ] || page="$page.gz"
    [ -f "$page" ] || { echo "check-manpages: no manual page $man/$1.1" >&2; return 1; }
    zcat -f "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(..//g'
}

# Options as the help shows them: a dash or two and a letter, after the line's start, a space or
# one of [ ( | , " '; the name ends before "=" or anything else that cannot be part of it.
help_options() {
    grep -oE "(^|[][ (|,\"'])--?[A-Za-z][A-Za-z0-9-]*" | sed -E "s/^[][ (|,\"']//" | sort -u
}

missing=0
for p in "${programs[@]}"; do
    # The pages are English: so is the help under the C locale.
    help=$(LC_ALL=C.UTF-8 LANGUAGE= QT_QPA_PLATFORM=offscreen timeout 10 "$bin/$p" --help 2>/dev/null) || {
        echo "check-manpages: $bin/$p --help failed" >&2; missing=1; continue; }
    options=$(help_options <<<"$help")
    if [ -z "$options" ]; then
        echo "check-manpages: $p --help names no options" >&2; missing=1; continue
    fi
    text=$(page_text "$p") || { missing=1; continue; }
    while IFS= read -r opt; do
        if ! grep -qE -- "(^|[^A-Za-z0-9-])$opt([^A-Za-z0-9-]|$)" <<<"$text"; then
            echo "check-manpages: $p --help prints $opt, $p(1) does not describe it" >&2
            missing=1
        fi
    done <<<"$options"
    echo "check-manpages: $p: $(wc -l <<<"$options") options"
done
exit "$missing"
