#!/usr/bin/python3
"""Builds an index of every icon and cursor of the files under one or more folders,
with Dask's distributed scheduler over the pellimar Python module.

    icon_index.py [--scheduler ADDRESS] [--workers N] [--threads N] [--batch N]
                  [--format jsonl|csv] [--output FILE] [--all-files] FOLDER...

Without --scheduler the work runs on a distributed.LocalCluster of --workers
processes on this machine; with it (e.g. tcp://host:8786), on the workers of that
scheduler, which must read the files under the same paths (shared storage) and
have the pellimar module installed (Debian package python3-pellimar). The
folders are walked here; their files go to the workers --batch at a time, and at
most a few batches a worker are waiting at any moment, so a tree of millions of
files takes little memory here.

The files taken are those named *.exe, *.dll, *.cpl, *.ocx, *.scr, *.mun, *.mui,
*.icl, *.ico and *.cur (in any letter case), or with --all-files every regular
file. Links to folders are not followed.

Output (--output FILE, or standard output): one record a group, i.e. per icon or
cursor and per language it is stored in, in the order the batches finish:

  file        the file's path (file_hex: its bytes in hexadecimal, when the name
              is not valid UTF-8)
  kind        "icon" or "cursor"
  position    its number among the file's icons (or cursors), as pellimar-cli
              list numbers them; the further languages of a group share it
  id, name    its resource ID (a number) or name (a text); null when it has none
  language    its language number (null outside PE files); language_tag its tag
  sizes       its images, as WIDTHxHEIGHT@BITS ("16x16@4 32x32@32" in CSV)
  bytes, sha256  the size and SHA-256 of the group as a lossless icon or cursor
              file: the bytes `pellimar-cli extract` writes for it
  error       why the group (or the file) could not be indexed; then no sha256
  note        why a file gave no group ("no icons or cursors", "not a program,
              library, icon or cursor file")

Every file taken gives at least one record: a file that cannot be read gives one
with its error (kind null), one without icons one with a note. JSON lines
(--format jsonl, the default) hold one JSON object a line; CSV (--format csv)
has a header row and the columns above. A summary goes to standard error. The
exit status is 0 when every file was indexed, 1 when any record holds an error,
2 for bad arguments.
"""

import argparse
import csv
import hashlib
import itertools
import json
import os
import sys
import tempfile

EXTENSIONS = {".exe", ".dll", ".cpl", ".ocx", ".scr", ".mun", ".mui", ".icl", ".ico", ".cur"}
COLUMNS = ["file", "file_hex", "kind", "position", "id", "name", "language", "language_tag",
           "sizes", "bytes", "sha256", "error", "note"]


# ---- On the workers -------------------------------------------------------


def group_record(base, group):
    import pellimar

    record = dict(base, kind=group.kind, position=group.position, id=group.id, name=group.name,
                  language=group.language, language_tag=group.language_tag,
                  sizes=[f"{i.width}x{i.height}@{i.depth}" for i in group.images])
    try:
        data = group.to_ico()
    except pellimar.Error as error:
        record["error"] = f"{group.kind} {group.position}: {error}"
        return record
    record["bytes"] = len(data)
    record["sha256"] = hashlib.sha256(data).hexdigest()
    return record


def index_file(path):
    """The records of one file."""
    import pellimar

    base = {"file": os.fsdecode(path)}
    raw = os.fsencode(path)
    try:
        raw.decode("utf-8")
    except UnicodeDecodeError:
        base["file_hex"] = raw.hex()
    try:
        f = pellimar.open(path)
    except pellimar.NotIconContainerError as error:
        return [dict(base, note=str(error))]
    except pellimar.Error as error:
        return [dict(base, error=str(error))]
    records = []
    with f:
        for group in f:
            records.append(group_record(base, group))
            for other in group.languages:
                records.append(group_record(base, other))
            # Let go of the images read, so a large file holds little at a time.
            f.release_images()
        for note in f.notes:
            records.append(dict(base, error=f"left out: {note}"))
    if not records:
        records.append(dict(base, note="no icons or cursors"))
    return records


def index_batch(paths):
    """The records of a batch of files (one task)."""
    return [record for path in paths for record in index_file(path)]


# ---- Here -----------------------------------------------------------------


def walk(folders, all_files, skipped):
    """The files to index under each folder, depth first; a folder that cannot be
    listed is told to `skipped`."""
    for folder in folders:
        if not os.path.isdir(folder):
            skipped(folder, "not a folder")
            continue
        for top, dirs, files in os.walk(folder, onerror=lambda e: skipped(e.filename, e.strerror)):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(top, name)
                if not all_files and os.path.splitext(name)[1].lower() not in EXTENSIONS:
                    continue
                if os.path.isfile(path):
                    yield path


