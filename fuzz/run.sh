#!/bin/bash
# Runs each fuzz target for a set time, one after another (one fuzzer process at a time), and
# reports its executions and findings. Exits non-zero when any target found something.
#   fuzz/run.sh ROOT BINDIR SECONDS MODULE...
# ROOT holds the growing corpus (ROOT/corpus/NAME), the seeds (ROOT/seeds/NAME), the findings
# (ROOT/findings/NAME/crash-*, ...), the logs and executions.log, one line per run. Inputs
# that once failed are kept in fuzz/regressions/NAME and run first.
set -u
root=$1 bindir=$2 seconds=$3
shift 3
width=$(basename "$bindir")
# Short allocation stacks and a smaller quarantine: the calls allocate often and are small.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=4:quarantine_size_mb=64}
status=0
mkdir -p "$root/logs"
# Long runs (FUZZ_LOCK=1, as make fuzz sets it) take turns on this machine: a second one waits
# for the first. The short pass of make test does not wait.
if [ "${FUZZ_LOCK:-0}" = 1 ]; then
  exec 9>"$root/fuzz.lock"
  flock 9
fi
printf '%-10s %-7s %12s %14s %9s\n' module width executions 'all runs' findings
for m in "$@"; do
  corpus=$root/corpus/$m findings=$root/findings/$m log=$root/logs/$m-$width.log
  mkdir -p "$corpus" "$findings"
  before=$(find "$findings" -type f | wc -l)
  # New inputs go to the first folder; the seeds and the inputs of past findings (kept in
  # fuzz/regressions) are read from the others.
  regressions=$(dirname "$0")/regressions/$m
  [ -d "$regressions" ] || regressions=
  "$bindir/fuzz_$m" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=3072 -malloc_limit_mb=2200 -artifact_prefix="$findings/" \
    "$corpus" "$root/seeds/$m" $regressions >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -1)
  after=$(find "$findings" -type f | wc -l)
  new=$((after - before))
  echo "$(date -u +%FT%TZ) $m $width ${execs:-0} $new" >>"$root/executions.log"
  total=$(awk -v m="$m" '$2 == m { s += $4 } END { print s + 0 }' "$root/executions.log")
  printf '%-10s %-7s %12s %14s %9s\n' "$m" "$width" "${execs:-0}" "$total" "$new"
  if [ "$rc" -ne 0 ] || [ "$new" -ne 0 ]; then
    status=1
    echo "--- $m: fuzzer exit $rc; log $log" >&2
    grep -A12 -E '=== FINDING|ERROR: (Address|Undefined|libFuzzer)|runtime error' "$log" | head -40 >&2
  fi
done
exit $status
