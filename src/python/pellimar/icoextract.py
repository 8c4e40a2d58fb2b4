"""The interface of the icoextract library, on Pellimar's reader.

A program written for icoextract changes one line:

    from icoextract import IconExtractor, IconExtractorError
becomes
    from pellimar.icoextract import IconExtractor, IconExtractorError

(or `import icoextract` becomes `import pellimar.icoextract as icoextract`).

    extractor = IconExtractor('/path/to/your.exe')   # or IconExtractor(data=bytes)
    extractor.export_icon('/path/to/your.ico', num=0)
    data = extractor.get_icon(num=0)                  # io.BytesIO of an .ico file
    extractor.export_icon('/path/to/your.ico', resource_id=1234)
    for resource_id, entries in extractor.list_group_icons():
        ...

The .ico files are those icoextract writes for the same PE file. Beyond it, this
one reads 16-bit NE programs and libraries, icon files and cursor files, and the
cursors of programs (list_group_cursors, get_cursor, export_cursor).

Exceptions, as icoextract raises them:
  ValueError                   neither filename nor data given
  OSError (FileNotFoundError...)  the file cannot be opened or read
  UnknownExecutableError       not a program, library, icon or cursor file
  NoIconsAvailableError        a file with no icon (and no cursor)
  IconNotFoundError            no icon at that index or of that resource ID
  InvalidIconDefinitionError   an icon whose directory or images cannot be read
Each of the last four is an IconExtractorError; the pellimar.Error that gave
the reason is its __cause__ and its `reason`.
"""

import ctypes
import enum
import io

import pellimar

__all__ = [
    "IconExtractor",
    "IconExtractorError",
    "IconNotFoundError",
    "NoIconsAvailableError",
    "InvalidIconDefinitionError",
    "UnknownExecutableError",
    "ExecutableType",
    "ResourceID",
    "GroupIconDirEntry",
]


class IconExtractorError(Exception):
    """Superclass for exceptions raised by IconExtractor."""

    def __init__(self, message, reason=None):
        super().__init__(message)
        self.reason = reason


class IconNotFoundError(IconExtractorError):
    """Raised when extracting an icon index or resource ID that does not exist."""


class NoIconsAvailableError(IconExtractorError):
    """Raised when the input program has no icon resources."""


class InvalidIconDefinitionError(IconExtractorError):
    """Raised when the input program has an invalid icon resource."""


class UnknownExecutableError(IconExtractorError):
    """Raised when the input is not a kind of file that is read."""


class ExecutableType(enum.Enum):
    """The kinds of programs icoextract tells apart; AUTO takes whatever the file
    is (icon and cursor files included)."""

    AUTO = 0
    PE = 1
    NE = 2


class ResourceID:
    """A group's resource ID: str() gives its name, or its number as text; int()
    its number, or ValueError for a named resource. An icon or cursor file has no
    resource ID: its one group is listed as ID 0 (resource_id=0 selects it)."""

    def __init__(self, raw_id=None, name=None):
        if raw_id is None and name is None:
            raise ValueError("raw_id and name cannot both be None")
        self.raw_id = raw_id
        self.name = name

    def __str__(self):
        return self.name or str(self.raw_id)

    def __int__(self):
        if self.raw_id is not None:
            return self.raw_id
        raise ValueError(f"Resource ID {self.name!r} cannot be converted to an int")

    def __repr__(self):
        if self.name:
            return f"{self.__class__.__name__}({self.name!r})"
        return f"{self.__class__.__name__}({self.raw_id})"


class GroupIconDirEntry(ctypes.LittleEndianStructure):
    """One image as an icon group's directory states it (GRPICONDIRENTRY)."""

    _pack_ = 1
    _fields_ = [
        ("Width", ctypes.c_uint8),
        ("Height", ctypes.c_uint8),
        ("ColorCount", ctypes.c_uint8),
        ("Reserved", ctypes.c_uint8),
        ("Planes", ctypes.c_uint16),
        ("BitCount", ctypes.c_uint16),
        ("BytesInRes", ctypes.c_uint32),
        ("ID", ctypes.c_uint16),
    ]


_EXE_TYPES = {"pe": ExecutableType.PE, "ne": ExecutableType.NE}


def _file_error(error, filename):
    """The OSError of a file that cannot be opened or read, as open() raises it."""
    if error.errno:
        return OSError(error.errno, error.message, filename)
    return OSError(error.message)


def _pe_section_map(data):
    """(virtual address, size, file offset) of each section of a PE file's
    header bytes, to give an image's offset as the resource's address (RVA), as
    icoextract lists it."""
    if len(data) < 0x40:
        return ()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    if data[pe:pe + 4] != b"PE\0\0":
        return ()
    count = int.from_bytes(data[pe + 6:pe + 8], "little")
    optional = int.from_bytes(data[pe + 20:pe + 22], "little")
    table = pe + 24 + optional
    sections = []
    for i in range(count):
        entry = data[table + 40 * i:table + 40 * (i + 1)]
        if len(entry) < 40:
            break
        virtual_size = int.from_bytes(entry[8:12], "little")
        virtual_address = int.from_bytes(entry[12:16], "little")
        raw_size = int.from_bytes(entry[16:20], "little")
        raw_offset = int.from_bytes(entry[20:24], "little")
        sections.append((virtual_address, max(virtual_size, raw_size), raw_offset, raw_size))
    return tuple(sections)


