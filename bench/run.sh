#!/usr/bin/env bash
# Builds velmora-bench when needed and runs the benchmarks on 100 000 and 1 000 000 records.
# The generated databases are kept in $VELMORA_BENCH_DIR (default /tmp/velmora-bench) and reused.
# Extra arguments go to velmora-bench (see: velmora-bench --help).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${VELMORA_BUILD_DIR:-build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target velmora-bench >/dev/null
exec "$build/bin/velmora-bench" --dir "${VELMORA_BENCH_DIR:-/tmp/velmora-bench}" --sizes 100000,1000000 "$@"
