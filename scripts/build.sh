#!/usr/bin/env bash
# Configures and builds the Linux program and its tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
[ -f build/build.ninja ] || cmake --preset default >/dev/null
cmake --build build -j2
