// The C interface of libpellimar over the platform layer: handles that hold the
// platform's objects, and a boundary that turns every failure into a status code
// with its reason and lets no exception out.
#include "lib/pellimar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/byte_source.h"
#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/folder_walk.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/language_tags.h"
#include "platform/output_files.h"
#include "platform/picture_work.h"
#include "platform/png_codec.h"
#include "platform/raster.h"
#include "platform/reduced_icon_file.h"
#include "platform/version_info.h"

namespace fs = std::filesystem;
using namespace pellimar;

static_assert(PELLIMAR_MAX_IMAGES_PER_FILE == kMaxImagesPerFile);
static_assert(PELLIMAR_MAX_IMAGES_PER_GROUP == kMaxImagesPerIcon);
static_assert(PELLIMAR_MAX_IMAGE_BYTES == kMaxImageBytes);
static_assert(PELLIMAR_MAX_HELD_IMAGE_BYTES == kMaxHeldImageBytes);
static_assert(PELLIMAR_HELD_IMAGE_BUDGET == kHeldImageBudget);
static_assert(PELLIMAR_MAX_IMAGE_SIDE == kMaxDibDimension);
static_assert(PELLIMAR_MAX_PICTURE_SIDE == kMaxPngDimension);
static_assert(PELLIMAR_MAX_JPEG_SIDE == kMaxJpegSide);
static_assert(PELLIMAR_MAX_STREAM_BYTES == kMaxStandardInputBytes);
static_assert(PELLIMAR_MAX_THUMBNAIL_SIZE == kMaxPictureSize);
static_assert(PELLIMAR_MAX_VERSION_BYTES == kMaxVersionBytes);
static_assert(PELLIMAR_MAX_VERSION_BLOCKS == kMaxVersionBlocks);
static_assert(PELLIMAR_MAX_THUMBNAIL_PIXELS == kMaxThumbnailPixels);
static_assert(PELLIMAR_NO_OFFSET == kNoOffset);

// ---- Handles ------------------------------------------------------------------

struct pellimar_failure {
    Failure failure;
    pellimar_status code = PELLIMAR_INTERNAL_ERROR;
    // The message where it is not the failure's own (the library's own codes, and
    // the texts the programs give some failures); said after the context.
    std::optional<std::string> text;
    // Made when first asked for.
    mutable std::optional<std::string> message, writeReason;
};

struct pellimar_image {
    pellimar_group* group = nullptr;
    const StoredImage* model = nullptr;
    int index = 0;
    // Whether it is stored as PNG: -2 not yet looked at.
    int png = -2;
    // The failure handed out, and the loads of the file it was made after.
    mutable std::unique_ptr<pellimar_failure> failure;
    mutable std::uint64_t failureGeneration = 0;
};

struct pellimar_group {
    pellimar_file* file = nullptr;
    const IconGroup* model = nullptr;
    ResourceKind kind = ResourceKind::Icon;
    int index = 0;  // in its list: groups(kind), or otherLanguages(kind)
    bool other = false;
    std::vector<pellimar_image> images;
    std::vector<pellimar_group*> languages;  // of a first language
    std::unique_ptr<pellimar_failure> failure;
};

struct pellimar_file {
    std::vector<std::uint8_t> bytes;  // the copy the set reads, when it reads one
    std::optional<IconSet> set;
    std::vector<pellimar_group> groups[2], others[2];
    std::vector<pellimar_failure> notes;
    // The pictures decoded and made of the file, within its budget of pixels:
    // each image decoded once however many groups name it.
    PictureWork work;
    // Counts the loads and releases of images: an image's failure handed out
    // before one is made again.
    std::uint64_t generation = 1;
};

struct pellimar_picture {
    Icon icon;
};

struct pellimar_canvas {
    RgbImage image;
};

struct pellimar_output_folder {
    OutputFolder folder;
    std::string path;
};

struct pellimar_write_batch {
    WriteBatch batch;
};

struct pellimar_version_info {
    VersionInfo info;
    std::vector<pellimar_failure> notes;  // info.notes, as handed out
};

