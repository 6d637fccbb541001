#!/usr/bin/env bash
# Runs every program test and example given under rill-trace instead of rill, each against the
# files beside it, as run_program.sh runs it: a traced run must give exactly the output,
# reports and exit status of a plain one. Left out: tests of rill's own command line (an
# argv file without a program), and tests with a memory limit, which the tracer's plain
# machine may pass.
#   agree_with_rill.sh RILL_TRACE PROGRAM...
set -u
here=$(cd "$(dirname "$0")" && pwd)
export RILL_TRACE=$1
shift
failures=0
ran=0
for program in "$@"; do
    base=${program%.rill}
    [[ -f $base.memory ]] && continue
    if [[ -f $base.argv ]] && ! grep -q '\.rill$' "$base.argv"; then
        continue
    fi
    ran=$((ran + 1))
    if ! output=$(bash "$here/../programs/run_program.sh" "$here/traced_rill.sh" "$program" 2>&1); then
        echo "DIFFERS: $program"
        echo "$output" | head -20
        failures=$((failures + 1))
    fi
done
echo "$ran programs run under rill-trace, $failures differ from rill"
[[ $failures == 0 ]]
