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
source "$(dirname "$0")/../run_support.sh"
trace=$1
program=$2
dir=$(dirname "$program")
base=$(basename "$program" .rill)
cd "$dir" || exit 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
words=()
if [[ -f $base.argv ]]; then
    read_words "$base.argv" words
else
    words+=(-o "$work/trace")
    [[ -f $base.options ]] && read_words "$base.options" words
    words+=("$base.rill")
    [[ -f $base.args ]] && read_words "$base.args" words
fi
stdin_file=/dev/null
[[ -f $base.stdin ]] && stdin_file=$base.stdin

timeout -s KILL 60 "$trace" "${words[@]}" < "$stdin_file" > "$work/out" 2> "$work/err"
status=$?

mask() { sed -E 's/[0-9]{12,}/ADDRESS/g; s/^peak live nodes: [0-9]+$/peak live nodes: N/' "$1"; }
[[ -f $work/trace ]] || : > "$work/trace"
mkdir "$work/got"
mask "$work/trace" > "$work/got/trace"
mask "$work/err" > "$work/got/stderr"
cp "$work/out" "$work/got/stdout"

compare_run "$base" "$status" "$work/got" diff stdout stderr trace
