#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, -DVELMORA_FUZZ=ON, with AddressSanitizer and
# UndefinedBehaviorSanitizer) into ./build-fuzz (or $VELMORA_FUZZ_BUILD_DIR) and runs each target for
# SECONDS (default 30) on a copy of its seed corpus fuzz/corpus/<target>/. Fails when a target
# crashes, leaks, hangs or runs out of memory; the input that did it is kept in
# <build>/fuzz-findings/<target>/ and the target's output in <build>/fuzz-run/<target>.log.
# The fuzz build is clang's; it does not take $VELMORA_CMAKE_ARGS, which are the GCC builds' options.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
seconds="${1:-30}"
cd "$(dirname "$0")/.."
source scripts/ccache-env.sh
build="${VELMORA_FUZZ_BUILD_DIR:-$PWD/build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON >/dev/null
cmake --build "$build" --target velmora_fuzzers -j"${VELMORA_JOBS:-$(nproc)}"

passed=0
failed=0
for source in fuzz/*_fuzzer.cpp; do
  name="$(basename "$source" .cpp)"
  target="${name%_fuzzer}"
  work="$build/fuzz-run/$target"
  findings="$build/fuzz-findings/$target"
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  if [ -d "fuzz/corpus/$target" ]; then cp -R "fuzz/corpus/$target/." "$work/"; fi
  # -timeout: one input taking this long is a hang; -rss_limit_mb: the process's memory ceiling.
  if "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" >"$build/fuzz-run/$target.log" 2>&1; then
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-run/$target.log" | grep -o '[0-9]*$' || true)"
    echo "fuzz $target: ${runs:-?} inputs in ${seconds}s, no crash"
    passed=$((passed + 1))
  else
    echo "fuzz $target: FAILED, see $build/fuzz-run/$target.log; inputs in $findings/"
    grep -m1 -A12 'ERROR: \|==ERROR\|runtime error\|deadly signal\|uncaught exception' "$build/fuzz-run/$target.log" || true
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
