#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default build/), through ccache when it is installed
# (scripts/compiler-cache.sh). Extra cmake options via $CMAKE_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
. scripts/compiler-cache.sh
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" "${VXR_LAUNCHER[@]}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" "$@"
