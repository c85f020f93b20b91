"""The module's figures are motifora-cli's on the bundled example: rules, classes, scores, the
project's bytes, a cross-validation and a genome scan."""
import json
import math

import numpy as np
import pytest

import motifora
from conftest import NEGATIVES, POSITIVES, run_cli


def test_rules_equal_the_cli(model, cli_summary):
    expected = cli_summary["rules"]
    assert len(expected) > 0
    got = model.rules
    assert len(got) == len(expected)
    for rule, want in zip(got, expected):
        assert rule["number"] == want["number"]
        assert rule["text"] == want["text"]
        assert rule["fisher"] == want["fisher"]
        assert rule["cp"] == want["cp"]
        assert rule["target"] == want["target"]
        assert [(c[0], c[1], c[2]) for c in rule["conditions"]] == [
            (c["position"], c["letter"], c["negated"]) for c in want["conditions"]]
        assert rule["condition_count"] == len(want["conditions"])


def test_classes_equal_the_cli(model, cli_summary):
    expected = cli_summary["idealObjects"]
    assert [c["class"] for c in model.classes] == [c["class"] for c in expected]
    assert [c["text"] for c in model.classes] == [c["text"] for c in expected]
    assert [c["value"] for c in model.classes] == [c["value"] for c in expected]
    # Every learning positive falls into one class.
    assert sum(c["objects"] for c in model.classes) == 53


def test_class_scores_equal_the_cli(model, cli_run, work):
    # Each negative as a record of its own: motifora-cli scan scores its one window against
    # every class, and with a level below every score reports each class's score as a hit.
    names, letters = motifora.read_samples(NEGATIVES)
    genome = work / "negatives.fa"
    genome.write_text("".join(f">{name}\n{text}\n" for name, text in zip(names, letters)))
    bed = work / "negatives.bed"
    run_cli("scan", "--open", str(cli_run[1]), "--genome", str(genome), "--strand", "+",
            "--level", "-1e300", "--bed", str(bed))
    best = {}
    for record, start, end, number, strand, score in read_bed(bed):
        assert (start, end, strand) == (0, 57, "+")
        if record not in best or score > best[record][0]:
            best[record] = (score, number)
    scores, classes = model.score(letters)
    assert scores.dtype == np.float64 and classes.dtype == np.int32
    assert scores.tolist() == [best[name][0] for name in names]
    assert classes.tolist() == [best[name][1] for name in names]
    assert len(set(classes.tolist())) > 1


def test_saved_project_is_byte_equal_to_the_cli(model, cli_run, work):
    ours = work / "python.dnp"
    model.save(ours)
    assert ours.read_bytes() == cli_run[1].read_bytes()
    # And it opens again with the same rules and classes.
    opened = motifora.open(ours)
    assert opened.rules == model.rules
    assert opened.classes == model.classes
    assert opened.settings == model.settings


@pytest.mark.parametrize("balanced", [False, True])
def test_cross_validation_equals_the_cli(model, work, balanced):
    out = work / f"cv-{balanced}.json"
    extra = ["--balanced"] if balanced else []
    run_cli("--positive", POSITIVES, "--negative", NEGATIVES, "--idealization", "both",
            "--stages", "search,idealize", "--cross-validate", "4,7", *extra, "--json", str(out))
    want = json.loads(out.read_text())["crossValidation"]
    got = model.cross_validate(k=4, seed=7, level="balanced" if balanced else "wanted")
    assert want["complete"]
    assert got["level_rule"] == want["levelRule"]
    pooled = want["pooled"]
    assert got["auc"]["auc"] == pooled["auc"]["value"]
    assert got["auc"]["low"] == pooled["auc"]["low"]
    assert got["auc"]["high"] == pooled["auc"]["high"]
    assert got["level"] == pooled["level"]
    for ours, theirs in ((got["first_level_errors"], pooled["firstLevelErrors"]),
                         (got["second_level_errors"], pooled["secondLevelErrors"])):
        assert (ours["count"], ours["total"]) == (theirs["count"], theirs["total"])
        assert ours["rate"] == theirs["rate"]
    assert got["roc"].tolist() == [[p["level"], p["falsePositiveRate"], p["truePositiveRate"]]
                                   for p in pooled["roc"]]
    assert len(got["per_fold"]) == 4
    for ours, theirs in zip(got["per_fold"], want["perFold"]):
        for key, other in (("fold", "fold"), ("positives", "positives"),
                           ("negatives", "negatives"), ("rules", "rules"),
                           ("classes", "classes")):
            assert ours[key] == theirs[other]
        assert ours["auc"]["auc"] == theirs["auc"]["value"]
        assert ours["first_level_errors"]["count"] == theirs["firstLevelErrors"]["count"]
        assert ours["second_level_errors"]["count"] == theirs["secondLevelErrors"]["count"]
    held = got["sequences"]
    assert held["positive"].sum() == 53 and len(held["positive"]) == 106


