#!/usr/bin/env bash
# Screenshots of the main window against the simulated sensor, each on an
# Xvfb screen of its own size and Qt scale factor, so the README's pictures
# can be made again and the window looked at on the screens operators use.
#
#   scripts/screenshots.sh [--out DIR] [--wait S] [SCREEN ...]
#   scripts/screenshots.sh [--out DIR] --compare
#   scripts/screenshots.sh [--out DIR] --statistics
#
# SCREEN is WIDTHxHEIGHT or WIDTHxHEIGHT@SCALE (physical pixels and the Qt
# scale factor, e.g. 1366x768@1.25). Without any, the README's two are made:
# 1280x720 and 1920x1080. Each picture is saved as
# DIR/main-window-WIDTHxHEIGHT[@SCALE].png (DIR defaults to docs/).
# --compare makes DIR/compare-popup.png instead: the compare pop-up after
# Compare parameters against a simulated sensor whose RAM differs in four
# fields (bench/compare_popup.cpp drives the program).
# --statistics makes DIR/statistics-popup.png: the statistics pop-up after
# eight seconds of run mode against a simulated sensor whose value is drawn
# from a normal distribution (bench/statistics_popup.cpp drives the program).
set -euo pipefail
cd "$(dirname "$0")/.."

OUT=docs
WAIT=5
SCREENS=()
COMPARE=0
STATISTICS=0
while [ $# -gt 0 ]; do
  case "$1" in
    --out) OUT=${2:?--out needs a folder}; shift 2 ;;
    --wait) WAIT=${2:?--wait needs seconds}; shift 2 ;;
    --compare) COMPARE=1; shift ;;
    --statistics) STATISTICS=1; shift ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    *x*) SCREENS+=("$1"); shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#SCREENS[@]} -gt 0 ] || SCREENS=(1280x720 1920x1080)

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

if [ "$COMPARE" = 1 ]; then
  cmake --build "$BUILD_DIR" -j"${JOBS:-$(nproc)}" --target bench_compare_popup
  shot="$OUT/compare-popup.png"
  (cd "$BUILD_DIR/bin" &&
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x720x24" ./bench_compare_popup --screenshot "$shot")
  echo "compare pop-up: $shot"
  exit 0
fi

if [ "$STATISTICS" = 1 ]; then
  cmake --build "$BUILD_DIR" -j"${JOBS:-$(nproc)}" --target bench_statistics_popup
  shot="$OUT/statistics-popup.png"
  (cd "$BUILD_DIR/bin" &&
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x720x24" ./bench_statistics_popup --screenshot "$shot")
  echo "statistics pop-up: $shot"
  exit 0
fi

cmake --build "$BUILD_DIR" -j"${JOBS:-$(nproc)}" --target K-VOR-NE-ZevevU301
PROGRAM="$PWD/$BUILD_DIR/bin/K-VOR-NE-ZevevU301"

for screen in "${SCREENS[@]}"; do
  size=${screen%@*}
  scale=1
  [ "$size" != "$screen" ] && scale=${screen#*@}
  case "$size" in
    [0-9]*x[0-9]*) ;;
    *) echo "not a screen size: $screen" >&2; exit 2 ;;
  esac
  shot="$OUT/main-window-$screen.png"
  [ "$scale" = 1 ] && shot="$OUT/main-window-$size.png"
  # The window is found by its title and class (Qt's hidden helper windows
  # share the title, not the class); the program runs from its own folder,
  # where its resource file and logos are.
  (cd "$(dirname "$PROGRAM")" &&
    QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
      "$0" --simulate &
      pid=$!
      sleep "$1"
      id=$(xwininfo -root -tree | awk "/\"K-VOR-NE-ZevevU301\": \\(\"/ { print \$1; exit }")
      import -window "$id" "$2"
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    ' "$PROGRAM" "$WAIT" "$shot")
  echo "$screen: $shot"
done
