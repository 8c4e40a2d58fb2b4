"""The pellimar module against pellimar-cli: the same listing, the same files."""

import errno
import hashlib
import json
import subprocess
import sys
import threading

import pytest

import pellimar
from conftest import cli_extract, run_cli


def test_a_script_lists_and_extracts_as_the_command_line(cli, examples, samples, sample_files,
                                                         tmp_path):
    paths = [*map(str, sample_files.values()), str(samples / "broken" / "cut.dll"),
             str(samples / "tree" / "icons" / "notes.txt"), str(samples / "nothing-here.dll")]
    done = subprocess.run([sys.executable, str(examples / "list_icons.py"), "--out",
                           str(tmp_path / "script"), *paths], capture_output=True, text=True)
    assert done.returncode == 1
    listing = json.loads(done.stdout)["files"]
    expected = json.loads(run_cli(cli, "list", "--json", *paths, check=False).stdout)["files"]
    assert listing == expected
    assert "cut.dll: icon 0: image 1: resource address is not valid at byte 0x480" in done.stderr
    assert "cannot read " + paths[-1] + ": No such file or directory" in done.stderr

    run_cli(cli, "extract", "--out", tmp_path / "cli", *paths, check=False)
    written = {p.name: p.read_bytes() for p in (tmp_path / "script").iterdir()}
    assert written == {p.name: p.read_bytes() for p in (tmp_path / "cli").iterdir()}
    assert len(written) == 13


def test_groups_are_the_files_extract_writes(cli, samples, sample_files, tmp_path):
    written = cli_extract(cli, tmp_path, *sample_files.values())
    assert len(written) == 12
    for record in written:
        source = pellimar.open(record["source"])
        groups = source.icons if record["kind"] == "icon" else source.cursors
        group = groups[record["icon"]]
        data = group.to_ico()
        assert data == open(record["file"], "rb").read(), record
        assert record["bytes"] == len(data)


def test_images_are_the_pngs_extract_writes(cli, sample_files, tmp_path):
    written = cli_extract(cli, tmp_path, "-f", "png", sample_files["pe32"], sample_files["ico"],
                          sample_files["cur"])
    by_file = {}
    for record in written:
        by_file.setdefault((record["source"], record["kind"], record["icon"]), []).append(record)
    compared = 0
    for (source, kind, index), records in by_file.items():
        with pellimar.open(source) as f:
            group = f.groups(kind)[index]
            assert len(group.images) == len(records)
            for image, record in zip(group.images, records):
                assert (record["width"], record["height"]) == (image.width, image.height)
                assert image.to_png() == open(record["file"], "rb").read(), record
                compared += 1
    assert compared == 15


def test_a_drawing_at_a_size_is_extracts_png_at_that_size(cli, sample_files, tmp_path):
    for size in (16, 40, 300):
        out = tmp_path / str(size)
        written = cli_extract(cli, out, "-f", "png", "--size", size, sample_files["pe32"])
        with pellimar.open(sample_files["pe32"]) as f:
            for record in written:
                if record["kind"] != "icon":
                    continue
                picture = f.icons[record["icon"]].draw(size)
                assert (picture.width, picture.height) == (size, size)
                assert picture.to_png() == open(record["file"], "rb").read(), record


def test_rgba_keeps_transparency(sample_files):
    with pellimar.open(sample_files["ico"]) as f:
        small, alpha32, png = f.icons[0].images
        # 16 x 16, 4 bits: transparent where the mask is set (the first column).
        width, height, pixels = small.rgba()
        assert (width, height, len(pixels)) == (16, 16, 16 * 16 * 4)
        rows = [pixels[y * 64:(y + 1) * 64] for y in range(16)]
        assert all(row[3] == 0 and all(row[x * 4 + 3] == 255 for x in range(1, 16))
                   for row in rows)
        # With alpha: 255 - 8 * (x % 32), and 0 on the first column.
        for image in (alpha32, png):
            width, height, pixels = image.rgba()
            assert len(pixels) == width * height * 4
            row = pixels[7 * width * 4:8 * width * 4]
            assert [row[x * 4 + 3] for x in range(1, 40)] == [255 - 8 * (x % 32)
                                                            for x in range(1, 40)]
            assert row[3] == 0
        picture = f.icons[0].draw(32)
        width, height, pixels = picture.rgba()
        assert (width, height, len(pixels)) == (32, 32, 32 * 32 * 4)


