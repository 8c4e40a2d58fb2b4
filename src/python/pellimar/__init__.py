"""The icons and cursors stored in Windows programs, libraries, icon files and
cursor files: listed, extracted and decoded by Pellimar's C library.

    import pellimar

    with pellimar.open("/path/to/program.exe") as f:
        for group in f.icons:                      # f.cursors, or iter(f) for both
            print(group.position, group.id or group.name, group.language,
                  [(i.width, i.height, i.depth, i.format) for i in group.images])
            ico = group.to_ico()                   # the bytes `pellimar-cli extract` writes
        png = f.icons[0].images[0].to_png()
        width, height, rgba = f.icons[0].images[0].rgba()
        picture = f.icons[0].draw(48)              # the icon at 48 x 48

`pellimar.open_bytes(data)` reads a file held in memory, `pellimar.open_fd(fd)`
one behind an open descriptor. Every failure is a `pellimar.Error` (see its
subclasses) that carries the library's reason: `code`, `status`, `message`,
`errno`, `offset`, `what`, `context`, `cap`.

Threads: a File, and the groups and images taken from it, may be shared between
threads; each call into the library holds the file's lock. Python's own lock is
let go while the library reads, decodes or encodes, so different files are read
in parallel.

`pellimar.icoextract` offers the interface of the icoextract library on top of
this module.
"""

import ctypes
import os
import threading

from . import _native as _n

__all__ = [
    "File",
    "Group",
    "Image",
    "Picture",
    "Version",
    "VersionTable",
    "open",
    "open_bytes",
    "open_fd",
    "write_file",
    "version",
    "language_tag",
    "Error",
    "WriteError",
    "FileError",
    "FormatError",
    "NotIconContainerError",
    "CapReachedError",
    "NoSuchIconError",
    "NoImageError",
    "EncodeError",
    "InvalidArgumentError",
    "LibraryError",
    "ICON",
    "CURSOR",
    "CHOOSE_LIKE_WINDOWS",
    "CHOOSE_SMALLEST_AT_LEAST",
]

# The kinds of groups.
ICON = "icon"
CURSOR = "cursor"
_KIND_CODES = {ICON: 0, CURSOR: 1}
_KIND_NAMES = (ICON, CURSOR)

# What a file is, by its bytes.
_CONTAINERS = ("icon-file", "cursor-file", "pe", "ne")

# The choices of an icon's image for a size.
CHOOSE_LIKE_WINDOWS = 0
"""As the icons' home system picks: the least difference in width plus height,
then the depth nearest 32 bits (drawing and saving at a size use it)."""
CHOOSE_SMALLEST_AT_LEAST = 1
"""The smallest image at least the size, else the largest (thumbnails use it)."""

_NO_OFFSET = 2**64 - 1


def version():
    """The version of the C library loaded, as "1.0.0"."""
    return _n.version().decode()


def language_tag(language):
    """The tag of a language number ("de-DE" for 1031), or None when the table of
    the library does not hold it (0, language-neutral, included)."""
    tag = _n.language_tag(language)
    return tag.decode() if tag is not None else None


# ---- Failures ----------------------------------------------------------------


class Error(Exception):
    """A failure of the library, with its reason.

    code     the status code (an int; see the status names in pellimar.h)
    status   its short name: "cut_off", "cannot_open", "no_such_icon"...
    message  one line for a person, as the Pellimar programs print it
    errno    the system's error number of a system failure, else 0
    offset   where in the file it happened, or None
    what     the structure or item concerned ("group directory"), or ""
    context  the part it happened in ("icon 3: image 2"), or ""
    cap      for status "cap_reached", which cap (an int), else 0
    """

    def __init__(self, message, code=0, status="", errno=0, offset=None, what="", context="",
                 cap=0):
        super().__init__(message)
        self.message = message
        self.code = code
        self.status = status
        self.errno = errno
        self.offset = offset
        self.what = what
        self.context = context
        self.cap = cap


class FileError(Error):
    """The file cannot be opened or read, or it changed while it was read."""


class FormatError(Error):
    """The bytes are not what the format allows: cut off, a bad value, an image
    the file does not hold, an image that cannot be decoded."""


class NotIconContainerError(FormatError):
    """Neither a PE nor an NE file, nor an icon or cursor file."""


