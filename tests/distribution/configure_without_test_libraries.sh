#!/usr/bin/env bash
# Configures the project afresh with GoogleTest and Google Benchmark hidden from find_package,
# as on a machine that has neither, and checks that configuring succeeds, says what it skips,
# still offers the interpreter, and leaves a suite whose unit part fails with the reason.
#   configure_without_test_libraries.sh SOURCE_DIR CXX_COMPILER CMAKE
set -u
source_dir=$1
compiler=$2
cmake=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "$1"; failed=1; }

if ! "$cmake" -S "$source_dir" -B "$work/build" -DCMAKE_CXX_COMPILER="$compiler" \
        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
        > "$work/out" 2>&1; then
    cat "$work/out"
    echo "configuring without GoogleTest and Google Benchmark failed"
    exit 1
fi
grep -q "GoogleTest not found: the unit tests are skipped" "$work/out" ||
    fail "no message about the skipped unit tests"
grep -q "Google Benchmark not found" "$work/out" ||
    fail "no message about the skipped benchmarks"
grep -q "RelWithDebInfo" "$work/build/CMakeCache.txt" || fail "the default build type changed"

"$cmake" --build "$work/build" --target help > "$work/targets" 2>&1 || fail "no target list"
grep -qE '(^|[ .])rill$' "$work/targets" || fail "no rill target"
grep -q rill_unit_tests "$work/targets" && fail "the unit tests are offered without GoogleTest"

ctest --test-dir "$work/build" -N > "$work/tests" 2>&1 || fail "ctest cannot list the tests"
grep -q "unit/googletest_missing" "$work/tests" || fail "no failing unit test marker"
grep -q "programs/" "$work/tests" || fail "the program tests are missing"

[[ $failed == 0 ]] || { cat "$work/out"; exit 1; }
echo "configured without GoogleTest and Google Benchmark"
