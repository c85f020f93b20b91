"""Long runs: progress through the callback, and a stop by Ctrl-C or by a callback that raises,
each held deterministically (the scan waits on a pipe the test feeds)."""
import os
import signal
import threading

import pytest

import motifora
from conftest import NEGATIVES, POSITIVES


def test_progress_reaches_the_callback_and_ends_done(model):
    seen = []
    model.cross_validate(k=3, seed=2, progress=lambda stage, done, total: seen.append(
        (stage, done, total)))
    assert seen, "the callback was never called"
    assert seen[-1] == ("cross-validation", 3, 3)
    assert all(stage == "cross-validation" and 0 <= done <= 3 for stage, done, total in seen)


def test_a_raising_callback_ends_the_run_with_its_exception():
    class Enough(Exception):
        pass

    def progress(stage, done, total):
        raise Enough(stage)

    with pytest.raises(Enough):
        motifora.learn(POSITIVES, NEGATIVES, progress=progress)


def feed_partly(fifo, first, rest, ready):
    """Opens the pipe for writing (the scan's thread opens it for reading), writes `first` and
    waits for `ready` before writing `rest` and closing."""
    with open(fifo, "w") as out:
        out.write(first)
        out.flush()
        ready.wait()
        out.write(rest)


def test_ctrl_c_stops_a_scan_that_is_waiting_for_letters(model, tmp_path):
    fifo = tmp_path / "genome.fa"
    os.mkfifo(fifo)
    ready = threading.Event()
    letters = "ACGT" * 2000
    feeder = threading.Thread(target=feed_partly,
                              args=(fifo, ">chr1\n" + letters[:100] + "\n",
                                    letters[100:] + "\n>chr2\n" + letters + "\n", ready))
    feeder.start()
    calls = []

    def progress(stage, done, total):
        # The scan cannot have ended: its first record is still being written. Ctrl-C now.
        # (The rest is written first: the scan must be able to read on to its next stop check.)
        calls.append(stage)
        if len(calls) == 1:
            ready.set()
            signal.raise_signal(signal.SIGINT)

    scan = model.scan(fifo, progress=progress)
    try:
        with pytest.raises(KeyboardInterrupt):
            next(scan)
    finally:
        ready.set()
        feeder.join()
    assert calls == ["scan"]
    assert scan.totals()["records"] <= 1
    # The stopped scan yields nothing more.
    with pytest.raises(StopIteration):
        next(scan)
