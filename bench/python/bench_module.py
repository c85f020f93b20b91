"""Timings of the Python module against motifora-cli on the same work: the cost of the binding
layer (the GIL-free wait, NumPy arrays, the record hand-over of a scan) beside the engine's.

Usage: PYTHONPATH=build/src/python /usr/bin/python3 bench/python/bench_module.py \
           build/src/cli/motifora-cli [REPEATS]
Prints the best of REPEATS (default 3) wall-clock times of each step; seed 1 for the genome.
"""
import os
import random
import subprocess
import sys
import tempfile
import time

import motifora

here = os.path.dirname(os.path.abspath(__file__))
examples = os.path.join(here, "..", "..", "examples")
positives = os.path.join(examples, "promoters_pos.seq")
negatives = os.path.join(examples, "promoters_neg.seq")
cli = sys.argv[1]
repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3


def best(step):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        step()
        times.append(time.perf_counter() - start)
    return min(times)


def run(*args):
    subprocess.run([cli, *args], check=True, capture_output=True)


with tempfile.TemporaryDirectory() as work:
    project = os.path.join(work, "m.dnp")
    model = motifora.learn(positives, negatives)
    model.save(project)
    rng = random.Random(1)
    genome = os.path.join(work, "g.fa")
    with open(genome, "w") as out:
        for r in range(4):
            out.write(f">chr{r}\n")
            letters = "".join(rng.choice("ACGT") for _ in range(250_000))
            out.write("\n".join(letters[i:i + 60] for i in range(0, len(letters), 60)) + "\n")
    _, letters = motifora.read_samples(negatives)
    many = [rng.choice(letters) for _ in range(100_000)]

    print(f"learn (search + idealization), python:   {best(lambda: motifora.learn(positives, negatives)):.3f} s")
    print("learn, motifora-cli --stages search,idealize: "
          f"{best(lambda: run('--quiet', '--positive', positives, '--negative', negatives, '--idealization', 'both', '--stages', 'search,idealize')):.3f} s")
    t = best(lambda: model.score(many))
    print(f"score 100000 sequences x {len(model.classes)} classes, python: {t:.3f} s "
          f"({len(many) / t:,.0f} sequences/s)")
    print(f"cross-validation 5 folds, python:        {best(lambda: model.cross_validate()):.3f} s")
    print("cross-validation, motifora-cli:           "
          f"{best(lambda: run('--quiet', '--positive', positives, '--negative', negatives, '--idealization', 'both', '--stages', 'search,idealize', '--cross-validate', '5,1')):.3f} s")
    t = best(lambda: [r for r in model.scan(genome, strand="both", scores=True)])
    print(f"scan 1 Mb both strands + scores, python: {t:.3f} s")
    graph = os.path.join(work, "s.bg")
    t = best(lambda: run("scan", "--quiet", "--open", project, "--genome", genome, "--strand",
                         "both", "--bedgraph", graph))
    print(f"scan, motifora-cli --bedgraph:           {t:.3f} s")
