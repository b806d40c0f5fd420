#!/usr/bin/env bash
# Builds (installing what is missing first) and starts the mascot on the current display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" >/dev/null
exec "$root/build/ruvia-mascot" "$@"