class CapReachedError(Error):
    """The input asked for more than one of the library's caps allows (`cap`)."""


class NoSuchIconError(Error, IndexError):
    """No icon or group at the position asked for."""


class NoImageError(Error):
    """A group none of whose images can be had."""


class EncodeError(Error):
    """A picture that cannot be encoded, or a write that failed."""


class WriteError(Error):
    """A file could not be written, or was refused so that no other user steers
    the write (someone else's link on the way to it)."""


class InvalidArgumentError(Error, ValueError):
    """An argument the library refuses (a size out of range...)."""


class LibraryError(Error):
    """A fault of the library itself, memory running out, or a stop asked for."""


_ERROR_CLASSES = {
    1: FileError,  # cannot open
    2: FileError,  # not a regular file
    3: FileError,  # read failed
    4: FileError,  # file changed
    5: NotIconContainerError,
    6: FormatError,  # cut off
    7: FormatError,  # bad value
    8: FormatError,  # missing image
    9: CapReachedError,
    10: FormatError,  # unsupported image
    11: FormatError,  # damaged image
    12: NoSuchIconError,
    13: NoImageError,
    14: EncodeError,
    15: WriteError,
    16: WriteError,
    17: WriteError,
    18: WriteError,
    19: WriteError,
    20: WriteError,
    101: InvalidArgumentError,
}


def _text(value):
    return value.decode("utf-8", "replace") if value else ""


def _error_of(failure, status=None):
    """The Error a failure (a borrowed or owned pointer) stands for; with no
    failure (memory ran out before it could be made), one of the status."""
    if not failure:
        code = status if status is not None else 103
        name = _text(_n.status_name(code))
        if code == 100:
            message = "memory ran out"
        else:
            message = f"the library failed ({name}) without giving a reason"
        return _ERROR_CLASSES.get(code, LibraryError)(message, code=code, status=name)
    code = _n.failure_code(failure)
    offset = _n.failure_offset(failure)
    cls = _ERROR_CLASSES.get(code)
    if cls is None:
        cls = LibraryError
    return cls(
        _text(_n.failure_message(failure)),
        code=code,
        status=_text(_n.status_name(code)),
        errno=_n.failure_errno(failure),
        offset=None if offset == _NO_OFFSET else offset,
        what=_text(_n.failure_what(failure)),
        context=_text(_n.failure_context(failure)),
        cap=_n.failure_cap(failure),
    )


def _raise_failed(status, why):
    """Raises the Error of an owned failure `why` (a c_void_p), freeing it."""
    try:
        error = _error_of(why.value, status)
    finally:
        _n.failure_free(why)
    raise error


# ---- Files -------------------------------------------------------------------


def open(path):  # noqa: A001 (the module's own open, as gzip.open and tarfile.open)
    """Opens the file at `path` (str, bytes or os.PathLike); see File."""
    return File(path)


def write_file(path, data, replace=True):
    """Writes `data` as the file `path`, whole or not at all, through the
    library's writer: never through another user's link on the way, a new
    file with the umask's mode. With replace=False a file already there is
    kept. Returns True when written, False when kept; raises WriteError."""
    placed = ctypes.c_int32(0)
    why = ctypes.c_void_p()
    status = _n.write_file(
        os.fsencode(path), bytes(data), len(data), 0 if replace else 2, ctypes.byref(placed),
        ctypes.byref(why))
    if status != 0:
        _raise_failed(status, why)
    return placed.value == 0


def open_bytes(data):
    """Reads a file held in memory: bytes are used where they are, a bytearray or
    another buffer is copied first."""
    return File(data=data)


def open_fd(fd):
    """Reads the file behind an open descriptor, which stays the caller's (a pipe
    is read to its end)."""
    return File(fd=fd)


