"""examples/notebook.py runs as a user would run it, and prints the figures of the run."""
import os
import runpy

from conftest import EXAMPLES


def test_the_notebook_example_runs(tmp_path, monkeypatch, capsys):
    monkeypatch.chdir(tmp_path)
    monkeypatch.setenv("MPLBACKEND", "Agg")
    runpy.run_path(os.path.join(EXAMPLES, "notebook.py"), run_name="__main__")
    out = capsys.readouterr().out
    assert "held-out AUC 0.672 (95 % 0.569-0.776)" in out
    try:
        import matplotlib  # noqa: F401
    except ImportError:
        assert "no ROC plot" in out
    else:
        assert (tmp_path / "promoters-roc.png").stat().st_size > 0
