#!/usr/bin/env bash
# Configures and builds the Linux program and its tests into build/, and the Windows
# program into build-win/ where the mingw-w64 cross compiler is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
[ -f build/build.ninja ] || cmake --preset default >/dev/null
cmake --build build -j2
if command -v x86_64-w64-mingw32-g++ >/dev/null; then
  [ -f build-win/build.ninja ] || cmake --preset windows >/dev/null
  cmake --build build-win -j2
fi
