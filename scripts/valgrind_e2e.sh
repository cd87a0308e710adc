#!/usr/bin/env bash
# Runs the end-to-end tests of a built tree with every SetupOrdane run under
# valgrind's memcheck: any invalid access, use of an uninitialised value or
# definite leak fails the run (tests/support/program_run.h reads the log).
# `valgrind_e2e.sh [BUILD]` runs every case (about 2 minutes on two cores);
# `valgrind_e2e.sh [BUILD] sample`, for a quick look, a sample that takes every
# mode on a Windows 9x row and an NT row, and the failure paths (half a
# minute). BUILD defaults to build/native.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/native}
which=${2:-all}
[ "$build" = sample ] && { build=$top/build/native; which=sample; }
tests=$build/tests/e2e_tests
[ -x "$tests" ] || { echo "valgrind_e2e: $tests is not built" >&2; exit 1; }

filter='*'
if [ "$which" = sample ]; then
  # Each mode, from a fresh machine and over an installed printer, on one row
  # of each family; the set-up's and removal's failure paths; the start-up
  # failures, which end through the paths least often taken.
  filter='Operations/EveryRow.*/WIN98:Operations/EveryRow.*/WINNT40:SetupOperation.*:StartupFailure.*'
fi

export SETUPORDANE_TEST_LAUNCHER="valgrind -q --error-exitcode=99 --leak-check=full
  --show-leak-kinds=definite --errors-for-leak-kinds=definite
  --suppressions=$top/scripts/valgrind.supp --log-file={log}"
# Two shards at once: most of a run is valgrind starting up, on one core.
pids=()
for shard in 0 1; do
  GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard GTEST_FILTER=$filter "$tests" --gtest_brief=1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
