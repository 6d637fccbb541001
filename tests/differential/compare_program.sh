#!/usr/bin/env bash
# Runs one program test on both machines and requires the same standard output, standard
# error, exit status and built-in calls:
#   compare_program.sh RILL_TRACED DIR/NAME.rill [--outputs-only]
# The command line, input and working directory are those of tests/programs/run_program.sh
# (NAME.args, NAME.stdin, NAME.argv); each run has a fresh copy of the program's directory,
# so that what one run writes there cannot change the other. Addresses in the calls are
# compared by their order of first appearance. With --outputs-only the calls are not compared
# (for programs whose calls depend on the time, random numbers or which ports are free).
set -u
traced=$1
program=$2
outputs_only=${3:-}
dir=$(cd "$(dirname "$program")" && pwd) || exit 2
base=$(basename "$program" .rill)

words=()
if [[ -f $dir/$base.argv ]]; then
    while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$dir/$base.argv"
else
    words+=("$base.rill")
    if [[ -f $dir/$base.args ]]; then
        while IFS= read -r line || [[ -n $line ]]; do words+=("$line"); done < "$dir/$base.args"
    fi
fi
stdin_file=/dev/null
[[ -f $dir/$base.stdin ]] && stdin_file=$dir/$base.stdin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for machine in fast plain; do
    mkdir -p "$work/$machine/run"
    cp -R "$dir/." "$work/$machine/run/"
    (cd "$work/$machine/run" &&
        timeout 100 "$traced" "$machine" --trace "$work/$machine/trace" \
            "${words[@]}" < "$stdin_file" > "$work/$machine/stdout" 2> "$work/$machine/stderr")
    echo $? > "$work/$machine/status"
    touch "$work/$machine/trace"
done

failed=0
parts=(status stdout stderr trace)
[[ $outputs_only == --outputs-only ]] && parts=(status stdout stderr)
for part in "${parts[@]}"; do
    if ! cmp -s "$work/fast/$part" "$work/plain/$part"; then
        echo "$part differs between the machines (fast, then plain):"
        diff <(head -c 200000 "$work/fast/$part") <(head -c 200000 "$work/plain/$part") |
            head -20
        failed=1
    fi
done
if [[ $failed != 0 ]]; then
    echo "(calls: fast $(wc -l < "$work/fast/trace"), plain $(wc -l < "$work/plain/trace"))"
fi
exit $failed
