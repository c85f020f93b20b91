#!/usr/bin/env bash
# The genome-scan window's scan against the command line's on the same work, in one run:
#   bench/genome/scan-window.sh [BUILD] [MEGABASES] [CLASSES]
# BUILD defaults to build (it needs src/cli/motifora-cli and bench/genome/bench_genome_window),
# MEGABASES to 20, CLASSES to 1-3. A model of the promoter example and a generated genome (four
# records, seeded) are made in a temporary folder; both strands are scanned with one thread per
# core, with no level, a level of some thousand hits and a level every window reaches. Prints
# the wall and CPU seconds of each path and the ratios to the command line's (read the CPU ratio
# on a loaded machine). The Qt row appears when the benchmark was built with the Qt window.
set -euo pipefail
build=$(realpath "${1:-build}")
megabases=${2:-20}
classes=${3:-1-3}
examples=$(realpath "$(dirname "$0")/../../examples")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/src/cli/motifora-cli" --positive "$examples/promoters_pos.seq" --stages search,idealize \
    --save m.dnp --quiet >/dev/null
python3 - "$megabases" <<'PY'
import random, sys
random.seed(20261208)
with open("g.fa", "w") as out:
    for r in range(4):
        out.write(">chr%d\n" % (r + 1))
        letters = "".join(random.choices("ACGT", k=int(sys.argv[1]) * 250000))
        for i in range(0, len(letters), 60):
            out.write(letters[i:i + 60] + "\n")
PY
for level in "" 400 0; do
    MOTIFORA_SCAN_MODEL=m.dnp MOTIFORA_SCAN_GENOME=g.fa MOTIFORA_SCAN_CLASSES="$classes" \
        MOTIFORA_SCAN_LEVEL="$level" "$build/bench/genome/bench_genome_window" \
        --benchmark_format=json --benchmark_out="run$level.json" >/dev/null 2>&1
done
python3 - "$megabases" "$classes" <<'PY'
import json, sys
names = {"BM_CommandLineScan": "command line", "BM_WindowScan": "window model",
         "BM_QtWindowScan": "Qt window"}
print("%s Mb, classes %s, both strands, one thread per core" % (sys.argv[1], sys.argv[2]))
print("%-14s %-14s %8s %8s %8s %8s" % ("level", "path", "wall s", "cpu s", "wall x", "cpu x"))
for level, label in (("", "none"), ("400", "400"), ("0", "0 (all)")):
    runs = {}
    for b in json.load(open("run%s.json" % level))["benchmarks"]:
        name = b["name"].split("/")[0]
        if "error_occurred" in b:
            sys.exit("%s: %s" % (name, b.get("error_message", "failed")))
        runs[name] = (b["real_time"], b["cpu_time"])
    wall0, cpu0 = runs["BM_CommandLineScan"]
    for name in ("BM_CommandLineScan", "BM_WindowScan", "BM_QtWindowScan"):
        if name not in runs:
            continue
        wall, cpu = runs[name]
        print("%-14s %-14s %8.2f %8.2f %8.2f %8.2f" %
              (label, names[name], wall, cpu, wall / wall0, cpu / cpu0))
PY
