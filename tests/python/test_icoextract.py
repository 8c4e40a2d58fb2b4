"""pellimar.icoextract: a launcher written for icoextract changes one import line
and gets the same .ico files, and more files read."""

import importlib.util
import io
import pathlib
import subprocess
import sys

import pytest

import pellimar
from pellimar.icoextract import (ExecutableType, IconExtractor, IconExtractorError,
                                 IconNotFoundError, InvalidIconDefinitionError,
                                 NoIconsAvailableError, ResourceID, UnknownExecutableError)
from conftest import cli_extract, cli_listing

SCRIPT = pathlib.Path(__file__).with_name("launcher_script.py")
IMPORT = "from icoextract import "


def run_launcher(tmp_path, name, programs, changed):
    """Runs the launcher script, as written or with its import changed, into a
    folder of its own: (its output, {file name: bytes})."""
    text = SCRIPT.read_text()
    assert text.count(IMPORT) == 1
    if changed:
        text = text.replace(IMPORT, "from pellimar.icoextract import ")
    script = tmp_path / f"launcher_for_{name}.py"
    script.write_text(text)
    out = tmp_path / name
    out.mkdir()
    done = subprocess.run([sys.executable, str(script), str(out), *map(str, programs)],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done.stdout, {p.name: p.read_bytes() for p in sorted(out.iterdir())}


def test_launcher_gets_icoextracts_files_for_programs(samples, sample_files, tmp_path):
    if importlib.util.find_spec("icoextract") is None:
        pytest.skip("icoextract is not installed (Debian's python3-icoextract): "
                    "the files are not compared with its own")
    programs = [sample_files["pe32"], sample_files["pe32plus"],
                samples / "tree" / "programs" / "no-icons.dll"]
    theirs = run_launcher(tmp_path, "icoextract", programs, changed=False)
    ours = run_launcher(tmp_path, "pellimar", programs, changed=True)
    assert ours == theirs
    assert len(ours[1]) == 5
    assert ours[0].splitlines() == ["pe32.dll: 3", "pe32plus.exe: 2", "no-icons.dll: no icons"]


def test_launcher_reads_ne_and_icon_files_as_extract_does(cli, sample_files, tmp_path):
    programs = [sample_files["ne"], sample_files["ico"], sample_files["cur"]]
    output, files = run_launcher(tmp_path, "pellimar", programs, changed=True)
    assert output.splitlines() == ["ne.dll: 2", "app.ico: 1", "pointer.cur: 0"]
    extracted = tmp_path / "extracted"
    records = cli_extract(cli, extracted, *programs)
    expected = {pathlib.Path(r["file"]).name: pathlib.Path(r["file"]).read_bytes()
                for r in records if r["kind"] == "icon"}
    assert files == expected
    assert sorted(files) == ["app.ico-0.ico", "ne.dll-0.ico", "ne.dll-1.ico"]


def test_icons_are_chosen_by_index_or_resource_id(sample_files):
    extractor = IconExtractor(sample_files["pe32plus"])
    named = extractor.get_icon(resource_id="MAINICON").getvalue()
    assert named == extractor.get_icon(num=0).getvalue() == extractor.get_icon().getvalue()
    assert extractor.get_icon(resource_id=1).getvalue() == extractor.get_icon(num=1).getvalue()
    assert named != extractor.get_icon(num=1).getvalue()
    with pytest.raises(IconNotFoundError, match="index 2"):
        extractor.get_icon(num=2)
    with pytest.raises(IconNotFoundError, match="resource ID 7"):
        extractor.get_icon(resource_id=7)
    # A name is matched exactly, and a number is not its text.
    for missing in ("mainicon", "1"):
        with pytest.raises(IconNotFoundError):
            extractor.get_icon(resource_id=missing)

    ne = IconExtractor(sample_files["ne"])
    assert ne.get_icon(resource_id="APPICON").getvalue() == ne.get_icon(num=1).getvalue()
    icon_file = IconExtractor(sample_files["ico"])
    assert icon_file.get_icon(resource_id=0).getvalue() == sample_files["ico"].read_bytes()


def test_exceptions_are_icoextracts(samples, sample_files, tmp_path):
    with pytest.raises(ValueError):
        IconExtractor()
    with pytest.raises(FileNotFoundError):
        IconExtractor(samples / "nothing-here.exe")
    with pytest.raises(NoIconsAvailableError):
        IconExtractor(samples / "tree" / "programs" / "no-icons.dll")
    with pytest.raises(UnknownExecutableError) as unknown:
        IconExtractor(data=b"plain text, not a program")
    assert isinstance(unknown.value.reason, pellimar.NotIconContainerError)
    with pytest.raises(UnknownExecutableError):
        IconExtractor(sample_files["pe32"], exe_type=ExecutableType.NE)

    broken = IconExtractor(samples / "broken" / "cut.dll")
    target = tmp_path / "never.ico"
    with pytest.raises(InvalidIconDefinitionError) as invalid:
        broken.export_icon(target)
    assert not target.exists()
    assert isinstance(invalid.value, IconExtractorError)
    assert invalid.value.reason.offset == 0x480
    assert "image 1" in str(invalid.value)


def test_data_reads_as_the_file_and_the_file_name_comes_first(sample_files):
    from_data = IconExtractor(data=sample_files["ne"].read_bytes())
    assert from_data.get_icon(1).getvalue() == IconExtractor(sample_files["ne"]).get_icon(
        1).getvalue()
    both = IconExtractor(sample_files["pe32"], data=sample_files["ne"].read_bytes())
    assert len(both.list_group_icons()) == 3
    assert isinstance(both.get_icon(), io.BytesIO)


def test_listing_gives_ids_entries_and_offsets(cli, sample_files):
    listing = cli_listing(cli, *sample_files.values())
    for key, path in sample_files.items():
        extractor = IconExtractor(path)
        record = listing[str(path)]
        for groups, kind in ((extractor.list_group_icons(), "icons"),
                             (extractor.list_group_cursors(), "cursors")):
            assert len(groups) == len(record[kind])
            for (resource_id, entries), expected in zip(groups, record[kind]):
                assert isinstance(resource_id, ResourceID)
                if "name" in expected:
                    assert str(resource_id) == expected["name"]
                    with pytest.raises(ValueError):
                        int(resource_id)
                else:
                    assert int(resource_id) == expected.get("id", 0)
                assert [(e.Width or 256, e.Height or 256, file_offset, e.BytesInRes)
                        for e, _, file_offset in entries] == [
                    (i["width"], i["height"], i["offset"], i["bytes"]) for i in expected["images"]]
                if key.startswith("pe"):
                    # The fixture builder's resource section: file offset 0x400 at
                    # address 0x1000.
                    assert all(rva == offset - 0x400 + 0x1000 for _, rva, offset in entries)
                    assert all(e.ID > 0 for e, _, _ in entries)


def test_cursors_are_the_files_extract_writes(cli, sample_files, tmp_path):
    records = cli_extract(cli, tmp_path, sample_files["pe32"], sample_files["cur"])
    cursors = [r for r in records if r["kind"] == "cursor"]
    assert len(cursors) == 3
    for record in cursors:
        extractor = IconExtractor(record["source"])
        data = extractor.get_cursor(num=record["icon"]).getvalue()
        assert data == pathlib.Path(record["file"]).read_bytes()
        target = tmp_path / "cursor.cur"
        extractor.export_cursor(target, num=record["icon"])
        assert target.read_bytes() == data
    with pytest.raises(IconNotFoundError):
        IconExtractor(sample_files["cur"]).get_icon()
