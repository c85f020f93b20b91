#!/usr/bin/env bash
# Runs workflow/Snakefile with two cores on a small generated multi-record genome and checks that
# its merged BED and bedGraph are byte for byte those of one `motifora-cli scan` over the file:
# one job per record and chunks of records, with and without merged hits, on one strand and both.
# Usage: scripts/check-workflow.sh path/to/motifora-cli
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "$1")
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" --positive examples/promoters_pos.seq --negative examples/promoters_neg.seq \
    --stages search,idealize --save "$work/model.dnp" --quiet >/dev/null
python3 - "$work/genome.fa" <<'PY'
import random, sys
random.seed(20261207)
with open(sys.argv[1], "w") as out:
    for r, length in enumerate([3000, 57, 12, 5000, 2500]):
        letters = "".join(random.choice("ACGTacgt" if r != 4 else "ACGTN") for _ in range(length))
        out.write(f">rec{r + 1} generated record\n")
        for i in range(0, len(letters), 60):
            out.write(letters[i:i + 60] + "\n")
PY
gzip -k "$work/genome.fa"

status=0
# Each case: strand, merge (1 or 0), chunk (window starts per job; 0 = one job per record),
# level. Chunks of 700 starts cut the three long records into pieces whose hits meet at the
# cuts; level 200 leaves gaps between merged hits (a good part of them across cuts), level 0
# joins whole records.
for case in "+ 1 0 0" "both 1 0 0" "both 1 700 200" "+ 0 700 200"; do
    set -- $case
    strand=$1 merge=$2 chunk=$3 level=$4
    out="out-$strand-$merge-$chunk"
    merge_option=()
    [ "$merge" = 1 ] && merge_option=(--merge)
    "$cli" scan --open "$work/model.dnp" --genome "$work/genome.fa.gz" --classes 3,1-2 \
        --level "$level" --strand "$strand" "${merge_option[@]}" --bed "$work/one.bed" \
        --bedgraph "$work/one.bedGraph" --quiet >/dev/null
    (cd "$work" && PATH="$(dirname "$cli"):$PATH" snakemake -s "$root/workflow/Snakefile" \
        --cores 2 --quiet --config model=model.dnp genome=genome.fa.gz classes=3,1-2 \
        level="$level" strand="$strand" merge="$merge" chunk="$chunk" out="$out" \
        >/dev/null 2>"$work/snakemake.log") ||
        { cat "$work/snakemake.log"; status=1; continue; }
    for pair in "one.bed $out/hits.bed" "one.bedGraph $out/scores.bedGraph"; do
        set -- $pair
        if ! cmp "$work/$1" "$work/$2"; then
            echo "workflow ($case): $2 differs from the single scan's $1"
            status=1
        fi
    done
    if [ "$(grep -c . "$work/one.bedGraph")" -lt 100 ] || [ "$(grep -c . "$work/one.bed")" -lt 3 ]
    then
        echo "workflow ($case): the single scan wrote too few windows or hits"
        status=1
    fi
done
[ $status -eq 0 ] &&
    echo "workflow: merged outputs equal the single scan (strands, merging, chunks of 700)"

# Config values reach shell commands quoted, whatever they hold: a folder whose name has a
# space, both quotes, ";" and "$(...)" holds the model, the genome, the program and the
# outputs, and the same characters in the other values are refused by the program, never run.
hostile="$work/we'ird \"dir\"; \$(touch PWNED) \`touch PWNED\`"
mkdir -p "$hostile"
cp "$work/model.dnp" "$work/genome.fa.gz" "$hostile/"
ln -s "$cli" "$hostile/motifora cli"
(cd "$work" && snakemake -s "$root/workflow/Snakefile" --cores 2 --quiet --config \
    "model=$hostile/model.dnp" "genome=$hostile/genome.fa.gz" "cli=$hostile/motifora cli" \
    "out=$hostile/out" classes=3,1-2 level=200 strand=+ merge=0 chunk=700 \
    >/dev/null 2>"$work/snakemake.log") ||
    { echo "workflow: a folder name with quotes, ';' and '\$(...)' failed"
      cat "$work/snakemake.log"; status=1; }
for pair in "hits.bed" "scores.bedGraph"; do
    cmp "$hostile/out/$pair" "$work/out-+-0-700/$pair" ||
        { echo "workflow: the folder with quotes in its name gave another $pair"; status=1; }
done
for value in "level=0;touch PWNED" "classes=1\$(touch PWNED)" "level=0'\$(touch PWNED)'" \
    "model=m'x\$(touch PWNED).dnp"; do
    (cd "$work" && snakemake -s "$root/workflow/Snakefile" --cores 2 --quiet --config \
        "model=$work/model.dnp" genome=genome.fa.gz "cli=$cli" classes=3 level=0 \
        "out=hostile" "$value" >/dev/null 2>&1) && {
        echo "workflow: $value was accepted"
        status=1
    }
done
# A program path that names no program is said so at once, not found by a failing command.
(cd "$work" && snakemake -s "$root/workflow/Snakefile" --cores 1 --quiet --config \
    model=model.dnp genome=genome.fa.gz "cli=$work/no such/motifora-cli" level=0 \
    out=nocli >"$work/nocli.log" 2>&1) && status=1
grep -q "cli=$work/no such/motifora-cli: not an executable file" "$work/nocli.log" ||
    { echo "workflow: a wrong cli= is not named"; cat "$work/nocli.log"; status=1; }
if [ -n "$(find "$work" "$root" -maxdepth 3 -name PWNED -print -quit)" ]; then
    echo "workflow: a config value was run as a command"
    status=1
fi
[ $status -eq 0 ] && echo "workflow: config values never reach a shell unquoted"
exit $status
