#!/usr/bin/env python3
"""Writes a splice-donor-like pair of samples for trying the discriminative search.

Positives: 300 sequences of 60 letters with the consensus CAGGTAAGT at positions 27-35, the GT
at 30-31 always and every other consensus letter with probability 0.7 (else a uniform letter).
Negatives: 600 uniform sequences, half of them carrying the GT at 30-31. Seeded, so the same
files come out every time.

    scripts/splice-example.py OUT_DIR [SEED]   ->  OUT_DIR/splice_pos.seq, OUT_DIR/splice_neg.seq
"""
import os
import random
import sys

LETTERS = "ACGT"
SITE = "CAGGTAAGT"
START = 26  # 0-based start of the site (position 27)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) == 3 else 1)
    os.makedirs(out, exist_ok=True)

    def uniform():
        return [rng.choice(LETTERS) for _ in range(60)]

    with open(os.path.join(out, "splice_pos.seq"), "w") as f:
        for i in range(300):
            text = uniform()
            for j, letter in enumerate(SITE):
                if letter == "G" and j == 3 or letter == "T" and j == 4 or rng.random() < 0.7:
                    text[START + j] = letter
            f.write(">site%d;%s\n" % (i + 1, "".join(text)))
    with open(os.path.join(out, "splice_neg.seq"), "w") as f:
        for i in range(600):
            text = uniform()
            if i % 2 == 0:
                text[START + 3], text[START + 4] = "G", "T"
            f.write(">other%d;%s\n" % (i + 1, "".join(text)))


if __name__ == "__main__":
    main()
