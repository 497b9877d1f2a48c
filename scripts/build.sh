#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default build/). Extra cmake options via $CMAKE_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" "$@"