def read_bedgraph(path):
    values = {}
    for line in path.read_text().splitlines():
        if line.startswith("track"):
            continue
        record, start, end, value = line.split("\t")
        assert int(end) == int(start) + 1
        values.setdefault(record, {})[int(start)] = float(value)
    return values


def read_bed(path):
    hits = []
    for line in path.read_text().splitlines():
        if line.startswith("track"):
            continue
        record, start, end, name, score, strand = line.split("\t")
        hits.append((record, int(start), int(end), int(name[len("class"):]), strand, float(score)))
    return hits


@pytest.mark.parametrize("strand,classes", [("both", None), ("+", [2, 1])])
def test_scan_equals_the_cli(model, work, genome, strand, classes):
    project = work / "scan.dnp"
    model.save(project)
    records = list(model.scan(genome, classes=classes, strand=strand, scores=True))
    assert [r["record"] for r in records] == ["chrA", "chrB", "chrC"]
    everything = np.concatenate([r["scores"][~np.isnan(r["scores"])] for r in records])
    level = float(np.quantile(everything, 0.98))

    bed, graph = work / f"hits-{strand}.bed", work / f"scores-{strand}.bedGraph"
    cli = ["scan", "--open", str(project), "--genome", str(genome), "--strand", strand,
           "--level", repr(level), "--bed", str(bed), "--bedgraph", str(graph)]
    if classes:
        cli += ["--classes", ",".join(str(c) for c in classes)]
    run_cli(*cli)

    want_scores = read_bedgraph(graph)
    for r in records:
        scores = r["scores"]
        width = model.settings["object_width"]
        assert len(scores) == max(r["letters"] - width + 1, 0)
        got = {i: v for i, v in enumerate(scores.tolist()) if not math.isnan(v)}
        assert got == want_scores.get(r["record"], {})
    # The windows over the N run have no score.
    assert math.isnan(records[0]["scores"][300])

    hits = [(r["record"], *hit) for r in model.scan(genome, classes=classes, strand=strand,
                                                    level=level) for hit in r["hits"]]
    want_hits = read_bed(bed)
    assert len(want_hits) > 0
    assert hits == want_hits


def test_discriminative_scores_match_the_saved_rules(work):
    model = motifora.learn(POSITIVES, NEGATIVES, discriminative=True)
    rules = model.discriminative_rules
    assert len(rules) > 0
    names, letters = motifora.read_samples(POSITIVES)
    scores = model.score(letters, score="discriminative")
    # The score is the sum of the signed weights of the rules holding on a sequence: a sequence
    # on which no rule holds scores 0, and the positives score above the negatives on average.
    _, negative_letters = motifora.read_samples(NEGATIVES)
    negative_scores = model.score(negative_letters, score="discriminative")
    assert scores.mean() > negative_scores.mean()
    path = work / "contrast.dnp"
    model.save(path)
    assert (work / "contrast.dnp.contrast").exists()
    opened = motifora.open(path)
    assert opened.score(letters, score="discriminative").tolist() == scores.tolist()
