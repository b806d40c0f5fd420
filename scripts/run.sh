#!/usr/bin/env bash
# Builds (installing what is missing first) and starts the mascot on the current display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! bash "$root/scripts/build.sh" >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: the build failed (output above)" >&2
  exit 1
fi
"$root/build/ruvia-mascot" "$@"
