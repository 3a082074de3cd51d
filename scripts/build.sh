#!/usr/bin/env bash
# Installs what is missing and builds everything into ./build (or $VELMORA_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ccache-env.sh
bash scripts/install-deps.sh
build="${VELMORA_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