def test_identity_of_languages_names_and_cursors(sample_files):
    with pellimar.open(sample_files["pe32"]) as f:
        assert f.container == "pe"
        assert [g.id for g in f.icons] == [1, 2, 3]
        assert [g.resource for g in f.cursors] == [1, 2]
        multilingual = f.icons[1]
        assert (multilingual.language, multilingual.language_tag) == (1033, "en-US")
        assert [(g.language, g.is_other_language, g.position) for g in multilingual.languages] \
            == [(1032, True, 1), (1031, True, 1)]
        assert [i.width for i in multilingual.languages[1].images] == [24]
        assert [i.hotspot for i in f.cursors[1].images] == [(10, 1), (3, 5)]
        assert list(f) == [*f.icons, *f.cursors]
        assert f.icons[0].images[3].format == "png"
        assert f.icons[0].choose(40).width == 48
        assert f.icons[0].choose(40, pellimar.CHOOSE_SMALLEST_AT_LEAST).width == 48
        assert f.icons[0].choose(20, pellimar.CHOOSE_SMALLEST_AT_LEAST).width == 32
    with pellimar.open(sample_files["pe32plus"]) as f:
        assert [(g.id, g.name, g.resource) for g in f.icons] == [
            (None, "MAINICON", "MAINICON"), (1, None, 1)]
    with pellimar.open(sample_files["ne"]) as f:
        assert f.container == "ne"
        assert [g.resource for g in f.icons] == [1, "APPICON"]
        assert f.icons[0].language is None
    with pellimar.open(sample_files["cur"]) as f:
        assert (f.container, f.icons, len(f.cursors)) == ("cursor-file", (), 1)
        assert f.cursors[0].resource is None


def test_bytes_and_descriptors_read_as_the_path(sample_files):
    path = sample_files["pe32"]
    data = path.read_bytes()
    expected = [g.to_ico() for g in pellimar.open(path)]
    buffer = bytearray(data)
    from_copy = pellimar.open_bytes(buffer)
    buffer[:] = bytes(len(buffer))  # the module copied it: the file is unchanged
    with open(path, "rb") as descriptor:
        from_fd = pellimar.open_fd(descriptor.fileno())
    for f in (pellimar.open_bytes(data), from_copy, from_fd):
        assert [g.to_ico() for g in f] == expected
        f.close()


def test_failures_carry_their_reason(samples, sample_files):
    with pytest.raises(pellimar.FileError) as missing:
        pellimar.open(samples / "nothing-here.dll")
    assert (missing.value.errno, missing.value.status) == (errno.ENOENT, "cannot_open")
    assert "No such file or directory" in str(missing.value)

    with pytest.raises(pellimar.FileError) as folder:
        pellimar.open(samples)
    assert folder.value.status == "not_regular_file"

    with pytest.raises(pellimar.NotIconContainerError) as text:
        pellimar.open(samples / "tree" / "icons" / "notes.txt")
    assert isinstance(text.value, pellimar.FormatError)
    assert isinstance(text.value, pellimar.Error)

    # What a file's reading leaves out is told in its notes.
    with pellimar.open_bytes(sample_files["pe32"].read_bytes()[:300]) as cut_off:
        assert cut_off.icons == ()
        note = cut_off.notes[0]
        assert (note.status, note.offset) == ("cut_off", 0x178)
        assert note.message == "section table cut off at byte 0x178"

    with pellimar.open(samples / "broken" / "cut.dll") as f:
        group = f.icons[0]
        with pytest.raises(pellimar.FormatError) as image_missing:
            group.to_ico()
        error = image_missing.value
        assert error.context.startswith("image 1")
        assert error.offset == 0x480 and error.message.startswith("image 1: ")
        # What extract writes: the image that can be had, the other left out.
        partial = group.to_ico(allow_missing=True)
        assert partial[4:6] == b"\x01\x00"
        assert group.images[1].failure.status == error.status
        assert group.images[0].failure is None

    with pellimar.open(sample_files["ico"]) as f:
        with pytest.raises(pellimar.InvalidArgumentError):
            f.icons[0].draw(0)
        with pytest.raises(pellimar.Error, match="size 5000"):
            f.icons[0].draw(5000)


def test_a_closed_file_refuses_every_read(sample_files):
    with pellimar.open(sample_files["pe32"]) as f:
        group = f.icons[0]
        image = group.images[0]
    assert f.closed
    for read in (lambda: group.to_ico(), lambda: image.to_png(), lambda: image.rgba(),
                 lambda: group.languages, lambda: f.cursors, lambda: group.draw(16)):
        with pytest.raises(ValueError):
            read()
    f.close()  # a second close does nothing


