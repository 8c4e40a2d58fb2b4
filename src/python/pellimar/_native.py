"""The C library libpellimar.so.1, loaded through ctypes, with the types of the
functions this package calls.

The library is found as the system's loader finds any library: in the loader's
cache, or in a folder LD_LIBRARY_PATH names (how the tests use a build tree's
copy). Nothing here names a folder of its own.
"""

import ctypes

SONAME = "libpellimar.so.1"
ABI_VERSION = 1

try:
    # The functions that read the file or work on pixels let go of Python's lock
    # while they run; the quick ones that only hand out a value keep it, which
    # costs half as much a call.
    lib = ctypes.CDLL(SONAME)
    quick_lib = ctypes.PyDLL(SONAME)
except OSError as error:
    raise ImportError(
        f"pellimar needs the C library {SONAME} (Debian package libpellimar1), "
        f"which the loader cannot load: {error}"
    ) from error

_c = ctypes
P = _c.c_void_p
STATUS = _c.c_int32
FAILURE_OUT = _c.POINTER(_c.c_void_p)
BYTES_OUT = _c.POINTER(_c.POINTER(_c.c_uint8))
SIZE_OUT = _c.POINTER(_c.c_size_t)
I32_OUT = _c.POINTER(_c.c_int32)

# name: (result type, argument types)
_SIGNATURES = {
    "pellimar_version": (_c.c_char_p, []),
    "pellimar_abi_version": (_c.c_uint32, []),
    # Failures
    "pellimar_failure_free": (None, [P]),
    "pellimar_failure_copy": (P, [P]),
    "pellimar_failure_code": (STATUS, [P]),
    "pellimar_failure_cap": (_c.c_int32, [P]),
    "pellimar_failure_what": (_c.c_char_p, [P]),
    "pellimar_failure_context": (_c.c_char_p, [P]),
    "pellimar_failure_offset": (_c.c_uint64, [P]),
    "pellimar_failure_errno": (_c.c_int32, [P]),
    "pellimar_failure_message": (_c.c_char_p, [P]),
    "pellimar_status_name": (_c.c_char_p, [STATUS]),
    "pellimar_free": (None, [P]),
    # Files
    "pellimar_open_path": (STATUS, [_c.c_char_p, _c.c_uint32, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_open_buffer": (STATUS, [P, _c.c_size_t, _c.c_uint32, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_open_fd": (STATUS, [_c.c_int, _c.c_uint32, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_close": (None, [P]),
    "pellimar_file_container": (_c.c_int32, [P]),
    "pellimar_file_size": (_c.c_uint64, [P]),
    "pellimar_file_note_count": (_c.c_uint32, [P]),
    "pellimar_file_note": (P, [P, _c.c_uint32]),
    "pellimar_file_group_count": (_c.c_uint32, [P, _c.c_int32]),
    "pellimar_file_group": (P, [P, _c.c_int32, _c.c_uint32]),
    "pellimar_file_release_images": (None, [P]),
    "pellimar_file_thumbnail": (STATUS, [P, _c.c_int32, _c.POINTER(P), FAILURE_OUT]),
    # Groups
    "pellimar_group_kind": (_c.c_int32, [P]),
    "pellimar_group_position": (_c.c_uint32, [P]),
    "pellimar_group_is_other_language": (_c.c_int, [P]),
    "pellimar_group_id": (_c.c_int, [P, _c.POINTER(_c.c_uint32)]),
    "pellimar_group_name": (_c.c_char_p, [P]),
    "pellimar_group_language": (_c.c_int, [P, _c.POINTER(_c.c_uint16)]),
    "pellimar_group_language_count": (_c.c_uint32, [P]),
    "pellimar_group_language_at": (P, [P, _c.c_uint32]),
    "pellimar_group_failure": (P, [P]),
    "pellimar_group_past_images_cap": (_c.c_int, [P]),
    "pellimar_group_stated_count": (_c.c_uint32, [P]),
    "pellimar_group_image_count": (_c.c_uint32, [P]),
    "pellimar_group_image": (P, [P, _c.c_uint32]),
    "pellimar_group_load": (STATUS, [P, FAILURE_OUT]),
    "pellimar_group_to_file": (STATUS, [P, BYTES_OUT, SIZE_OUT, FAILURE_OUT]),
    "pellimar_write_file": (
        STATUS,
        [_c.c_char_p, _c.c_char_p, _c.c_size_t, _c.c_uint32, I32_OUT, FAILURE_OUT],
    ),
    "pellimar_group_choose": (_c.c_int32, [P, _c.c_int32, _c.c_int32]),
    "pellimar_group_picture": (STATUS, [P, _c.c_int32, _c.c_int32, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_group_picture_at_size": (
        STATUS,
        [P, _c.c_int32, _c.c_int32, _c.POINTER(P), FAILURE_OUT],
    ),
    # Images
    "pellimar_image_width": (_c.c_int32, [P]),
    "pellimar_image_height": (_c.c_int32, [P]),
    "pellimar_image_stated_bit_count": (_c.c_uint16, [P]),
    "pellimar_image_depth": (_c.c_int32, [P]),
    "pellimar_image_color_count": (_c.c_uint8, [P]),
    "pellimar_image_planes": (_c.c_uint16, [P]),
    "pellimar_image_resource_id": (_c.c_uint16, [P]),
    "pellimar_image_hotspot_x": (_c.c_uint16, [P]),
    "pellimar_image_hotspot_y": (_c.c_uint16, [P]),
    "pellimar_image_offset": (_c.c_uint64, [P]),
    "pellimar_image_length": (_c.c_uint64, [P]),
    "pellimar_image_is_png": (_c.c_int32, [P]),
    "pellimar_image_failure": (P, [P]),
    "pellimar_image_data": (
        STATUS,
        [P, _c.POINTER(_c.POINTER(_c.c_uint8)), SIZE_OUT, FAILURE_OUT],
    ),
    "pellimar_image_to_file": (STATUS, [P, BYTES_OUT, SIZE_OUT, FAILURE_OUT]),
    "pellimar_image_to_png": (
        STATUS,
        [P, BYTES_OUT, SIZE_OUT, I32_OUT, I32_OUT, I32_OUT, FAILURE_OUT],
    ),
    "pellimar_image_decode": (STATUS, [P, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_image_rgba": (
        STATUS,
        [P, I32_OUT, I32_OUT, BYTES_OUT, SIZE_OUT, FAILURE_OUT],
    ),
    # Pictures
    "pellimar_picture_free": (None, [P]),
    "pellimar_picture_width": (_c.c_int32, [P]),
    "pellimar_picture_height": (_c.c_int32, [P]),
    "pellimar_picture_bit_count": (_c.c_int32, [P]),
    "pellimar_picture_has_alpha": (_c.c_int, [P]),
    "pellimar_picture_rgba": (STATUS, [P, BYTES_OUT, SIZE_OUT, FAILURE_OUT]),
    "pellimar_picture_to_png": (STATUS, [P, BYTES_OUT, SIZE_OUT, FAILURE_OUT]),
    "pellimar_picture_shrink_within": (STATUS, [P, _c.c_int32, _c.POINTER(P), FAILURE_OUT]),
    # Languages
    "pellimar_language_tag": (_c.c_char_p, [_c.c_uint16]),
    # The version resource
    "pellimar_file_version": (STATUS, [P, _c.c_uint32, _c.POINTER(P), FAILURE_OUT]),
    "pellimar_version_info_free": (None, [P]),
    "pellimar_version_table_count": (_c.c_uint32, [P]),
    "pellimar_version_table_language": (
        _c.c_int,
        [P, _c.c_uint32, _c.POINTER(_c.c_uint16), _c.POINTER(_c.c_uint16)],
    ),
    "pellimar_version_string_count": (_c.c_uint32, [P, _c.c_uint32]),
    "pellimar_version_string_key": (_c.c_char_p, [P, _c.c_uint32, _c.c_uint32]),
    "pellimar_version_string_value": (_c.c_char_p, [P, _c.c_uint32, _c.c_uint32]),
    "pellimar_version_translation_count": (_c.c_uint32, [P]),
    "pellimar_version_translation": (
        _c.c_int,
        [P, _c.c_uint32, _c.POINTER(_c.c_uint16), _c.POINTER(_c.c_uint16)],
    ),
    "pellimar_version_note_count": (_c.c_uint32, [P]),
    "pellimar_version_note": (P, [P, _c.c_uint32]),
}


# The functions that may read the file, decode or encode, or take long.
_SLOW = {
    "pellimar_open_path", "pellimar_open_buffer", "pellimar_open_fd", "pellimar_close",
    "pellimar_file_thumbnail", "pellimar_group_load", "pellimar_group_to_file",
    "pellimar_group_picture", "pellimar_group_picture_at_size", "pellimar_image_is_png",
    "pellimar_image_data", "pellimar_image_to_file", "pellimar_image_to_png",
    "pellimar_image_decode", "pellimar_image_rgba", "pellimar_picture_rgba",
    "pellimar_picture_to_png", "pellimar_picture_shrink_within", "pellimar_file_release_images",
    "pellimar_file_version", "pellimar_write_file",
}


def _bind():
    missing = []
    for name, (restype, argtypes) in _SIGNATURES.items():
        try:
            function = getattr(lib if name in _SLOW else quick_lib, name)
        except AttributeError:
            missing.append(name)
            continue
        function.restype = restype
        function.argtypes = argtypes
        globals()[name[len("pellimar_"):]] = function
    if missing:
        raise ImportError(f"{SONAME} lacks functions pellimar needs: {', '.join(missing)}")
    abi = lib.pellimar_abi_version()
    if abi != ABI_VERSION:
        raise ImportError(f"{SONAME} has ABI version {abi}; pellimar needs {ABI_VERSION}")


_bind()


def take_bytes(pointer, size):
    """Copies `size` bytes the library allocated into a bytes object and frees them."""
    try:
        return _c.string_at(pointer, size.value) if size.value else b""
    finally:
        lib.pellimar_free(pointer)
