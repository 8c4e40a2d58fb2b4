/*
 * pellimar.h: the icons stored in Windows programs, libraries, icon and cursor
 * files, read, listed, decoded and written by a plain C interface.
 *
 * A file is opened into a pellimar_file handle: its icon groups and cursor
 * groups, each with its identity (kind, position, resource ID or name,
 * language) and its stored images (size, depth, PNG or DIB, hotspot, where its
 * bytes lie). From there a group becomes an icon or cursor file exactly as
 * stored, an image a PNG file or straight RGBA pixels, and an icon a picture
 * of any size chosen and scaled as the Pellimar programs do. The encoders and
 * the writer the programs use are here too, so that a client makes the same
 * bytes and writes them by the same rules.
 *
 * Conventions
 * -----------
 * Failures. Every function that can fail returns a pellimar_status:
 * PELLIMAR_OK (0) or the kind of failure. Its last parameter, `why`, may be
 * NULL; when it is not, a failure sets *why to a pellimar_failure the caller
 * owns and frees with pellimar_failure_free(), carrying the reason: the kind,
 * the cap reached, the structure concerned, the offset in the file, the
 * system's error number and one line of text for a person. On success *why is
 * set to NULL. When memory runs out the status is PELLIMAR_NO_MEMORY and *why
 * may be NULL (there was no memory to say more). No C++ exception ever leaves
 * the library.
 *
 * Ownership. What a function hands out through a `**out` parameter is the
 * caller's, freed by the function named with it: pellimar_close() for a file,
 * pellimar_picture_free(), pellimar_canvas_free(), pellimar_failure_free(),
 * pellimar_output_folder_close(), pellimar_write_batch_close(), and
 * pellimar_free() for bytes (uint8_t ** out parameters, allocated with
 * malloc). Pointers returned directly (groups, images, failures of the model,
 * names, messages) are borrowed: they belong to the handle they come from and
 * stay valid as long as it does, unless the function says less. The data of an
 * image (pellimar_image_data) stays valid until the file's images are let go
 * (pellimar_file_release_images) or the file is closed. Every free function
 * takes NULL and does nothing.
 *
 * Threads. A handle (a file and everything borrowed from it, a picture, a
 * canvas, a failure, an output folder, a write batch) is used by one thread at
 * a time. Different handles may be used on different threads at the same time:
 * the library holds no other state than its handles, save what it guards
 * itself. A write batch belongs to the thread that opened it.
 *
 * Sizes and indexes. Counts and indexes of groups and images are uint32_t;
 * byte counts are size_t in memory and uint64_t in files; pixel sides are
 * int32_t. Pixels are top row first.
 *
 * Caps. Every cap the reader has applies: the reading of a file stops, or
 * leaves out what passes a cap, with a failure of kind PELLIMAR_CAP_REACHED
 * whose pellimar_failure_cap() says which (PELLIMAR_CAP_*). The caps are the
 * PELLIMAR_MAX_* values below.
 */
#ifndef PELLIMAR_H
#define PELLIMAR_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(PELLIMAR_BUILDING_LIBRARY) && defined(__GNUC__)
#define PELLIMAR_API __attribute__((visibility("default")))
#else
#define PELLIMAR_API
#endif

/* ---- Versions ------------------------------------------------------------ */

#define PELLIMAR_VERSION_MAJOR 1
#define PELLIMAR_VERSION_MINOR 0
#define PELLIMAR_VERSION_PATCH 0
#define PELLIMAR_VERSION_STRING "1.0.0"
/* The ABI: the number in the library's SONAME, libpellimar.so.1. It changes
 * only when a function is taken away or changes its meaning. */
#define PELLIMAR_ABI_VERSION 1

/* The version of the library loaded, as "1.0.0" (static text). */
PELLIMAR_API const char* pellimar_version(void);
/* The ABI version of the library loaded. */
PELLIMAR_API uint32_t pellimar_abi_version(void);

/* ---- Status codes and failures ------------------------------------------ */

typedef int32_t pellimar_status;
enum {
    PELLIMAR_OK = 0,
    /* The file cannot be opened: pellimar_failure_errno() says why. */
    PELLIMAR_CANNOT_OPEN = 1,
    /* A folder, pipe or device where a regular file is needed. */
    PELLIMAR_NOT_REGULAR_FILE = 2,
    /* The system failed a read (errno). */
    PELLIMAR_READ_FAILED = 3,
    /* The file no longer holds bytes it held when it was opened. */
    PELLIMAR_FILE_CHANGED = 4,
    /* Neither a PE nor an NE file, nor an icon or cursor file. */
    PELLIMAR_NOT_ICON_CONTAINER = 5,
    /* A structure (what) runs past the end of the file (at offset). */
    PELLIMAR_CUT_OFF = 6,
    /* A structure (what) holds a value the format does not allow. */
    PELLIMAR_BAD_VALUE = 7,
    /* A group names an image the file does not hold. */
    PELLIMAR_MISSING_IMAGE = 8,
    /* The input asked for more than a cap allows (pellimar_failure_cap). */
    PELLIMAR_CAP_REACHED = 9,
    /* An image of a kind that is not read. */
    PELLIMAR_UNSUPPORTED_IMAGE = 10,
    /* Image data that cannot be decoded. */
    PELLIMAR_DAMAGED_IMAGE = 11,
    /* No icon or group at the position asked for. */
    PELLIMAR_NO_SUCH_ICON = 12,
    /* An icon none of whose images can be used. */
    PELLIMAR_NO_IMAGE = 13,
    /* A picture that cannot be encoded. */
    PELLIMAR_CANNOT_ENCODE = 14,
    /* The system failed a write (errno). */
    PELLIMAR_WRITE_FAILED = 15,
    /* Writes refused so that no other user steers them (what: the link on the
     * way to the file, or empty for the file's own name): */
    PELLIMAR_SHARED_FOLDER_LINK = 16,    /* someone else's link in a folder everyone may write to */
    PELLIMAR_OTHERS_LINK = 17,           /* someone else's symbolic link */
    PELLIMAR_LINK_IN_OTHERS_FOLDER = 18, /* a link in a folder someone else owns or may write to */
    PELLIMAR_LINK_AT_NAME = 19,          /* a link where a file is written in place */
    PELLIMAR_NO_FILE_NAME = 20,          /* a path with no file name in it ("/", "dir/") */
    /* Nothing wrong with the input: the choices made leave it out. */
    PELLIMAR_NOT_CHOSEN = 21,

