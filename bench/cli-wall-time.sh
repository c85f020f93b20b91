#!/usr/bin/env bash
# Wall time against CPU time of whole motifora-cli runs, as a user sees them:
#   (a) the error counting over every class of the splice junctions (intron-exon junctions
#       against non-junctions, the non-junctions also as the control negatives),
#   (b) a 5-fold cross-validation of the same samples (and again with --threads 1),
#   (c) the bundled example's whole run (as scripts/run.sh runs it).
# A run that waits on nothing takes about its CPU time (less when it uses several cores), plus
# the program's start; the last column says whether it stays within 1.2 x CPU + start.
#
#   bench/cli-wall-time.sh [MOTIFORA_CLI]
#
# MOTIFORA_CLI defaults to build/src/cli/motifora-cli. MOTIFORA_SPLICE_DIR names the folder of
# intron_exon.seq and non_junction.seq (default ../shared/data/splice beside the repository).
# MOTIFORA_BENCH_OUT keeps every output (projects, reports, JSON, standard output) in that
# folder, so that two builds can be compared byte for byte (diff -r); by default they go to a
# temporary folder that is removed. On a busy machine wall time also holds the time spent
# waiting for a core (the load average is printed first); `chrt -f 10 bench/cli-wall-time.sh`
# (as root) lets the runs take a core at once, as on an idle machine.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$repo/build/src/cli/motifora-cli}
splice=${MOTIFORA_SPLICE_DIR:-$repo/../shared/data/splice}
positives=$splice/intron_exon.seq
negatives=$splice/non_junction.seq
examples=$repo/examples

[ -x "$cli" ] || { echo "cli-wall-time: no program $cli (build motifora-cli first)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
for f in "$positives" "$negatives"; do
    [ -r "$f" ] || { echo "cli-wall-time: cannot read $f (set MOTIFORA_SPLICE_DIR)" >&2; exit 2; }
done

if [ -n "${MOTIFORA_BENCH_OUT:-}" ]; then
    out=$MOTIFORA_BENCH_OUT
    mkdir -p "$out"
else
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
fi
cd "$out"

# run NAME ARGS...: runs the program with ARGS, its standard output into NAME.out and its error
# stream into NAME.err (progress lines carry times, so they are not for comparing), and leaves
# "wall user system" in seconds in NAME.time.
run() {
    local name=$1
    shift
    local TIMEFORMAT='%3R %3U %3S'
    { time "$cli" "$@" >"$name.out" 2>"$name.err"; } 2>"$name.time" || {
        echo "cli-wall-time: run $name failed:" >&2
        tail -n 5 "$name.err" >&2
        exit 1
    }
}

# Start-up: the cheapest whole run of the program.
run start --version
start=$(awk '{print $1}' start.time)

echo "motifora-cli: $cli"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "program start: ${start} s"

run prepare --positive "$positives" --negative "$negatives" --control-negative "$negatives" \
    --stages search,idealize,classify --save splice.dnp
run errors --open splice.dnp --stages errors --json errors.json --report errors.html
run cross-validation --positive "$positives" --negative "$negatives" --stages none \
    --cross-validate 5,1 --json cv.json --scores cv.tsv
run cross-validation-1-thread --positive "$positives" --negative "$negatives" --stages none \
    --cross-validate 5,1 --threads 1 --json cv1.json
run example --positive "$examples/promoters_pos.seq" --negative "$examples/promoters_neg.seq" \
    --control-negative "$examples/promoters_neg.seq" --save promoters.dnp \
    --export-text promoters.txt --report promoters.html --cross-validate 5,1 \
    --evaluation-report promoters-evaluation.html --scores promoters-scores.tsv

printf '\n%-28s %9s %9s %9s  %s\n' run "wall s" "CPU s" wall/CPU "within 1.2 x CPU + start"
for name in prepare errors cross-validation cross-validation-1-thread example; do
    read -r wall user system <"$name.time"
    awk -v n="$name" -v w="$wall" -v u="$user" -v s="$system" -v st="$start" 'BEGIN {
        cpu = u + s
        printf "%-28s %9.2f %9.2f %9.2f  %s\n", n, w, cpu, (cpu > 0 ? w / cpu : 0),
               (w <= 1.2 * cpu + st ? "yes" : "no")
    }'
done
classes=$(grep -m1 '^Classes:' prepare.out | cut -d' ' -f2 || true)
echo "(errors: the error counting of ${classes:-?} classes, each one recognition on the worker)"
