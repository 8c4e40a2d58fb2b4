// libFuzzer target over everything that reads untrusted icon-bearing bytes: the
// PE/NE/icon/cursor-file reader, loading image bytes, decoding them (DIB and PNG),
// both rules of choosing an image, resampling, writing groups back as files, and
// the version resource, in its file and as bytes of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/icon_decode.h"
#include "platform/icon_file_encoder.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/picture_work.h"
#include "platform/png_codec.h"
#include "platform/raster.h"
#include "platform/version_info.h"

using namespace pellimar;

namespace {

// A version resource's texts come from its bytes: none can be longer than they.
void checkVersion(const VersionInfo& info, std::size_t size) {
    for (const VersionStrings& table : info.tables)
        for (const auto& [key, value] : table.strings)
            if (key.size() + value.size() > 4 * size) __builtin_trap();
}

// The pixels one input may make decoded and made here: far below the programs'
// budget, so that each input costs little and the fuzzer tries many. The
// readers' own caps on a side still let an input state pictures of a million
// pixels; the budget stops the work after a few of them.
constexpr std::uint64_t kFuzzPixelBudget = 1 << 20;

// Whether the bytes, decoded as one image, would make a picture of at most 256
// pixels a side (the sizes icons have), by what their header states.
bool statesASmallPicture(std::span<const std::uint8_t> bytes) {
    if (const auto png = pngStatedSize(bytes)) return png->width <= 256 && png->height <= 256;
    if (bytes.size() < 12) return true;
    const auto word = [&](std::size_t at) {
        return std::int64_t(
            std::int32_t(std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
                         std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24));
    };
    return std::llabs(word(4)) <= 256 && std::llabs(word(8)) <= 512;
}

void exercise(IconSet& set, ResourceKind kind, PictureWork& work) {
    set.loadAll(kind);
    const auto& groups = set.groups(kind);
    for (std::size_t i = 0; i < groups.size() && i < 8; ++i) {
        const IconGroup& group = groups[i];
        for (std::size_t e = 0; e < group.images.size() && e < 8; ++e) {
            (void)set.isPng(group.images[e]);
            (void)work.decoded(group.images[e]);
        }
        const Result<Icon> large = chosenImage(group, 32, SizePolicy::LikeWindows, &work);
        const Result<Icon> sharp = chosenImage(group, 48, SizePolicy::SmallestAtLeast, &work);
        if (large) {
            RgbImage canvas = whiteImage(32, 32);
            drawIcon(canvas, *large);
        }
        if (sharp) (void)resizeIcon(*sharp, 48, 48, ResizeFilter::Nearest);
        if (auto file = encodeStoredGroup(group)) {
            // What was written reads back as one group.
            if (auto again = IconSet::read(ByteSource(*file))) again->loadAll(kind);
            // The same file in pieces, as extract and save write it, holds the same bytes.
            auto pieces = encodeStoredGroupInPieces(group);
            if (!pieces) __builtin_trap();
            std::vector<std::uint8_t> joined;
            for (const auto& piece : pieces->pieces)
                joined.insert(joined.end(), piece.begin(), piece.end());
            if (joined != *file || pieces->size != file->size()) __builtin_trap();
        } else if (encodeStoredGroupInPieces(group)) {
            __builtin_trap();
        }
        if (!group.images.empty()) (void)encodeStoredImage(kind, group.images[0]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    if (auto set = IconSet::read(ByteSource(bytes))) {
        (void)set->notes();
        PictureWork work(kFuzzPixelBudget);
        exercise(*set, ResourceKind::Icon, work);
        exercise(*set, ResourceKind::Cursor, work);
        if (set->iconCount() > 0) (void)iconAtSize(*set, 0, 16, SizePolicy::LikeWindows, &work);
        if (auto version = readVersionInfo(*set, VersionLanguages::All); version && *version)
            checkVersion(**version, size);
        // Let go of every image and read one group again, as a long extract does.
        set->releaseImages();
        if (set->imageBytesHeld() != 0) __builtin_trap();
        if (set->iconCount() > 0)
            for (const StoredImage& image : set->load(ResourceKind::Icon, 0).images)
                (void)work.decoded(image);
    }

    for (const bool wide : {true, false})
        if (auto version = parseVersionInfo(bytes, wide, VersionLanguages::All))
            checkVersion(*version, size);

    if (!statesASmallPicture(bytes)) return 0;
    const Result<Icon> direct = decodeIconImage(bytes);
    (void)storedImageDepth(bytes);
    if (direct && direct->width <= 256 && direct->height <= 256) {
        (void)resizeIcon(*direct, 16, 16);
        (void)resizeIcon(*direct, 128, 64);
    }
    return 0;
}
