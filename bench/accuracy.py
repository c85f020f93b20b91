#!/usr/bin/python3
"""Held-out accuracy of the discriminative score beside standard classifiers, on the same folds.

Protocol: outer stratified 5-fold cross-validation (seed 1). For each outer fold motifora-cli
learns on the other four folds (--positive/--negative) and scores the fold as control data
(--control-positive/--control-negative); every level it uses comes from its own inner
cross-validation of those training folds (--cross-validate 5,1 --balanced). Logistic regression
and naive Bayes on one-hot letters learn and score on the same folds (their level: 0.5).
Printed: held-out error and AUC pooled over the outer folds, and the CLI's time.

The set "fly" is made by bench/fly_like.py (seed 1): weakly aligned start sites, 600 + 600 x 100.

Usage: bench/accuracy.py [--cli build/src/cli/motifora-cli] [--data DIR] [--rows a,b,...]
                         [--sets promoters,intron-exon,fly]
Needs python3-sklearn (Debian); the test suite does not.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fly_like  # noqa: E402
from sklearn.linear_model import LogisticRegression
from sklearn.metrics import roc_auc_score
from sklearn.model_selection import StratifiedKFold
from sklearn.naive_bayes import CategoricalNB

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

ROWS = {
    "sum": ["--contrast"],
    "sum-tuned": ["--contrast", "--contrast-tune"],
    "fitted": ["--contrast", "--contrast-weights", "fitted"],
    "fitted-tuned": ["--contrast", "--contrast-tune", "--contrast-weights", "fitted"],
    "fitted-rules-tuned": ["--contrast", "--contrast-tune", "--contrast-weights", "fitted-rules"],
    # Conditions with a tolerance, on single letters or on words of two letters; fixed, or the
    # tolerance chosen among candidates by the inner cross-validation of --contrast-tune.
    "sum-tolerance2": ["--contrast", "--contrast-tolerance", "2"],
    "sum-words2-tolerance3": ["--contrast", "--contrast-word", "2", "--contrast-tolerance", "3"],
    "fitted-words2-tolerance3": ["--contrast", "--contrast-weights", "fitted", "--contrast-word",
                                 "2", "--contrast-tolerance", "3"],
    "fitted-tolerance2": ["--contrast", "--contrast-weights", "fitted", "--contrast-tolerance",
                          "2"],
    "fitted-words2-tolerance0,3": ["--contrast", "--contrast-weights", "fitted", "--contrast-word",
                                   "2", "--contrast-tolerance", "0,3"],
    "sum-tuned-tolerance": ["--contrast", "--contrast-tune", "--contrast-tolerance", "0,1,2"],
    "fitted-tuned-tolerance": ["--contrast", "--contrast-tune", "--contrast-weights", "fitted",
                               "--contrast-tolerance", "0,1,2"],
}


def read_seq(path):
    names, texts = [], []
    with open(path) as f:
        for line in f:
            line = line.strip()
            if not line.startswith(">"):
                continue
            name, text = line[1:].split(";", 1)
            names.append(name)
            texts.append(text.strip().upper())
    return names, texts


def write_seq(path, names, texts):
    with open(path, "w") as f:
        for n, t in zip(names, texts):
            f.write(">%s;%s\n" % (n, t))


def one_hot(texts):
    letters = "ACGT"
    width = max(len(t) for t in texts)
    x = np.zeros((len(texts), width * 4))
    for i, t in enumerate(texts):
        for p, c in enumerate(t):
            if c in letters:
                x[i, p * 4 + letters.index(c)] = 1.0
    return x


def codes(texts):
    letters = "ACGTN"
    return np.array([[letters.index(c) if c in letters else 4 for c in t] for t in texts])


def outer_folds(labels):
    split = StratifiedKFold(n_splits=5, shuffle=True, random_state=1)
    return list(split.split(np.zeros(len(labels)), labels))


def summary(labels, scores, decisions):
    labels = np.asarray(labels)
    wrong = int(np.sum(np.asarray(decisions) != labels))
    return wrong, len(labels), roc_auc_score(labels, scores)


def run_cli(cli, flags, names, texts, labels, train, test, work):
    """One outer fold: returns (labels, scores, decisions) of the held-out fold, seconds."""
    def part(index, positive):
        chosen = [i for i in index if labels[i] == (1 if positive else 0)]
        return [names[i] for i in chosen], [texts[i] for i in chosen]
    paths = {}
    for key, index, positive in [("tp", train, True), ("tn", train, False),
                                 ("cp", test, True), ("cn", test, False)]:
        paths[key] = os.path.join(work, key + ".seq")
        write_seq(paths[key], *part(index, positive))
    command = [cli, "--positive", paths["tp"], "--negative", paths["tn"],
               "--control-positive", paths["cp"], "--control-negative", paths["cn"],
               "--cross-validate", "5,1", "--balanced", "--stages", "search",
               "--scores", os.path.join(work, "s.tsv"), "--json", os.path.join(work, "s.json"),
               "--quiet"] + flags
    start = time.time()
    done = subprocess.run(command, capture_output=True, text=True)
    seconds = time.time() - start
    if done.returncode != 0:
        sys.exit("motifora-cli failed (%d): %s" % (done.returncode, done.stderr))
    with open(os.path.join(work, "s.json")) as f:
        result = json.load(f)
    contrast = result["contrast"]
    level = contrast["crossValidation"]["pooled"]["level"]
    y, s, d = [], [], []
    for row in result.get("sequenceScores", []):
        if not row["sample"].startswith("control"):
            continue
        score = row["discriminativeScore"]
        y.append(1 if row["sample"] == "control positive" else 0)
        s.append(score)
        if "discriminativeDecision" in row:
            d.append(1 if row["discriminativeDecision"] == "accept" else 0)
        else:
            # Raw sums: the level of the training folds' own cross-validation.
            d.append(1 if score > level else 0)
    if len(y) != len(test):
        sys.exit("expected %d control rows, got %d" % (len(test), len(y)))
    return y, s, d, seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", default=os.path.join(ROOT, "build-test/src/cli/motifora-cli"))
    parser.add_argument("--data", default=os.path.join(ROOT, "..", "shared", "data", "splice"))
    parser.add_argument("--rows", default="sum-tuned,fitted,fitted-tuned")
    parser.add_argument("--sets", default="promoters,intron-exon")
    args = parser.parse_args()
    generated = tempfile.TemporaryDirectory()
    sets = {
        "fly": fly_like.generate(generated.name, 600, 1),
        "promoters": (os.path.join(ROOT, "examples/promoters_pos.seq"),
                      os.path.join(ROOT, "examples/promoters_neg.seq")),
        "intron-exon": (os.path.join(args.data, "intron_exon.seq"),
                        os.path.join(args.data, "non_junction.seq")),
    }
    print("| data | method | held-out error | AUC | CLI seconds (5 folds) |")
    print("|---|---|---|---|---|")
    for name in args.sets.split(","):
        pos_path, neg_path = sets[name]
        pn, pt = read_seq(pos_path)
        nn, nt = read_seq(neg_path)
        names, texts = pn + nn, pt + nt
        labels = np.array([1] * len(pt) + [0] * len(nt))
        folds = outer_folds(labels)
        x, c = one_hot(texts), codes(texts)
        baselines = {
            "logistic regression (one-hot, C=1)": lambda: LogisticRegression(C=1.0, max_iter=5000),
            "naive Bayes (letters)": lambda: CategoricalNB(min_categories=5),
        }
        for label, make in baselines.items():
            data = c if "Bayes" in label else x
            y, s, d = [], [], []
            for train, test in folds:
                model = make().fit(data[train], labels[train])
                p = model.predict_proba(data[test])[:, 1]
                y += list(labels[test])
                s += list(p)
                d += list((p > 0.5).astype(int))
            wrong, total, auc = summary(y, s, d)
            print("| %s | %s | %d of %d (%.1f %%) | %.3f | |" %
                  (name, label, wrong, total, 100.0 * wrong / total, auc))
        for row in args.rows.split(","):
            y, s, d, seconds = [], [], [], 0.0
            with tempfile.TemporaryDirectory() as work:
                for train, test in folds:
                    fy, fs, fd, t = run_cli(args.cli, ROWS[row], names, texts, labels, train,
                                            test, work)
                    y += fy
                    s += fs
                    d += fd
                    seconds += t
            wrong, total, auc = summary(y, s, d)
            print("| %s | motifora %s | %d of %d (%.1f %%) | %.3f | %.1f |" %
                  (name, " ".join(ROWS[row]), wrong, total, 100.0 * wrong / total, auc, seconds))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
