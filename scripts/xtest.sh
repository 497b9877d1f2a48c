#!/usr/bin/env bash
# Runs the window's test programs once more on a real X server (Xvfb) under a light window
# manager (openbox): window frames, stacking, focus and input while the window is disabled
# behave there as on a user's desktop, which the offscreen platform does not show.
# Usage: scripts/xtest.sh [gtest options...]   (after a build; BUILD_DIR as for the build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
GUI_TESTS=(dialogs_tests editor_tests app_tests)

for t in "${GUI_TESTS[@]}"; do
  [ -x "$BUILD_DIR/bin/$t" ] || { echo "xtest: $BUILD_DIR/bin/$t not built" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number to the given descriptor, so
# several runs on one machine never collide.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "xtest: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it has announced itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" \
  || { echo "xtest: openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }

echo "xtest: display $DISPLAY, window manager openbox"
status=0
for t in "${GUI_TESTS[@]}"; do
  echo "== $t on X"
  QT_QPA_PLATFORM=xcb "$BUILD_DIR/bin/$t" --gtest_brief=1 "$@" || status=1
done
exit $status
