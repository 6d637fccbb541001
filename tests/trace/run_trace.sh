#!/usr/bin/env bash
# Runs one tracer test: rill-trace on DIR/NAME.rill, compared byte for byte with the files
# beside it.
#   NAME.options options for rill-trace, one a line, put before the program
#   NAME.args    program arguments, one a line
#   NAME.stdin   standard input (empty when absent)
#   NAME.argv    when present, the whole command line after "rill-trace", one word a line
#                (for tests of the command line itself)
#   NAME.exit    expected exit status (0 when absent)
#   NAME.stdout  expected standard output (empty when absent)
#   NAME.stderr  expected standard error (empty when absent)
#   NAME.trace   expected trace (no trace file, or an empty one, when absent)
# The trace goes to a file of the test's own ("-o" first, so an "-e" among the options still
# sends it to standard error). Addresses (numbers of 12 digits or more) read "ADDRESS" in
# both traces and standard error, and the peak of live nodes "N": they differ from run to run
# and from build to build.
set -u
trace=$1
program=$2
dir=$(dirname "$program")
base=$(basename "$program" .rill)
cd "$dir" || exit 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
words=()
if [[ -f $base.argv ]]; then
    while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$base.argv"
else
    words+=(-o "$work/trace")
    if [[ -f $base.options ]]; then
        while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$base.options"
    fi
    words+=("$base.rill")
    if [[ -f $base.args ]]; then
        while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$base.args"
    fi
fi
stdin_file=/dev/null
[[ -f $base.stdin ]] && stdin_file=$base.stdin

timeout -s KILL 60 "$trace" "${words[@]}" < "$stdin_file" > "$work/stdout" 2> "$work/stderr"
status=$?

mask() { sed -E 's/[0-9]{12,}/ADDRESS/g; s/^peak live nodes: [0-9]+$/peak live nodes: N/' "$1"; }
[[ -f $work/trace ]] || : > "$work/trace"
mask "$work/trace" > "$work/got_trace"
mask "$work/stderr" > "$work/got_stderr"
cp "$work/stdout" "$work/got_stdout"

expected_status=0
[[ -f $base.exit ]] && expected_status=$(tr -d ' \n' < "$base.exit")
failed=0
if [[ $status != "$expected_status" ]]; then
    echo "exit status: got $status, want $expected_status"
    failed=1
fi
for stream in stdout stderr trace; do
    want=/dev/null
    [[ -f $base.$stream ]] && want=$base.$stream
    if ! cmp -s "$work/got_$stream" "$want"; then
        echo "$stream differs (want, then got):"
        diff "$want" "$work/got_$stream" | head -40
        failed=1
    fi
done
exit $failed
