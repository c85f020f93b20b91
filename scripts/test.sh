#!/usr/bin/env bash
# Sets everything up and runs every test: a check of the code's formatting, a normal build, the
# Snakemake workflow against a single scan, an AddressSanitizer + UndefinedBehaviorSanitizer
# build, the threaded tests under ThreadSanitizer, the fuzzers, and the Debian package (built,
# checked with lintian, unpacked and run). Each build has its own folder (build-test,
# build-asan, build-tsan, build-package), apart from the Release build of scripts/setup.sh in
# build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --no-build

jobs=$(nproc)
# ccache hashes paths relative to the checkout, so a fresh clone elsewhere reuses earlier builds.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
export QT_QPA_PLATFORM=offscreen
build=build-test
status=0
summary=()

# Records one line of the closing summary and fails the run when the step failed.
note_result() {  # name, ok|FAILED, detail
    summary+=("$1: $2${3:+ ($3)}")
    [ "$2" = ok ] || status=1
}

run_suite() {  # name, build dir, ctest args...
    local name=$1 dir=$2 result=ok
    shift 2
    echo "=== $name ==="
    if ! ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$dir/ctest.log"; then
        result=FAILED
    fi
    # Sanitizer reports fail the run even where a test binary exited 0.
    if grep -q -E "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|WARNING: ThreadSanitizer" \
        "$dir/ctest.log"; then
        echo "$name: sanitizer report found"
        result=FAILED
    fi
    note_result "$name" "$result" "$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$dir/ctest.log" | tail -1)"
}

echo "=== formatting ==="
# The tree is formatted with clang-format 14 (Debian 12's); another major version formats some
# constructs differently, so the check names the version it runs.
formatter=$(command -v clang-format-14 || true)
if [ -z "$formatter" ]; then
    echo "clang-format is not installed (scripts/setup.sh installs clang-format-14)"
    note_result "formatting" FAILED "clang-format is not installed"
elif git ls-files -z '*.cpp' '*.h' | xargs -0 "$formatter" --dry-run -Werror 2>clang-format.log; then
    note_result "formatting" ok
elif grep -q "error: code should be clang-formatted" clang-format.log; then
    head -40 clang-format.log
    note_result "formatting" FAILED "clang-format would change these files: $(grep -o '^[^:]*:[0-9]*:[0-9]*: error: code should be clang-formatted' clang-format.log | cut -d: -f1 | sort -u | tr '\n' ' ')"
else
    head -40 clang-format.log
    note_result "formatting" FAILED "clang-format did not run to its end (see above)"
fi
rm -f clang-format.log

echo "=== normal build ==="
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOTIFORA_TESTS=ON \
    -DMOTIFORA_BENCH=ON -DMOTIFORA_QT=ON -DMOTIFORA_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
run_suite "normal tests" "$build"

echo "=== Snakemake workflow against a single scan ==="
if scripts/check-workflow.sh "$build/src/cli/motifora-cli"; then
    note_result "Snakemake workflow" ok
else
    note_result "Snakemake workflow" FAILED "see above"
fi

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build ==="
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DMOTIFORA_SANITIZE=ON -DMOTIFORA_BENCH=OFF -DMOTIFORA_QT=OFF -DMOTIFORA_FUZZ=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite "sanitizer tests" build-asan -LE figures

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
        note_result "$name" FAILED "see build-asan/$name.log"
    else
        tail -1 "build-asan/$name.log"
        note_result "$name" ok "30 s, no finding"
    fi
    rm -rf "$corpus"
done

echo "=== Debian package (build, lintian, install into a throw-away root) ==="
if scripts/check-package.sh; then
    note_result "Debian package" ok
else
    note_result "Debian package" FAILED "see above"
fi

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
if [ $status -eq 0 ]; then
    echo "All checks passed."
else
    echo "Some checks FAILED (see above)."
fi
exit $status
