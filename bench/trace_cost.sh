#!/usr/bin/env bash
# What tracing costs: each workload run by rill and by rill-trace (default trace to a file,
# then with every built-in call traced, -c -n 0), alternating, several times; prints the
# median CPU seconds of each and the median of the paired ratios. The machine is shared and
# noisy: read the ratios, not the seconds.
#   bench/trace_cost.sh [-n PAIRS] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
pairs=5
if [[ ${1:-} == -n ]]; then
    pairs=$2
    shift 2
fi
build=${1:-$here/../build}
rill=$build/rill
trace=$build/rill-trace
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name, program and arguments: the workloads small enough to trace several times.
workloads=(
    "nfib|$here/workloads/nfib.rill|22"
    "church|$here/workloads/church.rill|"
    "primes|$here/programs/primes.rill|"
    "combinators|$here/programs/combinators.rill|"
)

cpu() { # command... : CPU seconds of one run
    /usr/bin/time -f '%U %S' -o "$work/time" "$@" > /dev/null 2>&1 < /dev/null || true
    tail -n 1 "$work/time" | awk '{ printf "%.3f", $1 + $2 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-12s %8s %8s %8s %10s %10s\n' workload rill trace trace-c ratio ratio-c
for entry in "${workloads[@]}"; do
    IFS='|' read -r name program arguments <<< "$entry"
    read -r -a args <<< "$arguments"
    : > "$work/plain"; : > "$work/traced"; : > "$work/calls"; : > "$work/r1"; : > "$work/r2"
    for ((i = 0; i < pairs; i++)); do
        p=$(cpu "$rill" "$program" "${args[@]}")
        t=$(cpu "$trace" -o "$work/trace" "$program" "${args[@]}")
        c=$(cpu "$trace" -c -n 0 -o "$work/trace" "$program" "${args[@]}")
        echo "$p" >> "$work/plain"; echo "$t" >> "$work/traced"; echo "$c" >> "$work/calls"
        awk -v a="$t" -v b="$p" 'BEGIN { if (b > 0) print a / b }' >> "$work/r1"
        awk -v a="$c" -v b="$p" 'BEGIN { if (b > 0) print a / b }' >> "$work/r2"
    done
    printf '%-12s %8s %8s %8s %10.2f %10.2f\n' "$name" "$(median < "$work/plain")" \
        "$(median < "$work/traced")" "$(median < "$work/calls")" \
        "$(median < "$work/r1")" "$(median < "$work/r2")"
done