    /* The library's own: */
    PELLIMAR_NO_MEMORY = 100,        /* memory ran out */
    PELLIMAR_INVALID_ARGUMENT = 101, /* a NULL handle, an unknown flag or kind, a bad size */
    PELLIMAR_STOPPED = 102,          /* a callback asked to stop */
    PELLIMAR_INTERNAL_ERROR = 103    /* a fault of the library itself (the text says what) */
};

/* Which cap a PELLIMAR_CAP_REACHED failure reached. */
enum {
    PELLIMAR_CAP_NONE = 0,
    PELLIMAR_CAP_IMAGES_PER_FILE = 1,   /* PELLIMAR_MAX_IMAGES_PER_FILE: the file stops there */
    PELLIMAR_CAP_IMAGES_PER_GROUP = 2,  /* PELLIMAR_MAX_IMAGES_PER_GROUP */
    PELLIMAR_CAP_RESOURCE_BYTES = 3,    /* PELLIMAR_MAX_IMAGE_BYTES of one image or resource */
    PELLIMAR_CAP_ONE_READ = 4,          /* the bytes one read may take */
    PELLIMAR_CAP_HELD_IMAGE_BYTES = 5,  /* PELLIMAR_MAX_HELD_IMAGE_BYTES held of one file */
    PELLIMAR_CAP_NAME_CHARACTERS = 6,   /* characters of resource names of one file */
    PELLIMAR_CAP_NAME_LENGTH = 7,       /* characters kept of one name */
    PELLIMAR_CAP_LANGUAGE_VARIANTS = 8, /* further languages read of one file */
    PELLIMAR_CAP_IMAGE_SIDE = 9,        /* PELLIMAR_MAX_IMAGE_SIDE of a stored image */
    PELLIMAR_CAP_PICTURE_SIDE = 10,     /* PELLIMAR_MAX_PICTURE_SIDE of a picture made or decoded */
    PELLIMAR_CAP_JPEG_SIDE = 11,        /* PELLIMAR_MAX_JPEG_SIDE */
    PELLIMAR_CAP_INPUT_BYTES = 12,      /* PELLIMAR_MAX_STREAM_BYTES read from a pipe */
    PELLIMAR_CAP_OUTPUT_BYTES = 13,     /* pellimar_output_cap() of one input */
    PELLIMAR_CAP_PROFILE_BYTES = 14,    /* (settings files; not met through this interface) */
    PELLIMAR_CAP_VERSION_BYTES = 15,    /* PELLIMAR_MAX_VERSION_BYTES of a version resource */
    PELLIMAR_CAP_VERSION_BLOCKS = 16,   /* PELLIMAR_MAX_VERSION_BLOCKS of a version resource */
    /* Animated cursors and icons, and what is made of cursors (not yet read
     * through this interface; listed so that every cap has its number): */
    PELLIMAR_CAP_ANIMATION_FRAMES = 17,  /* frames read of one animation */
    PELLIMAR_CAP_ANIMATION_STEPS = 18,   /* steps of one animation */
    PELLIMAR_CAP_ANIMATION_CHUNKS = 19,  /* chunks walked of one file's animations */
    PELLIMAR_CAP_ANIMATION_TEXT = 20,    /* bytes kept of an animation's title or artist */
    PELLIMAR_CAP_CURSOR_BYTES = 21,      /* bytes of one X cursor file made */
    PELLIMAR_CAP_CURSOR_SET_ENTRIES = 22, /* entries of a cursor set's folder looked at */
    PELLIMAR_CAP_PIXELS_PER_INPUT = 23  /* pellimar_pixel_budget() of one file's pictures; a
                                         * thumbnail's: PELLIMAR_MAX_THUMBNAIL_PIXELS */
};

/* The caps (see above). */
#define PELLIMAR_MAX_IMAGES_PER_FILE 65536
#define PELLIMAR_MAX_IMAGES_PER_GROUP 256
#define PELLIMAR_MAX_IMAGE_BYTES (64ull << 20)
#define PELLIMAR_MAX_HELD_IMAGE_BYTES (256ull << 20)
/* What a long run over one file's groups lets a file hold before it lets go of
 * the images read (pellimar_file_release_images); not a cap on the input. */
#define PELLIMAR_HELD_IMAGE_BUDGET (64ull << 20)
#define PELLIMAR_MAX_IMAGE_SIDE 1024
#define PELLIMAR_MAX_PICTURE_SIDE 4096
#define PELLIMAR_MAX_JPEG_SIDE 8192
#define PELLIMAR_MAX_STREAM_BYTES (4ull << 30)
/* The largest side of a thumbnail (pellimar_file_thumbnail). */
#define PELLIMAR_MAX_THUMBNAIL_SIZE 256
/* The size of a version resource read, and the blocks (tables, strings,
 * variables) of one read (pellimar_file_version). */
#define PELLIMAR_MAX_VERSION_BYTES (1ull << 20)
#define PELLIMAR_MAX_VERSION_BLOCKS 4096
/* The pixels decoded and made for one thumbnail (pellimar_file_thumbnail). */
#define PELLIMAR_MAX_THUMBNAIL_PIXELS 16000000
/* No offset known (pellimar_failure_offset). */
#define PELLIMAR_NO_OFFSET UINT64_MAX

/* The reason of a failure. Owned where a `why` parameter hands it out; borrowed
 * where the model carries it (a group's, an image's, a file's notes). */
typedef struct pellimar_failure pellimar_failure;

PELLIMAR_API void pellimar_failure_free(pellimar_failure* failure);
/* A copy the caller owns, of an owned or borrowed failure; NULL when memory ran
 * out. */