namespace {

// ---- Failures -------------------------------------------------------------------

pellimar_status codeOf(Fault fault) {
    switch (fault) {
        case Fault::CannotOpen:
            return PELLIMAR_CANNOT_OPEN;
        case Fault::NotRegularFile:
            return PELLIMAR_NOT_REGULAR_FILE;
        case Fault::ReadFailed:
            return PELLIMAR_READ_FAILED;
        case Fault::FileChanged:
            return PELLIMAR_FILE_CHANGED;
        case Fault::NotIconContainer:
            return PELLIMAR_NOT_ICON_CONTAINER;
        case Fault::CutOff:
            return PELLIMAR_CUT_OFF;
        case Fault::BadValue:
            return PELLIMAR_BAD_VALUE;
        case Fault::MissingImage:
            return PELLIMAR_MISSING_IMAGE;
        case Fault::CapReached:
            return PELLIMAR_CAP_REACHED;
        case Fault::UnsupportedImage:
            return PELLIMAR_UNSUPPORTED_IMAGE;
        case Fault::DamagedImage:
            return PELLIMAR_DAMAGED_IMAGE;
        case Fault::NoSuchIcon:
            return PELLIMAR_NO_SUCH_ICON;
        case Fault::NoImage:
            return PELLIMAR_NO_IMAGE;
        case Fault::CannotEncode:
            return PELLIMAR_CANNOT_ENCODE;
        case Fault::WriteFailed:
            return PELLIMAR_WRITE_FAILED;
        case Fault::SharedFolderLink:
            return PELLIMAR_SHARED_FOLDER_LINK;
        case Fault::OthersLink:
            return PELLIMAR_OTHERS_LINK;
        case Fault::LinkInOthersFolder:
            return PELLIMAR_LINK_IN_OTHERS_FOLDER;
        case Fault::LinkAtName:
            return PELLIMAR_LINK_AT_NAME;
        case Fault::NoFileName:
            return PELLIMAR_NO_FILE_NAME;
        case Fault::NotChosen:
            return PELLIMAR_NOT_CHOSEN;
    }
    return PELLIMAR_INTERNAL_ERROR;
}

std::optional<Fault> faultOf(pellimar_status code) {
    for (int f = 0; f <= int(Fault::NotChosen); ++f)
        if (codeOf(Fault(f)) == code) return Fault(f);
    return std::nullopt;
}

int32_t capCode(Cap cap) {
    switch (cap) {
        case Cap::None:
            return PELLIMAR_CAP_NONE;
        case Cap::ImagesPerFile:
            return PELLIMAR_CAP_IMAGES_PER_FILE;
        case Cap::ImagesPerGroup:
            return PELLIMAR_CAP_IMAGES_PER_GROUP;
        case Cap::ResourceBytes:
            return PELLIMAR_CAP_RESOURCE_BYTES;
        case Cap::OneRead:
            return PELLIMAR_CAP_ONE_READ;
        case Cap::HeldImageBytes:
            return PELLIMAR_CAP_HELD_IMAGE_BYTES;
        case Cap::NameCharacters:
            return PELLIMAR_CAP_NAME_CHARACTERS;
        case Cap::NameLength:
            return PELLIMAR_CAP_NAME_LENGTH;
        case Cap::LanguageVariants:
            return PELLIMAR_CAP_LANGUAGE_VARIANTS;
        case Cap::ImageSide:
            return PELLIMAR_CAP_IMAGE_SIDE;
        case Cap::PictureSide:
            return PELLIMAR_CAP_PICTURE_SIDE;
        case Cap::JpegSide:
            return PELLIMAR_CAP_JPEG_SIDE;
        case Cap::StandardInputBytes:
            return PELLIMAR_CAP_INPUT_BYTES;
        case Cap::OutputBytes:
            return PELLIMAR_CAP_OUTPUT_BYTES;
        case Cap::ProfileBytes:
            return PELLIMAR_CAP_PROFILE_BYTES;
        case Cap::VersionBytes:
            return PELLIMAR_CAP_VERSION_BYTES;
        case Cap::VersionBlocks:
            return PELLIMAR_CAP_VERSION_BLOCKS;
        case Cap::AnimationFrames:
            return PELLIMAR_CAP_ANIMATION_FRAMES;
        case Cap::AnimationSteps:
            return PELLIMAR_CAP_ANIMATION_STEPS;
        case Cap::AnimationChunks:
            return PELLIMAR_CAP_ANIMATION_CHUNKS;
        case Cap::AnimationText:
            return PELLIMAR_CAP_ANIMATION_TEXT;
        case Cap::CursorBytes:
            return PELLIMAR_CAP_CURSOR_BYTES;
        case Cap::CursorSetEntries:
            return PELLIMAR_CAP_CURSOR_SET_ENTRIES;
        case Cap::PixelsPerInput:
            return PELLIMAR_CAP_PIXELS_PER_INPUT;
    }
    return PELLIMAR_CAP_NONE;
}

std::optional<Cap> capOf(int32_t code) {
    for (int c = 0; c <= int(Cap::PixelsPerInput); ++c)
        if (capCode(Cap(c)) == code) return Cap(c);
    return std::nullopt;
}

pellimar_failure made(const Failure& failure) {
    pellimar_failure out;
    out.failure = failure;
    out.code = codeOf(failure.fault);
    return out;
}

// A failure of the library's own, said in `text`.
pellimar_failure own(pellimar_status code, std::string text) {
    pellimar_failure out;
    out.code = code;
    out.text = std::move(text);
    return out;
}

// A failure of the model's kind told in the words a program gives it.
pellimar_failure told(const Failure& failure, std::string text) {
    pellimar_failure out = made(failure);
    out.text = std::move(text);
    return out;
}

// Hands `failure` to the caller through `why`, when asked for; its code.
pellimar_status give(pellimar_failure**& why, pellimar_failure failure) {
    const pellimar_status code = failure.code;
    if (why) *why = new (std::nothrow) pellimar_failure(std::move(failure));
    return code;
}

pellimar_status give(pellimar_failure**& why, const Failure& failure) {
    return give(why, made(failure));
}

pellimar_status invalid(pellimar_failure**& why, const std::string& text) {
    return give(why, own(PELLIMAR_INVALID_ARGUMENT, text));
}

// Runs `body` at the boundary: *why cleared first; no exception gets out.
template <typename Body>
pellimar_status guarded(pellimar_failure** why, Body&& body) noexcept {
    if (why) *why = nullptr;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        if (why) {
            delete *why;
            *why = nullptr;
        }
        try {
            return give(why, own(PELLIMAR_NO_MEMORY, std::strerror(ENOMEM)));
        } catch (...) {
            return PELLIMAR_NO_MEMORY;
        }
    } catch (const std::exception& e) {
        try {
            return give(why,
                        own(PELLIMAR_INTERNAL_ERROR, std::string("internal error: ") + e.what()));
        } catch (...) {
            return PELLIMAR_INTERNAL_ERROR;
        }
    } catch (...) {
        try {
            return give(why, own(PELLIMAR_INTERNAL_ERROR, "internal error"));
        } catch (...) {
            return PELLIMAR_INTERNAL_ERROR;
        }
    }
}

// Bytes handed to the caller, allocated with malloc.
pellimar_status handOut(std::span<const ByteSpan> pieces, uint8_t** data, size_t* size,
                        pellimar_failure**& why) {
    std::size_t total = 0;
    for (const ByteSpan& piece : pieces) total += piece.size();
    auto* out = static_cast<uint8_t*>(std::malloc(total ? total : 1));
    if (!out) return give(why, own(PELLIMAR_NO_MEMORY, std::strerror(ENOMEM)));
    std::size_t at = 0;
    for (const ByteSpan& piece : pieces) {
        if (!piece.empty()) std::memcpy(out + at, piece.data(), piece.size());
        at += piece.size();
    }
    *data = out;
    *size = total;
    return PELLIMAR_OK;
}

pellimar_status handOut(std::span<const std::uint8_t> bytes, uint8_t** data, size_t* size,
                        pellimar_failure**& why) {
    const ByteSpan piece = bytes;
    return handOut(std::span(&piece, 1), data, size, why);
}

pellimar_status handOut(const Result<OutputFile>& file, uint8_t** data, size_t* size,
                        pellimar_failure**& why) {
    if (!file) return give(why, file.failure());
    return handOut(file->pieces(), data, size, why);
}

bool validKind(int32_t kind) {
    return kind == PELLIMAR_ICON || kind == PELLIMAR_CURSOR;
}

ResourceKind kindOf(int32_t kind) {
    return kind == PELLIMAR_CURSOR ? ResourceKind::Cursor : ResourceKind::Icon;
}

std::optional<SizePolicy> policyOf(int32_t policy) {
    if (policy == PELLIMAR_CHOOSE_LIKE_WINDOWS) return SizePolicy::LikeWindows;
    if (policy == PELLIMAR_CHOOSE_SMALLEST_AT_LEAST) return SizePolicy::SmallestAtLeast;
    return std::nullopt;
}

pellimar_status givePicture(Result<Icon> icon, pellimar_picture** out, pellimar_failure**& why) {
    if (!icon) return give(why, icon.failure());
    *out = new pellimar_picture{std::move(*icon)};
    return PELLIMAR_OK;
}

// ---- Files ----------------------------------------------------------------------

void fillGroup(pellimar_file& file, pellimar_group& group, const IconGroup& model,
               ResourceKind kind, int index, bool other) {
    group.file = &file;
    group.model = &model;
    group.kind = kind;
    group.index = index;
    group.other = other;
    if (model.failure) group.failure = std::make_unique<pellimar_failure>(made(*model.failure));
    group.images.resize(model.images.size());
    for (std::size_t i = 0; i < model.images.size(); ++i) {
        group.images[i].group = &group;
        group.images[i].model = &model.images[i];
        group.images[i].index = int(i);
    }
}

pellimar_status openSet(std::vector<std::uint8_t> bytes, Result<IconSet> (*read)(void*), void* arg,
                        pellimar_file** out, pellimar_failure**& why) {
    auto file = std::make_unique<pellimar_file>();
    file->bytes = std::move(bytes);
    Result<IconSet> set = read(arg ? arg : file.get());
    if (!set) return give(why, set.failure());
    file->set.emplace(std::move(*set));
    file->work = PictureWork(pixelBudgetOf(file->set->fileSize()));
    for (int k = 0; k < 2; ++k) {
        const ResourceKind kind = k == 0 ? ResourceKind::Icon : ResourceKind::Cursor;
        const auto& groups = file->set->groups(kind);
        const auto& others = file->set->otherLanguages(kind);
        file->groups[k].resize(groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i)
            fillGroup(*file, file->groups[k][i], groups[i], kind, int(i), false);
        file->others[k].resize(others.size());
        for (std::size_t i = 0; i < others.size(); ++i) {
            fillGroup(*file, file->others[k][i], others[i], kind, int(i), true);
            const std::size_t position = std::size_t(others[i].identity.position);
            if (position < file->groups[k].size())
                file->groups[k][position].languages.push_back(&file->others[k][i]);
        }
    }
    for (const Failure& note : file->set->notes()) file->notes.push_back(made(note));
    *out = file.release();
    return PELLIMAR_OK;
}