class File:
    """A file opened for its icons and cursors.

    File(path), File(data=bytes) or File(fd=descriptor). Opening reads the headers
    and directories; images are read when asked for. Close it (or use it in a
    `with` block) to let go of the file at once; it is closed when collected too.

    container  "pe", "ne", "icon-file" or "cursor-file"
    size       the file's size in bytes
    icons      the icon groups, in their first language (a tuple)
    cursors    the cursor groups, likewise
    notes      what the reading left out, with why (a tuple of Error)
    Iterating a File gives its icons, then its cursors.
    """

    def __init__(self, path=None, *, data=None, fd=None):
        if sum(x is not None for x in (path, data, fd)) != 1:
            raise TypeError("File() takes exactly one of path, data= and fd=")
        self._lock = threading.Lock()
        self._handle = None
        self._data = None
        self._groups = {}
        handle = ctypes.c_void_p()
        why = ctypes.c_void_p()
        if path is not None:
            self.name = os.fsdecode(path)
            status = _n.open_path(os.fsencode(path), 0, ctypes.byref(handle), ctypes.byref(why))
        elif data is not None:
            self.name = None
            if isinstance(data, bytes):
                # Immutable: the library borrows it, and the file keeps it alive.
                self._data = data
                status = _n.open_buffer(data, len(data), 0, ctypes.byref(handle),
                                        ctypes.byref(why))
            else:
                view = memoryview(data).cast("B")
                buffer = (ctypes.c_uint8 * len(view)).from_buffer_copy(view)
                status = _n.open_buffer(buffer, len(view), 1, ctypes.byref(handle),
                                        ctypes.byref(why))
        else:
            self.name = None
            status = _n.open_fd(fd, 0, ctypes.byref(handle), ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        self._handle = handle.value
        self.container = _CONTAINERS[_n.file_container(self._handle)]
        self.size = _n.file_size(self._handle)

    def __repr__(self):
        state = "closed" if self._handle is None else self.container
        return f"<pellimar.File {self.name!r} {state}>"

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        self.close()

    def close(self):
        """Closes the file: its groups and images can no longer be read."""
        lock = getattr(self, "_lock", None)
        if lock is None:
            return
        with lock:
            if self._handle is not None:
                _n.close(self._handle)
                self._handle = None
                self._data = None

    @property
    def closed(self):
        return self._handle is None

    def _checked(self):
        if self._handle is None:
            raise ValueError("the pellimar.File is closed")
        return self._handle

    def _kind_groups(self, kind):
        groups = self._groups.get(kind)
        if groups is None:
            code = _KIND_CODES[kind]
            with self._lock:
                handle = self._checked()
                count = _n.file_group_count(handle, code)
                groups = tuple(
                    Group(self, _n.file_group(handle, code, i), kind, i) for i in range(count)
                )
            self._groups[kind] = groups
        return groups

    @property
    def icons(self):
        return self._kind_groups(ICON)

    @property
    def cursors(self):
        return self._kind_groups(CURSOR)

    def groups(self, kind=None):
        """The groups of a kind ("icon" or "cursor"), or of both, icons first."""
        if kind is None:
            return self.icons + self.cursors
        if kind not in _KIND_CODES:
            raise ValueError(f"kind must be 'icon' or 'cursor', not {kind!r}")
        return self._kind_groups(kind)

    def __iter__(self):
        return iter(self.groups())

    @property
    def notes(self):
        with self._lock:
            handle = self._checked()
            return tuple(
                _error_of(_n.file_note(handle, i)) for i in range(_n.file_note_count(handle))
            )

    def release_images(self):
        """Lets go of the image bytes read so far (a long run over a large file);
        they are read again when next needed."""
        with self._lock:
            _n.file_release_images(self._checked())

    @property
    def version(self):
        """The version resource's strings in its first language (a Version), or
        None when the file has none; raises Error when it cannot be read."""
        return self.read_version()

    def read_version(self, all_languages=False):
        """The version resource as `version` gives it; with `all_languages`, its
        Version.tables hold every language's table, in the file's order."""
        out = ctypes.c_void_p()
        why = ctypes.c_void_p()
        with self._lock:
            status = _n.file_version(self._checked(), 1 if all_languages else 0,
                                     ctypes.byref(out), ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        if not out.value:
            return None
        try:
            return Version(out.value)
        finally:
            _n.version_info_free(out.value)

    def thumbnail(self, size=256):
        """The file's thumbnail as pellimar-thumbnailer makes it: icon 0's image
        for `size` (cursor 0's in a file of cursors alone), shrunk smoothly to fit
        size x size, never enlarged."""
        out = ctypes.c_void_p()
        why = ctypes.c_void_p()
        with self._lock:
            status = _n.file_thumbnail(self._checked(), size, ctypes.byref(out),
                                       ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return Picture(out.value)


class VersionTable:
    """One table of a version resource: its language and code page, and its
    strings as (key, value) pairs in the file's order (`strings`) and by key
    (`get`, the first of a key)."""

    def __init__(self, language, code_page, strings):
        self.language = language
        self.code_page = code_page
        self.strings = strings

    @property
    def language_tag(self):
        return language_tag(self.language)

    def get(self, key, default=None):
        for k, value in self.strings:
            if k == key:
                return value
        return default

    def __repr__(self):
        return f"<pellimar.VersionTable {self.language:#06x} {self.code_page}>"


class Version:
    """A program's or library's version resource, read whole (it does not depend
    on its File).

    product_name, file_description, company_name, file_version, product_version
                  the first table's strings of those keys, or None
    language      the first table's language number (None without a table)
    language_tag  its tag ("en-US"), or None
    code_page     the first table's code page (None without a table)
    strings       the first table's strings, every key, as a dict
    tables        the tables read (VersionTable): the first language's alone,
                  or every one (File.read_version(all_languages=True))
    translations  Translation's (language, code page) pairs
    notes         what the reading left out, with why (a tuple of Error)
    """

    def __init__(self, handle):
        tables = []
        for t in range(_n.version_table_count(handle)):
            language, code_page = ctypes.c_uint16(), ctypes.c_uint16()
            _n.version_table_language(handle, t, ctypes.byref(language), ctypes.byref(code_page))
            strings = tuple(
                (_text(_n.version_string_key(handle, t, i)),
                 _text(_n.version_string_value(handle, t, i)))
                for i in range(_n.version_string_count(handle, t))
            )
            tables.append(VersionTable(language.value, code_page.value, strings))
        self.tables = tuple(tables)
        pairs = []
        for i in range(_n.version_translation_count(handle)):
            language, code_page = ctypes.c_uint16(), ctypes.c_uint16()
            _n.version_translation(handle, i, ctypes.byref(language), ctypes.byref(code_page))
            pairs.append((language.value, code_page.value))
        self.translations = tuple(pairs)
        self.notes = tuple(
            _error_of(_n.version_note(handle, i)) for i in range(_n.version_note_count(handle))
        )

    def get(self, key, default=None):
        """The first table's value of `key` ("LegalCopyright"), or `default`."""
        return self.tables[0].get(key, default) if self.tables else default

    @property
    def language(self):
        return self.tables[0].language if self.tables else None

    @property
    def language_tag(self):
        return self.tables[0].language_tag if self.tables else None

    @property
    def code_page(self):
        return self.tables[0].code_page if self.tables else None

    @property
    def strings(self):
        if not self.tables:
            return {}
        first = {}
        for key, value in self.tables[0].strings:
            first.setdefault(key, value)
        return first

    product_name = property(lambda self: self.get("ProductName"))
    file_description = property(lambda self: self.get("FileDescription"))
    company_name = property(lambda self: self.get("CompanyName"))
    file_version = property(lambda self: self.get("FileVersion"))
    product_version = property(lambda self: self.get("ProductVersion"))

    def __repr__(self):
        return f"<pellimar.Version {self.product_name!r} {self.file_version!r}>"


class Group:
    """An icon or cursor group: one icon (or cursor) of a file, in one language.

    kind        "icon" or "cursor"
    position    its place among the groups of its kind, as the programs count
    id          the resource ID when it is a number, else None
    name        the resource name when it is a text, else None
    language    the language number the file states (PE files), else None
    languages   the further languages of the group, each a Group (a tuple)
    is_other_language  True for one of those
    failure     why its directory cannot be read (an Error), or None
    stated_count  the images its directory states
    images      the images read, in the directory's order (a tuple of Image)
    """

    __slots__ = ("_file", "_ptr", "kind", "position", "_facts", "_images", "_languages")

    def __init__(self, file, ptr, kind, position):
        self._file = file
        self._ptr = ptr
        self.kind = kind
        self.position = position
        self._facts = None
        self._images = None
        self._languages = None

    def _load_facts(self):
        file = self._file
        ident = ctypes.c_uint32()
        language = ctypes.c_uint16()
        with file._lock:
            file._checked()
            ptr = self._ptr
            has_id = _n.group_id(ptr, ctypes.byref(ident))
            name = _n.group_name(ptr)
            has_language = _n.group_language(ptr, ctypes.byref(language))
            failure = _n.group_failure(ptr)
            facts = (
                ident.value if has_id else None,
                name.decode("utf-8", "replace") if name is not None else None,
                language.value if has_language else None,
                _error_of(failure) if failure else None,
                _n.group_stated_count(ptr),
                bool(_n.group_is_other_language(ptr)),
                bool(_n.group_past_images_cap(ptr)),
            )
        self._facts = facts
        return facts

    @property
    def id(self):
        return (self._facts or self._load_facts())[0]

    @property
    def name(self):
        return (self._facts or self._load_facts())[1]

    @property
    def resource(self):
        """The resource ID or name (an int or a str), or None (icon files)."""
        facts = self._facts or self._load_facts()
        return facts[0] if facts[0] is not None else facts[1]

    @property
    def language(self):
        return (self._facts or self._load_facts())[2]

    @property
    def language_tag(self):
        language = self.language
        return language_tag(language) if language is not None else None

    @property
    def failure(self):
        return (self._facts or self._load_facts())[3]

    @property
    def stated_count(self):
        return (self._facts or self._load_facts())[4]

    @property
    def is_other_language(self):
        return (self._facts or self._load_facts())[5]

    @property
    def past_images_cap(self):
        """Whether the file's cap on images was reached before this group (it is
        then left out: it has no images)."""
        return (self._facts or self._load_facts())[6]

    @property
    def languages(self):
        if self._languages is None:
            file = self._file
            with file._lock:
                file._checked()
                count = _n.group_language_count(self._ptr)
                self._languages = tuple(
                    Group(file, _n.group_language_at(self._ptr, i), self.kind, self.position)
                    for i in range(count)
                )
        return self._languages

    @property
    def images(self):
        if self._images is None:
            file = self._file
            with file._lock:
                file._checked()
                ptr = self._ptr
                count = _n.group_image_count(ptr)
                self._images = tuple(
                    Image(self, _n.group_image(ptr, i), i) for i in range(count)
                )
        return self._images

    def __repr__(self):
        resource = self.resource
        label = f" {resource!r}" if resource is not None else ""
        language = f" lang {self.language}" if self.language is not None else ""
        return f"<pellimar.Group {self.kind} {self.position}{label}{language}>"

    def to_ico(self, allow_missing=False):
        """The group as an icon file (a cursor group: a cursor file) holding every
        image of it, exactly as stored: the bytes `pellimar-cli extract` writes.

        An image the group names that cannot be had (not in the file, cut off)
        raises its failure, said within "image N"; with allow_missing=True it is
        left out instead, as extract leaves it out (and names it), and the
        image's `failure` tells why. NoImageError when no image can be had."""
        data = ctypes.POINTER(ctypes.c_uint8)()
        size = ctypes.c_size_t()
        why = ctypes.c_void_p()
        file = self._file
        with file._lock:
            if file._handle is None:
                file._checked()
            status = _n.group_to_file(self._ptr, ctypes.byref(data), ctypes.byref(size),
                                      ctypes.byref(why))
            count = _n.group_image_count(self._ptr)
        if status != 0:
            _raise_failed(status, why)
        data = _n.take_bytes(data, size)
        # The file's count of images tells whether any was left out.
        written = int.from_bytes(data[4:6], "little")
        if not allow_missing and written != count:
            for image in self.images:
                failure = image.failure
                if failure is not None:
                    failure.context = f"image {image.index}" + (
                        f": {failure.context}" if failure.context else "")
                    failure.message = f"image {image.index}: {failure.message}"
                    failure.args = (failure.message,)
                    raise failure
            raise LibraryError(f"the icon file holds {written} of the group's {count} images, "
                               f"and no image says why")
        return data

    to_file = to_ico

    def choose(self, size, policy=CHOOSE_LIKE_WINDOWS):
        """The image `policy` takes for `size` pixels, from what the directory
        states (nothing is read); None when the group has no image."""
        file = self._file
        with file._lock:
            file._checked()
            index = _n.group_choose(self._ptr, size, policy)
        if index < 0:
            if policy not in (CHOOSE_LIKE_WINDOWS, CHOOSE_SMALLEST_AT_LEAST):
                raise ValueError(f"unknown policy {policy!r}")
            return None
        return self.images[index]

    def draw(self, size, policy=CHOOSE_LIKE_WINDOWS):
        """The icon drawn at size x size: the image `policy` takes for the size,
        brought to it, as the Pellimar programs draw and save icons."""
        return self._picture(_n.group_picture_at_size, size, policy)

    def picture(self, size, policy=CHOOSE_LIKE_WINDOWS):
        """The image `policy` takes for `size`, decoded at its own size."""
        return self._picture(_n.group_picture, size, policy)

    def _picture(self, function, size, policy):
        if size < 1:
            raise InvalidArgumentError(f"size {size}: a picture has at least one pixel a side",
                                       code=101, status="invalid_argument")
        out = ctypes.c_void_p()
        why = ctypes.c_void_p()
        file = self._file
        with file._lock:
            file._checked()
            status = function(self._ptr, size, policy, ctypes.byref(out), ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return Picture(out.value)


# What an image's directory entry says, read when first asked for, a tier at a
# time for every image of the group: one pass of quick calls instead of a lock
# and a call a value. The first tier is what a listing wants, the second the rest
# of the directory entry, the third a cursor's hotspot.
_IMAGE_FACTS = (_n.image_width, _n.image_height, _n.image_depth, _n.image_offset,
                _n.image_length, _n.image_stated_bit_count, _n.image_color_count,
                _n.image_planes, _n.image_resource_id, _n.image_hotspot_x, _n.image_hotspot_y)
_FACT_TIERS = ((0, 5), (5, 9), (9, 11))
_TIER_OF = tuple(next(t for t in _FACT_TIERS if t[0] <= i < t[1])
                 for i in range(len(_IMAGE_FACTS)))


def _image_fact(index):
    def get(image):
        value = image._facts[index]
        return value if value is not None else image._fact(index)

    return property(get)


class Image:
    """One stored image of a group.

    width, height  in pixels, as the directory states them (0 stated is 256)
    depth          the bits a pixel the programs list ("16x16@32")
    stated_bit_count, color_count, planes  the directory entry's own values
    resource_id    the image's resource ID in a program (0 in icon files)
    hotspot        (x, y) of a cursor's image, None for an icon's
    offset, size   where the stored image lies in the file, and its bytes
    is_png         True for a PNG, False for a DIB, None when its first bytes
                   cannot be read
    format         "png", "dib" or None, likewise
    failure        why the image's bytes cannot be had (an Error), or None
    """

    __slots__ = ("_group", "_ptr", "index", "_facts", "_png")

    def __init__(self, group, ptr, index):
        self._group = group
        self._ptr = ptr
        self.index = index
        self._facts = [None] * len(_IMAGE_FACTS)
        self._png = 0  # not asked yet

    def _fact(self, index):
        first, end = _TIER_OF[index]
        getters = _IMAGE_FACTS[first:end]
        file = self._group._file
        with file._lock:
            file._checked()
            for image in self._group.images:
                ptr = image._ptr
                image._facts[first:end] = [getter(ptr) for getter in getters]
        return self._facts[index]

    width = _image_fact(0)
    height = _image_fact(1)
    depth = _image_fact(2)
    offset = _image_fact(3)
    size = _image_fact(4)
    stated_bit_count = _image_fact(5)
    color_count = _image_fact(6)
    planes = _image_fact(7)
    resource_id = _image_fact(8)
    _hotspot_x = _image_fact(9)
    _hotspot_y = _image_fact(10)

    @property
    def hotspot(self):
        return (self._hotspot_x, self._hotspot_y) if self._group.kind == CURSOR else None

    def __repr__(self):
        return (f"<pellimar.Image {self.width}x{self.height}@{self.depth} "
                f"{self.format or 'unreadable'} at {self.offset}>")

    def _call(self, function, *args):
        file = self._group._file
        with file._lock:
            file._checked()
            return function(self._ptr, *args)

    @property
    def is_png(self):
        if self._png == 0:
            # Asked of every image of the group at once: the library reads the
            # first bytes of images that lie close together in one read.
            file = self._group._file
            with file._lock:
                file._checked()
                for image in self._group.images:
                    if image._png == 0:
                        value = _n.image_is_png(image._ptr)
                        image._png = None if value < 0 else bool(value)
        return self._png

    @property
    def format(self):
        png = self.is_png
        return None if png is None else ("png" if png else "dib")

    @property
    def failure(self):
        file = self._group._file
        with file._lock:
            file._checked()
            failure = _n.image_failure(self._ptr)
            return _error_of(failure) if failure else None

    def data(self):
        """The image's bytes as stored (a DIB or a PNG file)."""
        pointer = ctypes.POINTER(ctypes.c_uint8)()
        size = ctypes.c_size_t()
        why = ctypes.c_void_p()
        file = self._group._file
        with file._lock:
            file._checked()
            status = _n.image_data(self._ptr, ctypes.byref(pointer), ctypes.byref(size),
                                   ctypes.byref(why))
            # Borrowed from the file: copied before another call may let it go.
            if status == 0:
                return ctypes.string_at(pointer, size.value) if size.value else b""
        _raise_failed(status, why)

    def _bytes(self, function, *extra):
        data = ctypes.POINTER(ctypes.c_uint8)()
        size = ctypes.c_size_t()
        why = ctypes.c_void_p()
        status = self._call(function, ctypes.byref(data), ctypes.byref(size), *extra,
                            ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return _n.take_bytes(data, size)

    def to_png(self):
        """The image as a PNG file, as `pellimar-cli extract -f png` writes it: a
        PNG image as stored, a DIB decoded and encoded with its transparency."""
        return self._bytes(_n.image_to_png, None, None, None)

    def to_ico(self):
        """The image alone as an icon file (of a cursor group: a cursor file)."""
        return self._bytes(_n.image_to_file)

    def rgba(self):
        """(width, height, pixels): the image decoded to straight 8-bit RGBA, top
        row first, width * height * 4 bytes."""
        width = ctypes.c_int32()
        height = ctypes.c_int32()
        data = ctypes.POINTER(ctypes.c_uint8)()
        size = ctypes.c_size_t()
        why = ctypes.c_void_p()
        status = self._call(_n.image_rgba, ctypes.byref(width), ctypes.byref(height),
                            ctypes.byref(data), ctypes.byref(size), ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return width.value, height.value, _n.take_bytes(data, size)

    def decode(self):
        """The image decoded at its own size, as a Picture."""
        out = ctypes.c_void_p()
        why = ctypes.c_void_p()
        status = self._call(_n.image_decode, ctypes.byref(out), ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return Picture(out.value)


class Picture:
    """A decoded icon, owned by Python: width, height, the depth it was decoded
    from (bit_count) and whether it has alpha. Independent of its file."""

    def __init__(self, handle):
        self._lock = threading.Lock()
        self._handle = handle
        self.width = _n.picture_width(handle)
        self.height = _n.picture_height(handle)
        self.bit_count = _n.picture_bit_count(handle)
        self.has_alpha = bool(_n.picture_has_alpha(handle))

    def __del__(self):
        handle = getattr(self, "_handle", None)
        if handle is not None:
            self._handle = None
            _n.picture_free(handle)

    def __repr__(self):
        return f"<pellimar.Picture {self.width}x{self.height}@{self.bit_count}>"

    def _bytes(self, function):
        data = ctypes.POINTER(ctypes.c_uint8)()
        size = ctypes.c_size_t()
        why = ctypes.c_void_p()
        with self._lock:
            status = function(self._handle, ctypes.byref(data), ctypes.byref(size),
                              ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return _n.take_bytes(data, size)

    def rgba(self):
        """(width, height, pixels) in straight 8-bit RGBA, top row first."""
        return self.width, self.height, self._bytes(_n.picture_rgba)

    def to_png(self):
        """The picture as a PNG file with its transparency."""
        return self._bytes(_n.picture_to_png)

    def shrink_within(self, max_size):
        """A copy with no side above `max_size`, shrunk smoothly (shape kept), or
        the same size when it fits."""
        out = ctypes.c_void_p()
        why = ctypes.c_void_p()
        with self._lock:
            status = _n.picture_shrink_within(self._handle, max_size, ctypes.byref(out),
                                              ctypes.byref(why))
        if status != 0:
            _raise_failed(status, why)
        return Picture(out.value)
