#!/usr/bin/env bash
# Soak: thousands of read all and write all through the real serial component against the
# unpaced simulator, every transfer checked, resident memory and heap sampled every 100
# transfers and bounded after a warm-up; then a shorter run built with ThreadSanitizer, which
# must report nothing. Non-zero exit on any failure, growth beyond the bounds or race report.
# Extra arguments go to the long run (e.g. --cycles 1000).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
TSAN_BUILD_DIR=${TSAN_BUILD_DIR:-build-tsan}
TSAN_CYCLES=${TSAN_CYCLES:-500}

echo "== soak: plain build ($BUILD_DIR)"
BUILD_DIR="$BUILD_DIR" scripts/build.sh --target vxr-soak >/dev/null
"$BUILD_DIR/bin/vxr-soak" "$@"

echo "== soak: ThreadSanitizer build ($TSAN_BUILD_DIR), $TSAN_CYCLES read all + $TSAN_CYCLES write all"
BUILD_DIR="$TSAN_BUILD_DIR" CMAKE_ARGS="-DVXR_SANITIZE=thread -DVXR_WERROR=ON -DCMAKE_BUILD_TYPE=Debug" \
    scripts/build.sh --target vxr-soak >/dev/null
# Memory is not judged here: the sanitizer's shadow memory swamps it.
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" "$TSAN_BUILD_DIR/bin/vxr-soak" \
    --cycles "$TSAN_CYCLES" --warm-up 0 --no-rss-check
echo "== soak: passed"
