// The icons stored in a file, as the desktop shell counts them: the icon groups of
// a PE32/PE32+ or NE executable, or an icon file taken as a single icon. Files are
// recognised by their bytes, never by their names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/byte_source.h"
#include "platform/ico_file.h"
#include "platform/icon.h"

namespace pellimar {

enum class IconContainer { None, IcoFile, Pe, Ne };

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupIcon = 14;

// An index of the icon groups of a file's bytes. Building it reads only headers and
// resource directories; groups and images are read when they are asked for.
class IconResources {
  public:
    // Over bytes in memory, which must outlive the index.
    explicit IconResources(std::span<const std::uint8_t> bytes)
        : IconResources(ByteSource(bytes)) {}
    explicit IconResources(ByteSource source);

    IconContainer container() const { return container_; }
    // The number of icons (icon groups) in the file; 0 when it is not an icon
    // container or holds no group.
    int iconCount() const;
    // The directory entries of icon `index`, at most kMaxImagesPerIcon of them;
    // empty when there is no such icon or its group data cannot be read.
    std::vector<IconDirEntry> images(int index) const;
    // The number of images the group of icon `index` states (it may exceed what
    // images() gives); 0 when there is no such icon or it cannot be read.
    int statedImageCount(int index) const;
    // A copy of the stored image data an entry of images() refers to.
    std::optional<std::vector<std::uint8_t>> imageData(const IconDirEntry& entry) const;
    // Where that data lies in the file, without reading it: its offset and length.
    struct ImageExtent {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    std::optional<ImageExtent> imageExtent(const IconDirEntry& entry) const;
    // The first `count` bytes of that data (fewer when it is shorter).
    std::optional<std::vector<std::uint8_t>> imageStart(const IconDirEntry& entry,
                                                        std::uint64_t count) const;
    // Icon `index` at size x size: the best image of its group, decoded and resampled.
    Icon icon(int index, int size) const;

  private:
    // Where a resource lies in the file.
    struct Range {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    void readPe(std::uint64_t peOffset);
    void readNe(std::uint64_t neOffset);
    // The group directory of icon `index` (header and at most kMaxImagesPerIcon entries).
    std::optional<std::vector<std::uint8_t>> groupData(int index) const;

    ByteSource source_;
    IconContainer container_ = IconContainer::None;
    // NE files: where the group data of each icon lies (nothing when it cannot be read).
    std::vector<std::optional<Range>> groups_;
    // NE files: images by RT_ICON id, in the order the file stores them.
    std::vector<std::pair<std::uint16_t, Range>> icons_;
    // Icon files: the image count the header states.
    int icoCount_ = 0;
    // PE files: where the group and image directories lie. A group or an image is
    // looked up only when it is asked for, so a load costs little however many
    // resources the file holds.
    struct PeDirectories;
    std::shared_ptr<const PeDirectories> pe_;
    // The (id, entry) pairs of the PE's icon images, read once when first needed:
    // looking an image up reads no more of the file.
    mutable std::optional<std::vector<std::uint8_t>> peIconList_;
};

// A file opened for reading its icons: it is read piecewise as the icons are asked
// for, never mapped, so a file changed meanwhile gives no icon rather than a fault.
class IconFile {
  public:
    static std::unique_ptr<IconFile> open(const std::filesystem::path& file);
    const IconResources& resources() const { return resources_; }

  private:
    explicit IconFile(ByteSource source) : resources_(std::move(source)) {}
    IconResources resources_;
};

}  // namespace pellimar
