#!/usr/bin/python3
"""A seeded, fly-like set of weakly aligned start sites: positives and far sequences.

Every sequence has 100 letters drawn from an AT-rich background (A 0.29, C 0.21, G 0.21,
T 0.29, as in fly genomic DNA), the start site at position 80. A share of the positives carry
weak, jittered core elements (each letter of a planted element mutated with probability 0.2):
  TATAAA  beginning near 50 (jitter -5..+5) in 30 % of them,
  TCAGTT  beginning near 78 (jitter -3..+3) in 40 % (the initiator around the start),
  AGACG   beginning near 87 (jitter -4..+4) in 25 % (a downstream element).
The negatives are background only. Nothing else tells them apart, so every method is weak, and
a condition tied to one exact position sees a fraction of each element.

Usage: bench/fly_like.py OUT_DIR [--count 600] [--seed 1]
Writes OUT_DIR/fly_pos.seq and OUT_DIR/fly_neg.seq (">name;LETTERS" lines).
"""
import argparse
import os
import random

WIDTH = 100
BACKGROUND = (("A", 0.29), ("C", 0.21), ("G", 0.21), ("T", 0.29))
ELEMENTS = (("TATAAA", 50, 5, 0.30), ("TCAGTT", 78, 3, 0.40), ("AGACG", 87, 4, 0.25))
MUTATION = 0.2


def background(rng, length):
    letters = [b for b, _ in BACKGROUND]
    weights = [w for _, w in BACKGROUND]
    return rng.choices(letters, weights=weights, k=length)


def plant(rng, letters, word, place, jitter):
    start = place + rng.randint(-jitter, jitter)
    for i, c in enumerate(word):
        if rng.random() < MUTATION:
            c = background(rng, 1)[0]
        if 0 <= start + i < len(letters):
            letters[start + i] = c


def make(rng, count, positive):
    texts = []
    for _ in range(count):
        letters = background(rng, WIDTH)
        if positive:
            for word, place, jitter, share in ELEMENTS:
                if rng.random() < share:
                    plant(rng, letters, word, place - 1, jitter)
        texts.append("".join(letters))
    return texts


def write(path, prefix, texts):
    with open(path, "w") as f:
        for i, t in enumerate(texts):
            f.write(">%s%d;%s\n" % (prefix, i + 1, t))


def generate(out, count=600, seed=1):
    """Writes the two samples; returns their paths (positives, negatives)."""
    rng = random.Random(seed)
    positives = make(rng, count, True)
    negatives = make(rng, count, False)
    os.makedirs(out, exist_ok=True)
    pos, neg = os.path.join(out, "fly_pos.seq"), os.path.join(out, "fly_neg.seq")
    write(pos, "tss", positives)
    write(neg, "far", negatives)
    return pos, neg


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("out")
    parser.add_argument("--count", type=int, default=600)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    for path in generate(args.out, args.count, args.seed):
        print(path)


if __name__ == "__main__":
    main()
