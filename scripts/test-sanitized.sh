#!/usr/bin/env bash
# Builds the Linux program and its tests with the address and undefined-behaviour
# sanitizers into build-asan/, runs the unit tests and the Linux desktop tests against
# it, and fails on any sanitizer report from any process they started.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
[ -f build-asan/build.ninja ] || cmake --preset sanitize >/dev/null
cmake --build build-asan -j2 >/dev/null

reports="$(mktemp -d)"
trap 'rm -rf "$reports"' EXIT
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:abort_on_error=0:exitcode=86"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"

cd build-asan
status=0
ctest --output-on-failure -E wine "$@" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "== sanitizer report $(basename "$report")"
    cat "$report"
  done
  echo "test-sanitized: the sanitizers reported faults"
  exit 1
fi
exit "$status"
