#!/usr/bin/env bash
# The genome scan's outputs against the scan alone, on one generated genome, in one run:
#   bench/genome/scan-outputs.sh [CLI] [MEGABASES]
# CLI defaults to build/src/cli/motifora-cli, MEGABASES to 12. Prints the wall and CPU seconds of
# the scan without output, with the bedGraph, with a low-level BED and the bedGraph, and the
# ratios to the first (read the ratios on a loaded machine); then the seconds from Ctrl-C to the
# end of a scan of every class of the model on both strands.
set -euo pipefail
cli=$(realpath "${1:-build/src/cli/motifora-cli}")
megabases=${2:-12}
examples=$(realpath "$(dirname "$0")/../../examples")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$cli" --positive "$examples/promoters_pos.seq" --stages search,idealize --save m.dnp --quiet \
    >/dev/null
python3 - "$megabases" <<'PY'
import random, sys
random.seed(20261208)
with open("g.fa", "w") as out:
    for r in range(4):
        out.write(">chr%d\n" % (r + 1))
        letters = "".join(random.choice("ACGT") for _ in range(int(sys.argv[1]) * 250000))
        for i in range(0, len(letters), 60):
            out.write(letters[i:i + 60] + "\n")
PY
common=(scan --open m.dnp --genome g.fa --classes 1 --strand both --threads 2 --quiet)
measure() {  # prints "wall cpu"
    local start end times
    start=$(date +%s.%N)
    times=$( { /usr/bin/time -f "%U %S" "$cli" "${common[@]}" "$@" >/dev/null; } 2>&1 )
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v t="$times" \
        'BEGIN { split(t, p, " "); printf "%.2f %.2f\n", e - s, p[1] + p[2] }'
}
read -r wall0 cpu0 < <(measure)
read -r wall1 cpu1 < <(measure --bedgraph o.bedGraph)
read -r wall2 cpu2 < <(measure --bedgraph o.bedGraph --bed o.bed --level 0)
hits=$(($(wc -l < o.bed) - 1))
printf "%-36s %8s %8s %8s %8s\n" "${megabases} Mb, both strands, 2 threads" wall cpu "wall x" "cpu x"
printf "%-36s %8.2f %8.2f %8s %8s\n" "no output" "$wall0" "$cpu0" 1.00 1.00
awk -v w="$wall1" -v c="$cpu1" -v w0="$wall0" -v c0="$cpu0" \
    'BEGIN { printf "%-36s %8.2f %8.2f %8.2f %8.2f\n", "bedGraph", w, c, w / w0, c / c0 }'
awk -v w="$wall2" -v c="$cpu2" -v w0="$wall0" -v c0="$cpu0" -v h="$hits" \
    'BEGIN { printf "%-36s %8.2f %8.2f %8.2f %8.2f\n", "BED (" h " hits) and bedGraph", w, c, w / w0, c / c0 }'

# Ctrl-C during a scan of every class: from the signal to the end of the process.
"$cli" scan --open m.dnp --genome g.fa --strand both --threads 2 >/dev/null 2>progress.txt &
pid=$!
until grep -q letters progress.txt 2>/dev/null; do sleep 0.2; done
sent=$(date +%s.%N)
kill -INT "$pid"
wait "$pid" || true
ended=$(date +%s.%N)
awk -v s="$sent" -v e="$ended" 'BEGIN { printf "Ctrl-C to exit, every class, both strands: %.2f s\n", e - s }'