PELLIMAR_API pellimar_failure* pellimar_failure_copy(const pellimar_failure* failure);
/* The kind: one of the status codes above, never PELLIMAR_OK. */
PELLIMAR_API pellimar_status pellimar_failure_code(const pellimar_failure* failure);
/* For PELLIMAR_CAP_REACHED, which cap (PELLIMAR_CAP_*); PELLIMAR_CAP_NONE otherwise. */
PELLIMAR_API int32_t pellimar_failure_cap(const pellimar_failure* failure);
/* The structure, item or cap concerned ("group directory"); "" when none. */
PELLIMAR_API const char* pellimar_failure_what(const pellimar_failure* failure);
/* The part it happened in ("icon 3: image 2"); "" when none. */
PELLIMAR_API const char* pellimar_failure_context(const pellimar_failure* failure);
/* Where in the file, or PELLIMAR_NO_OFFSET. */
PELLIMAR_API uint64_t pellimar_failure_offset(const pellimar_failure* failure);
/* The errno value of a system failure; 0 otherwise. */
PELLIMAR_API int32_t pellimar_failure_errno(const pellimar_failure* failure);
/* One line for a person, as the programs print it: "icon directory cut off at
 * byte 0x1F6", "cannot open: No such file or directory". */
PELLIMAR_API const char* pellimar_failure_message(const pellimar_failure* failure);
/* Whether it is a failure of a write: the system's or a refusal (codes 15 to 20). */
PELLIMAR_API int pellimar_failure_is_write(const pellimar_failure* failure);
/* Why a write failed, as said after the file's name ("cannot write X: <this>"):
 * the system's reason for a system failure, otherwise the message. */
PELLIMAR_API const char* pellimar_failure_write_reason(const pellimar_failure* failure);
/* The same failure said of a part it happened in: within "icon 3" gives
 * "icon 3: <message>"; of a failure already within "image 2", "icon 3: image 2:
 * ...". A new failure the caller owns; NULL when memory ran out. */
PELLIMAR_API pellimar_failure* pellimar_failure_within(const pellimar_failure* failure,
                                                       const char* part);
/* A failure made by the caller, told as the library tells its own of that kind
 * (code NO_SUCH_ICON with what "icon in it" says "no icon in it"); `what` may be
 * NULL, offset PELLIMAR_NO_OFFSET, error 0 when none. NULL when memory ran out
 * or the code is PELLIMAR_OK. */
PELLIMAR_API pellimar_failure* pellimar_failure_new(pellimar_status code, int32_t cap,
                                                    const char* what, uint64_t offset,
                                                    int32_t error);
/* A short name of a status code, as "cut_off" or "no_memory" (static text);
 * "unknown" for a code not listed. */
PELLIMAR_API const char* pellimar_status_name(pellimar_status status);

/* Frees bytes the library allocated (uint8_t ** out parameters). */
PELLIMAR_API void pellimar_free(void* bytes);

/* ---- Opening a file ------------------------------------------------------ */

typedef struct pellimar_file pellimar_file;
typedef struct pellimar_group pellimar_group;
typedef struct pellimar_image pellimar_image;

/* What a file is; told by its bytes, never by its name. */
enum {
    PELLIMAR_CONTAINER_ICON_FILE = 0,
    PELLIMAR_CONTAINER_CURSOR_FILE = 1,
    PELLIMAR_CONTAINER_PE = 2, /* a PE32 or PE32+ program or library */
    PELLIMAR_CONTAINER_NE = 3  /* a 16-bit NE program or library */
};

/* Flags of the open functions. */
enum {
    /* pellimar_open_buffer: the bytes are copied, and the caller's buffer may go
     * at once. Without it they are borrowed and must outlive the file. */
    PELLIMAR_OPEN_COPY = 1
};

/* Opens the file at `path` and reads its headers and directories (image bytes
 * are read when asked for). Fails with the file's reason: CANNOT_OPEN (errno),
 * NOT_REGULAR_FILE, NOT_ICON_CONTAINER, READ_FAILED... `flags` must be 0. The
 * file stays open until pellimar_close(). */
PELLIMAR_API pellimar_status pellimar_open_path(const char* path, uint32_t flags,
                                                pellimar_file** out, pellimar_failure** why);
/* The same over `size` bytes in memory: borrowed (they must stay unchanged and
 * alive until the file is closed), or copied with PELLIMAR_OPEN_COPY. */
PELLIMAR_API pellimar_status pellimar_open_buffer(const void* data, size_t size, uint32_t flags,
                                                  pellimar_file** out, pellimar_failure** why);
/* The same over an open descriptor, which stays the caller's (the library reads
 * through a duplicate of it, and never moves its offset when it is a regular
 * file). A descriptor onto a pipe or a socket is read to its end into
 * memory, at most PELLIMAR_MAX_STREAM_BYTES (CAP_REACHED,
 * PELLIMAR_CAP_INPUT_BYTES, beyond); one onto a folder or a device fails with
 * PELLIMAR_NOT_REGULAR_FILE. `flags` must be 0. */
PELLIMAR_API pellimar_status pellimar_open_fd(int fd, uint32_t flags, pellimar_file** out,
                                              pellimar_failure** why);
/* Closes the file, and everything borrowed from it goes. */
PELLIMAR_API void pellimar_close(pellimar_file* file);

/* PELLIMAR_CONTAINER_*. */
PELLIMAR_API int32_t pellimar_file_container(const pellimar_file* file);
/* The size of the file, in bytes. */
PELLIMAR_API uint64_t pellimar_file_size(const pellimar_file* file);
/* What the reading left out, with why: directories cut off, caps reached. A cap
 * that leaves out one image or group is told in that image's or group's failure
 * instead. Borrowed. */
PELLIMAR_API uint32_t pellimar_file_note_count(const pellimar_file* file);
PELLIMAR_API const pellimar_failure* pellimar_file_note(const pellimar_file* file, uint32_t index);

/* ---- Groups -------------------------------------------------------------- */

enum { PELLIMAR_ICON = 0, PELLIMAR_CURSOR = 1 };

/* The groups of a kind in their first language, as the programs count and show
 * them: group `index` has position `index`. An icon or cursor file is one group
 * at position 0. Borrowed; NULL for an index past the count or a bad kind. */
