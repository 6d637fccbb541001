#!/usr/bin/env bash
# Times the rill programs under bench/programs: wall time, peak memory and a rate.
# Each NAME.rill has NAME.work beside it: how much work one run does, as "COUNT UNIT"
# (nfib counts its own calls). Usage: bench/run_programs.sh [path/to/rill]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rill=${1:-$here/../build/rill}
printf '%-14s %10s %12s %16s\n' program seconds peak_KiB rate
for program in "$here"/programs/*.rill; do
    name=$(basename "$program" .rill)
    read -r count unit < "$here/programs/$name.work"
    report=$(mktemp)
    /usr/bin/time -f '%e %M' -o "$report" "$rill" "$program" > /dev/null || true
    read -r seconds peak < <(tail -n 1 "$report")
    rm -f "$report"
    rate=$(awk -v c="$count" -v s="$seconds" 'BEGIN { if (s > 0) printf "%.0f", c / s; else print "inf" }')
    printf '%-14s %10s %12s %16s\n' "$name" "$seconds" "$peak" "$rate $unit/s"
done
