#!/usr/bin/env bash
# rill-check agrees with rill on every program test and example: where rill's expected
# standard error holds a report of the front end or the checks, rill-check gives an error of
# that type (and for an undefined name, that name); where rill reports nothing of the kind,
# rill-check gives no error at all.
#   agree_with_rill.sh RILL_CHECK PROGRAM...
set -u
check=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
count=0
for program in "$@"; do
    count=$((count + 1))
    dir=$(dirname "$program")
    base=$(basename "$program" .rill)
    type=""
    name=""
    if [[ -f $dir/$base.stderr ]]; then
        type=$(sed -n 's/^.*Error\.$//; s/^ Type: \(.*\)$/\1/p' "$dir/$base.stderr" | head -1)
        name=$(LC_ALL=C tr -d '\000' < "$dir/$base.stderr" |
            LC_ALL=C sed -n 's/^Alive function \[.*\] references undefined \[\(.*\)\]\.$/\1/p' |
            head -1)
    fi
    (cd "$dir" && timeout 60 "$check" "$base.rill") > "$work/found" 2>&1
    status=$?
    found=$(LC_ALL=C tr -d '\000' < "$work/found")
    case $type in
    Match | Comma | Parse | Lower | Built | Funky | Alive | Place | Arity | Local)
        if [[ $status != 2 ]] || ! LC_ALL=C grep -aq "error: .*\[$type\]$" <<< "$found"; then
            echo "$program: rill reports $type, rill-check does not (status $status)"
            failed=$((failed + 1))
        elif [[ $type == Alive && $name =~ ^[[:graph:]]+$ ]] &&
            ! LC_ALL=C grep -aqF "references undefined [$name]" <<< "$found"; then
            echo "$program: rill reports the undefined name $name, rill-check does not"
            failed=$((failed + 1))
        fi
        ;;
    *)
        if [[ $status == 2 ]]; then
            echo "$program: rill runs it, rill-check gives errors:"
            head -6 <<< "$found"
            failed=$((failed + 1))
        fi
        ;;
    esac
done
echo "$count programs, $failed disagree"
((count > 0)) && ((failed == 0))