PELLIMAR_API uint32_t pellimar_file_group_count(const pellimar_file* file, int32_t kind);
PELLIMAR_API pellimar_group* pellimar_file_group(pellimar_file* file, int32_t kind, uint32_t index);
/* A PE file may store a group in several languages: the further ones of a kind,
 * in the file's order, each with the position of the group it is a language of
 * (pellimar_group_language_count gives them by group). Borrowed. */
PELLIMAR_API uint32_t pellimar_file_other_language_count(const pellimar_file* file, int32_t kind);
PELLIMAR_API pellimar_group* pellimar_file_other_language(pellimar_file* file, int32_t kind,
                                                          uint32_t index);

/* PELLIMAR_ICON or PELLIMAR_CURSOR. */
PELLIMAR_API int32_t pellimar_group_kind(const pellimar_group* group);
/* Its position among the groups of its kind (of a further language: the
 * position of the group it is a language of). */
PELLIMAR_API uint32_t pellimar_group_position(const pellimar_group* group);
/* 1 for a further language (from pellimar_file_other_language), 0 for a first. */
PELLIMAR_API int pellimar_group_is_other_language(const pellimar_group* group);
/* 1 and *id set when the group's resource name is a number; 0 otherwise (a
 * named resource, or the group of an icon or cursor file). */
PELLIMAR_API int pellimar_group_id(const pellimar_group* group, uint32_t* id);
/* The resource name as UTF-8 when it is a text ("MAINICON"); NULL otherwise. */
PELLIMAR_API const char* pellimar_group_name(const pellimar_group* group);
/* 1 and *language set (a language number, 1031 for German) when the file
 * states one (PE files); 0 otherwise. */
PELLIMAR_API int pellimar_group_language(const pellimar_group* group, uint16_t* language);
/* The further languages of a group in its first language, in the file's
 * order; 0 for a further language itself. Borrowed. */
PELLIMAR_API uint32_t pellimar_group_language_count(const pellimar_group* group);
PELLIMAR_API pellimar_group* pellimar_group_language_at(pellimar_group* group, uint32_t index);
/* Why the group's directory cannot be read (it then has no images); NULL when
 * it can. Borrowed. */
PELLIMAR_API const pellimar_failure* pellimar_group_failure(const pellimar_group* group);
/* Whether the file's images cap (PELLIMAR_MAX_IMAGES_PER_FILE) was reached
 * before this group: the reading stopped there, and this group and those after
 * it of its kind are left out. */
PELLIMAR_API int pellimar_group_past_images_cap(const pellimar_group* group);
/* The images its directory states (may exceed the images read: at most
 * PELLIMAR_MAX_IMAGES_PER_GROUP are). */
PELLIMAR_API uint32_t pellimar_group_stated_count(const pellimar_group* group);
/* The images read, in the directory's order. Borrowed. */
PELLIMAR_API uint32_t pellimar_group_image_count(const pellimar_group* group);
PELLIMAR_API pellimar_image* pellimar_group_image(pellimar_group* group, uint32_t index);
/* Reads the bytes of every image of the group (one read per distinct range of
 * the file); an image that cannot be had carries why in its failure. Fails only
 * for memory. */
PELLIMAR_API pellimar_status pellimar_group_load(pellimar_group* group, pellimar_failure** why);

/* Reads the bytes of every image of every group of a kind (first languages). */
PELLIMAR_API pellimar_status pellimar_file_load_all(pellimar_file* file, int32_t kind,
                                                    pellimar_failure** why);
/* Lets go of every image's bytes read so far (they are read again when next
 * asked for); image data pointers handed out before are no longer valid. */
PELLIMAR_API void pellimar_file_release_images(pellimar_file* file);
/* Bytes of image data held now, and read in all. */
PELLIMAR_API uint64_t pellimar_file_image_bytes_held(const pellimar_file* file);
PELLIMAR_API uint64_t pellimar_file_image_bytes_read(const pellimar_file* file);

/* ---- Images -------------------------------------------------------------- */

/* Width and height in pixels, as the directory states them (a stated 0 is
 * 256). */
PELLIMAR_API int32_t pellimar_image_width(const pellimar_image* image);
PELLIMAR_API int32_t pellimar_image_height(const pellimar_image* image);
/* The bit count the directory entry states, as stored (often 0 in icon files
 * of other writers). */
PELLIMAR_API uint16_t pellimar_image_stated_bit_count(const pellimar_image* image);
/* The depth the programs list ("16x16@32"): the stated bit count, or when that
 * is 0, what the image's own header says, else what the colour count needs. */
PELLIMAR_API int32_t pellimar_image_depth(const pellimar_image* image);
/* The depth the image's own header states (a DIB's bit count, a PNG's bits per
 * pixel); reads the image's bytes when they are not held. *depth is 0 when the
 * header cannot tell. */
PELLIMAR_API pellimar_status pellimar_image_header_depth(pellimar_image* image, int32_t* depth,
                                                         pellimar_failure** why);
/* The colour count and planes the entry states (cursor entries: 0 and 1). */
PELLIMAR_API uint8_t pellimar_image_color_count(const pellimar_image* image);
PELLIMAR_API uint16_t pellimar_image_planes(const pellimar_image* image);
/* The resource ID of the image in a program or library; 0 in icon files. */
PELLIMAR_API uint16_t pellimar_image_resource_id(const pellimar_image* image);
/* The hotspot of a cursor's image; 0 for icons. */
PELLIMAR_API uint16_t pellimar_image_hotspot_x(const pellimar_image* image);
PELLIMAR_API uint16_t pellimar_image_hotspot_y(const pellimar_image* image);
/* Where the stored image (a DIB or a PNG) lies in the file, and its length as
 * stated (a cursor resource's hotspot not included). */
PELLIMAR_API uint64_t pellimar_image_offset(const pellimar_image* image);
PELLIMAR_API uint64_t pellimar_image_length(const pellimar_image* image);
/* 1 when the image is stored as PNG, 0 when as a DIB, -1 when its first bytes
 * cannot be read (its failure, once loaded, says why). Reads eight bytes when
 * the image is not held (the images of a group that lie close together in one
 * read). */
PELLIMAR_API int32_t pellimar_image_is_png(pellimar_image* image);
/* Why the image has no bytes: not in the file, cut off, a cap; NULL when it has
 * them or has not been loaded. Borrowed, valid until the file's images are
 * loaded or let go again. */
