#!/usr/bin/env bash
# Runs one fuzz target for a while and says what it did.
#
#   run_fuzzer.sh FUZZER SECONDS SEED_DIR WORK_DIR
#
# New inputs go to WORK_DIR/corpus (the seeds are only read); crashes, leaks,
# time-outs and out-of-memory inputs go to WORK_DIR/findings, where those of
# earlier runs stay. One process on one core. Prints one line,
#   <target>: <n> executions in <s> s, corpus <m> inputs, findings: <k>
# then each finding of this run with its bytes, and exits non-zero when the
# run found anything or the fuzzer failed.
set -uo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 FUZZER SECONDS SEED_DIR WORK_DIR" >&2
  exit 2
fi
fuzzer=$1
seconds=$2
seeds=$3
work=$4
name=$(basename "$fuzzer")
name=${name%_fuzzer}

mkdir -p "$work/corpus" "$work/findings"
log=$work/last-run.log
earlier=$(find "$work/findings" -type f | sort)

"$fuzzer" "$work/corpus" "$seeds" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" >"$log" 2>&1
status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
corpus=$(find "$work/corpus" -type f | wc -l)
# New files, and inputs written again under an earlier finding's name.
mapfile -t findings < <({
  comm -13 <(printf '%s\n' "$earlier") <(find "$work/findings" -type f | sort)
  sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log"
} | sed '/^$/d' | sort -u)

echo "$name: ${executions:-?} executions in ${elapsed:-?} s, corpus $corpus inputs, findings: ${#findings[@]}"
for f in "${findings[@]}"; do
  echo "  finding $f"
  od -A d -t x1 -v "$f" | sed 's/^/    /' | head -n 40
done
if [ "${#findings[@]}" -gt 0 ] || [ "$status" -ne 0 ] || [ -z "$executions" ]; then
  echo "  fuzzer exit status $status; its output ($log):"
  grep -v '^#[0-9]' "$log" | tail -n 60 | sed 's/^/    /'
  exit 1
fi
exit 0