// Everything `fd` gives until its end; why not.
Result<std::vector<std::uint8_t>> readToEnd(int fd) {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n == 0) return bytes;
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemFailure(Fault::ReadFailed, errno);
        }
        if (bytes.size() + std::uint64_t(n) > kMaxStandardInputBytes)
            return capReached(Cap::StandardInputBytes,
                              std::to_string(kMaxStandardInputBytes >> 30) + " GB read from " +
                                  (fd == STDIN_FILENO ? std::string("standard input")
                                                      : "descriptor " + std::to_string(fd)));
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
    }
}

IconSet& setOf(pellimar_group* group) {
    return *group->file->set;
}

// Loads the images of `group` (only image `image` of a first language when it is
// not below 0).
void loadGroup(pellimar_group* group, int image = -1) {
    IconSet& set = setOf(group);
    if (group->other)
        set.loadOtherLanguage(group->kind, group->index);
    else
        set.load(group->kind, group->index, image);
    ++group->file->generation;
}

void loadImage(pellimar_image* image) {
    if (!image->model->loaded()) loadGroup(image->group, image->index);
}

// The image's failure as the model carries it now.
const pellimar_failure* imageFailure(const pellimar_image* image) {
    const std::optional<Failure>& failure = image->model->failure;
    if (!failure) return nullptr;
    if (!image->failure || image->failureGeneration != image->group->file->generation) {
        image->failure = std::make_unique<pellimar_failure>(made(*failure));
        image->failureGeneration = image->group->file->generation;
    }
    return image->failure.get();
}

Result<OutputFile> groupFile(pellimar_group* group) {
    loadGroup(group);
    return storedIconFile(*group->model);
}

// The facts of one image as extract -f png names its file.
struct PngFacts {
    int width = 0, height = 0, depth = 0;
};

// The image as a PNG file, as extract -f png writes it, with the words it gives
// the failures.
Result<OutputFile> imagePng(const StoredImage& image, PngFacts& facts, std::string& why,
                            PictureWork& work) {
    if (!image.loaded()) {
        if (image.failure) return *image.failure;
        return failure(Fault::NoImage, "its bytes were not read");
    }
    const std::span<const std::uint8_t> stored = image.data;
    if (looksLikePng(stored)) {
        const auto header = readPngHeader(stored, kMaxDibDimension);
        if (!header) {
            if (const std::optional<Failure> past = pastImageCaps(stored)) return *past;
            why = "a damaged PNG image (its header cannot be read)";
            return failure(Fault::DamagedImage, "its header cannot be read");
        }
        facts = {header->width, header->height, header->bitsPerPixel};
        return OutputFile(stored, image.storage);
    }
    const Result<Icon> icon = work.decoded(image);
    if (!icon) return icon.failure();
    Result<OutputFile> png = pngFile(*icon);
    if (!png) {
        why = "cannot be encoded as PNG (" + png.failure().what + ")";
        return png.failure();
    }
    facts = {icon->width, icon->height, icon->bitCount};
    return png;
}

WriteOptions writeOptionsOf(uint32_t flags) {
    WriteOptions options;
    options.durability = flags & PELLIMAR_WRITE_SCRATCH ? Durability::Scratch : Durability::Synced;
    options.replace = flags & PELLIMAR_WRITE_NO_REPLACE ? Replace::Never : Replace::Always;
    options.createFolders = (flags & PELLIMAR_WRITE_CREATE_FOLDERS) != 0;
    return options;
}

constexpr uint32_t kWriteFlags =
    PELLIMAR_WRITE_SCRATCH | PELLIMAR_WRITE_NO_REPLACE | PELLIMAR_WRITE_CREATE_FOLDERS;

int32_t placedCode(Placed placed) {
    switch (placed) {
        case Placed::Written:
            return PELLIMAR_PLACED_WRITTEN;
        case Placed::Kept:
            return PELLIMAR_PLACED_KEPT;
        case Placed::Pending:
            return PELLIMAR_PLACED_PENDING;
    }
    return PELLIMAR_PLACED_WRITTEN;
}

pellimar_status written(const Result<Placed>& result, int32_t* placed, pellimar_failure**& why) {
    if (!result) return give(why, result.failure());
    if (placed) *placed = placedCode(*result);
    return PELLIMAR_OK;
}

std::string folderSkipReason(const char* path, FolderSkip skip, int error) {
    return skippedFolderReason({fs::path(path), skip, error});
}

int32_t skipCode(FolderSkip skip) {
    switch (skip) {
        case FolderSkip::Link:
            return PELLIMAR_SKIP_LINK;
        case FolderSkip::CannotOpen:
            return PELLIMAR_SKIP_CANNOT_OPEN;
        case FolderSkip::ListingCut:
            return PELLIMAR_SKIP_LISTING_CUT;
        case FolderSkip::PseudoFileSystem:
            return PELLIMAR_SKIP_PSEUDO_FILE_SYSTEM;
        case FolderSkip::WalkedBefore:
            return PELLIMAR_SKIP_WALKED_BEFORE;
        case FolderSkip::Changed:
            return PELLIMAR_SKIP_CHANGED;
    }
    return PELLIMAR_SKIP_CANNOT_OPEN;
}

}  // namespace