PELLIMAR_API const pellimar_failure* pellimar_image_failure(const pellimar_image* image);
/* The stored bytes, read when not held. Borrowed: valid until
 * pellimar_file_release_images() or pellimar_close(). */
PELLIMAR_API pellimar_status pellimar_image_data(pellimar_image* image, const uint8_t** data,
                                                 size_t* size, pellimar_failure** why);

/* ---- Files made of groups and images ------------------------------------- */

/* The group as an icon file (a cursor group: a cursor file) holding every image
 * of it that has its bytes, exactly as stored, in the group's order: the bytes
 * `pellimar-cli extract` writes. Loads what is not held. Fails (NO_IMAGE, or
 * the group's failure) when no image has its bytes. *data is the caller's
 * (pellimar_free). */
PELLIMAR_API pellimar_status pellimar_group_to_file(pellimar_group* group, uint8_t** data,
                                                    size_t* size, pellimar_failure** why);
/* One image alone, as stored, as an icon file (of a cursor group: a cursor
 * file). */
PELLIMAR_API pellimar_status pellimar_image_to_file(pellimar_image* image, uint8_t** data,
                                                    size_t* size, pellimar_failure** why);
/* One image as a PNG file, as `pellimar-cli extract -f png` writes it: a PNG
 * image as stored, a DIB decoded and encoded with its transparency. *width,
 * *height and *depth (each may be NULL) receive what the PNG's header says, or
 * for a DIB the picture's size and the depth it was decoded from. */
PELLIMAR_API pellimar_status pellimar_image_to_png(pellimar_image* image, uint8_t** data,
                                                   size_t* size, int32_t* width, int32_t* height,
                                                   int32_t* depth, pellimar_failure** why);

/* ---- Pictures: decoded icons --------------------------------------------- */

/* A decoded icon: colour pixels 0xAARRGGBB (top row first), an AND mask of one
 * byte a pixel (1: the background shows through), and whether the alpha is
 * meaningful. Icons with alpha are blended by it; the others paint where the
 * mask is 0, leave the background where it is 1 over black and invert it where
 * it is 1 over a colour. */
typedef struct pellimar_picture pellimar_picture;

/* The named choices of an icon's image for a size. */
enum {
    /* As the desktop of the icons' home system picks: the least sum of the
     * width and height differences, then the depth nearest 32 bits; the first
     * image wins ties. Drawing and saving at a size use it. */
    PELLIMAR_CHOOSE_LIKE_WINDOWS = 0,
    /* The smallest image whose larger side is at least the size, else the
     * largest; of one size the deepest, then the first. Thumbnails use it. */
    PELLIMAR_CHOOSE_SMALLEST_AT_LEAST = 1
};

/* The index of the image `policy` takes for `size` pixels, from what the
 * directory states (nothing is read); -1 when the group has no image or the
 * policy is unknown. */
PELLIMAR_API int32_t pellimar_group_choose(const pellimar_group* group, int32_t size,
                                           int32_t policy);
/* The image `policy` takes for `size`, decoded at its own size. An image that
 * cannot be read or decoded is passed over for the next choice; when none
 * decodes, the failure of the first choice. Reads only the images it tries. */
PELLIMAR_API pellimar_status pellimar_group_picture(pellimar_group* group, int32_t size,
                                                    int32_t policy, pellimar_picture** out,
                                                    pellimar_failure** why);
/* The same brought to size x size (1 to PELLIMAR_MAX_IMAGE_SIDE, 1024; another
 * size fails with PELLIMAR_BAD_VALUE), as the programs draw and save an icon at
 * a size. */
PELLIMAR_API pellimar_status pellimar_group_picture_at_size(pellimar_group* group, int32_t size,
                                                            int32_t policy, pellimar_picture** out,
                                                            pellimar_failure** why);
/* The file's thumbnail, as pellimar-thumbnailer makes it: icon 0's smallest
 * image at least `size` pixels (else its largest), shrunk smoothly to fit
 * size x size, its shape kept, never enlarged; a file of cursors and no icons
 * (a cursor file) gives its cursor 0 so. `size` above
 * PELLIMAR_MAX_THUMBNAIL_SIZE is taken as that. NO_SUCH_ICON ("no icon in it")
 * for a file with neither; an icon that cannot be drawn fails within "icon 0",
 * a cursor within "cursor 0". */
PELLIMAR_API pellimar_status pellimar_file_thumbnail(pellimar_file* file, int32_t size,
                                                     pellimar_picture** out,
                                                     pellimar_failure** why);
/* One image decoded at its own size (read when not held). */
PELLIMAR_API pellimar_status pellimar_image_decode(pellimar_image* image, pellimar_picture** out,
                                                   pellimar_failure** why);
/* One image decoded to straight (not premultiplied) 8-bit RGBA, row-major, top
 * row first, width * height * 4 bytes; as pellimar_picture_rgba(). */
PELLIMAR_API pellimar_status pellimar_image_rgba(pellimar_image* image, int32_t* width,
                                                 int32_t* height, uint8_t** rgba, size_t* size,
                                                 pellimar_failure** why);

PELLIMAR_API void pellimar_picture_free(pellimar_picture* picture);
PELLIMAR_API int32_t pellimar_picture_width(const pellimar_picture* picture);
PELLIMAR_API int32_t pellimar_picture_height(const pellimar_picture* picture);
/* The colour depth of the image it was decoded from. */
PELLIMAR_API int32_t pellimar_picture_bit_count(const pellimar_picture* picture);
PELLIMAR_API int pellimar_picture_has_alpha(const pellimar_picture* picture);
/* width * height pixels 0xAARRGGBB, and width * height mask bytes (0 or 1).
 * Borrowed from the picture. */
PELLIMAR_API const uint32_t* pellimar_picture_pixels(const pellimar_picture* picture);
PELLIMAR_API const uint8_t* pellimar_picture_mask(const pellimar_picture* picture);
/* Straight 8-bit RGBA, row-major, top row first: a picture with alpha keeps
 * it; the others are opaque where the mask is 0 and transparent where it is 1
 * (a pixel that would invert the background is left out). */
