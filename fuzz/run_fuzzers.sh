#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/, clang with libFuzzer) and runs each one in turn for
# the given time, at the lowest priority.
#   fuzz/run_fuzzers.sh [SECONDS] [TARGET ...]   (default: 600 seconds; all four targets:
#                                                  front program load decimal)
# Each target keeps its corpus in build-fuzz/corpus/TARGET (seeded from tests/programs,
# examples and fuzz/seeds), writes what it finds (crash-*, leak-*, timeout-*, oom-*) to
# build-fuzz/findings/TARGET/ and its log to build-fuzz/logs/TARGET.log. A finding is run
# again with: build-fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(front program load decimal)

compiler=${CXX_FUZZ:-clang++-14}
command -v "$compiler" > /dev/null || compiler=clang++
nice -n 19 cmake -S . -B build-fuzz -DRILL_FUZZ=ON -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
nice -n 19 cmake --build build-fuzz -j2 > /dev/null

seed() {
    local target=$1 dir=build-fuzz/corpus/$1
    mkdir -p "$dir"
    case $target in
    front | program)
        for f in tests/programs/*/*.rill examples/*.rill; do
            cp "$f" "$dir/seed_$(echo "$f" | tr '/' '_')"
        done ;;
    load)
        cp fuzz/seeds/load/* "$dir/"
        for f in tests/programs/loading/*.rill; do cp "$f" "$dir/seed_$(basename "$f")"; done ;;
    decimal) ;;
    esac
}

for target in "${targets[@]}"; do
    seed "$target"
    mkdir -p "build-fuzz/findings/$target" build-fuzz/logs
    max_len=4096
    [[ $target == decimal ]] && max_len=512
    echo "fuzz_$target: $seconds seconds"
    # A finding stops the fuzzer; it starts again on the same corpus for the time left.
    : > "build-fuzz/logs/$target.log"
    end=$((SECONDS + seconds))
    executions=0
    while ((SECONDS < end)); do
        status=0
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        nice -n 19 "build-fuzz/fuzz/fuzz_$target" "build-fuzz/corpus/$target" \
            -dict=fuzz/rill.dict -max_len=$max_len -timeout=20 -rss_limit_mb=3072 \
            -max_total_time=$((end - SECONDS)) -print_final_stats=1 \
            -artifact_prefix="build-fuzz/findings/$target/" > "build-fuzz/logs/$target.last" 2>&1 \
            || status=$?
        cat "build-fuzz/logs/$target.last" >> "build-fuzz/logs/$target.log"
        # The executions of this run: the count of its last progress line.
        runs=$(grep -oE "^#[0-9]+" "build-fuzz/logs/$target.last" | tail -1 | tr -d '#' || true)
        executions=$((executions + ${runs:-0}))
        ((status == 0)) && break
    done
    # Executions over all restarts, the last progress line (coverage, features, corpus), and
    # the findings.
    echo "executions: $executions"
    grep -E "^#[0-9]+[[:space:]].*cov: " "build-fuzz/logs/$target.log" | tail -1 || true
    echo "findings: $(ls "build-fuzz/findings/$target" | wc -l) in build-fuzz/findings/$target"
done
