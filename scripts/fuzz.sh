#!/usr/bin/env bash
# Runs the libFuzzer targets of tests/fuzz (preset fuzz): each for the given
# seconds (default 600: a campaign; the test command runs them for a few),
# from the committed seeds in tests/fuzz/corpus/<target>/ and what earlier
# runs found. New corpus entries and crash inputs go to a scratch folder
# (FUZZ_SCRATCH, default build/fuzz/scratch/<target>/), never into the repo.
# Fails when any target reports a crash, a leak, undefined behaviour or a
# hang. Usage: scripts/fuzz.sh [seconds-per-target] [target...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
all_targets=(command_tail wsprintf res dialog_template answers_script spooler_store)

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
case $seconds in '' | *[!0-9]*) echo "fuzz: seconds must be a whole number, not '$seconds'" >&2; exit 2 ;; esac
for t in "${targets[@]}"; do
  [ -f "tests/fuzz/$t.cpp" ] || { echo "fuzz: no target '$t' (${all_targets[*]})" >&2; exit 2; }
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scratch=${FUZZ_SCRATCH:-$top/build/fuzz/scratch}
# The targets' machines (the spooler store above all) are faster in memory.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

failed=()
for t in "${targets[@]}"; do
  work=$scratch/$t
  mkdir -p "$work/corpus"
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$work/")
  [ -f "tests/fuzz/$t.dict" ] && options+=(-dict="tests/fuzz/$t.dict")
  # FUZZ_SEED fixes libFuzzer's mutations, so that a short run is repeatable.
  [ -n "${FUZZ_SEED:-}" ] && options+=(-seed="$FUZZ_SEED")
  started=$SECONDS
  # New entries are written to the first folder only: the scratch one.
  if build/fuzz/fuzzers/"$t" "${options[@]}" "$work/corpus" "tests/fuzz/corpus/$t" >"$work/log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed+=("$t")
  fi
  # libFuzzer's last status line: coverage (cov), features (ft), corpus, executions per second.
  last=$(grep -E '^#[0-9]+' "$work/log" | tail -n 1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  echo "-- fuzz $t: $status, $((SECONDS - started)) s, ${execs:-?} runs; ${last:-no status line}"
  if [ "$status" = FAILED ]; then
    tail -n 60 "$work/log" >&2
    echo "fuzz: $t failed; its input is in $work/ (crash-*, leak-*, timeout-*, oom-*)," \
      "its log in $work/log" >&2
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
