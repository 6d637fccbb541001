#!/usr/bin/env bash
# Checks every example of a companion tool in a Markdown document against what the document
# says:
#   run_check_samples.sh TOOL DOCUMENT
# TOOL is rill-check or rill-trace. An example is a fenced block whose info string is the
# tool's name, with "file=NAME" (the name the program is given under), "exit=N" (the status,
# 0 when absent) and "options=A,B" (the options before the file). The fenced block after it
# holds the expected output: "findings", what rill-check prints; or "trace", the trace
# rill-trace writes (addresses, numbers of 12 digits or more, and the peak of live nodes are
# not compared: they differ from run to run).
set -u
check=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
document=$2
tool=$(basename "$check")
case $tool in
rill-check) expected=findings ;;
rill-trace) expected=trace ;;
*) echo "unknown tool $tool"; exit 2 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v dir="$work" -v tool="$tool" -v expected="$expected" '
$0 ~ "^```" tool "( |$)" {
    n++; name = sprintf("%s/%03d", dir, n)
    print FNR > (name ".line"); close(name ".line")
    file = "sample.rill"; status = 0; options = ""
    for (i = 2; i <= NF; i++) {
        if ($i ~ /^file=/) file = substr($i, 6)
        else if ($i ~ /^exit=/) status = substr($i, 6)
        else if ($i ~ /^options=/) options = substr($i, 9)
        else { print "line " FNR ": unknown attribute " $i > "/dev/stderr"; bad = 1 }
    }
    print file > (name ".file"); close(name ".file")
    print status > (name ".exit"); close(name ".exit")
    gsub(/,/, "\n", options)
    printf "%s", options > (name ".options"); close(name ".options")
    out = name ".rill"; printf "" > out; inside = 1; next
}
$0 == "```" expected {
    if (n == 0) { print "line " FNR ": " expected " before any example" > "/dev/stderr"; bad = 1 }
    out = name ".expected"; printf "" > out; inside = 1; next
}
/^```/ { if (inside) { inside = 0; close(out); out = "" } else { inside = 2 }; next }
{ if (inside == 1) print > out }
END { exit bad }
' "$document" || exit 1

mask() { [[ -f $1 ]] && sed -E 's/[0-9]{12,}/ADDRESS/g; s/^peak live nodes: [0-9]+$/peak live nodes: N/' "$1"; }

failed=0
count=0
for program in "$work"/*.rill; do
    base=${program%.rill}
    count=$((count + 1))
    run=$base.run
    mkdir "$run"
    file=$(cat "$base.file")
    cp "$program" "$run/$file"
    words=()
    while IFS= read -r word || [[ -n $word ]]; do words+=("$word"); done < "$base.options"
    [[ -f $base.expected ]] || : > "$base.expected"
    if [[ $tool == rill-trace ]]; then
        (cd "$run" && timeout 60 "$check" -o trace.out "${words[@]}" "$file" > /dev/null 2>&1)
        status=$?
        mask "$run/trace.out" > "$base.got"
        mask "$base.expected" > "$base.want"
    else
        (cd "$run" && timeout 60 "$check" "${words[@]}" "$file" > "$base.got" 2>&1)
        status=$?
        cp "$base.expected" "$base.want"
    fi
    problems=()
    [[ $status == "$(cat "$base.exit")" ]] ||
        problems+=("exit status $status, the document says $(cat "$base.exit")")
    cmp -s "$base.want" "$base.got" || problems+=("$expected differs")
    if ((${#problems[@]})); then
        failed=$((failed + 1))
        echo "example at line $(cat "$base.line"): ${problems[*]}"
        diff "$base.want" "$base.got" | head -20
    fi
done
echo "$count examples, $failed failed"
((count > 0)) && ((failed == 0))
