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
source "$(dirname "$0")/../run_support.sh"
check=$1
program=$2
dir=$(dirname "$program")
base=$(basename "$program" .rill)
cd "$dir" || exit 2

words=()
if [[ -f $base.argv ]]; then
    read_words "$base.argv" words
else
    words+=("$base.rill")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timeout -s KILL 60 "$check" "${words[@]}" < /dev/null > "$work/stdout" 2> "$work/stderr"
status=$?

compare_run "$base" "$status" "$work" diff stdout stderr
