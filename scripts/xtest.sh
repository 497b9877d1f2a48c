#!/usr/bin/env bash
# Runs the window's test programs once more on a real X server (Xvfb) under a light window
# manager (openbox): window frames, stacking, focus and input while the window is disabled
# behave there as on a user's desktop, which the offscreen platform does not show.
# The programs mostly wait (for the simulated line, for timers), so they run side by side, each
# on an X server and window manager of its own, and app_tests, much the longest, in shards
# (gtest's GTEST_TOTAL_SHARDS, XTEST_APP_SHARDS of them, default 3), each on a server of its own.
# Usage: scripts/xtest.sh [gtest options...]   (after a build; BUILD_DIR as for the build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
GUI_TESTS=(dialogs_tests editor_tests app_tests)
APP_SHARDS=${XTEST_APP_SHARDS:-3}

for t in "${GUI_TESTS[@]}"; do
  [ -x "$BUILD_DIR/bin/$t" ] || { echo "xtest: $BUILD_DIR/bin/$t not built" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# on_x DIR PROGRAM SHARD SHARDS [gtest options]: run in a subshell of its own, starts an X server
# and the window manager, runs the program (one shard of it) there and ends all three; everything
# it says goes to DIR/out.
on_x() {
  dir=$1 program=$2 shard=$3 shards=$4
  shift 4
  xvfb_pid="" wm_pid="" test_pid=""
  # shellcheck disable=SC2317
  stop_x() {
    for pid in "$test_pid" "$wm_pid" "$xvfb_pid"; do
      if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
    done
  }
  trap stop_x EXIT
  trap 'exit 143' TERM
  exec >"$dir/out" 2>&1
  # The server picks a free display itself and writes its number to the given descriptor, so
  # several runs on one machine never collide.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    sleep 0.1
  done
  [ -s "$dir/display" ] || { echo "xtest: Xvfb did not start"; cat "$dir/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$dir/display")"

  openbox --sm-disable >"$dir/openbox.log" 2>&1 &
  wm_pid=$!
  # The window manager is up once it has announced itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" \
    || { echo "xtest: openbox did not start"; cat "$dir/openbox.log"; return 1; }

  echo "xtest: display $DISPLAY, window manager openbox"
  # In the background, so that an ending script ends it at once.
  GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$shard QT_QPA_PLATFORM=xcb \
    "$BUILD_DIR/bin/$program" --gtest_brief=1 "$@" &
  test_pid=$!
  wait "$test_pid"
}

runs=()
for t in "${GUI_TESTS[@]}"; do
  shards=1
  [ "$t" = app_tests ] && shards=$APP_SHARDS
  for ((s = 0; s < shards; s++)); do
    dir="$work/${#runs[@]}"
    mkdir "$dir"
    on_x "$dir" "$t" "$s" "$shards" "$@" &
    pids+=("$!")
    runs+=("$t $s $shards")
  done
done

# The reports in the programs' order; a sharded program's tests are counted together at its end.
status=0
counted=0
for i in "${!runs[@]}"; do
  read -r t s shards <<<"${runs[$i]}"
  rc=0
  wait "${pids[$i]}" || rc=$?
  if [ "$shards" -eq 1 ]; then
    echo "== $t on X"
  else
    echo "== $t on X, shard $((s + 1)) of $shards"
  fi
  cat "$work/$i/out"
  [ "$rc" -eq 0 ] || { status=1; echo "xtest: $t failed (exit status $rc)"; }
  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$work/$i/out")
  counted=$((counted + ${ran:-0}))
  if [ "$shards" -gt 1 ] && [ "$s" -eq $((shards - 1)) ]; then
    echo "== $t on X: $counted tests in $shards shards"
  fi
  [ "$s" -lt $((shards - 1)) ] || counted=0
done
pids=()
exit $status
