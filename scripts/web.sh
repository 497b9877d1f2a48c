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

WASM_DIR=${WASM_DIR:-build-wasm}
mkdir -p "$OUT" "$OUT.single" "$WASM_DIR"

# The core comes from the Emscripten build the WebAssembly tests use (its target page_core), which
# rebuilds it only when a source changed. The single file takes the same core with its WebAssembly
# inside the script.
if ! WASM_DIR="$WASM_DIR" scripts/wasm-build.sh --target page_core >"$WASM_DIR/page-core.log" 2>&1; then
  tail -n 40 "$WASM_DIR/page-core.log" >&2
  echo "web.sh: the page's core did not build (all of it in $WASM_DIR/page-core.log)" >&2
  exit 1
fi
cp "$WASM_DIR"/vxrcore/vxrcore.{mjs,wasm} "$OUT/"
cp "$WASM_DIR"/vxrcore-single/vxrcore.mjs "$OUT.single/"
# index.html gets the modules joined inside; they stay beside it, for a test or a reader to import
# one alone.
cp web/page/index.html web/page/*.css web/page/*.js web/page/manifest.webmanifest "$OUT/"
mkdir -p "$OUT/usb" && cp web/page/usb/*.js "$OUT/usb/"
# The QR code library, from npm (locked), joined into the page like its own modules: the page
# fetches nothing from elsewhere and works offline.
QR_LIBRARY=node_modules/uqr/dist/index.mjs
[ -f "$QR_LIBRARY" ] || { echo "web.sh: $QR_LIBRARY missing: run scripts/setup.sh (npm ci)" >&2; exit 1; }
cp "$QR_LIBRARY" "$OUT/uqr.js"
cp dist/org.vxrmgr.VxrManager.svg "$OUT/icon.svg"
# The single file from the same page, before its index.html takes the joined modules.
node web/tools/bundle.mjs "$OUT" "$OUT.single/vxrcore.mjs" "$OUT.single/vxrmgr.html"
rm -f "$OUT"/vxrcore-*.wasm "$OUT"/page-*.css "$OUT"/page-*.js
node web/tools/bundle.mjs --served "$OUT" "$OUT/vxrcore.mjs"
# The style, the script and the core by the names the served index.html gives them (their content's hash).
NAMED=$(cd "$OUT" && echo vxrcore-*.wasm page-*.css page-*.js)
for size in 192 512; do
  [ "$OUT/icon-$size.png" -nt dist/org.vxrmgr.VxrManager.svg ] || rsvg-convert -w $size -h $size dist/org.vxrmgr.VxrManager.svg -o "$OUT/icon-$size.png"
done

# The service worker keeps every file of the page; its version changes with any of them.
FILES=(./ index.html $NAMED manifest.webmanifest icon.svg icon-192.png icon-512.png)
VERSION=$(cd "$OUT" && cat "${FILES[@]:1}" | sha256sum | cut -c1-16)
LIST=$(printf '"%s", ' "${FILES[@]}")
sed -i -e "s|^const VERSION = .*|const VERSION = 'vxrmgr-$VERSION';|" -e "s|^const FILES = .*|const FILES = [${LIST%, }];|" "$OUT/sw.js"

if [ -n "$BUNDLE" ]; then
  mkdir -p "$BUNDLE" && BUNDLE=$(cd "$BUNDLE" && pwd)
  (cd "$OUT" && cp "${FILES[@]:1}" sw.js "$BUNDLE/")
  cp "$OUT.single/vxrmgr.html" "$BUNDLE/"
  echo "web.sh: the page's files and the single file vxrmgr.html are in $BUNDLE" >&2
fi

if [ "$SERVE" = 1 ]; then
  echo "web.sh: serving $OUT on http://127.0.0.1:$PORT/ (Ctrl-C ends)" >&2
  exec node web/tools/serve.mjs --root "$OUT" --port "$PORT"
fi