extern "C" {

// ---- Versions -------------------------------------------------------------------

const char* pellimar_version(void) {
    return PELLIMAR_VERSION_STRING;
}

uint32_t pellimar_abi_version(void) {
    return PELLIMAR_ABI_VERSION;
}

// ---- Failures -------------------------------------------------------------------

void pellimar_failure_free(pellimar_failure* failure) {
    delete failure;
}

pellimar_failure* pellimar_failure_copy(const pellimar_failure* failure) {
    if (!failure) return nullptr;
    try {
        return new pellimar_failure{failure->failure, failure->code, failure->text, {}, {}};
    } catch (...) {
        return nullptr;
    }
}

pellimar_status pellimar_failure_code(const pellimar_failure* failure) {
    return failure ? failure->code : PELLIMAR_INVALID_ARGUMENT;
}

int32_t pellimar_failure_cap(const pellimar_failure* failure) {
    return failure && failure->code == PELLIMAR_CAP_REACHED ? capCode(failure->failure.cap)
                                                            : PELLIMAR_CAP_NONE;
}

const char* pellimar_failure_what(const pellimar_failure* failure) {
    return failure ? failure->failure.what.c_str() : "";
}

const char* pellimar_failure_context(const pellimar_failure* failure) {
    return failure ? failure->failure.context.c_str() : "";
}

uint64_t pellimar_failure_offset(const pellimar_failure* failure) {
    return failure ? failure->failure.offset : PELLIMAR_NO_OFFSET;
}

int32_t pellimar_failure_errno(const pellimar_failure* failure) {
    return failure ? failure->failure.error : 0;
}

const char* pellimar_failure_message(const pellimar_failure* failure) {
    if (!failure) return "";
    try {
        if (!failure->message) {
            const std::string& context = failure->failure.context;
            failure->message = !failure->text    ? failure->failure.message()
                               : context.empty() ? *failure->text
                                                 : context + ": " + *failure->text;
        }
        return failure->message->c_str();
    } catch (...) {
        return "out of memory";
    }
}

int pellimar_failure_is_write(const pellimar_failure* failure) {
    return failure && failure->code >= PELLIMAR_WRITE_FAILED &&
           failure->code <= PELLIMAR_NO_FILE_NAME;
}

const char* pellimar_failure_write_reason(const pellimar_failure* failure) {
    if (!failure) return "";
    try {
        if (!failure->writeReason)
            failure->writeReason = failure->text ? std::string(pellimar_failure_message(failure))
                                                 : writeFailureReason(failure->failure);
        return failure->writeReason->c_str();
    } catch (...) {
        return "out of memory";
    }
}

pellimar_failure* pellimar_failure_within(const pellimar_failure* failure, const char* part) {
    if (!failure) return nullptr;
    try {
        auto out = std::make_unique<pellimar_failure>();
        out->code = failure->code;
        out->text = failure->text;
        out->failure = failure->failure.within(part ? part : "");
        return out.release();
    } catch (...) {
        return nullptr;
    }
}

pellimar_failure* pellimar_failure_new(pellimar_status code, int32_t cap, const char* what,
                                       uint64_t offset, int32_t error) {
    if (code == PELLIMAR_OK) return nullptr;
    try {
        auto out = std::make_unique<pellimar_failure>();
        out->code = code;
        const std::optional<Fault> fault = faultOf(code);
        const std::string text = what ? what : "";
        if (fault) {
            out->failure = failure(*fault, text, offset);
            out->failure.error = error;
            if (*fault == Fault::CapReached) out->failure.cap = capOf(cap).value_or(Cap::None);
        } else {
            out->failure.what = text;
            out->failure.offset = offset;
            out->failure.error = error;
            out->text = text.empty() ? std::string(pellimar_status_name(code)) : text;
        }
        return out.release();
    } catch (...) {
        return nullptr;
    }
}

const char* pellimar_status_name(pellimar_status status) {
    switch (status) {
        case PELLIMAR_OK:
            return "ok";
        case PELLIMAR_CANNOT_OPEN:
            return "cannot_open";
        case PELLIMAR_NOT_REGULAR_FILE:
            return "not_regular_file";
        case PELLIMAR_READ_FAILED:
            return "read_failed";
        case PELLIMAR_FILE_CHANGED:
            return "file_changed";
        case PELLIMAR_NOT_ICON_CONTAINER:
            return "not_icon_container";
        case PELLIMAR_CUT_OFF:
            return "cut_off";
        case PELLIMAR_BAD_VALUE:
            return "bad_value";
        case PELLIMAR_MISSING_IMAGE:
            return "missing_image";
        case PELLIMAR_CAP_REACHED:
            return "cap_reached";
        case PELLIMAR_UNSUPPORTED_IMAGE:
            return "unsupported_image";
        case PELLIMAR_DAMAGED_IMAGE:
            return "damaged_image";
        case PELLIMAR_NO_SUCH_ICON:
            return "no_such_icon";
        case PELLIMAR_NO_IMAGE:
            return "no_image";
        case PELLIMAR_CANNOT_ENCODE:
            return "cannot_encode";
        case PELLIMAR_WRITE_FAILED:
            return "write_failed";
        case PELLIMAR_SHARED_FOLDER_LINK:
            return "shared_folder_link";
        case PELLIMAR_OTHERS_LINK:
            return "others_link";
        case PELLIMAR_LINK_IN_OTHERS_FOLDER:
            return "link_in_others_folder";
        case PELLIMAR_LINK_AT_NAME:
            return "link_at_name";
        case PELLIMAR_NO_FILE_NAME:
            return "no_file_name";
        case PELLIMAR_NOT_CHOSEN:
            return "not_chosen";
        case PELLIMAR_NO_MEMORY:
            return "no_memory";
        case PELLIMAR_INVALID_ARGUMENT:
            return "invalid_argument";
        case PELLIMAR_STOPPED:
            return "stopped";
        case PELLIMAR_INTERNAL_ERROR:
            return "internal_error";
        default:
            return "unknown";
    }
}

void pellimar_free(void* bytes) {
    std::free(bytes);
}

// ---- Opening ----------------------------------------------------------------------

pellimar_status pellimar_open_path(const char* path, uint32_t flags, pellimar_file** out,
                                   pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!path || !out) return invalid(why, "no path or no place for the file");
        if (flags != 0) return invalid(why, "unknown flags");
        return openSet(
            {}, [](void* p) { return IconSet::open(static_cast<const char*>(p)); },
            const_cast<char*>(path), out, why);
    });
}

pellimar_status pellimar_open_buffer(const void* data, size_t size, uint32_t flags,
                                     pellimar_file** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if ((!data && size > 0) || !out) return invalid(why, "no bytes or no place for the file");
        if (flags & ~uint32_t(PELLIMAR_OPEN_COPY)) return invalid(why, "unknown flags");
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        if (flags & PELLIMAR_OPEN_COPY)
            return openSet(
                std::vector<std::uint8_t>(bytes, bytes + size),
                [](void* f) {
                    const auto& copy = static_cast<pellimar_file*>(f)->bytes;
                    return IconSet::read(ByteSource(std::span<const std::uint8_t>(copy)));
                },
                nullptr, out, why);
        std::span<const std::uint8_t> memory(bytes, size);
        return openSet(
            {},
            [](void* m) {
                return IconSet::read(ByteSource(*static_cast<std::span<const std::uint8_t>*>(m)));
            },
            &memory, out, why);
    });
}

pellimar_status pellimar_open_fd(int fd, uint32_t flags, pellimar_file** out,
                                 pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!out) return invalid(why, "no place for the file");
        if (flags != 0) return invalid(why, "unknown flags");
        struct stat st {};
        if (::fstat(fd, &st) != 0) return give(why, systemFailure(Fault::CannotOpen, errno));
        if (S_ISREG(st.st_mode))
            return openSet(
                {},
                [](void* p) {
                    auto source = ByteSource::openDescriptor(*static_cast<int*>(p));
                    if (!source) return Result<IconSet>(source.failure());
                    return IconSet::read(std::move(*source));
                },
                &fd, out, why);
        // A stream is read whole; a folder or a device is no file to read.
        if (!S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode))
            return give(why, failure(Fault::NotRegularFile));
        Result<std::vector<std::uint8_t>> bytes = readToEnd(fd);
        if (!bytes) return give(why, bytes.failure());
        return openSet(
            std::move(*bytes),
            [](void* f) {
                const auto& copy = static_cast<pellimar_file*>(f)->bytes;
                return IconSet::read(ByteSource(std::span<const std::uint8_t>(copy)));
            },
            nullptr, out, why);
    });
}

void pellimar_close(pellimar_file* file) {
    delete file;
}

int32_t pellimar_file_container(const pellimar_file* file) {
    if (!file) return -1;
    switch (file->set->container()) {
        case IconContainer::IconFile:
            return PELLIMAR_CONTAINER_ICON_FILE;
        case IconContainer::CursorFile:
            return PELLIMAR_CONTAINER_CURSOR_FILE;
        case IconContainer::Pe:
            return PELLIMAR_CONTAINER_PE;
        case IconContainer::Ne:
            return PELLIMAR_CONTAINER_NE;
    }
    return -1;
}

uint64_t pellimar_file_size(const pellimar_file* file) {
    return file ? file->set->fileSize() : 0;
}

uint32_t pellimar_file_note_count(const pellimar_file* file) {
    return file ? uint32_t(file->notes.size()) : 0;
}

