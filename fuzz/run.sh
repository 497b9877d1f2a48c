#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# writes the seed corpora and runs every target for the given number of seconds, as many at a
# time as there are processors (or FUZZ_JOBS).
#   fuzz/run.sh [seconds-per-target] [target...]
# Each run starts from the minimized corpus kept in fuzz/corpus/<target> (read from a copy, never
# written), plus the seeds and the inputs of past findings. New inputs grow in
# $FUZZ_DIR/corpus/<target>; crashes land in $FUZZ_DIR/crashes/<target>.
# With FUZZ_UPDATE_CORPUS=1 the kept corpus is rebuilt afterwards, minimized with -merge=1 from
# itself and everything found, to be committed.
# Exit status 1 when any target found a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${1:-60}
shift || true
FUZZ_DIR=${FUZZ_DIR:-build-fuzz}
ALL_TARGETS=(fuzz_ini_document fuzz_settings_file fuzz_controller_reply fuzz_sim_frames)
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=("${ALL_TARGETS[@]}")

# The ignore list's path is left out of the compiler cache's hash: the hash of its content is on
# every compile line (fuzz/CMakeLists.txt).
VXR_CCACHE_SETTINGS='CCACHE_IGNOREOPTIONS=-fsanitize-coverage-ignorelist=*'
. scripts/compiler-cache.sh
# shellcheck disable=SC2086
CC=clang CXX=clang++ cmake -S fuzz -B "$FUZZ_DIR" "${VXR_LAUNCHER[@]}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$FUZZ_DIR" -j"$(nproc)" --target vxr-fuzz-seeds "${TARGETS[@]}"

# Seeds are regenerated each run; what the fuzzer found before stays beside them.
SEEDS="$FUZZ_DIR/seeds"
rm -rf "$SEEDS"
ASAN_OPTIONS=detect_leaks=0 "$FUZZ_DIR/bin/vxr-fuzz-seeds" "$SEEDS"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
KEPT_COPY=$(mktemp -d)
pids=()
names=()
failed=()
# Runs still going when the script ends early (interrupted, or a failure) end with it.
trap '[ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null; rm -rf "$KEPT_COPY"' EXIT

max_len() {
  case "$1" in
    fuzz_settings_file|fuzz_ini_document) echo 65536 ;;
    *) echo 4096 ;;
  esac
}

# Starts one target's run in the background.
start_target() {
  local t=$1
  local corpus="$FUZZ_DIR/corpus/$t" crashes="$FUZZ_DIR/crashes/$t" kept="$KEPT_COPY/$t"
  mkdir -p "$corpus" "$crashes" "$kept"
  [ -d "fuzz/corpus/$t" ] && cp -r "fuzz/corpus/$t/." "$kept/"
  # Inputs of past findings run first, every time.
  local regressions=()
  [ -d "fuzz/regressions/$t" ] && regressions+=("fuzz/regressions/$t")
  "$FUZZ_DIR/bin/$t" "$corpus" "$kept" "$SEEDS/$t" "${regressions[@]}" \
    -max_total_time="$SECONDS_PER_TARGET" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="$crashes/" -print_final_stats=1 2>"$FUZZ_DIR/$t.log" &
  pids+=("$!")
  names+=("$t")
}

# Waits for the earliest run still going and reports it: the end of its log after a crash, else
# its figures (and, asked for, the kept corpus rebuilt).
finish_first() {
  local t=${names[0]} rc=0
  wait "${pids[0]}" || rc=$?
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
  echo "== $t for ${SECONDS_PER_TARGET}s"
  if [ "$rc" -ne 0 ]; then
    failed+=("$t")
    tail -n 40 "$FUZZ_DIR/$t.log"
    return
  fi
  grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|Done)" "$FUZZ_DIR/$t.log" || true
  if [ "${FUZZ_UPDATE_CORPUS:-0}" = 1 ]; then
    local merged="$KEPT_COPY/merged-$t"
    mkdir -p "$merged"
    "$FUZZ_DIR/bin/$t" -merge=1 -max_len="$(max_len "$t")" "$merged" "$KEPT_COPY/$t" "$FUZZ_DIR/corpus/$t" \
      "$SEEDS/$t" 2>>"$FUZZ_DIR/$t.log"
    rm -rf "fuzz/corpus/$t"
    mkdir -p "fuzz/corpus/$t"
    cp "$merged"/* "fuzz/corpus/$t/"
    echo "corpus: fuzz/corpus/$t holds $(ls "fuzz/corpus/$t" | wc -l) inputs, $(du -sk "fuzz/corpus/$t" | cut -f1) KiB"
  fi
}

# The targets run side by side, as many at a time as there are processors (FUZZ_JOBS; a libFuzzer
# run uses one), each for its whole time; the reports follow in the targets' order.
JOBS=${FUZZ_JOBS:-$(nproc)}
for t in "${TARGETS[@]}"; do
  [ ${#pids[@]} -lt "$JOBS" ] || finish_first
  start_target "$t"
done
while [ ${#pids[@]} -gt 0 ]; do finish_first; done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: crashes in ${failed[*]} (inputs in $FUZZ_DIR/crashes/)" >&2
  exit 1
fi
echo "fuzz: no crashes"
