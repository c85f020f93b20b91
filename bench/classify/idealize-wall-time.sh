#!/usr/bin/env bash
# Whole shift-mode idealization runs on a case like weakly aligned start sites: 1,000 seeded
# random sequences of 100 letters with a TATA-like word at 41, windows of 10 letters (91,000
# objects), the rules of a loose search (confidence 0,5, CP 0,5), which make thousands of classes.
# Each program runs `--stages search,idealize` with 1 and with 2 threads, the programs taking
# turns so that they meet the same load; the last column compares each run's project with the
# first one's, byte for byte.
#
#   bench/classify/idealize-wall-time.sh MOTIFORA_CLI [OTHER_MOTIFORA_CLI ...]
#
# Give an older build as well to see before and after side by side. The data and the projects go
# to a temporary folder that is removed (MOTIFORA_BENCH_OUT keeps them in that folder instead).
# On a busy machine wall time also holds the time spent waiting for a core; user time less so.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 MOTIFORA_CLI [OTHER_MOTIFORA_CLI ...]" >&2; exit 2; }
clis=()
names=("$@")
for cli in "$@"; do
    [ -x "$cli" ] || { echo "idealize-wall-time: no program $cli" >&2; exit 2; }
    clis+=("$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")")
done

if [ -n "${MOTIFORA_BENCH_OUT:-}" ]; then
    out=$MOTIFORA_BENCH_OUT
    mkdir -p "$out"
else
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
fi
cd "$out"

python3 - <<'EOF'
import random
r = random.Random(20261208)
words = ["TATAAA", "TATTTA", "CATAAA", "TAAAAA"]
with open("starts.seq", "w") as f:
    for i in range(1000):
        s = [r.choice("ACGT") for _ in range(100)]
        s[40:46] = list(r.choice(words))
        f.write(">s%d;%s\n" % (i + 1, "".join(s)))
EOF

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %-40s %9s %9s  %s\n' threads program wall_s user_s project
first=""
for threads in 1 2; do
    for n in "${!clis[@]}"; do
        cli=${clis[$n]}
        name=run-$threads-$n
        TIMEFORMAT='%3R %3U'
        { time "$cli" --positive starts.seq --mode shift --width 10 --confidence 0.5 --cp 0.5 \
            --stages search,idealize --threads "$threads" --save "$name.dnp" \
            >"$name.out" 2>"$name.err"; } 2>"$name.time" || {
            echo "idealize-wall-time: $cli failed:" >&2
            tail -n 5 "$name.err" >&2
            exit 1
        }
        [ -n "$first" ] || first=$name.dnp
        if cmp -s "$first" "$name.dnp"; then same=identical; else same=DIFFERENT; fi
        read -r wall user <"$name.time"
        printf '%-8s %-40s %9s %9s  %s\n' "$threads" "${names[$n]}" "$wall" "$user" "$same"
    done
done
