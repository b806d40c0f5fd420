#!/usr/bin/env bash
# Builds (installing what is missing first) and runs every test: unit, end-to-end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure "$@"
