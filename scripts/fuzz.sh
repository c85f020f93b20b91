#!/usr/bin/env bash
# Runs every libFuzzer target longer than the test command does, one after the other.
#   scripts/fuzz.sh MINUTES [--keep] [TARGET...]
# MINUTES per target (default 10). Each target starts from its seed corpus in fuzz/corpus/<name
# without the fuzz_ prefix>/ and prints its executions per second. With --keep the inputs that
# reached new code are merged back into that seed corpus. Exits non-zero when a target finds a
# fault; the reproducer is left in build-asan/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
shift || true
keep=0
targets=()
for arg in "$@"; do
    case $arg in
        --keep) keep=1 ;;
        *) targets+=("$arg") ;;
    esac
done
if ! [[ $minutes =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
    echo "usage: scripts/fuzz.sh MINUTES [--keep] [TARGET...]" >&2
    exit 2
fi

CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DMOTIFORA_SANITIZE=ON -DMOTIFORA_BENCH=OFF -DMOTIFORA_QT=OFF -DMOTIFORA_FUZZ=ON >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
    cmake --build build-asan -j "$(nproc)"
    for fuzzer in build-asan/fuzz/*/fuzz_*; do
        [ -x "$fuzzer" ] && targets+=("$(basename "$fuzzer")")
    done
else
    cmake --build build-asan -j "$(nproc)" --target "${targets[@]}"
fi

findings=build-asan/fuzz-findings
mkdir -p "$findings"
status=0
for name in "${targets[@]}"; do
    fuzzer=$(ls build-asan/fuzz/*/"$name")
    seeds="fuzz/corpus/${name#fuzz_}"
    corpus=$(mktemp -d)
    cp -r "$seeds/." "$corpus/" 2>/dev/null || true
    echo "--- $name ($minutes min) ---"
    log="build-asan/$name.log"
    if ASAN_OPTIONS=detect_leaks=1 "$fuzzer" -max_total_time=$((minutes * 60)) \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" >"$log" 2>&1; then
        grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" "$log" || true
        if [ $keep -eq 1 ]; then
            mkdir -p "$seeds"
            "$fuzzer" -merge=1 "$seeds" "$corpus" >>"$log" 2>&1
            echo "seed corpus: $(ls "$seeds" | wc -l) files"
        fi
    else
        tail -40 "$log"
        echo "$name found a fault; reproducer in $findings/"
        status=1
    fi
    rm -rf "$corpus"
done
exit $status
