#!/usr/bin/env bash
# The long crash-safety run of the spooler store, beyond what the test command
# runs: a worker doing spooler writes killed with SIGKILL ITERATIONS times
# (default 2000) and PAIRS setups and complete deletions at once on one prefix
# (default 60), each followed by the store check. Prints the seeds and the
# figures; SEED repeats a run: bash scripts/stress.sh [ITERATIONS] [PAIRS] [SEED]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
iterations=${1:-2000}
pairs=${2:-60}
seed=${3:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
bash "$top/scripts/deps.sh" test
cd "$top"
cmake --preset native >/dev/null
cmake --build --preset native --target spooler_crash
started=$SECONDS
build/native/tests/spooler_crash kills --iterations "$iterations" --writes 200 --seed "$seed"
build/native/tests/spooler_crash pairs --pairs "$pairs" --seed "$seed"
echo "-- stress: $((SECONDS - started)) s"
