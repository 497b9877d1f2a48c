#!/usr/bin/env bash
# Builds the core for WebAssembly into build-wasm/ (Emscripten) and checks it against the native
# build: each comparison program in tests/wasm runs natively and under Node on the same inputs,
# and every line it prints (one per case) must be the same. Ends with "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
WASM_DIR=${WASM_DIR:-build-wasm}

# The native side: the same programs from the normal build (configured once, as scripts/build.sh does).
if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake --build "$BUILD_DIR" -j"$(nproc)" --target wasm_dumps >/dev/null
else
  BUILD_DIR="$BUILD_DIR" scripts/build.sh --target wasm_dumps >/dev/null
fi

mkdir -p "$WASM_DIR"
log="$WASM_DIR/build.log"
if ! WASM_DIR="$WASM_DIR" scripts/wasm-build.sh >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "wasm: the WebAssembly build failed (all of it in $log)" >&2
  echo "0 passed, 1 failed"
  exit 1
fi

out="$WASM_DIR/compare"
rm -rf "$out"
mkdir -p "$out"
passed=0
failed=0

# compare NAME NATIVE-PROGRAM WASM-PROGRAM ARGS...: one comparison, counted per line.
compare() {
  local name=$1 program=$2 wasm_program=$3
  shift 3
  local native="$out/$name.native" wasm="$out/$name.wasm"
  local nrc=0 wrc=0
  "$BUILD_DIR/bin/$program" "$@" >"$native" 2>"$native.err" || nrc=$?
  node tests/wasm/run-node.js "$WASM_DIR/bin/$wasm_program.js" "$@" >"$wasm" 2>"$wasm.err" || wrc=$?
  local lines same
  lines=$(wc -l <"$native")
  same=$(awk 'NR == FNR { want[FNR] = $0; n = FNR; next } FNR in want && want[FNR] == $0 { s++ } END { print s + 0 }' \
    "$native" "$wasm")
  if [ "$lines" -eq 0 ] || [ "$nrc" -ne "$wrc" ] || [ "$(wc -l <"$wasm")" -ne "$lines" ]; then
    # Nothing to compare, a crash on one side or lines missing: the whole comparison fails.
    echo "FAIL $name: native exit $nrc, $lines lines; WebAssembly exit $wrc, $(wc -l <"$wasm") lines" >&2
    head -c 2000 "$wasm.err" >&2 || true
    passed=$((passed + same))
    failed=$((failed + (lines - same > 0 ? lines - same : 1)))
    return
  fi
  if [ "$same" -ne "$lines" ]; then
    echo "FAIL $name: $((lines - same)) of $lines cases differ (native first):" >&2
    diff "$native" "$wasm" | cut -c1-300 | head -n 20 >&2 || true
  else
    echo "ok   $name: $lines cases"
  fi
  passed=$((passed + same))
  failed=$((failed + lines - same))
}

# The kept fuzz corpora and the past findings, read as INI documents and as settings files.
compare settings settings-dump settings-dump fuzz/corpus/fuzz_settings_file/* fuzz/corpus/fuzz_ini_document/* \
  fuzz/regressions/*/*
# The same files as the settings of history entries, and the entries a write adds after each.
compare history history-dump history-dump fuzz/corpus/fuzz_settings_file/*
compare controller-replay controller-replay-dump controller-replay-dump fuzz/corpus/fuzz_sim_frames/*
# The four transfers with every fault of the fault table, and once more built with Asyncify.
compare transfers transfer-dump transfer-dump
compare transfers-asyncify transfer-dump transfer-dump-asyncify
# Read all and write all over a line whose receive awaits a JavaScript promise.
compare async-line async-transfer-dump async-transfer-dump
# Every step of every straight line of the curve editor.
compare curve curve_dump curve_dump

size() {
  local f="$WASM_DIR/bin/$1.wasm"
  echo "$(stat -c %s "$f") bytes, gzip -9 $(gzip -9 -c "$f" | wc -c)"
}
echo "size: transfer-dump.wasm $(size transfer-dump); with Asyncify $(size transfer-dump-asyncify);" \
  "async-transfer-dump.wasm $(size async-transfer-dump)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
