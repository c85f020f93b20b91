"""Shared fixtures of the Python module's tests: the command-line program, the bundled example
and runs of motifora-cli whose figures the module must give as well."""
import json
import os
import random
import subprocess

import pytest

import motifora

EXAMPLES = os.environ.get("MOTIFORA_EXAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "examples"))
CLI = os.environ.get("MOTIFORA_CLI", "motifora-cli")
POSITIVES = os.path.join(EXAMPLES, "promoters_pos.seq")
NEGATIVES = os.path.join(EXAMPLES, "promoters_neg.seq")
SEED = int(os.environ.get("MOTIFORA_SEED", "20261208"))


def run_cli(*args, cwd=None):
    """Runs motifora-cli and returns its completed process; a failure shows its output."""
    command = [CLI, "scan", "--quiet", *args[1:]] if args[0] == "scan" else [CLI, "--quiet", *args]
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    assert done.returncode == 0, f"motifora-cli {' '.join(args)} failed:\n{done.stderr}"
    return done


@pytest.fixture(scope="session")
def work(tmp_path_factory):
    return tmp_path_factory.mktemp("motifora")


@pytest.fixture(scope="session")
def model():
    """The bundled promoters learned with the default settings (idealization "both")."""
    return motifora.learn(POSITIVES, NEGATIVES)


@pytest.fixture(scope="session")
def cli_run(work):
    """motifora-cli's run of the same steps: its JSON summary and its project."""
    out, project = work / "summary.json", work / "cli.dnp"
    run_cli("--positive", POSITIVES, "--negative", NEGATIVES, "--idealization", "both",
            "--stages", "search,idealize", "--json", str(out), "--save", str(project))
    return json.loads(out.read_text()), project


@pytest.fixture(scope="session")
def cli_summary(cli_run):
    return cli_run[0]


@pytest.fixture(scope="session")
def genome(work):
    """A small generated genome: three records with N runs, lower case and one short record.
    The seed is printed; MOTIFORA_SEED repeats another one."""
    print(f"genome seed {SEED} (MOTIFORA_SEED=N to repeat another)")
    rng = random.Random(SEED)
    path = work / "genome.fa"
    with open(path, "w") as out:
        for name, length in (("chrA", 1500), ("chrB", 40), ("chrC", 2200)):
            letters = [rng.choice("ACGTacgt") for _ in range(length)]
            if length > 600:
                for i in range(300, 310):
                    letters[i] = "N"
            out.write(f">{name} generated\n")
            for i in range(0, length, 60):
                out.write("".join(letters[i:i + 60]) + "\n")
    return path
