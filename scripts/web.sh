#!/usr/bin/env bash
# Builds the browser page into build-web/ (the core compiled by Emscripten) and serves it on
# http://127.0.0.1:8480/ until interrupted.
#   --port N       serve on port N instead
#   --build-only   build and stop (the tests serve the page themselves)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${WEB_BUILD_DIR:-build-web}
PORT=8480
SERVE=1
while [ $# -gt 0 ]; do
  case "$1" in
    --port) PORT=${2:?--port needs a number}; shift 2 ;;
    --build-only) SERVE=0; shift ;;
    *) echo "web.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

mkdir -p "$OUT"
# Debian's emcc finds its JavaScript parser there.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

CORE_SOURCES=(src/model/ModelSettings.cpp src/model/ModelBank.cpp src/model/DriveFreqTable.cpp
              src/model/BrakeFreqTable.cpp src/model/TextTable.cpp web/bindings.cpp)
# The only entry points the page may call.
EXPORTS=_vxr_texts,_vxr_message

# Rebuilt only when a source or this script is newer than the module.
if [ ! -f "$OUT/vxrcore.mjs" ] || [ -n "$(find src/model web/bindings.cpp scripts/web.sh -newer "$OUT/vxrcore.mjs" -print -quit)" ]; then
  em++ -std=c++20 -O2 -Wall -Wextra -Werror -Isrc/model "${CORE_SOURCES[@]}" -o "$OUT/vxrcore.mjs" \
    -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=VxrCore -sENVIRONMENT=web -sFILESYSTEM=0 \
    -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS="$EXPORTS" \
    -sEXPORTED_RUNTIME_METHODS=ccall,UTF8ToString
fi
cp web/index.html web/*.css web/*.js "$OUT/"

if [ "$SERVE" = 1 ]; then
  echo "web.sh: serving $OUT on http://127.0.0.1:$PORT/ (Ctrl-C ends)" >&2
  exec node web/serve.mjs --root "$OUT" --port "$PORT"
fi