def test_threads_share_a_file(sample_files):
    f = pellimar.open(sample_files["pe32"])
    expected = [hashlib.sha256(g.to_ico()).hexdigest() for g in f]
    f.release_images()
    results, failures = [], []

    def work():
        try:
            for _ in range(30):
                results.append([hashlib.sha256(g.to_ico()).hexdigest() for g in f])
                f.release_images()
        except Exception as error:  # told below, with the thread's result
            failures.append(error)

    threads = [threading.Thread(target=work) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
    assert results == [expected] * 120


def test_thumbnail_is_the_thumbnailers_size(samples, sample_files):
    with pellimar.open(sample_files["pe32"]) as f:
        picture = f.thumbnail(128)
        assert (picture.width, picture.height) == (128, 128)
        assert picture.to_png().startswith(b"\x89PNG\r\n\x1a\n")
    # A cursor file shows its first cursor; a file of neither, nothing.
    with pellimar.open(sample_files["cur"]) as f:
        picture = f.thumbnail(64)
        assert (picture.width, picture.height) == (32, 32)
        assert picture.rgba() == f.cursors[0].images[0].rgba()
    with pellimar.open(samples / "tree" / "programs" / "no-icons.dll") as f:
        with pytest.raises(pellimar.NoSuchIconError):
            f.thumbnail(64)


def test_version_gives_the_first_languages_strings_and_the_others_on_request(samples,
                                                                             sample_files):
    with pellimar.open(samples / "version" / "version.exe") as f:
        version = f.version
        everything = f.read_version(all_languages=True)
    # Read whole: the file's closing takes nothing from it.
    assert (version.product_name, version.file_description, version.company_name,
            version.file_version, version.product_version) == (
        "Example Minesweeper", "Mine sweeping game", "Example Works", "5.1.2600.0", "5.1")
    assert (version.language, version.language_tag, version.code_page) == (0x0409, "en-US", 1200)
    assert version.get("LegalCopyright") == "\u00a9 Example Works"
    assert version.strings["FileVersion"] == "5.1.2600.0"
    assert len(version.tables) == 1 and version.notes == ()
    assert version.translations == ((0x0409, 1200), (0x0407, 1200))
    assert [(t.language_tag, t.get("ProductName")) for t in everything.tables] == [
        ("en-US", "Example Minesweeper"), ("de-DE", "Beispiel-Minensucher")]
    assert everything.tables[1].get("FileVersion") is None

    old = pellimar.open(samples / "version" / "old.exe").version
    assert (old.product_name, old.code_page, old.file_version) == ("\u00c4hnlich", 1252, None)

    damaged = pellimar.open(samples / "version" / "damaged.dll").read_version(all_languages=True)
    assert damaged.product_name == "Example Minesweeper" and len(damaged.tables) == 1
    assert len(damaged.notes) == 1
    assert isinstance(damaged.notes[0], pellimar.FormatError)
    assert "version block length is not valid" in damaged.notes[0].message

    for name in ("pe32", "ico", "cur"):
        assert pellimar.open(sample_files[name]).version is None


def test_the_script_lists_versions_as_the_command_line(cli, examples, samples):
    paths = [str(samples / "version" / name) for name in ("version.exe", "old.exe", "damaged.dll")]
    done = subprocess.run([sys.executable, str(examples / "list_icons.py"), *paths],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    expected = json.loads(run_cli(cli, "list", "--json", *paths).stdout)["files"]
    assert json.loads(done.stdout)["files"] == expected
    assert expected[0]["version"]["product_name"] == "Example Minesweeper"
    assert paths[2] + ": version resource: StringFileInfo: " in done.stderr


def test_files_are_written_through_the_librarys_writer(tmp_path):
    target = tmp_path / "made" / "icon.ico"
    (tmp_path / "made").mkdir()
    assert pellimar.write_file(target, b"first") is True
    assert target.read_bytes() == b"first"
    # A file already there stays when asked to, and is replaced otherwise.
    assert pellimar.write_file(target, b"second", replace=False) is False
    assert target.read_bytes() == b"first"
    assert pellimar.write_file(target, b"third") is True
    assert target.read_bytes() == b"third"
    # A path with no file name in it is refused with the writer's reason.
    with pytest.raises(pellimar.WriteError) as refused:
        pellimar.write_file(str(tmp_path) + "/", b"x")
    assert refused.value.message
    with pytest.raises(pellimar.WriteError):
        pellimar.write_file(tmp_path / "missing" / "icon.ico", b"x")
