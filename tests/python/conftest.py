"""What the Python tests share: the sample files, and pellimar-cli's view of them.

ctest names the programs of the build in the environment: PELLIMAR_CLI (the
command line), PELLIMAR_SAMPLE_WRITER (write_python_samples) and
PELLIMAR_EXAMPLES (the examples folder), and puts the tree's module and library
on PYTHONPATH and LD_LIBRARY_PATH.
"""

import json
import os
import pathlib
import subprocess

import pytest


def _program(variable):
    value = os.environ.get(variable)
    if not value:
        pytest.fail(f"{variable} is not set: run the Python tests through ctest")
    return value


@pytest.fixture(scope="session")
def cli():
    return _program("PELLIMAR_CLI")


@pytest.fixture(scope="session")
def examples():
    return pathlib.Path(_program("PELLIMAR_EXAMPLES"))


@pytest.fixture(scope="session")
def samples(tmp_path_factory):
    """The folder write_python_samples fills (see its description)."""
    folder = tmp_path_factory.mktemp("samples")
    subprocess.run([_program("PELLIMAR_SAMPLE_WRITER"), str(folder)], check=True)
    return folder


@pytest.fixture(scope="session")
def sample_files(samples):
    """Every sample file that holds icons or cursors, by its name."""
    tree = samples / "tree"
    return {
        "pe32": tree / "programs" / "pe32.dll",
        "pe32plus": tree / "programs" / "pe32plus.exe",
        "ne": tree / "programs" / "old" / "ne.dll",
        "ico": tree / "icons" / "app.ico",
        "cur": tree / "icons" / "pointer.cur",
    }


def run_cli(cli, *args, check=True):
    done = subprocess.run([cli, *map(str, args)], capture_output=True)
    if check and done.returncode != 0:
        raise AssertionError(f"pellimar-cli {' '.join(map(str, args))} failed "
                             f"({done.returncode}): {done.stderr.decode()}")
    return done


def cli_listing(cli, *paths):
    """pellimar-cli list --json of the paths: {path: its record}."""
    listing = json.loads(run_cli(cli, "list", "--json", *paths, check=False).stdout)
    return {record["file"]: record for record in listing["files"]}


def cli_extract(cli, out, *args):
    """pellimar-cli extract --json: the records of the files written."""
    done = run_cli(cli, "extract", "--json", "--out", out, *args, check=False)
    return [json.loads(line) for line in done.stdout.decode().splitlines()]
