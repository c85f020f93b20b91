"""Samples from files and lists, and the refusals of bad input: each names the file or list,
the record and the line."""
import gzip
import os

import pytest

import motifora
from conftest import NEGATIVES, POSITIVES


def test_seq_and_gzipped_fasta_read_the_same_records(tmp_path):
    names, letters = motifora.read_samples(POSITIVES)
    assert len(names) == 53 and len(letters) == 53
    assert all(len(text) == 57 for text in letters)
    fasta = tmp_path / "positives.fa.gz"
    with gzip.open(fasta, "wt") as out:
        for name, text in zip(names, letters):
            out.write(f">{name} a promoter\n{text[:30].lower()}\n{text[30:]}\n")
    assert motifora.read_samples(fasta) == (names, letters)


def test_lists_learn_what_the_files_learn(model):
    _, positives = motifora.read_samples(POSITIVES)
    _, negatives = motifora.read_samples(NEGATIVES)
    from_lists = motifora.learn(positives, negatives)
    assert from_lists.rules == model.rules
    assert [c["text"] for c in from_lists.classes] == [c["text"] for c in model.classes]


BAD_FILES = [
    # name, contents, line, record, words in the message
    ("empty-name.seq", ">a;ACGT\n>;ACGT\n", 2, 2, "name"),
    ("late-marker.seq", ">a;ACGT\nAC>GT\n", 2, None, ">"),
    ("no-letters.seq", ">a;ACGT\n>b;\n>c;ACGT\n", 2, 2, "letters"),
    ("text-first.fa", "ACGT\n>a\nACGT\n", 1, None, "before"),
    ("no-name.fa", ">a\nACGT\n>\nACGT\n", 3, None, "name"),
]


@pytest.mark.parametrize("name,contents,line,record,words", BAD_FILES)
def test_a_bad_sample_file_raises_with_file_line_and_record(tmp_path, name, contents, line,
                                                            record, words):
    path = tmp_path / name
    path.write_text(contents)
    with pytest.raises(motifora.InputError) as raised:
        motifora.read_samples(path)
    error = raised.value
    assert isinstance(error, ValueError)
    assert error.file == str(path)
    assert error.line == line
    if record is not None:
        assert error.record == record
    assert str(path) in str(error)
    assert words in str(error)
    # learn refuses it the same way.
    with pytest.raises(motifora.InputError) as again:
        motifora.learn(path)
    assert again.value.file == str(path)


def test_a_missing_file_raises_naming_it(tmp_path):
    path = tmp_path / "absent.seq"
    with pytest.raises(motifora.InputError) as raised:
        motifora.read_samples(path)
    assert raised.value.file == str(path)
    with pytest.raises(motifora.InputError) as opened:
        motifora.open(tmp_path / "absent.dnp")
    assert opened.value.file == str(tmp_path / "absent.dnp")


@pytest.mark.parametrize("negatives,record,words", [
    (["ACGTACGT", "ACGTACGTAC"], 2, "10 letters long"),
    (["ACGTACGT", "ACGTACGU"], 2, "'U'"),
    (["ACGT ACG"], 1, "not a letter"),
    ([""], 1, "no letters"),
])
def test_a_bad_sequence_list_raises_with_the_record(negatives, record, words):
    with pytest.raises(motifora.InputError) as raised:
        motifora.learn(["ACGTACGT", "ACGAACGT", "TCGTACGA"], negatives)
    assert raised.value.record == record
    assert words in str(raised.value)
    assert "negative" in str(raised.value)


def test_a_damaged_project_raises_naming_the_file(model, tmp_path):
    path = tmp_path / "cut.dnp"
    model.save(path)
    data = path.read_bytes()
    path.write_bytes(data[: len(data) // 2])
    with pytest.raises(motifora.InputError) as raised:
        motifora.open(path)
    assert raised.value.file == str(path)


@pytest.mark.parametrize("arguments,words", [
    (dict(cp=1.5), "cp must be at most 1"),
    (dict(finish=1), "finish must be at least 2"),
    (dict(mode="shift", width=2), "width must be at least 3"),
    (dict(mode="diagonal"), "mode must be one of"),
    (dict(idealization="sideways"), "idealization must be one of"),
])
def test_refused_settings_raise_value_errors(arguments, words):
    with pytest.raises(ValueError, match=words):
        motifora.learn(POSITIVES, NEGATIVES, **arguments)


def test_scores_refuse_sequences_of_another_length(model):
    with pytest.raises(motifora.InputError) as raised:
        model.score(["ACGT" * 14 + "A", "ACGT"])
    assert raised.value.record == 2
    scores, classes = model.score(["N" * 57])
    assert classes.tolist() == [0] and scores.size == 1 and scores[0] != scores[0]


def test_a_scan_of_a_bad_genome_raises_with_the_line(model, tmp_path):
    path = tmp_path / "bad.fa"
    path.write_text(">chr1\n" + "ACGT" * 30 + "\n>\nACGT\n")
    with pytest.raises(motifora.InputError) as raised:
        list(model.scan(path))
    assert str(path) in str(raised.value)
    assert "line 3" in str(raised.value)


def test_every_function_is_documented():
    public = [name for name in dir(motifora) if not name.startswith("_")]
    for name in public:
        assert getattr(motifora, name).__doc__, name
    for name in ("rules", "classes", "save", "score", "cross_validate", "scan",
                 "discriminative_rules", "settings"):
        assert getattr(motifora.Model, name).__doc__, name
    assert "learn(positives" in motifora.learn.__doc__


def test_a_model_without_negatives_refuses_what_needs_them():
    model = motifora.learn(POSITIVES)
    assert len(model.classes) > 0
    with pytest.raises(ValueError, match="cross-validation needs a learning negative sample"):
        model.cross_validate()
    with pytest.raises(RuntimeError, match="no discriminative rules"):
        model.score(["A" * 57], score="discriminative")
    with pytest.raises(RuntimeError, match="needs negatives"):
        motifora.learn(POSITIVES, discriminative=True)
