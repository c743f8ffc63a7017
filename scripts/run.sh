#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it with the
# built-in simulated sensor on port 1. Further arguments go to the program
# (e.g. --port 2=/dev/ttyUSB0).
#
# Without a display the program runs under Xvfb instead: a screenshot of the
# main window is saved as a PNG and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target K-VOR-NE-ZevevU301 kvor-sensor-sim

cd "$BUILD_DIR/bin"
PROGRAM="$PWD/K-VOR-NE-ZevevU301"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$PROGRAM" --simulate "$@"
fi

SHOT=${SCREENSHOT:-$PWD/screenshot.png}
WAIT=${SCREENSHOT_DELAY:-5}
echo "No display: running under Xvfb for ${WAIT} s and saving a screenshot."
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" --simulate "${@:3}" &
  pid=$!
  sleep "$1"
  import -window root "$2"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' "$PROGRAM" "$WAIT" "$SHOT" "$@"
echo "Screenshot of the main window: $SHOT"
