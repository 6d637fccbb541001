#!/usr/bin/env bash
# Hostile inputs, too large to keep in the repository: each case writes its program into a
# scratch directory, runs rill on it under a memory limit (ulimit -v, KiB) and a time limit
# (seconds), and compares the exit status, standard output and the first lines of standard
# error with what the case expects. No case may end by a signal or run out of its time.
#   hostile.sh RILL CASE
set -u
rill=$1
case_name=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=$work/program.rill

# repeat TEXT COUNT: TEXT written COUNT times.
repeat() { yes "$1" | head -n "$2" | tr -d '\n'; }
# names COUNT: COUNT different definition names, each of "q" and three letters.
names() {
    awk -v n="$2" -v sep="$1" 'BEGIN { for (i = 0; i < n; i++) {
        s = "q"; k = i; for (j = 0; j < 3; j++) { s = s sprintf("%c", 97 + k % 26); k = int(k / 26) }
        printf "%s%s", s, sep } }'
}
report() { printf '\033[mError.\n Type: %s\n' "$1"; }
show='seq\a\b\b,
out\s\fwrite(s,1,rank(s),stdout),
show\x\seq(out(init(lisp(x))),putchar(10))'

memory=1000000 # KiB
seconds=60
want_status=0
want_stdout=
want_stderr= # the first lines of standard error, as many as given
case $case_name in
round_open) # 1,000,000 opening round brackets, never closed
    { printf 'K('; repeat '(' 1000000; } > "$program"
    want_status=128
    want_stderr="$(report Match)
Match[_cPia]Right dangling parenthesis." ;;
square_open)
    { printf 'K('; repeat '[' 1000000; } > "$program"
    want_status=128
    want_stderr="$(report Match)
Match[_cPia]Right dangling bracket." ;;
brace_open)
    { printf 'K('; repeat '{' 1000000; } > "$program"
    want_status=128
    want_stderr="$(report Match)
Match[_cPia]Right dangling wing." ;;
round_balanced) # 1,000,000 round brackets around a number
    { printf 'K('; repeat '(' 1000000; printf 7; repeat ')' 1000000; printf ')'; } > "$program"
    want_status=7 ;;
square_balanced) # a string of 1,000,000 nested brackets; its rank counts its bytes
    { printf 'K(rank('; repeat '[' 1000000; repeat ']' 1000000; printf '))'; } > "$program"
    want_status=126 ;; # 1,999,998 mod 256
brace_balanced) # 1,000,000 nested braces: lets without binders
    { printf 'K('; repeat '{' 1000000; printf 0; repeat '}' 1000000; printf ')'; } > "$program"
    want_status=128
    want_stderr="$(report Funky)" ;;
program_100mb) # 100 MB of definitions, the last of a name winning
    { printf 'K(ab),\n'; yes 'ab\plus(3,4),' | head -n 7489828; printf 'ab\\7'; } > "$program"
    memory=2000000 seconds=120 want_status=7 ;;
program_100mb_string) # one 100 MB string: more memory than the limit
    { printf 'K(rank(['; head -c 104857588 /dev/zero | tr '\0' a; printf ']))'; } > "$program"
    memory=600000 want_status=3 want_stderr='rill: out of memory' ;;
million_digits) # a literal of a million digits and one of half a million
    {
        printf 'K(seq(show(cent(aa,1000)),\nseq(show(cent(mult(aa,bb),1000007)),\n'
        printf 'seq(show(same(over(mult(aa,bb),bb),aa)),\n'
        printf 'seq(show(cent(over(aa,bb),1000000007)),\n'
        printf 'seq(show(cent(powa(aa,3),1000003)),\n'
        printf 'seq(show(cent(cent(aa,bb),1000000009)),\n0))))))),\naa\\'
        awk 'BEGIN { printf "12345"; for (i = 1; i <= 199999; i++) printf "%05d", (i * 7919 + 13) % 100000 }'
        printf ',\nbb\\'
        awk 'BEGIN { printf "9"; for (i = 1; i <= 99999; i++) printf "%05d", (i * 104729 + 7) % 100000 }'
        printf ',\n%s' "$show"
    } > "$program"
    seconds=120
    want_stdout='94
574377
K
117440855
981172
61371051' ;;
parameters_10000) # 10,000 parameters of different names: more local names than letters
    { printf 'K(ff(%s1)),ff\\' "$(repeat '1,' 9999)"; names '\' 10000; printf 0; } > "$program"
    want_status=128
    want_stderr="$(report Place)
 Name: ff
Place error in function ff." ;;
parameters_10000_one_letter) # 10,000 parameters, all x
    { printf 'K(ff(%s1)),ff\\' "$(repeat '1,' 9999)"; repeat 'x\' 10000; printf 0; } > "$program"
    want_status=128
    want_stderr="$(report Arity)
 Name: ff
Arity of function ff may not exceed ten." ;;
locals_10000) # 10,000 let names in one definition
    { printf 'K(ff(1)),ff\\x\\'; names '{x}' 10000; printf x; } > "$program"
    want_status=128
    want_stderr="$(report Place)
 Name: ff
Place error in function ff." ;;
lambdas_100000) # a chain of 100,000 lambdas: the entry is a function
    { printf 'K('; repeat 'x\' 100000; printf '0)'; } > "$program"
    want_status=128
    want_stderr="$(report Value)
The program reduced to a partial application, not to an integer." ;;
quotes_100000) # a chain of 100,000 quotes: each holds the text of all inside it
    { printf 'K('; repeat '`' 100000; printf '0)'; } > "$program"
    memory=300000 want_status=3 want_stderr='rill: out of memory' ;;
prefix_100000)
    { printf 'K(cent('; repeat '~' 100000; printf '5,7))'; } > "$program"
    want_status=5 ;;
postfix_100000)
    { printf 'K(cent(5'; repeat '~' 100000; printf ',7))'; } > "$program"
    want_status=5 ;;
recursion_10000000) # recursion ten million deep
    printf 'K(count(9999999)),count\\n\\(n<1)(0)(1+count(n-1))' > "$program"
    memory=3000000 seconds=120 want_status=127 ;; # 9,999,999 mod 256
*)
    echo "no case $case_name"
    exit 2 ;;
esac

(ulimit -v "$memory" && exec timeout -s KILL "$seconds" "$rill" "$program") \
    < /dev/null > "$work/stdout" 2> "$work/stderr"
status=$?
failed=0
if ((status != want_status)); then
    echo "exit status: got $status, want $want_status (above 128: a signal; 137: out of time)"
    failed=1
fi
if [[ $(cat "$work/stdout") != "$want_stdout" ]]; then
    echo "standard output differs; got:"
    head -c 1000 "$work/stdout"
    failed=1
fi
lines=0
[[ -n $want_stderr ]] && lines=$(printf '%s\n' "$want_stderr" | wc -l)
got_stderr=$(head -n "$lines" "$work/stderr")
if [[ $got_stderr != "$want_stderr" ]] || { ((lines == 0)) && [[ -s $work/stderr ]]; }; then
    echo "standard error differs; got:"
    head -c 1000 "$work/stderr" | od -c | head -20
    failed=1
fi
exit $failed
