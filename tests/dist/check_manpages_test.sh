#!/usr/bin/env bash
# scripts/check-manpages.sh against a made-up program: which words of a help text count as
# options, that a page lacking one fails and names exactly that one, and gzipped pages.
set -euo pipefail
check=${1:?usage: check_manpages_test.sh path/to/check-manpages.sh}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" "$tmp/man"
cat >"$tmp/bin/tool" <<'HELP'
#!/bin/sh
cat <<'TEXT'
Usage: tool [-J|-E] [--lang=ja|en] FILE
  -h, --help        this text
  --out-file FILE   a well-known pseudo-terminal, 1..52 or -5 ("--quiet" mutes it)
TEXT
HELP
chmod +x "$tmp/bin/tool"
fail() { echo "FAIL: $*" >&2; exit 1; }

# -J, -E, --lang, -h, --help described; --quiet not at all, --out-file only as a longer name.
printf '%s\n' '.TH TOOL 1' '.B \-J' 'or \fB\-E\fR,' '.BR \-\-lang = ja' \
    '.BR \-h ", " \-\-help' '.BI \-\-out\-filename " FILE"' >"$tmp/man/tool.1"
rc=0
"$check" "$tmp/bin" "$tmp/man" tool >/dev/null 2>"$tmp/err" || rc=$?
[ "$rc" -eq 1 ] || fail "missing options: exit status $rc, expected 1"
reported=$(sed -n 's/^check-manpages: tool --help prints \([^ ,]*\),.*/\1/p' "$tmp/err" | sort | xargs)
[ "$reported" = "--out-file --quiet" ] || fail "reported '$reported', expected '--out-file --quiet'"

printf '%s\n' '.TP' '.BI \-\-out\-file " FILE"' '.B \-\-quiet' >>"$tmp/man/tool.1"
gzip "$tmp/man/tool.1"
"$check" "$tmp/bin" "$tmp/man" tool >/dev/null 2>"$tmp/err" || fail "complete gzipped page: $(cat "$tmp/err")"

printf '#!/bin/sh\nexit 2\n' >"$tmp/bin/tool"
rc=0
"$check" "$tmp/bin" "$tmp/man" tool >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "a failing --help: exit status $rc, expected 1"
echo "check_manpages_test: passed"