const pellimar_failure* pellimar_file_note(const pellimar_file* file, uint32_t index) {
    return file && index < file->notes.size() ? &file->notes[index] : nullptr;
}

// ---- Groups -----------------------------------------------------------------------

uint32_t pellimar_file_group_count(const pellimar_file* file, int32_t kind) {
    return file && validKind(kind) ? uint32_t(file->groups[kind].size()) : 0;
}

pellimar_group* pellimar_file_group(pellimar_file* file, int32_t kind, uint32_t index) {
    if (!file || !validKind(kind) || index >= file->groups[kind].size()) return nullptr;
    return &file->groups[kind][index];
}

uint32_t pellimar_file_other_language_count(const pellimar_file* file, int32_t kind) {
    return file && validKind(kind) ? uint32_t(file->others[kind].size()) : 0;
}

pellimar_group* pellimar_file_other_language(pellimar_file* file, int32_t kind, uint32_t index) {
    if (!file || !validKind(kind) || index >= file->others[kind].size()) return nullptr;
    return &file->others[kind][index];
}

int32_t pellimar_group_kind(const pellimar_group* group) {
    return group && group->kind == ResourceKind::Cursor ? PELLIMAR_CURSOR : PELLIMAR_ICON;
}

uint32_t pellimar_group_position(const pellimar_group* group) {
    return group ? uint32_t(group->model->identity.position) : 0;
}

int pellimar_group_is_other_language(const pellimar_group* group) {
    return group && group->other;
}

int pellimar_group_id(const pellimar_group* group, uint32_t* id) {
    if (!group) return 0;
    const auto& name = group->model->identity.name;
    if (!name || !name->numeric) return 0;
    if (id) *id = name->id;
    return 1;
}

const char* pellimar_group_name(const pellimar_group* group) {
    if (!group) return nullptr;
    const auto& name = group->model->identity.name;
    return name && !name->numeric ? name->text.c_str() : nullptr;
}

int pellimar_group_language(const pellimar_group* group, uint16_t* language) {
    if (!group || !group->model->identity.language) return 0;
    if (language) *language = *group->model->identity.language;
    return 1;
}

uint32_t pellimar_group_language_count(const pellimar_group* group) {
    return group ? uint32_t(group->languages.size()) : 0;
}

pellimar_group* pellimar_group_language_at(pellimar_group* group, uint32_t index) {
    return group && index < group->languages.size() ? group->languages[index] : nullptr;
}

const pellimar_failure* pellimar_group_failure(const pellimar_group* group) {
    return group ? group->failure.get() : nullptr;
}

int pellimar_group_past_images_cap(const pellimar_group* group) {
    return group && group->model->pastImagesCap();
}

uint32_t pellimar_group_stated_count(const pellimar_group* group) {
    return group ? uint32_t(group->model->statedCount) : 0;
}

uint32_t pellimar_group_image_count(const pellimar_group* group) {
    return group ? uint32_t(group->images.size()) : 0;
}

pellimar_image* pellimar_group_image(pellimar_group* group, uint32_t index) {
    return group && index < group->images.size() ? &group->images[index] : nullptr;
}

pellimar_status pellimar_group_load(pellimar_group* group, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!group) return invalid(why, "no group");
        loadGroup(group);
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_file_load_all(pellimar_file* file, int32_t kind, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!file || !validKind(kind)) return invalid(why, "no file, or an unknown kind");
        file->set->loadAll(kindOf(kind));
        ++file->generation;
        return PELLIMAR_OK;
    });
}

void pellimar_file_release_images(pellimar_file* file) {
    if (!file) return;
    file->set->releaseImages();
    ++file->generation;
}

uint64_t pellimar_file_image_bytes_held(const pellimar_file* file) {
    return file ? file->set->imageBytesHeld() : 0;
}

uint64_t pellimar_file_image_bytes_read(const pellimar_file* file) {
    return file ? file->set->imageBytesRead() : 0;
}

// ---- Images -----------------------------------------------------------------------

int32_t pellimar_image_width(const pellimar_image* image) {
    return image ? image->model->width() : 0;
}

int32_t pellimar_image_height(const pellimar_image* image) {
    return image ? image->model->height() : 0;
}

uint16_t pellimar_image_stated_bit_count(const pellimar_image* image) {
    return image ? image->model->entry.bitCount : 0;
}

int32_t pellimar_image_depth(const pellimar_image* image) {
    return image ? image->model->depth : 0;
}

pellimar_status pellimar_image_header_depth(pellimar_image* image, int32_t* depth,
                                            pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !depth) return invalid(why, "no image or no place for the depth");
        loadImage(image);
        if (!image->model->loaded())
            return give(why, image->model->failure
                                 ? *image->model->failure
                                 : failure(Fault::NoImage, "its bytes were not read"));
        *depth = storedImageDepth(image->model->data).value_or(0);
        return PELLIMAR_OK;
    });
}

uint8_t pellimar_image_color_count(const pellimar_image* image) {
    return image ? image->model->entry.colorCount : 0;
}

uint16_t pellimar_image_planes(const pellimar_image* image) {
    return image ? image->model->entry.planes : 0;
}

uint16_t pellimar_image_resource_id(const pellimar_image* image) {
    return image ? image->model->entry.resourceId : 0;
}

uint16_t pellimar_image_hotspot_x(const pellimar_image* image) {
    return image ? image->model->hotspotX : 0;
}

uint16_t pellimar_image_hotspot_y(const pellimar_image* image) {
    return image ? image->model->hotspotY : 0;
}

uint64_t pellimar_image_offset(const pellimar_image* image) {
    return image ? image->model->offset : 0;
}

uint64_t pellimar_image_length(const pellimar_image* image) {
    return image ? image->model->length : 0;
}

int32_t pellimar_image_is_png(pellimar_image* image) {
    if (!image) return -1;
    try {
        if (image->png >= 0) return image->png;
        pellimar_group* group = image->group;
        const IconSet& set = setOf(group);
        if (!group->other) {
            // The images of a group that lie close together are looked at in one read.
            const auto pngs = set.pngImages(group->kind, group->index);
            for (std::size_t i = 0; i < pngs.size() && i < group->images.size(); ++i)
                group->images[i].png = pngs[i] ? int(*pngs[i]) : -2;
        } else {
            const std::optional<bool> png = set.isPng(*image->model);
            image->png = png ? int(*png) : -2;
        }
        return image->png >= 0 ? image->png : -1;
    } catch (...) {
        return -1;
    }
}

const pellimar_failure* pellimar_image_failure(const pellimar_image* image) {
    if (!image) return nullptr;
    try {
        return imageFailure(image);
    } catch (...) {
        return nullptr;
    }
}

pellimar_status pellimar_image_data(pellimar_image* image, const uint8_t** data, size_t* size,
                                    pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !data || !size) return invalid(why, "no image or no place for its bytes");
        loadImage(image);
        if (!image->model->loaded())
            return give(why, image->model->failure
                                 ? *image->model->failure
                                 : failure(Fault::NoImage, "its bytes were not read"));
        *data = image->model->data.data();
        *size = image->model->data.size();
        return PELLIMAR_OK;
    });
}

// ---- Files made of groups and images -----------------------------------------------

pellimar_status pellimar_group_to_file(pellimar_group* group, uint8_t** data, size_t* size,
                                       pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!group || !data || !size) return invalid(why, "no group or no place for its bytes");
        return handOut(groupFile(group), data, size, why);
    });
}

