#!/usr/bin/env bash
# The README stays true: .ci/run calls the README's test command word for word, and the
# program of "A taste" prints what the README says it prints.
#   readme.sh RILL SOURCE_DIR
set -u
rill=$1
source_dir=$2
readme=$source_dir/README.md
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

test_command=$(grep -m1 '^cmake .*ctest ' "$readme")
[[ -n $test_command ]] || { echo "no test command in the README"; failed=1; }
grep -qxF "$test_command" "$source_dir/.ci/run" || { echo ".ci/run does not call: $test_command"; failed=1; }

# The first two fenced blocks after "## A taste": the program, then its output.
awk '/^## A taste/ { on = 1; next }
     /^## / { on = 0 }
     on && /^```/ { block++; next }
     on && block == 1 { print > (dir "/taste.rill") }
     on && block == 3 { print > (dir "/taste.stdout") }' dir="$work" "$readme"
if [[ ! -s $work/taste.rill || ! -s $work/taste.stdout ]]; then
    echo "no program and output under A taste"
    exit 1
fi
(cd "$work" && timeout 20 "$rill" taste.rill) > "$work/stdout" 2> "$work/stderr"
status=$?
[[ $status == 0 ]] || { echo "the taste exits with $status"; cat "$work/stderr"; failed=1; }
cmp -s "$work/stdout" "$work/taste.stdout" || { echo "the taste prints:"; cat "$work/stdout"; failed=1; }
exit $failed
