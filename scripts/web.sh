#!/usr/bin/env bash
# Builds the browser page into build-web/ (the core compiled by Emscripten) and serves it on
# http://127.0.0.1:8480/ until interrupted.
#   --port N       serve on port N instead
#   --bundle DIR   write the page's static files into DIR, with vxrmgr.html: the whole page in
#                  one file that also works from file://; serves nothing
#   --build-only   build and stop (the tests serve the page themselves)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${WEB_BUILD_DIR:-build-web}
PORT=8480
SERVE=1
BUNDLE=
while [ $# -gt 0 ]; do
  case "$1" in
    --port) PORT=${2:?--port needs a number}; shift 2 ;;
    --bundle) BUNDLE=${2:?--bundle needs a folder}; SERVE=0; shift 2 ;;
    --build-only) SERVE=0; shift ;;
    *) echo "web.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

mkdir -p "$OUT" "$OUT.single"
# Debian's emcc finds its JavaScript parser there.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

CORE_SOURCES=(src/model/*.cpp src/storage/*.cpp src/device/*.cpp web/*.cpp tools/sim/ControllerLogic.cpp tools/sim/ControllerState.cpp
              tools/sim/FrameAssembler.cpp tools/sim/HexBytes.cpp tools/sim/SimulatedLine.cpp)
CORE_INCLUDES=(-Isrc/model -Isrc/storage -Isrc/device -Itools/sim -Iweb)
# The only entry points the page may call.
EXPORTS=_vxr_texts,_vxr_message,_vxr_start,_vxr_view,_vxr_transfer,_vxr_select_tab,_vxr_reset,_vxr_take_number,_vxr_move_bar,\
_vxr_pick_brake,_vxr_pick_cutoff,_vxr_set_memo,_vxr_enter_bar,_vxr_keyup_bar,_vxr_scroll_bar,_vxr_scroll_avg,_vxr_select_range,_vxr_drag_bar,_vxr_propose_line,\
_vxr_answer_line,_vxr_copy_question,_vxr_copy,_vxr_undo,_vxr_redo,_vxr_end_gesture,_vxr_compare,_vxr_arrow_moves_focus,_vxr_use_demo,_vxr_load,_vxr_save,\
_vxr_result_size,_vxr_forced_name,_malloc,_free
# Asyncify lets a transfer, synchronous C++, wait for the line, a pause or an answer while the
# page's JavaScript awaits them.
LINK=(-sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=VxrCore -sENVIRONMENT=web -sFILESYSTEM=0
      -sALLOW_MEMORY_GROWTH=1 -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=16384
      -sEXPORTED_FUNCTIONS="$EXPORTS" -sEXPORTED_RUNTIME_METHODS=ccall,UTF8ToString)

# Rebuilt only when a source or this script is newer than the module. The single file takes the
# same core with its WebAssembly inside the script.
if [ ! -f "$OUT.single/vxrcore.mjs" ] || [ -n "$(find src/model src/storage src/device tools/sim web -name '*.[ch]*' -newer "$OUT.single/vxrcore.mjs" -print -quit)$(find scripts/web.sh -newer "$OUT.single/vxrcore.mjs")" ]; then
  em++ -std=c++20 -O2 -Wall -Wextra -Werror "${CORE_INCLUDES[@]}" "${CORE_SOURCES[@]}" -o "$OUT/vxrcore.mjs" "${LINK[@]}"
  em++ -std=c++20 -O2 -Wall -Wextra -Werror "${CORE_INCLUDES[@]}" "${CORE_SOURCES[@]}" -o "$OUT.single/vxrcore.mjs" "${LINK[@]}" -sSINGLE_FILE=1
fi
# index.html gets the modules joined inside; they stay beside it, for a test or a reader to import
# one alone.
cp web/index.html web/*.css web/*.js web/manifest.webmanifest "$OUT/"
mkdir -p "$OUT/usb" && cp web/usb/*.js "$OUT/usb/"
# The single file from the same page, before its index.html takes the joined modules.
node web/bundle.mjs "$OUT" "$OUT.single/vxrcore.mjs" "$OUT.single/vxrmgr.html"
node web/bundle.mjs --served "$OUT" "$OUT/vxrcore.mjs"
cp dist/org.vxrmgr.VxrManager.svg "$OUT/icon.svg"
for size in 192 512; do
  [ "$OUT/icon-$size.png" -nt dist/org.vxrmgr.VxrManager.svg ] || rsvg-convert -w $size -h $size dist/org.vxrmgr.VxrManager.svg -o "$OUT/icon-$size.png"
done

# The service worker keeps every file of the page; its version changes with any of them.
FILES=(./ index.html page.css vxrcore.wasm manifest.webmanifest icon.svg icon-192.png icon-512.png)
VERSION=$(cd "$OUT" && cat "${FILES[@]:1}" | sha256sum | cut -c1-16)
LIST=$(printf '"%s", ' "${FILES[@]}")
sed -i -e "s|^const VERSION = .*|const VERSION = 'vxrmgr-$VERSION';|" -e "s|^const FILES = .*|const FILES = [${LIST%, }];|" "$OUT/sw.js"

if [ -n "$BUNDLE" ]; then
  mkdir -p "$BUNDLE"
  cp "$OUT"/{index.html,page.css,sw.js,manifest.webmanifest,vxrcore.wasm,icon.svg,icon-192.png,icon-512.png} "$BUNDLE/"
  cp "$OUT.single/vxrmgr.html" "$BUNDLE/"
  echo "web.sh: the page's files and the single file vxrmgr.html are in $BUNDLE" >&2
fi

if [ "$SERVE" = 1 ]; then
  echo "web.sh: serving $OUT on http://127.0.0.1:$PORT/ (Ctrl-C ends)" >&2
  exec node web/serve.mjs --root "$OUT" --port "$PORT"
fi