pellimar_status pellimar_image_to_file(pellimar_image* image, uint8_t** data, size_t* size,
                                       pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !data || !size) return invalid(why, "no image or no place for its bytes");
        loadImage(image);
        return handOut(storedImageFile(image->group->kind, *image->model), data, size, why);
    });
}

pellimar_status pellimar_image_to_png(pellimar_image* image, uint8_t** data, size_t* size,
                                      int32_t* width, int32_t* height, int32_t* depth,
                                      pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !data || !size) return invalid(why, "no image or no place for its bytes");
        loadImage(image);
        PngFacts facts;
        std::string words;
        const Result<OutputFile> png =
            imagePng(*image->model, facts, words, image->group->file->work);
        if (!png)
            return words.empty() ? give(why, png.failure()) : give(why, told(png.failure(), words));
        const pellimar_status status = handOut(png->pieces(), data, size, why);
        if (status != PELLIMAR_OK) return status;
        if (width) *width = facts.width;
        if (height) *height = facts.height;
        if (depth) *depth = facts.depth;
        return PELLIMAR_OK;
    });
}

// ---- Pictures -----------------------------------------------------------------------

int32_t pellimar_group_choose(const pellimar_group* group, int32_t size, int32_t policy) {
    if (!group) return -1;
    const std::optional<SizePolicy> chosen = policyOf(policy);
    if (!chosen) return -1;
    try {
        std::vector<ImageFacts> facts;
        for (const StoredImage& image : group->model->images)
            facts.push_back(factsOf(image, *chosen));
        return chooseImage(facts, size, *chosen);
    } catch (...) {
        return -1;
    }
}

pellimar_status pellimar_group_picture(pellimar_group* group, int32_t size, int32_t policy,
                                       pellimar_picture** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!group || !out) return invalid(why, "no group or no place for the picture");
        const std::optional<SizePolicy> chosen = policyOf(policy);
        if (!chosen) return invalid(why, "unknown choice " + std::to_string(policy));
        ++group->file->generation;
        if (group->other) {
            loadGroup(group);
            return givePicture(chosenImage(*group->model, size, *chosen, &group->file->work), out,
                               why);
        }
        return givePicture(
            chosenImage(setOf(group), group->kind, group->index, size, *chosen, &group->file->work),
            out, why);
    });
}

pellimar_status pellimar_group_picture_at_size(pellimar_group* group, int32_t size, int32_t policy,
                                               pellimar_picture** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!group || !out) return invalid(why, "no group or no place for the picture");
        const std::optional<SizePolicy> chosen = policyOf(policy);
        if (!chosen) return invalid(why, "unknown choice " + std::to_string(policy));
        ++group->file->generation;
        if (group->other) {
            loadGroup(group);
            return givePicture(iconAtSize(*group->model, size, *chosen, &group->file->work), out,
                               why);
        }
        return givePicture(
            iconAtSize(setOf(group), group->kind, group->index, size, *chosen, &group->file->work),
            out, why);
    });
}

pellimar_status pellimar_file_thumbnail(pellimar_file* file, int32_t size, pellimar_picture** out,
                                        pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!file || !out) return invalid(why, "no file or no place for the picture");
        if (size < 1) return invalid(why, "size " + std::to_string(size));
        size = std::min<int32_t>(size, kMaxPictureSize);
        IconSet& set = *file->set;
        // The first icon; a file of cursors alone (a cursor file) shows its first cursor.
        const ResourceKind kind = set.iconCount() == 0 && !set.cursors().empty()
                                      ? ResourceKind::Cursor
                                      : ResourceKind::Icon;
        if (set.groups(kind).empty()) return give(why, failure(Fault::NoSuchIcon, "icon in it"));
        ++file->generation;
        // The smallest image at least as large as asked, else the largest, shrunk
        // smoothly or kept at its own size. A file manager asks this of every
        // file it shows: the work of one thumbnail is bounded well under a second.
        PictureWork work(kMaxThumbnailPixels, "for one thumbnail");
        const Result<Icon> image =
            chosenImage(set, kind, 0, size, SizePolicy::SmallestAtLeast, &work);
        if (!image)
            return give(why,
                        image.failure().within(kind == ResourceKind::Icon ? "icon 0" : "cursor 0"));
        *out = new pellimar_picture{pictureWithin(*image, size)};
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_image_decode(pellimar_image* image, pellimar_picture** out,
                                      pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !out) return invalid(why, "no image or no place for the picture");
        loadImage(image);
        return givePicture(image->group->file->work.decoded(*image->model), out, why);
    });
}

pellimar_status pellimar_image_rgba(pellimar_image* image, int32_t* width, int32_t* height,
                                    uint8_t** rgba, size_t* size, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!image || !rgba || !size) return invalid(why, "no image or no place for its pixels");
        loadImage(image);
        const Result<Icon> icon = image->group->file->work.decoded(*image->model);
        if (!icon) return give(why, icon.failure());
        const RgbaImage pixels = iconToRgba(*icon);
        const pellimar_status status = handOut(pixels.rgba, rgba, size, why);
        if (status != PELLIMAR_OK) return status;
        if (width) *width = pixels.width;
        if (height) *height = pixels.height;
        return PELLIMAR_OK;
    });
}

void pellimar_picture_free(pellimar_picture* picture) {
    delete picture;
}

int32_t pellimar_picture_width(const pellimar_picture* picture) {
    return picture ? picture->icon.width : 0;
}

int32_t pellimar_picture_height(const pellimar_picture* picture) {
    return picture ? picture->icon.height : 0;
}

int32_t pellimar_picture_bit_count(const pellimar_picture* picture) {
    return picture ? picture->icon.bitCount : 0;
}

int pellimar_picture_has_alpha(const pellimar_picture* picture) {
    return picture && picture->icon.hasAlpha;
}

const uint32_t* pellimar_picture_pixels(const pellimar_picture* picture) {
    return picture ? picture->icon.color.data() : nullptr;
}

const uint8_t* pellimar_picture_mask(const pellimar_picture* picture) {
    return picture ? picture->icon.mask.data() : nullptr;
}

pellimar_status pellimar_picture_rgba(const pellimar_picture* picture, uint8_t** rgba, size_t* size,
                                      pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!picture || !rgba || !size)
            return invalid(why, "no picture or no place for its pixels");
        if (picture->icon.empty())
            return give(why, failure(Fault::NoImage, "the picture is empty"));
        return handOut(iconToRgba(picture->icon).rgba, rgba, size, why);
    });
}

pellimar_status pellimar_picture_resize(const pellimar_picture* picture, int32_t width,
                                        int32_t height, int32_t filter, pellimar_picture** out,
                                        pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!picture || !out) return invalid(why, "no picture or no place for the new one");
        if (filter != PELLIMAR_RESIZE_AREA && filter != PELLIMAR_RESIZE_NEAREST)
            return invalid(why, "unknown filter " + std::to_string(filter));
        if (width < 1 || height < 1 || width > kMaxPngDimension || height > kMaxPngDimension)
            return give(why, capReached(Cap::PictureSide, "pictures of " +
                                                              std::to_string(kMaxPngDimension) +
                                                              " pixels a side"));
        if (picture->icon.empty())
            return give(why, failure(Fault::NoImage, "the picture is empty"));
        Icon icon =
            resizeIcon(picture->icon, width, height,
                       filter == PELLIMAR_RESIZE_AREA ? ResizeFilter::Area : ResizeFilter::Nearest);
        *out = new pellimar_picture{std::move(icon)};
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_picture_shrink_within(const pellimar_picture* picture, int32_t max_size,
                                               pellimar_picture** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!picture || !out) return invalid(why, "no picture or no place for the new one");
        if (max_size < 1) return invalid(why, "size " + std::to_string(max_size));
        *out = new pellimar_picture{pictureWithin(picture->icon, max_size)};
        return PELLIMAR_OK;
    });
}

