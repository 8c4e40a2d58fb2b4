"""examples/icon_index.py on Dask: the index of a tree of generated files is what
pellimar-cli lists, and its hashes those of the files extract writes."""

import csv
import hashlib
import json
import pathlib
import subprocess
import sys

from conftest import cli_extract, cli_listing


def run_index(examples, tmp_path, *args):
    output = tmp_path / "index.out"
    done = subprocess.run([sys.executable, str(examples / "icon_index.py"), "--output",
                           str(output), *map(str, args)], capture_output=True, text=True)
    return done, output


def expected_index(cli, tree, tmp_path):
    """(file, kind, position, language) -> (id, name, sizes, sha256) of every group
    pellimar-cli lists and extracts, further languages included."""
    files = sorted(p for p in tree.rglob("*") if p.is_file() and p.suffix != ".txt")
    listing = cli_listing(cli, *files)
    hashes = {}
    for record in cli_extract(cli, tmp_path / "extracted", "--all-languages", *files):
        data = pathlib.Path(record["file"]).read_bytes()
        language = record["language"]["id"] if record["language"] else None
        hashes[(record["source"], record["kind"], record["icon"], language)] = \
            hashlib.sha256(data).hexdigest()
    expected = {}
    for path, record in listing.items():
        for kind in ("icons", "cursors"):
            for group in record[kind]:
                for g in [group, *group["other_languages"]]:
                    language = g["language"]["id"] if g["language"] else None
                    key = (path, g["kind"], group["index"], language)
                    sizes = [f"{i['width']}x{i['height']}@{i['depth']}" for i in g["images"]]
                    expected[key] = (g.get("id"), g.get("name"), sizes, hashes[key])
    return expected


def test_index_on_a_local_cluster_is_the_command_lines(cli, examples, samples, tmp_path):
    tree = samples / "tree"
    done, output = run_index(examples, tmp_path, "--workers", "2", "--batch", "2", tree)
    assert done.returncode == 0, done.stderr
    records = [json.loads(line) for line in output.read_text().splitlines()]
    groups = {(r["file"], r["kind"], r["position"], r["language"]):
              (r["id"], r["name"], r["sizes"], r["sha256"]) for r in records if r["kind"]}
    assert groups == expected_index(cli, tree, tmp_path)
    assert len(groups) == 14
    assert [r["note"] for r in records if not r["kind"]] == ["no icons or cursors"]
    assert all(r["error"] is None for r in records)
    assert "6 files, 14 groups, 0 errors, 0 folders left out" in done.stderr


def test_index_on_a_scheduler_in_csv_tells_each_failure(examples, samples, tmp_path):
    from distributed import LocalCluster

    with LocalCluster(n_workers=1, threads_per_worker=2, processes=False, protocol="tcp",
                      host="127.0.0.1", dashboard_address=None) as cluster:
        done, output = run_index(examples, tmp_path, "--scheduler", cluster.scheduler_address,
                                 "--format", "csv", "--all-files", samples,
                                 samples / "not-there")
    assert done.returncode == 1, done.stderr
    with open(output, newline="") as f:
        rows = list(csv.DictReader(f))
    by_file = {}
    for row in rows:
        by_file.setdefault(pathlib.Path(row["file"]).name, []).append(row)
    # Every file taken gives a row: the text file a note, the broken one its error
    # (8 files of icons and cursors, and the 3 of version/).
    assert len(by_file) == 11
    assert by_file["notes.txt"][0]["note"].startswith("not a ")
    [cut] = by_file["cut.dll"]
    assert cut["sha256"] == "" and cut["error"].startswith("icon 0: image 1: ")
    assert by_file["pe32.dll"][0]["sizes"] == "16x16@4 32x32@8 48x48@32 256x256@32"
    assert "folder left out: " + str(samples / "not-there") in done.stderr
    assert "1 errors, 1 folders left out" in done.stderr