PELLIMAR_API pellimar_status pellimar_picture_rgba(const pellimar_picture* picture, uint8_t** rgba,
                                                   size_t* size, pellimar_failure** why);

enum {
    PELLIMAR_RESIZE_AREA = 0,   /* each pixel averages the area it covers */
    PELLIMAR_RESIZE_NEAREST = 1 /* each pixel takes one source pixel */
};
/* The picture brought to width x height (1 to PELLIMAR_MAX_PICTURE_SIDE),
 * colour and mask alike. */
PELLIMAR_API pellimar_status pellimar_picture_resize(const pellimar_picture* picture, int32_t width,
                                                     int32_t height, int32_t filter,
                                                     pellimar_picture** out,
                                                     pellimar_failure** why);
/* The picture with no side above `max_size`: a larger one shrunk smoothly (its
 * colours weighted by alpha, a picture without alpha given alpha from its mask
 * first), its shape kept; a smaller one kept as it is. */
PELLIMAR_API pellimar_status pellimar_picture_shrink_within(const pellimar_picture* picture,
                                                            int32_t max_size,
                                                            pellimar_picture** out,
                                                            pellimar_failure** why);

/* ---- Encoders ------------------------------------------------------------ */

/* The picture as a PNG file with its transparency (the bytes of extract's and
 * the save command's PNG files, and of thumbnails). */
PELLIMAR_API pellimar_status pellimar_picture_to_png(const pellimar_picture* picture,
                                                     uint8_t** data, size_t* size,
                                                     pellimar_failure** why);
/* The pictures, in order, as one icon file of 16 or 256 colours a picture with
 * 1-bit masks (alpha is given up): the save command's ICO files, made of one
 * picture each. At most PELLIMAR_MAX_IMAGE_SIDE pixels a side. */
PELLIMAR_API pellimar_status
pellimar_pictures_to_reduced_icon_file(const pellimar_picture* const* pictures, size_t count,
                                       uint8_t** data, size_t* size, pellimar_failure** why);

/* A plain 24-bit picture (pixels 0x00RRGGBB, top row first): what icons are
 * drawn on before they are saved as BMP or JPEG files. */
typedef struct pellimar_canvas pellimar_canvas;

/* The picture drawn at its own size in the top-left corner of a white canvas
 * of width x height (clipped to it), as the programs' BMP and JPEG files are. */
PELLIMAR_API pellimar_status pellimar_picture_draw_on_white(const pellimar_picture* picture,
                                                            int32_t width, int32_t height,
                                                            pellimar_canvas** out,
                                                            pellimar_failure** why);
/* The canvas brought to width x height by taking one pixel for each (pixel
 * (x, y) takes (x * w / width, y * h / height)): how the save command makes
 * its smaller pictures. */
PELLIMAR_API pellimar_status pellimar_canvas_stretch(const pellimar_canvas* canvas, int32_t width,
                                                     int32_t height, pellimar_canvas** out,
                                                     pellimar_failure** why);
PELLIMAR_API void pellimar_canvas_free(pellimar_canvas* canvas);
PELLIMAR_API int32_t pellimar_canvas_width(const pellimar_canvas* canvas);
PELLIMAR_API int32_t pellimar_canvas_height(const pellimar_canvas* canvas);
/* width * height pixels 0x00RRGGBB. Borrowed from the canvas. */
PELLIMAR_API const uint32_t* pellimar_canvas_pixels(const pellimar_canvas* canvas);
/* A 24-bit BMP file, and a JPEG file of quality 90, of the canvas. */
PELLIMAR_API pellimar_status pellimar_canvas_to_bmp(const pellimar_canvas* canvas, uint8_t** data,
                                                    size_t* size, pellimar_failure** why);
PELLIMAR_API pellimar_status pellimar_canvas_to_jpeg(const pellimar_canvas* canvas, uint8_t** data,
                                                     size_t* size, pellimar_failure** why);

/* What the icons of one input of `input_size` bytes may make a run write: 256
 * MB, or 64 times the input's size when that is more. */
PELLIMAR_API uint64_t pellimar_output_cap(uint64_t input_size);
/* The pixels the pictures of one opened file of `input_size` bytes may have
 * decoded and made (each image decoded, each picture brought to a size, each
 * handed out): 128 million, or 16 a byte of the file when that is more. Each
 * image is decoded once a file however many groups name it. Past the budget
 * pellimar_group_picture(), pellimar_group_picture_at_size(),
 * pellimar_image_decode(), pellimar_image_rgba() and pellimar_image_to_png()
 * fail with CAP_REACHED (PELLIMAR_CAP_PIXELS_PER_INPUT). */
PELLIMAR_API uint64_t pellimar_pixel_budget(uint64_t input_size);
/* Whether a file of `size` bytes fits a cap of which `used` bytes are taken:
 * PELLIMAR_OK, or CAP_REACHED (PELLIMAR_CAP_OUTPUT_BYTES) saying the cap. */
PELLIMAR_API pellimar_status pellimar_output_fits(uint64_t cap, uint64_t used, uint64_t size,
                                                  pellimar_failure** why);

/* ---- Writing files ------------------------------------------------------- */
/*
 * The one writer of the programs. A file is written whole under a temporary or
 * no name in its folder, then linked or renamed into place: a failure or a kill
 * leaves the old file or the new one, never a part. No other user steers a
 * write: folders are walked one at a time from "/" (or the current folder for
 * a relative path), and a symbolic link is followed only where it is the
 * caller's or root's, in a folder no one else may write to (else a refusal:
 * codes 16 to 19). A new file takes the caller's umask; one that replaces the
 * caller's own keeps its permission bits.
 */

/* Flags of the writes. */
enum {
    /* Not synced to the disk before it takes its name (outputs that can be made
     * again); still whole or absent. */
    PELLIMAR_WRITE_SCRATCH = 1,
    /* Never replace a file at the name: it stays as it is (placed is then
     * PELLIMAR_PLACED_KEPT), however late it came. */
    PELLIMAR_WRITE_NO_REPLACE = 2,
    /* Make the missing folders of the path (0777 less the umask). */
    PELLIMAR_WRITE_CREATE_FOLDERS = 4
};
/* What a write did. */
enum {
    PELLIMAR_PLACED_WRITTEN = 0, /* the new file is under its name */
    PELLIMAR_PLACED_KEPT = 1,    /* PELLIMAR_WRITE_NO_REPLACE found a file there, kept */
    PELLIMAR_PLACED_PENDING = 2  /* an open write batch holds it; its commit tells */
};

