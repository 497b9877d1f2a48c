#!/usr/bin/env bash
# Builds the benchmark programs with the normal flags and runs them, printing one table:
# read all / write all against the simulator paced at 1200 bit/s (a process of its own) as
# ratios to the line's floor (in the benchmark's own process, and vxrmgr-cli read / write as
# whole processes), the tool's CPU share meanwhile, and the window's start-up time
# and idle memory against a bare Qt window, offscreen and, when xvfb-run exists, under Xvfb.
# Extra arguments go to vxr-bench (e.g. --repeats 7, --strict to fail on a missed goal; --strict
# also to the page's figures).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
BUILD_DIR="$BUILD_DIR" scripts/build.sh --target vxr-bench vxr-sim vxr-bench-bare vxr-bench-tool vxrmgr-cli >/dev/null

# The page's figures first: the transfers in chromium, the time until it takes input, its size.
rm -rf build-web-bundle && scripts/web.sh --bundle build-web-bundle 2>/dev/null
strict=(); for a in "$@"; do [ "$a" = --strict ] && strict=(--strict); done
node web/tools/bench.mjs --page "${WEB_BUILD_DIR:-build-web}" --bundle build-web-bundle --sim "$BUILD_DIR/bin/vxr-sim" "${strict[@]}"

bench="$BUILD_DIR/bin/vxr-bench"
echo "vxrmgr benchmark: $(date -u +%Y-%m-%dT%H:%M:%SZ), $(nproc) cores, $(uname -r)"
if command -v xvfb-run >/dev/null 2>&1; then
    # One X server for the whole run, so its own start-up is not counted in any window's.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$bench" --platforms offscreen,xcb "$@"
fi
echo "(xvfb-run not found: offscreen only)"
exec "$bench" --platforms offscreen "$@"
