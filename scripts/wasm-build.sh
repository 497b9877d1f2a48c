#!/usr/bin/env bash
# Configures (once) and builds the Emscripten build of the core in ${WASM_DIR:-build-wasm}: the
# WebAssembly tests (scripts/wasm.sh) and the page's core (scripts/web.sh) share it.
#   scripts/wasm-build.sh [--target T ...]   arguments go to cmake --build
set -euo pipefail
cd "$(dirname "$0")/.."
WASM_DIR=${WASM_DIR:-build-wasm}
# Debian's emcc finds its JavaScript helpers (acorn) only here.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
. scripts/compiler-cache.sh
# Built for size: the page's core is what a phone downloads and compiles before the window takes
# input, and the core's work is small. A build folder made before for speed, or with another
# compiler launcher, is configured anew.
if ! grep -qx 'CMAKE_BUILD_TYPE:STRING=MinSizeRel' "$WASM_DIR/CMakeCache.txt" 2>/dev/null ||
   ! grep -qxF "CMAKE_CXX_COMPILER_LAUNCHER:UNINITIALIZED=${VXR_LAUNCHER[0]#-DCMAKE_CXX_COMPILER_LAUNCHER=}" \
     "$WASM_DIR/CMakeCache.txt"; then
  emcmake cmake -S . -B "$WASM_DIR" -DCMAKE_BUILD_TYPE=MinSizeRel -DVXR_WERROR=ON "${VXR_LAUNCHER[@]}"
fi
cmake --build "$WASM_DIR" -j"$(nproc)" "$@"