class IconExtractor:
    """Loads a program from `filename` or from `data` (its bytes); when both are
    given, `filename` is read. Raises NoIconsAvailableError when it holds no icon
    (nor cursor)."""

    def __init__(self, filename=None, data=None, exe_type=ExecutableType.AUTO):
        if filename is None and data is None:
            raise ValueError("filename and data cannot both be None")
        self._filename = filename
        try:
            if filename is not None:
                self._file = pellimar.open(filename)
            else:
                self._file = pellimar.open_bytes(data if isinstance(data, bytes) else bytes(data))
        except pellimar.FileError as error:
            raise _file_error(error, filename) from error
        except pellimar.NotIconContainerError as error:
            raise UnknownExecutableError(f"Unknown executable type: {error}", error) from error
        except pellimar.Error as error:
            raise InvalidIconDefinitionError(str(error), error) from error
        container = self._file.container
        if exe_type not in (ExecutableType.AUTO, _EXE_TYPES.get(container)):
            raise UnknownExecutableError(
                f"the file is not of type {exe_type.name} (it is {container})")
        self._icons = self._file.icons
        self._cursors = self._file.cursors
        if not self._icons and not self._cursors:
            raise NoIconsAvailableError("File has no group icon resources")

    # ---- Listing ----------------------------------------------------------

    def _resource_id(self, group):
        if group.id is not None:
            return ResourceID(group.id)
        if group.name is not None:
            return ResourceID(None, group.name)
        return ResourceID(0)

    def _entries(self, group, sections):
        entries = []
        for image in group.images:
            entry = GroupIconDirEntry(
                Width=image.width if image.width < 256 else 0,
                Height=image.height if image.height < 256 else 0,
                ColorCount=image.color_count,
                Reserved=0,
                Planes=image.planes,
                BitCount=image.stated_bit_count,
                BytesInRes=image.size,
                ID=image.resource_id,
            )
            resource_offset = image.offset
            for address, size, raw_offset, raw_size in sections:
                if raw_offset <= image.offset < raw_offset + raw_size:
                    resource_offset = image.offset - raw_offset + address
                    break
            entries.append((entry, resource_offset, image.offset))
        return entries

    def _headers(self):
        if self._file.container != "pe":
            return ()
        if self._filename is not None:
            with open(self._filename, "rb") as f:
                head = f.read(4096)
        else:
            head = self._file._data[:4096] if self._file._data is not None else b""
        return _pe_section_map(head)

    def _list(self, groups):
        sections = self._headers()
        return [(self._resource_id(g), self._entries(g, sections)) for g in groups]

    def list_group_icons(self):
        """Every icon group as a (ResourceID, entries) tuple, in the file's order;
        entries are (GroupIconDirEntry, resource offset, file offset) tuples, the
        resource offset being the image's address (RVA) in a PE file and its file
        offset otherwise."""
        return self._list(self._icons)

    def list_group_cursors(self):
        """Every cursor group, as list_group_icons lists icons (a cursor's
        GroupIconDirEntry gives its width, height, planes and bit count)."""
        return self._list(self._cursors)

    # ---- Extracting -------------------------------------------------------

    @staticmethod
    def _select(groups, num, resource_id, what):
        if resource_id is not None:
            for group in groups:
                if isinstance(resource_id, str):
                    if group.name == resource_id:
                        return group
                elif group.id == resource_id or (
                        resource_id == 0 and group.id is None and group.name is None):
                    return group
            raise IconNotFoundError(f"No {what} exists with resource ID {resource_id!r}")
        if not isinstance(num, int) or isinstance(num, bool):
            raise TypeError(f"num must be an int, not {type(num).__name__}")
        try:
            return groups[num]
        except IndexError:
            raise IconNotFoundError(f"No {what} exists at index {num}") from None

    @staticmethod
    def _ico_bytes(group):
        # An image the group names that cannot be had makes the icon invalid, as
        # it does to icoextract: never an .ico file that lacks it.
        try:
            return group.to_ico()
        except pellimar.Error as error:
            raise InvalidIconDefinitionError(
                f"Invalid group icon definition: {error}", error) from error

    def get_icon(self, num=0, resource_id=None):
        """The requested icon group as an .ico file in an io.BytesIO, selected by
        index (`num`) or by resource ID (an int, or a str for a named resource)."""
        return io.BytesIO(self._ico_bytes(self._select(self._icons, num, resource_id, "icon")))

    def export_icon(self, filename, num=0, resource_id=None):
        """Writes the requested icon group to `filename` as an .ico file."""
        data = self._ico_bytes(self._select(self._icons, num, resource_id, "icon"))
        pellimar.write_file(filename, data)

    def get_cursor(self, num=0, resource_id=None):
        """The requested cursor group as a .cur file in an io.BytesIO."""
        return io.BytesIO(
            self._ico_bytes(self._select(self._cursors, num, resource_id, "cursor")))

    def export_cursor(self, filename, num=0, resource_id=None):
        """Writes the requested cursor group to `filename` as a .cur file."""
        data = self._ico_bytes(self._select(self._cursors, num, resource_id, "cursor"))
        pellimar.write_file(filename, data)

    def close(self):
        """Lets go of the file at once (it is let go when collected too)."""
        self._file.close()
