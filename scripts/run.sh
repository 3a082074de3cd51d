#!/usr/bin/env bash
# Builds the program and starts it on the default database beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec "${VELMORA_BUILD_DIR:-build}/bin/velmora" "$@"
