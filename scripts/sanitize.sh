#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole test suite. Any sanitizer report fails the run, also one from
# a process a test starts (the program, the simulated sensor): every report is
# written to a log folder that must stay empty.
#
#   scripts/sanitize.sh                  build in build-asan, run every test
#   BUILD_DIR=/tmp/asan scripts/sanitize.sh
#   CTEST_ARGS="-R ^Recorder" scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build-asan}
JOBS=${JOBS:-$(nproc)}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
LOG_DIR=$BUILD_DIR/sanitizer-logs
rm -rf "$LOG_DIR"
mkdir -p "$LOG_DIR"

# Qt and the libraries under it allocate a few things once and never give
# them back; only those libraries are suppressed, never our own code.
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:log_path=$LOG_DIR/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$LOG_DIR/ubsan"

# The options are in force during the build too: test discovery runs every
# test program once.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVOR_SANITIZE=ON \
  -DKVOR_BUILD_BENCH=OFF ${CMAKE_ARGS:-}
status=0
cmake --build "$BUILD_DIR" -j"$JOBS" || status=$?

if [ "$status" -eq 0 ]; then
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$JOBS" ${CTEST_ARGS:-} || status=$?
fi

reports=$(find "$LOG_DIR" -type f | sort)
if [ -n "$reports" ]; then
  echo
  echo "sanitize: $(echo "$reports" | wc -l) sanitizer report(s):"
  for f in $reports; do
    echo "==== $f"
    cat "$f"
  done
  status=1
fi
if [ "$status" -eq 0 ]; then
  echo "sanitize: no sanitizer reports, every test passed"
fi
exit "$status"
