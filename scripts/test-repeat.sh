#!/usr/bin/env bash
# Runs the whole suite (scripts/test.sh) several times in a row, optionally beside busy
# loops, to find tests that only fail now and then. One line per run; each run's output is
# kept in build/repeat/. Exits non-zero when any run failed.
#
#   scripts/test-repeat.sh [-n RUNS] [--busy LOOPS] [-- CTEST-ARGS...]
#   scripts/test-repeat.sh -n 10 --busy 2          # ten runs beside two busy loops
#   scripts/test-repeat.sh -n 9 -- -R wine          # one group, nine times
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

runs=10 busy=0
while (($#)); do
    case "$1" in
        -n) runs="${2:?-n needs a number}"; shift 2 ;;
        --busy) busy="${2:?--busy needs a number}"; shift 2 ;;
        --) shift; break ;;
        *) echo "test-repeat: unknown argument '$1' (see the top of $0)" >&2; exit 2 ;;
    esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ && "$busy" =~ ^[0-9]+$ ]] || {
    echo "test-repeat: RUNS must be 1 or more and LOOPS 0 or more" >&2; exit 2; }

loops=()
stop_loops() { ((${#loops[@]})) && kill "${loops[@]}" 2>/dev/null; loops=(); }
trap stop_loops EXIT
trap 'exit 130' INT TERM
for ((i = 0; i < busy; i++)); do
    sh -c 'while :; do :; done' &
    loops+=($!)
done

logs="$root/build/repeat"
mkdir -p "$logs"
failed=0
for ((run = 1; run <= runs; run++)); do
    log="$logs/run-$run.log"
    start=$(date +%s)
    result=pass
    bash "$root/scripts/test.sh" "$@" >"$log" 2>&1 || result=FAIL
    counts=$(grep -E 'tests passed|tests failed' "$log" | tail -n 1)
    # A filter that matches nothing makes ctest succeed; that is no green run.
    [[ -n $counts ]] || result=FAIL
    [[ $result == pass ]] || failed=$((failed + 1))
    echo "run $run/$runs: $result in $(($(date +%s) - start)) s; ${counts:-no ctest summary, see $log}; load $(cut -d' ' -f1-3 /proc/loadavg)"
    [[ $result == FAIL ]] && grep -E '^\s+[0-9]+ - ' "$log" | sed -E 's/^[[:space:]]+/    failed: /'
done
echo "$((runs - failed)) of $runs runs green (beside $busy busy loops); logs in $logs"
((failed == 0))
