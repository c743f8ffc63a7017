#!/usr/bin/env bash
# Builds the benchmarks, runs them one after the other against the simulated
# sensor (Qt's offscreen platform, no display needed) and prints one table of
# their figures. Each benchmark's own output is kept in the build folder.
#
#   scripts/bench.sh [--seconds S] [--minutes M] [--screenshots DIR] [--only NAME]
#
#   --seconds S        length of each run-mode and video-mode stretch (default 10)
#   --minutes M        length of the memory soak (default 1; 10 for the real figure)
#   --screenshots DIR  also save run-mode.png and video-mode.png there
#   --only NAME        run one benchmark: run_mode, video_mode, recording,
#                      stop_latency, startup, display_memory, memory_soak,
#                      cli_send_verify or statistics_popup
#
# The defaults take about five minutes. BUILD_DIR (default build) and JOBS
# (default 2) are taken from the environment.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_STRETCH=10
SOAK_MINUTES=1
SHOTS=""
ONLY=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_PER_STRETCH=${2:?--seconds needs a value}; shift 2 ;;
    --minutes) SOAK_MINUTES=${2:?--minutes needs a value}; shift 2 ;;
    --screenshots) SHOTS=${2:?--screenshots needs a folder}; shift 2 ;;
    --only) ONLY=${2:?--only needs a benchmark name}; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-2}
BENCHES=(run_mode video_mode recording stop_latency startup display_memory memory_soak cli_send_verify
  statistics_popup)
if [ -n "$ONLY" ]; then
  case " ${BENCHES[*]} " in
    *" $ONLY "*) BENCHES=("$ONLY") ;;
    *) echo "bench.sh: no benchmark called $ONLY (${BENCHES[*]})" >&2; exit 2 ;;
  esac
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for b in "${BENCHES[@]}"; do targets+=("bench_$b"); done
cmake --build "$BUILD_DIR" -j"$JOBS" --target "${targets[@]}"

BIN=$(cd "$BUILD_DIR/bin" && pwd)
LOGS="$BIN/bench-logs"
mkdir -p "$LOGS"
if [ -n "$SHOTS" ]; then
  mkdir -p "$SHOTS"
  SHOTS=$(cd "$SHOTS" && pwd)
fi
export QT_QPA_PLATFORM=offscreen

args_for() {
  case "$1" in
    run_mode)
      echo "--seconds $SECONDS_PER_STRETCH"
      [ -n "$SHOTS" ] && echo "--screenshot $SHOTS/run-mode.png"
      ;;
    video_mode)
      echo "--seconds $SECONDS_PER_STRETCH"
      [ -n "$SHOTS" ] && echo "--screenshot $SHOTS/video-mode.png"
      ;;
    recording) echo "--seconds $SECONDS_PER_STRETCH" ;;
    statistics_popup) echo "--seconds $SECONDS_PER_STRETCH" ;;
    memory_soak) echo "--minutes $SOAK_MINUTES" ;;
  esac
  return 0
}

failed=()
for b in "${BENCHES[@]}"; do
  echo "== bench_$b $(args_for "$b" | tr '\n' ' ')" >&2
  # shellcheck disable=SC2046  # the arguments are words on purpose
  if ! (cd "$BIN" && ./"bench_$b" $(args_for "$b")) >"$LOGS/$b.out" 2>"$LOGS/$b.err"; then
    failed+=("$b")
  fi
  grep '^#' "$LOGS/$b.out" >&2 || true
done

echo
echo "Figures ($(nproc) cores, load average now $(cut -d' ' -f1-3 /proc/loadavg)):"
for b in "${BENCHES[@]}"; do grep '^RESULT' "$LOGS/$b.out" || true; done | awk -F'\t' '
  { for (i = 2; i <= 6; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
  END {
    for (r = 1; r <= NR; r++) {
      printf "%-*s  %-*s  %*s %-*s  %s\n", w[2], cell[r, 2], w[3], cell[r, 3], w[4], cell[r, 4],
             w[5], cell[r, 5], cell[r, 6]
    }
  }'
echo
echo "Logs: $LOGS"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "Benchmarks that did not finish cleanly: ${failed[*]} (see their logs)" >&2
  exit 1
fi
