#!/usr/bin/env bash
# Runs every program of a Markdown document and compares what it does with what the document
# says it does:
#   run_samples.sh RILL DOCUMENT
# A program is a fenced block whose info string starts with "rill"; the info string may add
# "args=WORD,WORD,..." (the program's arguments) and "exit=N" (its exit status, 0 when absent).
# The fenced blocks that follow it, up to the next program, give its standard input ("stdin"),
# its standard output ("stdout") and its standard error ("stderr", compared with the colour
# codes of reports taken out); a program must be followed by at least one of the last two.
# Each program runs in a directory of its own, as "sample.rill".
set -u
rill=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
document=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v dir="$work" '
function flush() { if (out != "") close(out); out = "" }
/^```rill( |$)/ {
    n++; name = sprintf("%s/%03d", dir, n)
    print FNR > (name ".line"); close(name ".line")
    printf "" > (name ".stdin"); close(name ".stdin")
    status = 0; words = ""
    for (i = 2; i <= NF; i++) {
        if ($i ~ /^exit=/) status = substr($i, 6)
        else if ($i ~ /^args=/) words = substr($i, 6)
        else { print "line " FNR ": unknown attribute " $i > "/dev/stderr"; bad = 1 }
    }
    print status > (name ".exit"); close(name ".exit")
    gsub(/,/, "\n", words)
    printf "%s", words > (name ".args"); close(name ".args")
    out = name ".rill"; printf "" > out; inside = 1; next
}
/^```(stdin|stdout|stderr)$/ {
    if (n == 0) { print "line " FNR ": output block before any program" > "/dev/stderr"; bad = 1 }
    kind = substr($0, 4); out = name "." kind; printf "" > out; inside = 1
    if (kind != "stdin") expected[n] = 1
    next
}
/^```/ {
    if (inside) { inside = 0; flush() } else { inside = 2 }
    next
}
{ if (inside == 1) print > out }
END {
    for (i = 1; i <= n; i++)
        if (!(i in expected)) {
            getline line < sprintf("%s/%03d.line", dir, i)
            print "line " line ": program without an expected output block" > "/dev/stderr"
            bad = 1
        }
    exit bad
}
' "$document" || exit 1

failed=0
count=0
for program in "$work"/*.rill; do
    base=${program%.rill}
    count=$((count + 1))
    run=$base.run
    mkdir "$run"
    cp "$program" "$run/sample.rill"
    words=()
    while IFS= read -r word || [[ -n $word ]]; do words+=("$word"); done < "$base.args"
    (cd "$run" && timeout 60 "$rill" sample.rill "${words[@]}" < "$base.stdin" \
        > "$base.got_stdout" 2> "$base.raw_stderr")
    status=$?
    sed 's/\x1b\[[0-9;]*m//g' "$base.raw_stderr" > "$base.got_stderr"
    [[ -f $base.stdout ]] || : > "$base.stdout"
    [[ -f $base.stderr ]] || : > "$base.stderr"
    problems=()
    [[ $status == "$(cat "$base.exit")" ]] ||
        problems+=("exit status $status, the document says $(cat "$base.exit")")
    for stream in stdout stderr; do
        cmp -s "$base.$stream" "$base.got_$stream" || problems+=("$stream differs")
    done
    if ((${#problems[@]})); then
        failed=$((failed + 1))
        echo "program at line $(cat "$base.line"): ${problems[*]}"
        for stream in stdout stderr; do
            if ! cmp -s "$base.$stream" "$base.got_$stream"; then
                diff "$base.$stream" "$base.got_$stream" | head -10
            fi
        done
    fi
done
echo "$count programs, $failed failed"
((count > 0)) && ((failed == 0))
