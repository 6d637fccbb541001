#!/usr/bin/env bash
# Runs one checker test: rill-check DIR/NAME.rill, compared byte for byte with the files beside
# it, as the program tests are.
#   NAME.stdout  expected findings (empty when absent)
#   NAME.stderr  expected standard error (empty when absent)
#   NAME.exit    expected exit status (0 when absent)
#   NAME.argv    when present, the whole command line after "rill-check", one word a line,
#                replacing "NAME.rill" (for options)
# The check runs in the test's directory with the path given as "NAME.rill".
set -u
check=$1
program=$2
dir=$(dirname "$program")
base=$(basename "$program" .rill)
cd "$dir" || exit 2

words=()
if [[ -f $base.argv ]]; then
    while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$base.argv"
else
    words+=("$base.rill")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timeout -s KILL 60 "$check" "${words[@]}" < /dev/null > "$work/stdout" 2> "$work/stderr"
status=$?

expected_status=0
[[ -f $base.exit ]] && expected_status=$(tr -d ' \n' < "$base.exit")
failed=0
if [[ $status != "$expected_status" ]]; then
    echo "exit status: got $status, want $expected_status"
    failed=1
fi
for stream in stdout stderr; do
    want=/dev/null
    [[ -f $base.$stream ]] && want=$base.$stream
    if ! cmp -s "$work/$stream" "$want"; then
        echo "$stream differs:"
        diff "$want" "$work/$stream" | head -40
        failed=1
    fi
done
exit $failed
