#!/usr/bin/python3
"""The pellimar Python module against the icoextract library (Debian's
python3-icoextract, with pefile), in one process each, on the same files in the
same run: every icon group of every PE file of a folder listed and exported.

  icoextract          IconExtractor(path); list_group_icons(); get_icon(i) for each
  pellimar            pellimar.open(path); each icon group's ID or name and
                      language, and group.to_ico(): the same work
  pellimar, every image  the same, and of every image of every group its size,
                      depth, format (PNG or DIB), offset and bytes: more than
                      icoextract lists
  pellimar.icoextract the same calls as icoextract's, on pellimar's interface

Each contender runs in a fresh python3 of its own, the four taking turns (A B C
D A B C D ...); what is timed is the CPU time (user + system) of the work, from
after the imports to the last icon, and the median of the runs is printed with
its ratio to icoextract's. The import itself is timed apart. The bytes exported
are compared: every group's .ico must be the same from all four (hashed in a second
pass, after the timed one).

  PELLIMAR_BENCH_ICON_DIR=/path/to/wine/x86_64-windows \\
  LD_LIBRARY_PATH=build/src/lib PYTHONPATH=src/python \\
  /usr/bin/python3 bench/python_vs_icoextract.py [RUNS]

Without PELLIMAR_BENCH_ICON_DIR, or without icoextract, it says so and skips
(status 0).
"""

import importlib.util
import json
import os
import statistics
import subprocess
import sys

WORKERS = {
    "icoextract": """
import icoextract
def run(paths):
    for path in paths:
        extractor = icoextract.IconExtractor(path)
        for num in range(len(extractor.list_group_icons())):
            yield extractor.get_icon(num=num).getvalue()
""",
    "pellimar": """
import pellimar
def run(paths):
    for path in paths:
        with pellimar.open(path) as f:
            for group in f.icons:
                (group.id, group.name, group.language)
                yield group.to_ico()
""",
    "pellimar, every image": """
import pellimar
def run(paths):
    for path in paths:
        with pellimar.open(path) as f:
            for group in f.icons:
                (group.id, group.name, group.language)
                for image in group.images:
                    (image.width, image.height, image.depth, image.is_png, image.offset,
                     image.size)
                yield group.to_ico()
""",
    "pellimar.icoextract": """
import pellimar.icoextract as icoextract
def run(paths):
    for path in paths:
        extractor = icoextract.IconExtractor(path)
        for num in range(len(extractor.list_group_icons())):
            yield extractor.get_icon(num=num).getvalue()
""",
}

# Runs in the child: imports (timed apart), then the work, timed in CPU.
CHILD = """
import hashlib, json, os, sys, time
paths = json.loads(sys.stdin.read())
t0 = time.process_time()
exec(compile(sys.argv[1], "worker", "exec"))
t1 = time.process_time()
groups = 0
for data in run(paths):
    groups += len(data) > 0
t2 = time.process_time()
# The bytes are compared after, from a second pass outside the time taken.
digest = hashlib.sha256()
for data in run(paths):
    digest.update(hashlib.sha256(data).digest())
cpu = lambda a, b: b - a
print(json.dumps({"import": cpu(t0, t1), "work": cpu(t1, t2), "groups": groups,
                  "digest": digest.hexdigest()}))
"""


def run_child(name, paths):
    done = subprocess.run([sys.executable, "-c", CHILD, WORKERS[name]], input=json.dumps(paths),
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{name} failed:\n{done.stderr}")
    return json.loads(done.stdout)


def icon_files(folder):
    """The PE files of the folder that hold icon groups, as pellimar reads them."""
    import pellimar

    paths = []
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            continue
        try:
            with pellimar.open(path) as f:
                if f.container == "pe" and f.icons:
                    paths.append(path)
        except pellimar.Error:
            pass
    return paths


def main():
    folder = os.environ.get("PELLIMAR_BENCH_ICON_DIR")
    if not folder:
        print("skipped: PELLIMAR_BENCH_ICON_DIR names no folder (e.g. Wine's "
              "x86_64-windows libraries)")
        return 0
    if importlib.util.find_spec("icoextract") is None:
        print("skipped: icoextract is not installed (Debian's python3-icoextract)")
        return 0
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    paths = icon_files(folder)
    print(f"{len(paths)} PE files with icon groups in {folder}; {runs} runs each, taking turns")
    results = {name: [] for name in WORKERS}
    for _ in range(runs):
        for name in WORKERS:
            results[name].append(run_child(name, paths))

    digests = {name: {r["digest"] for r in rs} for name, rs in results.items()}
    groups = {name: {r["groups"] for r in rs} for name, rs in results.items()}
    same = len({frozenset(d) for d in digests.values()}) == 1 and all(
        len(d) == 1 for d in digests.values())
    print("groups exported: " + ", ".join(f"{n} {sorted(g)}" for n, g in groups.items()))
    print("the .ico bytes of every group: " + ("the same from all four" if same else
                                              "DIFFERENT: " + json.dumps(
                                                  {n: sorted(d) for n, d in digests.items()})))
    base = statistics.median(r["work"] for r in results["icoextract"])
    print(f"{'':22} {'work CPU (median)':>18} {'ratio':>8} {'import CPU':>11}")
    for name, rs in results.items():
        work = statistics.median(r["work"] for r in rs)
        imported = statistics.median(r["import"] for r in rs)
        ratio = work / base if base else float("nan")
        print(f"{name:22} {work * 1000:15.1f} ms {ratio:8.4f} {imported * 1000:8.1f} ms"
              f"   (1/{1 / ratio:.0f})" if ratio else "")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