/* A piece of a file's bytes; pieces are written one after the other. */
typedef struct pellimar_piece {
    const void* data;
    size_t size;
} pellimar_piece;

/* Writes `size` bytes as the file `path`; *placed (may be NULL) says what
 * became of it. */
PELLIMAR_API pellimar_status pellimar_write_file(const char* path, const void* data, size_t size,
                                                 uint32_t flags, int32_t* placed,
                                                 pellimar_failure** why);
PELLIMAR_API pellimar_status pellimar_write_file_pieces(const char* path,
                                                        const pellimar_piece* pieces, size_t count,
                                                        uint32_t flags, int32_t* placed,
                                                        pellimar_failure** why);
/* Writes `path` for a caller that reads it back through a handle of its own (a
 * thumbnail service that made the file), never leaving it empty or in part:
 * no file there: made whole and linked in; the caller's own regular file with
 * one link, in a folder of the caller's or root's that no one else may write to
 * or that is sticky: written through in place (room reserved first, cut to
 * length last); any other file: replaced by a rename. A link at the name is
 * never followed (PELLIMAR_LINK_AT_NAME). */
PELLIMAR_API pellimar_status pellimar_write_file_in_place(const char* path, const void* data,
                                                          size_t size, pellimar_failure** why);

/* A folder reached by the rule above and held open, for writing many files
 * into it. */
typedef struct pellimar_output_folder pellimar_output_folder;
enum { PELLIMAR_FOLDER_CREATE = 1 };
/* Opens the folder `path`, making what is missing of it with
 * PELLIMAR_FOLDER_CREATE. */
PELLIMAR_API pellimar_status pellimar_output_folder_open(const char* path, uint32_t flags,
                                                         pellimar_output_folder** out,
                                                         pellimar_failure** why);
PELLIMAR_API void pellimar_output_folder_close(pellimar_output_folder* folder);
/* The path it was opened by. Borrowed. */
PELLIMAR_API const char* pellimar_output_folder_path(const pellimar_output_folder* folder);
/* Removes the temporary files that killed writes left in the folder (hidden
 * names ".pellimar-XXXXXXXXXX.tmp", the caller's own regular files older than a
 * minute, made only where the file system has no unnamed files); returns how
 * many went. */
PELLIMAR_API int32_t pellimar_output_folder_remove_stale(const pellimar_output_folder* folder);
/* Writes the file `name` (a name, no "/") in the folder, as pellimar_write_file
 * does (PELLIMAR_WRITE_CREATE_FOLDERS does not apply), through the folder as it
 * is held: its path is not walked again. */
PELLIMAR_API pellimar_status pellimar_output_folder_write(pellimar_output_folder* folder,
                                                          const char* name, const void* data,
                                                          size_t size, uint32_t flags,
                                                          int32_t* placed, pellimar_failure** why);

/* Synced writes of many files at the cost of a few flushes: while a batch is
 * open on a thread, each write of that thread without PELLIMAR_WRITE_SCRATCH
 * is written whole but unnamed (PELLIMAR_PLACED_PENDING), and the batch syncs
 * them together, places each as its flags say and syncs each folder once: at
 * its commit, and on its own every 256 files. One batch a thread: opening a
 * second on the same thread fails (PELLIMAR_INVALID_ARGUMENT). Close it on the
 * thread that opened it. */
typedef struct pellimar_write_batch pellimar_write_batch;
PELLIMAR_API pellimar_status pellimar_write_batch_open(pellimar_write_batch** out,
                                                       pellimar_failure** why);
/* What became of one file of a batch: placed WRITTEN or KEPT, or -1 and the
 * failure (borrowed for the call) that kept it from its name. Return non-zero to hear
 * of no more outcomes of this commit (the files are placed all the same). */
typedef int (*pellimar_outcome_fn)(const char* path, int32_t placed,
                                   const pellimar_failure* failure, void* user);
/* Places every pending file and tells `outcome` (may be NULL) of each file the
 * batch took since it opened or was last committed, in the order they were
 * written; a later write of the same name took the place of the earlier. */
PELLIMAR_API pellimar_status pellimar_write_batch_commit(pellimar_write_batch* batch,
                                                         pellimar_outcome_fn outcome, void* user,
                                                         pellimar_failure** why);
/* Commits what is pending (its outcomes are not told) and closes the batch. */
PELLIMAR_API void pellimar_write_batch_close(pellimar_write_batch* batch);

/* ---- Walking folders ----------------------------------------------------- */

/* Flags of the walk: which files it hands out, and whether it goes down. */
enum {
    PELLIMAR_WALK_EXE = 1,       /* *.exe, in any letter case */
    PELLIMAR_WALK_DLL = 2,       /* *.dll */
    PELLIMAR_WALK_ICO = 4,       /* *.ico */
    PELLIMAR_WALK_ICL = 8,       /* *.icl */
    PELLIMAR_WALK_MORE = 16,     /* *.cpl, *.ocx, *.scr, *.mun, *.mui, *.cur */
    PELLIMAR_WALK_ANY_NAME = 32, /* every regular file, whatever its name */
    PELLIMAR_WALK_RECURSIVE = 64 /* the whole tree, depth first */
};
/* Why the walk left out a folder it came upon. */
enum {
    PELLIMAR_SKIP_LINK = 0,               /* a link to a folder: never followed */
    PELLIMAR_SKIP_CANNOT_OPEN = 1,        /* the system would not open it (errno) */
    PELLIMAR_SKIP_LISTING_CUT = 2,        /* its listing failed part way (errno) */
    PELLIMAR_SKIP_PSEUDO_FILE_SYSTEM = 3, /* a kernel's view of itself (/proc, /sys) */
    PELLIMAR_SKIP_WALKED_BEFORE = 4,      /* reached before another way */
    PELLIMAR_SKIP_CHANGED = 5             /* moved or replaced while walked */
};
/* A file found: return non-zero to stop (the walk then gives PELLIMAR_STOPPED). */
typedef int (*pellimar_walk_file_fn)(const char* path, void* user);
/* A folder left out: its path, why (PELLIMAR_SKIP_*), the errno value where
 * there is one, and the reason in words ("a link to a folder: not followed",
 * "cannot open: Permission denied"). The strings are borrowed for the call. */
