# Shared by the runners of one test (programs/run_program.sh, check/run_check.sh,
# trace/run_trace.sh), which source it: reading a test's word files, and comparing what a run
# gave with the files beside the test.

# read_words FILE ARRAY: appends each line of FILE to the array named ARRAY (the last line
# may lack its newline).
read_words() {
    local -n words_into=$2
    local line
    while IFS= read -r line || [[ -n $line ]]; do words_into+=("$line"); done < "$1"
}

# compare_run BASE STATUS GOT SHOW STREAM...: the status against BASE.exit (0 when absent),
# and each GOT/STREAM against BASE.STREAM (empty when absent). Every difference is printed:
# SHOW "diff" shows a text diff, "bytes" both sides byte by byte. Fails on any difference.
compare_run() {
    local base=$1 status=$2 got=$3 show=$4
    shift 4
    local expected=0 failed=0 stream want
    [[ -f $base.exit ]] && expected=$(tr -d ' \n' < "$base.exit")
    if [[ $status != "$expected" ]]; then
        echo "exit status: got $status, want $expected"
        failed=1
    fi
    for stream in "$@"; do
        want=/dev/null
        [[ -f $base.$stream ]] && want=$base.$stream
        cmp -s "$got/$stream" "$want" && continue
        failed=1
        echo "$stream differs (want, then got):"
        if [[ $show == bytes ]]; then
            od -c "$want" | head -20
            echo "---"
            od -c "$got/$stream" | head -20
        else
            diff "$want" "$got/$stream" | head -40
        fi
    done
    return $failed
}