// ---- Encoders -----------------------------------------------------------------------

pellimar_status pellimar_picture_to_png(const pellimar_picture* picture, uint8_t** data,
                                        size_t* size, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!picture || !data || !size) return invalid(why, "no picture or no place for its bytes");
        return handOut(pngFile(picture->icon), data, size, why);
    });
}

pellimar_status pellimar_pictures_to_reduced_icon_file(const pellimar_picture* const* pictures,
                                                       size_t count, uint8_t** data, size_t* size,
                                                       pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!pictures || count == 0 || !data || !size)
            return invalid(why, "no pictures or no place for their bytes");
        std::vector<Icon> icons;
        icons.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            if (!pictures[i]) return invalid(why, "picture " + std::to_string(i) + " is missing");
            icons.push_back(pictures[i]->icon);
        }
        const Result<std::vector<std::uint8_t>> file = encodeReducedIconFile(icons);
        if (!file) return give(why, file.failure());
        return handOut(*file, data, size, why);
    });
}

pellimar_status pellimar_picture_draw_on_white(const pellimar_picture* picture, int32_t width,
                                               int32_t height, pellimar_canvas** out,
                                               pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!picture || !out) return invalid(why, "no picture or no place for the canvas");
        if (width < 1 || height < 1 || width > kMaxPngDimension || height > kMaxPngDimension)
            return give(why, capReached(Cap::PictureSide, "pictures of " +
                                                              std::to_string(kMaxPngDimension) +
                                                              " pixels a side"));
        *out = new pellimar_canvas{drawnOnWhite(picture->icon, width, height)};
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_canvas_stretch(const pellimar_canvas* canvas, int32_t width,
                                        int32_t height, pellimar_canvas** out,
                                        pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!canvas || !out) return invalid(why, "no canvas or no place for the new one");
        if (width < 1 || height < 1 || width > kMaxPngDimension || height > kMaxPngDimension)
            return give(why, capReached(Cap::PictureSide, "pictures of " +
                                                              std::to_string(kMaxPngDimension) +
                                                              " pixels a side"));
        if (canvas->image.empty()) return give(why, failure(Fault::NoImage, "the canvas is empty"));
        *out = new pellimar_canvas{stretchNearest(canvas->image, width, height)};
        return PELLIMAR_OK;
    });
}

void pellimar_canvas_free(pellimar_canvas* canvas) {
    delete canvas;
}

int32_t pellimar_canvas_width(const pellimar_canvas* canvas) {
    return canvas ? canvas->image.width : 0;
}

int32_t pellimar_canvas_height(const pellimar_canvas* canvas) {
    return canvas ? canvas->image.height : 0;
}

const uint32_t* pellimar_canvas_pixels(const pellimar_canvas* canvas) {
    return canvas ? canvas->image.pixels.data() : nullptr;
}

pellimar_status pellimar_canvas_to_bmp(const pellimar_canvas* canvas, uint8_t** data, size_t* size,
                                       pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!canvas || !data || !size) return invalid(why, "no canvas or no place for its bytes");
        return handOut(bmpFile(canvas->image), data, size, why);
    });
}

pellimar_status pellimar_canvas_to_jpeg(const pellimar_canvas* canvas, uint8_t** data, size_t* size,
                                        pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!canvas || !data || !size) return invalid(why, "no canvas or no place for its bytes");
        return handOut(jpegFile(canvas->image), data, size, why);
    });
}

uint64_t pellimar_output_cap(uint64_t input_size) {
    return outputCapOf(input_size);
}

uint64_t pellimar_pixel_budget(uint64_t input_size) {
    return pixelBudgetOf(input_size);
}

pellimar_status pellimar_output_fits(uint64_t cap, uint64_t used, uint64_t size,
                                     pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (size <= cap && used <= cap - size) return PELLIMAR_OK;
        return give(why, outputCapRefusal(cap));
    });
}

// ---- Writing ------------------------------------------------------------------------

pellimar_status pellimar_write_file(const char* path, const void* data, size_t size, uint32_t flags,
                                    int32_t* placed, pellimar_failure** why) {
    const pellimar_piece piece{data, size};
    return pellimar_write_file_pieces(path, &piece, 1, flags, placed, why);
}

pellimar_status pellimar_write_file_pieces(const char* path, const pellimar_piece* pieces,
                                           size_t count, uint32_t flags, int32_t* placed,
                                           pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!path || (!pieces && count > 0)) return invalid(why, "no path or no bytes");
        if (flags & ~kWriteFlags) return invalid(why, "unknown flags");
        std::vector<ByteSpan> spans;
        spans.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            if (!pieces[i].data && pieces[i].size > 0)
                return invalid(why, "piece " + std::to_string(i) + " has no bytes");
            spans.emplace_back(static_cast<const std::uint8_t*>(pieces[i].data), pieces[i].size);
        }
        return written(writeFile(path, std::span<const ByteSpan>(spans), writeOptionsOf(flags)),
                       placed, why);
    });
}

pellimar_status pellimar_write_file_in_place(const char* path, const void* data, size_t size,
                                             pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!path || (!data && size > 0)) return invalid(why, "no path or no bytes");
        const Result<Done> done = writeFileInPlace(
            path, std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
        if (!done) return give(why, done.failure());
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_output_folder_open(const char* path, uint32_t flags,
                                            pellimar_output_folder** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!path || !out) return invalid(why, "no path or no place for the folder");
        if (flags & ~uint32_t(PELLIMAR_FOLDER_CREATE)) return invalid(why, "unknown flags");
        Result<OutputFolder> folder = OutputFolder::open(path, flags & PELLIMAR_FOLDER_CREATE);
        if (!folder) return give(why, folder.failure());
        *out = new pellimar_output_folder{std::move(*folder), path};
        return PELLIMAR_OK;
    });
}

void pellimar_output_folder_close(pellimar_output_folder* folder) {
    delete folder;
}

const char* pellimar_output_folder_path(const pellimar_output_folder* folder) {
    return folder ? folder->path.c_str() : "";
}

int32_t pellimar_output_folder_remove_stale(const pellimar_output_folder* folder) {
    if (!folder) return 0;
    try {
        return folder->folder.removeStaleTemporaries();
    } catch (...) {
        return 0;
    }
}

pellimar_status pellimar_output_folder_write(pellimar_output_folder* folder, const char* name,
                                             const void* data, size_t size, uint32_t flags,
                                             int32_t* placed, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!folder || !name || (!data && size > 0))
            return invalid(why, "no folder, name or bytes");
        if (flags & ~kWriteFlags) return invalid(why, "unknown flags");
        WriteOptions options = writeOptionsOf(flags);
        options.createFolders = false;
        const ByteSpan piece(static_cast<const std::uint8_t*>(data), size);
        return written(folder->folder.write(name, std::span(&piece, 1), options), placed, why);
    });
}

pellimar_status pellimar_write_batch_open(pellimar_write_batch** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!out) return invalid(why, "no place for the batch");
        auto batch = std::make_unique<pellimar_write_batch>();
        if (!batch->batch.active()) return invalid(why, "a write batch is open on this thread");
        *out = batch.release();
        return PELLIMAR_OK;
    });
}

