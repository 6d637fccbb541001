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
    # One worker process, restarted after each finding, so that the run goes on to its end.
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    nice -n 19 "build-fuzz/fuzz/fuzz_$target" "build-fuzz/corpus/$target" \
        -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -dict=fuzz/rill.dict -max_len=$max_len -timeout=20 -rss_limit_mb=3072 \
        -max_total_time="$seconds" -artifact_prefix="build-fuzz/findings/$target/" \
        > "build-fuzz/logs/$target.log" 2>&1 || true
    # The last progress line: executions, coverage, corpus, and crashes, ooms and timeouts.
    grep -E "^#[0-9]+: cov: " "build-fuzz/logs/$target.log" | tail -1
    echo "findings: $(ls "build-fuzz/findings/$target" | wc -l) in build-fuzz/findings/$target"
done
