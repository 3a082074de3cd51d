#!/usr/bin/env bash
# Installs what is missing and builds everything into ./build (or $VELMORA_BUILD_DIR).
# $VELMORA_CMAKE_ARGS: extra configure options, e.g. "-DVELMORA_WARNINGS_AS_ERRORS=ON".
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ccache-env.sh
bash scripts/install-deps.sh
build="${VELMORA_BUILD_DIR:-build}"
read -ra extra <<<"${VELMORA_CMAKE_ARGS:-}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
