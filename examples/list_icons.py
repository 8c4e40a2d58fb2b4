#!/usr/bin/python3
"""Lists the icons and cursors of files as `pellimar-cli list --json` does, and with
--out writes each of them as `pellimar-cli extract` does, with the pellimar
Python module.

    list_icons.py [--out DIR] FILE...

The listing goes to standard output; each file written is named NAME-INDEX.ico
or NAME-cursor-INDEX.cur in DIR (NAME the source's file name, INDEX the icon's
number), with ~2, ~3... before the extension for a name already written. A file
that cannot be read, and an image that cannot be had (the icon file is written
without it), are named on standard error; the exit status is then 1.
"""

import argparse
import json
import os
import sys

import pellimar


def reason_of(error):
    """Why a file cannot be read, as the command line says it: the system's own
    words for a system failure, else the message."""
    if error.errno and not error.context and error.status in ("cannot_open", "read_failed"):
        return os.strerror(error.errno)
    return error.message


def image_record(group, image):
    record = {"width": image.width, "height": image.height, "depth": image.depth}
    if group.kind == pellimar.CURSOR:
        record["hotspot"] = list(image.hotspot)
    if image.is_png is None:
        record.update(png=None, offset=None, bytes=None)
        if image.failure is not None:
            record["error"] = image.failure.message
    else:
        record.update(png=image.is_png, offset=image.offset, bytes=image.size)
    return record


def identity_record(group):
    record = {"kind": group.kind}
    if group.id is not None:
        record["id"] = group.id
    if group.name is not None:
        record["name"] = group.name
    record["language"] = (None if group.language is None else
                          {"id": group.language, "tag": group.language_tag})
    return record


def group_record(group):
    record = identity_record(group)
    if group.failure is not None:
        record["error"] = group.failure.message
    record["images"] = [image_record(group, image) for image in group.images]
    return record


def version_record(name, f):
    """The version resource's language and the five strings launchers show; what
    cannot be read of it is told on standard error too."""
    try:
        version = f.version
    except pellimar.Error as error:
        print(f"list_icons.py: note: {name}: version resource: {error}", file=sys.stderr)
        return {"error": error.message}
    if version is None:
        return None
    for note in version.notes:
        print(f"list_icons.py: note: {name}: version resource: {note}", file=sys.stderr)
    return {
        "language": (None if version.language is None else
                     {"id": version.language, "tag": version.language_tag}),
        "code_page": version.code_page,
        "product_name": version.product_name,
        "file_description": version.file_description,
        "company_name": version.company_name,
        "file_version": version.file_version,
        "product_version": version.product_version,
        "notes": [note.message for note in version.notes],
    }


def file_record(name, f):
    record = {"file": name, "readable": True}
    for kind, groups in (("icons", f.icons), ("cursors", f.cursors)):
        record[kind] = [
            {"index": group.position, **group_record(group),
             "other_languages": [group_record(other) for other in group.languages]}
            for group in groups
        ]
    record["version"] = version_record(name, f)
    return record


class Extractor:
    def __init__(self, folder):
        self.folder = folder
        self.names = set()
        os.makedirs(folder, exist_ok=True)

    def write(self, source, group):
        """Writes the group; False when an image of it could not be had."""
        base = os.path.basename(source)
        kind = "" if group.kind == pellimar.ICON else "cursor-"
        extension = ".ico" if group.kind == pellimar.ICON else ".cur"
        stem = f"{base}-{kind}{group.position}"
        name, copy = stem + extension, 1
        while name in self.names:
            copy += 1
            name = f"{stem}~{copy}{extension}"
        self.names.add(name)
        data = group.to_ico(allow_missing=True)
        path = os.path.join(self.folder, name)
        pellimar.write_file(path, data)
        whole = True
        for image in group.images:
            if image.failure is not None:
                print(f"list_icons.py: {source}: {group.kind} {group.position}: image "
                      f"{image.index}: {image.failure}", file=sys.stderr)
                whole = False
        return whole


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+", metavar="FILE")
    parser.add_argument("--out", metavar="DIR", help="write each icon and cursor into DIR")
    args = parser.parse_args(argv)
    extractor = Extractor(args.out) if args.out else None
    status = 0
    records = []
    for name in args.files:
        try:
            f = pellimar.open(name)
        except pellimar.Error as error:
            reason = reason_of(error)
            print(f"list_icons.py: cannot read {name}: {reason}", file=sys.stderr)
            records.append({"file": name, "readable": False, "error": reason,
                            "icons": [], "cursors": [], "version": None})
            status = 1
            continue
        with f:
            records.append(file_record(name, f))
            for note in f.notes:
                print(f"list_icons.py: note: {name}: {note}", file=sys.stderr)
            if extractor:
                for group in f:
                    try:
                        if not extractor.write(name, group):
                            status = 1
                    except (pellimar.Error, OSError) as error:
                        print(f"list_icons.py: {name}: {group.kind} {group.position}: {error}",
                              file=sys.stderr)
                        status = 1
    json.dump({"files": records}, sys.stdout, indent=1)
    print()
    return status


if __name__ == "__main__":
    sys.exit(main())