pellimar_status pellimar_write_batch_commit(pellimar_write_batch* batch,
                                            pellimar_outcome_fn outcome, void* user,
                                            pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!batch) return invalid(why, "no batch");
        const std::vector<WriteOutcome> outcomes = batch->batch.commit();
        if (!outcome) return PELLIMAR_OK;
        for (const WriteOutcome& one : outcomes) {
            const std::string path = one.target.string();
            if (one.placed) {
                if (outcome(path.c_str(), placedCode(*one.placed), nullptr, user)) break;
            } else {
                const pellimar_failure failure = made(one.placed.failure());
                if (outcome(path.c_str(), -1, &failure, user)) break;
            }
        }
        return PELLIMAR_OK;
    });
}

void pellimar_write_batch_close(pellimar_write_batch* batch) {
    if (!batch) return;
    // Committed here, where a failure to hold the outcomes cannot end the
    // process as it would in the destructor; the files are placed all the same.
    try {
        (void)batch->batch.commit();
    } catch (...) {
    }
    delete batch;
}

// ---- Walking ------------------------------------------------------------------------

pellimar_status pellimar_walk_folder(const char* folder, uint32_t flags,
                                     pellimar_walk_file_fn found, pellimar_walk_skipped_fn skipped,
                                     void* user, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (!folder) return invalid(why, "no folder");
        if (flags & ~uint32_t(127)) return invalid(why, "unknown flags");
        FileKinds kinds;
        kinds.exe = flags & PELLIMAR_WALK_EXE;
        kinds.dll = flags & PELLIMAR_WALK_DLL;
        kinds.ico = flags & PELLIMAR_WALK_ICO;
        kinds.icl = flags & PELLIMAR_WALK_ICL;
        kinds.more = flags & PELLIMAR_WALK_MORE;
        kinds.anyName = flags & PELLIMAR_WALK_ANY_NAME;
        WalkHooks hooks;
        if (skipped)
            hooks.skipped = [&](const SkippedFolder& skip) {
                const std::string path = skip.path.string();
                skipped(path.c_str(), skipCode(skip.why), skip.error,
                        folderSkipReason(path.c_str(), skip.why, skip.error).c_str(), user);
            };
        const std::vector<fs::path> files =
            gatherScanFiles(folder, kinds, flags & PELLIMAR_WALK_RECURSIVE, hooks);
        if (found)
            for (const fs::path& file : files)
                if (found(file.c_str(), user))
                    return give(why, own(PELLIMAR_STOPPED, "the walk was stopped"));
        return PELLIMAR_OK;
    });
}

// ---- Languages ----------------------------------------------------------------------

const char* pellimar_language_tag(uint16_t language) {
    const std::optional<std::string_view> tag = languageTag(language);
    // The table's tags are string literals, each ended by its NUL.
    return tag ? tag->data() : nullptr;
}

int pellimar_language_parse(const char* text, uint16_t* language) {
    if (!text) return 0;
    const std::optional<std::uint16_t> parsed = parseLanguage(text);
    if (!parsed) return 0;
    if (language) *language = *parsed;
    return 1;
}

int pellimar_language_matches(const char* text, uint16_t language) {
    return text && namesLanguage(text, language);
}

}  // extern "C"

// ---- The version resource ---------------------------------------------------------

pellimar_status pellimar_file_version(pellimar_file* file, uint32_t flags,
                                      pellimar_version_info** out, pellimar_failure** why) {
    return guarded(why, [&]() -> pellimar_status {
        if (out) *out = nullptr;
        if (!file || !out) return invalid(why, "no file or no place for its version resource");
        if (flags & ~uint32_t(PELLIMAR_VERSION_ALL_LANGUAGES))
            return invalid(why, "flags " + std::to_string(flags));
        auto read = readVersionInfo(*file->set, flags & PELLIMAR_VERSION_ALL_LANGUAGES
                                                    ? VersionLanguages::All
                                                    : VersionLanguages::First);
        if (!read) return give(why, read.failure());
        if (!read->has_value()) return PELLIMAR_OK;
        auto info = std::make_unique<pellimar_version_info>();
        info->info = std::move(**read);
        info->notes.reserve(info->info.notes.size());
        for (const Failure& note : info->info.notes) info->notes.push_back(made(note));
        *out = info.release();
        return PELLIMAR_OK;
    });
}

void pellimar_version_info_free(pellimar_version_info* info) {
    delete info;
}

namespace {

const VersionStrings* tableOf(const pellimar_version_info* info, uint32_t table) {
    return info && table < info->info.tables.size() ? &info->info.tables[table] : nullptr;
}

const std::pair<std::string, std::string>* stringOf(const pellimar_version_info* info,
                                                    uint32_t table, uint32_t index) {
    const VersionStrings* strings = tableOf(info, table);
    return strings && index < strings->strings.size() ? &strings->strings[index] : nullptr;
}

int setPair(uint16_t first, uint16_t second, uint16_t* a, uint16_t* b) {
    if (a) *a = first;
    if (b) *b = second;
    return 1;
}

}  // namespace

int pellimar_version_language(const pellimar_version_info* info, uint16_t* language,
                              uint16_t* code_page) {
    return pellimar_version_table_language(info, 0, language, code_page);
}

const char* pellimar_version_value(const pellimar_version_info* info, const char* key) {
    return pellimar_version_table_value(info, 0, key);
}

uint32_t pellimar_version_table_count(const pellimar_version_info* info) {
    return info ? uint32_t(info->info.tables.size()) : 0;
}

int pellimar_version_table_language(const pellimar_version_info* info, uint32_t table,
                                    uint16_t* language, uint16_t* code_page) {
    const VersionStrings* strings = tableOf(info, table);
    return strings ? setPair(strings->language, strings->codePage, language, code_page) : 0;
}

const char* pellimar_version_table_value(const pellimar_version_info* info, uint32_t table,
                                         const char* key) {
    const VersionStrings* strings = tableOf(info, table);
    if (!strings || !key) return nullptr;
    const std::string* value = strings->find(key);
    return value ? value->c_str() : nullptr;
}

uint32_t pellimar_version_string_count(const pellimar_version_info* info, uint32_t table) {
    const VersionStrings* strings = tableOf(info, table);
    return strings ? uint32_t(strings->strings.size()) : 0;
}

const char* pellimar_version_string_key(const pellimar_version_info* info, uint32_t table,
                                        uint32_t index) {
    const auto* string = stringOf(info, table, index);
    return string ? string->first.c_str() : nullptr;
}

const char* pellimar_version_string_value(const pellimar_version_info* info, uint32_t table,
                                          uint32_t index) {
    const auto* string = stringOf(info, table, index);
    return string ? string->second.c_str() : nullptr;
}

uint32_t pellimar_version_translation_count(const pellimar_version_info* info) {
    return info ? uint32_t(info->info.translations.size()) : 0;
}

int pellimar_version_translation(const pellimar_version_info* info, uint32_t index,
                                 uint16_t* language, uint16_t* code_page) {
    if (!info || index >= info->info.translations.size()) return 0;
    const auto& [first, second] = info->info.translations[index];
    return setPair(first, second, language, code_page);
}

uint32_t pellimar_version_note_count(const pellimar_version_info* info) {
    return info ? uint32_t(info->notes.size()) : 0;
}

const pellimar_failure* pellimar_version_note(const pellimar_version_info* info, uint32_t index) {
    return info && index < info->notes.size() ? &info->notes[index] : nullptr;
}
