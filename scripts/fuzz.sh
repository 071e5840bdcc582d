#!/usr/bin/env bash
# Runs every fuzz target (or those named) at once for SECONDS each, at the
# lowest priority, and prints each one's executions and coverage.
#   scripts/fuzz.sh SECONDS [TARGET...]     e.g. scripts/fuzz.sh 600 strip_private
# Builds build-fuzz/ first. Each target grows its own corpus in
# build-fuzz/fuzz/corpus/<target> from the committed one (fuzz/corpus/<target>);
# a failure's input is written to build-fuzz/fuzz/findings/ and makes the exit
# status 1. Copy such an input into fuzz/corpus/<target>/ with its fix.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
. scripts/bootstrap.sh
pixolane_build_fuzz >/dev/null
targets=("$@")
if [ ${#targets[@]} = 0 ]; then
  targets=($(ls fuzz/corpus))
fi
work=build-fuzz/fuzz
mkdir -p "$work/findings" "$work/logs"
pids=()
for t in "${targets[@]}"; do
  mkdir -p "$work/corpus/$t"
  # The same dictionaries and lengths as the regression tests (fuzz/CMakeLists.txt).
  case $t in
    gallery_record) options=(-dict=fuzz/record.dict -max_len=4096) ;;
    escaping) options=(-max_len=1024) ;;
    *) options=(-dict=fuzz/jpeg.dict -max_len=16384) ;;
  esac
  # A unit slower than the timeout is a finding too; the machine may be shared,
  # so it is generous.
  nice -n 19 "$work/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=1536 \
    -print_final_stats=1 "${options[@]}" -artifact_prefix="$work/findings/$t-" \
    "$work/corpus/$t" "fuzz/corpus/$t" >"$work/logs/$t.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  wait "${pids[$i]}" || status=1
done
printf '%-16s %12s %8s %8s %8s  %s\n' target executions exec/s cov ft result
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  log=$work/logs/$t.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | grep -E 'cov: ' | tail -1)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$last")
  result=ok
  grep -q 'Test unit written' "$log" && result="FAILED, see $log"
  printf '%-16s %12s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $status
