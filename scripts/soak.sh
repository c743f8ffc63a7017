#!/usr/bin/env bash
# Soak test (not part of CI): the real program in-process against the
# simulated sensor, run mode for N minutes and then a recording for N
# minutes, with the resident memory sampled every 10 s. Fails when the
# memory grows by more than a small bound after the first minute, when a
# phase ends early, or when the recorder file does not hold exactly the
# samples the counter shows, each a well-formed line.
#
#   scripts/soak.sh [MINUTES] [bench_soak options...]
#
#   MINUTES          length of each phase (default 10)
#   --phase P        run, record or both (default both)
#   --interval S     recording interval in seconds (default 0: every reply)
#   --unpaced        the sensor answers at once instead of at 19200 baud
#   --rss-bound-kb K allowed growth after the first minute (default 4096)
#   --file PATH      recorder file (default a temporary one)
#   --keep-file      keep the recorder file
#
# BUILD_DIR (default build) and JOBS (default 2) are taken from the
# environment; the output is also kept in $BUILD_DIR/soak.log.
set -euo pipefail
cd "$(dirname "$0")/.."

MINUTES=10
if [ $# -gt 0 ] && [[ "$1" != --* ]]; then
  MINUTES=$1
  shift
fi

BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-2}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} > /dev/null
cmake --build "$BUILD_DIR" --target bench_soak -j"$JOBS"

export QT_QPA_PLATFORM=offscreen
"$BUILD_DIR/bin/bench_soak" --minutes "$MINUTES" "$@" 2>&1 | tee "$BUILD_DIR/soak.log"
exit "${PIPESTATUS[0]}"
