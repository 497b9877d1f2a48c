#!/usr/bin/env bash
# Builds everything and runs the whole test suite, then the WebAssembly build's comparison.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
BUILD_DIR="$BUILD_DIR" scripts/build.sh
# Four tests per processor at a time: they mostly wait (for the simulated line's pace, timeouts,
# the programs they start), using about a quarter of a processor each on average.
(cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(($(nproc) * 4))" --timeout 300)
# The sanitizer passes of CI rerun only the native suite: the WebAssembly and browser runs
# below do not depend on how the native programs were instrumented.
[ "${VXR_NATIVE_ONLY:-}" = 1 ] && exit 0
# The core built for WebAssembly, compared with the native build case by case.
BUILD_DIR="$BUILD_DIR" scripts/wasm.sh
# The page in Debian's chromium and firefox-esr, its serial ports relayed to vxr-sim. Both browsers
# side by side, except the tests the line's timing decides (a transfer in progress at the line's
# pace, a time bound on a transfer): those run last, one browser after the other. Each browser's
# count is printed; a failure in either fails the run.
rm -rf build-web-bundle && scripts/web.sh --bundle build-web-bundle
node web/tests/run.mjs --browser chromium,firefox --page "${WEB_BUILD_DIR:-build-web}" --bundle build-web-bundle \
  --sim "$BUILD_DIR/bin/vxr-sim"
