#!/usr/bin/env bash
# Builds the settings fuzzer with clang and runs it for RUVIA_FUZZ_SECONDS (30) from the
# seed corpus in tests/fuzz/corpus. Exits non-zero on any crash or sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
[ -f build-fuzz/build.ninja ] || cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j2 >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"; rm -f /dev/shm/ruvia-fuzz-*.ini' EXIT
cp tests/fuzz/corpus/* "$work/"
# The seed corpus stays as committed; what the run finds lives in the scratch folder.
build-fuzz/tests/fuzz/settings_fuzz -dict=tests/fuzz/settings.dict \
  -max_total_time="${RUVIA_FUZZ_SECONDS:-30}" -max_len=4200 -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/" "$work" 2>"$work/log" || {
  tail -n 40 "$work/log"
  echo "fuzz: the settings fuzzer found a fault; the input is in build-fuzz/"
  exit 1
}
grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' "$work/log" || true
echo "fuzz: no fault in ${RUVIA_FUZZ_SECONDS:-30} s"
