#!/usr/bin/env bash
# Runs the test suite three times in a row beside twice as many busy loops as the machine has
# cores, so that a test racing a pause against its own next step shows. Run ./test.sh once
# first (it configures build-test/); this script builds that tree again, then starts the loops,
# which it always ends when it ends. Arguments go to each ctest run (e.g. -R tst_linkthread);
# KVL_LOAD_RUNS sets the number of runs. Exits with the first failing run's status.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if [ ! -f build-test/CTestTestfile.cmake ]; then
    echo "load-test.sh: build-test/ is not configured; run ./test.sh first" >&2
    exit 2
fi
cores=$(nproc)
runs=${KVL_LOAD_RUNS:-3}
cmake --build build-test -j "$cores"

busy=()
stop_busy() {
    for pid in "${busy[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${busy[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
trap stop_busy EXIT
trap 'exit 130' INT TERM
for _ in $(seq $((2 * cores))); do
    (while :; do :; done) &
    busy+=("$!")
done
echo "load-test.sh: ${#busy[@]} busy loops on $cores cores; $runs runs of the suite"
for run in $(seq "$runs"); do
    echo "load-test.sh: run $run of $runs"
    (cd build-test && ctest --output-on-failure -j "$cores" "$@")
done
echo "load-test.sh: $runs runs passed under load"
