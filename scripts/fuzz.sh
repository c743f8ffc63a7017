#!/usr/bin/env bash
# Builds the fuzz targets with clang++ (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs them one after the other, each on one
# core, printing executions and findings per target.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     default 600
#   TARGETS="number_list" scripts/fuzz.sh 60
#   BUILD_DIR=/tmp/fuzz scripts/fuzz.sh
#
# The corpus each target grows is kept in BUILD_DIR/runs/<target>/corpus and
# reused by the next run; findings land in BUILD_DIR/runs/<target>/findings.
set -euo pipefail
cd "$(dirname "$0")/.."

per_target=${1:-600}
case "$per_target" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS_PER_TARGET]" >&2; exit 2 ;;
esac

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
TARGETS=${TARGETS:-reply_frame firmware_text number_list frame_assembler}

cmake -S fuzz -B "$BUILD_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"

failed=()
summary=()
for target in $TARGETS; do
  echo "fuzz: $target for $per_target s ..."
  if out=$(fuzz/run_fuzzer.sh "$BUILD_DIR/${target}_fuzzer" "$per_target" "fuzz/corpus/$target" \
             "$BUILD_DIR/runs/$target"); then
    :
  else
    failed+=("$target")
  fi
  echo "$out"
  summary+=("$(echo "$out" | head -n 1)")
done

echo
echo "fuzz: summary"
printf '  %s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: findings or failures in: ${failed[*]}"
  exit 1
fi
echo "fuzz: no findings"
