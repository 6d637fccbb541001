#!/usr/bin/env bash
# Runs one program test: rill DIR/NAME.rill, compared byte for byte with the files beside it.
#   NAME.exit    expected exit status (0 when absent)
#   NAME.stdout  expected standard output (empty when absent)
#   NAME.stderr  expected standard error (empty when absent)
#   NAME.args    program arguments, one a line
#   NAME.stdin   standard input (empty when absent)
#   NAME.argv    when present, the whole command line after "rill", one word a line,
#                replacing "NAME.rill" and NAME.args (for tests of the command line itself)
#   NAME.memory  the address space rill may have, in KiB (ulimit -v; no limit when absent)
#   NAME.seconds the time rill may take (100 when absent); a run that takes longer fails
# RILL_RUN_UNDER, when set, is a command that runs rill (e.g. valgrind and its options); it
# gets ten times the time, and tests with a memory limit are skipped (status 77).
# The program runs in its own directory with the program path given as "NAME.rill".
set -u
source "$(dirname "$0")/../run_support.sh"
rill=$1
program=$2
dir=$(dirname "$program")
base=$(basename "$program" .rill)
cd "$dir" || exit 2

words=()
if [[ -f $base.argv ]]; then
    read_words "$base.argv" words
else
    words+=("$base.rill")
    [[ -f $base.args ]] && read_words "$base.args" words
fi
stdin_file=/dev/null
[[ -f $base.stdin ]] && stdin_file=$base.stdin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=100
[[ -f $base.seconds ]] && seconds=$(tr -d ' \n' < "$base.seconds")
memory=unlimited
[[ -f $base.memory ]] && memory=$(tr -d ' \n' < "$base.memory")
under=()
if [[ -n ${RILL_RUN_UNDER:-} ]]; then
    [[ -f $base.memory ]] && exit 77
    read -r -a under <<< "$RILL_RUN_UNDER"
    seconds=$((seconds * 10))
fi
(ulimit -v "$memory" && exec timeout -s KILL "$seconds" "${under[@]}" "$rill" "${words[@]}") \
    < "$stdin_file" > "$work/stdout" 2> "$work/stderr"
status=$?

compare_run "$base" "$status" "$work" bytes stdout stderr
