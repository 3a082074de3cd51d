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
cmake --build "$build" -j2 --target velmora-bench velmora-bench-gui velmora-bench-entry >/dev/null
dir="${VELMORA_BENCH_DIR:-/tmp/velmora-bench}"
"$build/bin/velmora-bench" --dir "$dir" --sizes 100000,1000000 "$@"
# The main window on the largest database, offscreen: start-up to first rows, last row, memory.
largest=$(ls "$dir"/records-1000000-*.mdb 2>/dev/null | head -n 1 || true)
if [ -n "$largest" ]; then
  echo
  QT_QPA_PLATFORM=offscreen "$build/bin/velmora-bench-gui" "$largest" 5 2>/dev/null
fi
# The entry form: a page change with its page checks, a move from field to field.
echo
QT_QPA_PLATFORM=offscreen "$build/bin/velmora-bench-entry" 100 2>/dev/null