def batches(items, size):
    iterator = iter(items)
    while batch := list(itertools.islice(iterator, size)):
        yield batch


class Writer:
    """Writes the records as JSON lines or CSV, to standard output or to a file
    that takes its name only once it is whole."""

    def __init__(self, form, output):
        self.output = output
        if output in (None, "-"):
            self.stream, self.temporary = sys.stdout, None
        else:
            folder = os.path.dirname(os.path.abspath(output))
            handle, self.temporary = tempfile.mkstemp(dir=folder, prefix=".icon-index-")
            self.stream = os.fdopen(handle, "w", encoding="utf-8", newline="")
        self.csv = None
        if form == "csv":
            self.csv = csv.DictWriter(self.stream, COLUMNS, extrasaction="raise")
            self.csv.writeheader()

    def write(self, record):
        if self.csv:
            row = dict(record)
            if "sizes" in row:
                row["sizes"] = " ".join(row["sizes"])
            self.csv.writerow(row)
        else:
            full = {column: record.get(column) for column in COLUMNS if column != "file_hex"}
            if "file_hex" in record:
                full["file_hex"] = record["file_hex"]
            self.stream.write(json.dumps(full) + "\n")

    def finish(self, keep):
        if self.temporary is None:
            self.stream.flush()
            return
        self.stream.flush()
        os.fsync(self.stream.fileno())
        self.stream.close()
        if keep:
            os.replace(self.temporary, self.output)
        else:
            os.unlink(self.temporary)

    def abandon(self):
        if self.temporary is not None:
            self.stream.close()
            os.unlink(self.temporary)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Index every icon of a folder tree with Dask.")
    parser.add_argument("folders", nargs="+", metavar="FOLDER")
    parser.add_argument("--scheduler", help="a Dask scheduler's address (tcp://host:8786); "
                        "without it, a LocalCluster on this machine")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="worker processes of the LocalCluster (default: one a CPU)")
    parser.add_argument("--threads", type=int, default=1,
                        help="threads of each LocalCluster worker (default 1)")
    parser.add_argument("--batch", type=int, default=200,
                        help="files a task (default 200)")
    parser.add_argument("--format", choices=("jsonl", "csv"), default="jsonl")
    parser.add_argument("--output", "-o", help="the index file (default: standard output)")
    parser.add_argument("--all-files", action="store_true",
                        help="every regular file, whatever its name")
    args = parser.parse_args(argv)
    if args.workers < 1 or args.threads < 1 or args.batch < 1:
        parser.error("--workers, --threads and --batch take a number from 1")

    from distributed import Client, LocalCluster, as_completed

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=args.threads,
                               processes=True, dashboard_address=None)
        client = Client(cluster)

    counts = {"files": 0, "groups": 0, "errors": 0, "skipped folders": 0}

    def skipped(folder, why):
        counts["skipped folders"] += 1
        print(f"icon_index: folder left out: {folder}: {why}", file=sys.stderr)

    writer = Writer(args.format, args.output)
    try:
        threads = sum(client.nthreads().values()) or 1
        work = batches(walk(args.folders, args.all_files, skipped), args.batch)
        waiting = as_completed()
        batch_of = {}

        def submit(count):
            for batch in itertools.islice(work, count):
                future = client.submit(index_batch, batch, pure=False)
                batch_of[future] = batch
                waiting.add(future)

        # A few batches a thread in flight: enough to keep the workers busy.
        submit(4 * threads)
        for future in waiting:
            batch = batch_of.pop(future)
            try:
                records = future.result()
            except Exception as error:  # the batch's task failed: each file says so
                records = [{"file": os.fsdecode(p), "error": f"the task failed: {error!r}"}
                           for p in batch]
            future.release()
            counts["files"] += len(batch)
            for record in records:
                counts["groups"] += record.get("kind") is not None
                counts["errors"] += "error" in record
                writer.write(record)
            submit(1)
    except BaseException:
        writer.abandon()
        raise
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    writer.finish(keep=True)
    print(f"icon_index: {counts['files']} files, {counts['groups']} groups, "
          f"{counts['errors']} errors, {counts['skipped folders']} folders left out",
          file=sys.stderr)
    return 1 if counts["errors"] or counts["skipped folders"] else 0


if __name__ == "__main__":
    sys.exit(main())
