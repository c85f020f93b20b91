#!/usr/bin/env bash
# Sets everything up and runs every test: a normal build, an AddressSanitizer +
# UndefinedBehaviorSanitizer build, the threaded tests under ThreadSanitizer, the fuzzers, and the
# Debian package (built, checked with lintian, unpacked and run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --no-build

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
status=0

run_suite() {  # name, build dir, ctest args...
    local name=$1 dir=$2
    shift 2
    echo "=== $name ==="
    if ! ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$dir/ctest.log"; then
        status=1
    fi
    # Sanitizer reports fail the run even where a test binary exited 0.
    if grep -q -E "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|WARNING: ThreadSanitizer" \
        "$dir/ctest.log"; then
        echo "$name: sanitizer report found"
        status=1
    fi
}

echo "=== normal build ==="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOTIFORA_TESTS=ON \
    -DMOTIFORA_BENCH=ON -DMOTIFORA_QT=ON >/dev/null
cmake --build build -j "$jobs"
run_suite "normal tests" build

echo "=== Snakemake workflow against a single scan ==="
if ! scripts/check-workflow.sh build/src/cli/motifora-cli; then
    status=1
fi

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build ==="
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DMOTIFORA_SANITIZE=ON -DMOTIFORA_BENCH=OFF -DMOTIFORA_QT=OFF -DMOTIFORA_FUZZ=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite "sanitizer tests" build-asan

echo "=== ThreadSanitizer build (threaded tests) ==="
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMOTIFORA_TSAN=ON -DMOTIFORA_BENCH=OFF -DMOTIFORA_QT=OFF >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS=halt_on_error=1 run_suite "thread tests" build-tsan -L threads

echo "=== fuzzers ==="
shopt -s nullglob
for fuzzer in build-asan/fuzz/*/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus=$(mktemp -d)
    cp -r "fuzz/corpus/${name#fuzz_}/." "$corpus/" 2>/dev/null || true
    echo "--- $name (30 s) ---"
    if ! "$fuzzer" -max_total_time=30 -print_final_stats=0 "$corpus" >"build-asan/$name.log" 2>&1; then
        tail -40 "build-asan/$name.log"
        status=1
    else
        tail -1 "build-asan/$name.log"
    fi
    rm -rf "$corpus"
done

echo "=== Debian package (build, lintian, install into a throw-away root) ==="
if ! scripts/check-package.sh; then
    echo "package check failed"
    status=1
fi

if [ $status -ne 0 ]; then
    echo "0 passed, 1 failed: some suite failed (see above)"
fi
exit $status