typedef void (*pellimar_walk_skipped_fn)(const char* path, int32_t skip, int32_t error,
                                         const char* reason, void* user);
/* The regular files of the kinds `flags` names in `folder` (and its sub-folders
 * with PELLIMAR_WALK_RECURSIVE), as the programs' scans find them: a link to a
 * file is taken like the file, a link to a folder never followed, pseudo file
 * systems never entered, each real folder walked once. Every folder left out is
 * told to `skipped` (may be NULL) as the walk meets it; then the files are told
 * to `found`, in the walk's order (a sub-folder's files where its entry was
 * listed). */
PELLIMAR_API pellimar_status pellimar_walk_folder(const char* folder, uint32_t flags,
                                                  pellimar_walk_file_fn found,
                                                  pellimar_walk_skipped_fn skipped, void* user,
                                                  pellimar_failure** why);

/* ---- Languages ----------------------------------------------------------- */

/* The tag of a language number ("de-DE" for 1031; static text); NULL for 0
 * (language-neutral) and numbers the table does not hold. */
PELLIMAR_API const char* pellimar_language_tag(uint16_t language);
/* 1 and *language set when `text` names a language: a number (decimal, or
 * hexadecimal after 0x) or a tag of the table in any letter case; 0 otherwise. */
PELLIMAR_API int pellimar_language_parse(const char* text, uint16_t* language);
/* Whether `text`, read as pellimar_language_parse reads it, names `language` (a
 * tag names every number that has it). */
PELLIMAR_API int pellimar_language_matches(const char* text, uint16_t language);

/* ---- The version resource ------------------------------------------------ */

/* The names and versions a program or library gives itself in its version
 * resource: tables of strings ("ProductName", "FileDescription", "CompanyName",
 * "FileVersion", "ProductVersion" and whatever others its maker wrote), one a
 * language and code page, and the pairs of language and code page its
 * Translation lists. Keys and values are UTF-8 (an NE file's 8-bit texts read
 * in their table's code page); a value ends at its first NUL. */
typedef struct pellimar_version_info pellimar_version_info;

/* Flags of pellimar_file_version. */
enum {
    /* Every table, in the file's order. Without it, the one table of the first
     * language: the first in Translation that the file holds, else the first in
     * the file. */
    PELLIMAR_VERSION_ALL_LANGUAGES = 1
};

/* Reads the version resource of a PE or NE file (its first entry, in its first
 * language), at most PELLIMAR_MAX_VERSION_BYTES of it and
 * PELLIMAR_MAX_VERSION_BLOCKS of its blocks. PELLIMAR_OK with *out NULL when
 * the file has none (icon and cursor files never have one). Fails with why when
 * it cannot be read at all: its entry or its first block cut off, its key not
 * VS_VERSION_INFO, a cap reached. A damaged block further in is left out and
 * told in the notes, and what was read before it is kept. *out is freed with
 * pellimar_version_info_free() and does not depend on the file. */
PELLIMAR_API pellimar_status pellimar_file_version(pellimar_file* file, uint32_t flags,
                                                   pellimar_version_info** out,
                                                   pellimar_failure** why);
PELLIMAR_API void pellimar_version_info_free(pellimar_version_info* info);
/* 1 and *language and *code_page set (each may be NULL) from the first table:
 * 0x0409 and 1200 for one keyed "040904B0"; 0 when it has no table. The tag of
 * the language is pellimar_language_tag()'s. */
PELLIMAR_API int pellimar_version_language(const pellimar_version_info* info, uint16_t* language,
                                           uint16_t* code_page);
/* The value of `key` ("ProductName", compared exactly) in the first table: the
 * first string of that key; NULL when it has none. Borrowed. */
PELLIMAR_API const char* pellimar_version_value(const pellimar_version_info* info, const char* key);
/* The tables read, the first language's first. */
PELLIMAR_API uint32_t pellimar_version_table_count(const pellimar_version_info* info);
/* 1 and *language and *code_page set (each may be NULL) for a table that is
 * there; 0 for an index past the count. */
PELLIMAR_API int pellimar_version_table_language(const pellimar_version_info* info, uint32_t table,
                                                 uint16_t* language, uint16_t* code_page);
/* A table's value of `key`, as pellimar_version_value; NULL for an index past
 * the count. Borrowed. */
PELLIMAR_API const char* pellimar_version_table_value(const pellimar_version_info* info,
                                                      uint32_t table, const char* key);
/* A table's strings in the file's order: the key and the value of each.
 * Borrowed; NULL for an index past a count. */
PELLIMAR_API uint32_t pellimar_version_string_count(const pellimar_version_info* info,
                                                    uint32_t table);
PELLIMAR_API const char* pellimar_version_string_key(const pellimar_version_info* info,
                                                     uint32_t table, uint32_t index);
PELLIMAR_API const char* pellimar_version_string_value(const pellimar_version_info* info,
                                                       uint32_t table, uint32_t index);
/* Translation's pairs of language and code page, in its order: 1 and the pair
 * set (each may be NULL) for an index below the count, 0 otherwise. */
PELLIMAR_API uint32_t pellimar_version_translation_count(const pellimar_version_info* info);
PELLIMAR_API int pellimar_version_translation(const pellimar_version_info* info, uint32_t index,
                                              uint16_t* language, uint16_t* code_page);
/* What the reading left out, with why: damaged blocks, caps reached. Borrowed. */
PELLIMAR_API uint32_t pellimar_version_note_count(const pellimar_version_info* info);
PELLIMAR_API const pellimar_failure* pellimar_version_note(const pellimar_version_info* info,
                                                           uint32_t index);

#ifdef __cplusplus
}
#endif

#endif /* PELLIMAR_H */
