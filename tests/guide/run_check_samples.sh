#!/usr/bin/env bash
# Checks every rill-check example of a Markdown document against what the document says:
#   run_check_samples.sh RILL_CHECK DOCUMENT
# An example is a fenced block whose info string is "rill-check", with "file=NAME" (the name
# the program is checked under), "exit=N" (the status, 0 when absent) and "options=A,B" (the
# options before the file); the fenced block "findings" after it holds the expected output.
set -u
check=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
document=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v dir="$work" '
/^```rill-check( |$)/ {
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
/^```findings$/ {
    if (n == 0) { print "line " FNR ": findings before any example" > "/dev/stderr"; bad = 1 }
    out = name ".findings"; printf "" > out; inside = 1; next
}
/^```/ { if (inside) { inside = 0; close(out); out = "" } else { inside = 2 }; next }
{ if (inside == 1) print > out }
END { exit bad }
' "$document" || exit 1

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
    (cd "$run" && timeout 60 "$check" "${words[@]}" "$file" > "$base.got" 2>&1)
    status=$?
    [[ -f $base.findings ]] || : > "$base.findings"
    problems=()
    [[ $status == "$(cat "$base.exit")" ]] ||
        problems+=("exit status $status, the document says $(cat "$base.exit")")
    cmp -s "$base.findings" "$base.got" || problems+=("findings differ")
    if ((${#problems[@]})); then
        failed=$((failed + 1))
        echo "example at line $(cat "$base.line"): ${problems[*]}"
        diff "$base.findings" "$base.got" | head -20
    fi
done
echo "$count examples, $failed failed"
((count > 0)) && ((failed == 0))
