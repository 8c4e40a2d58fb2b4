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

#include "platform/ico_file.h"
#include "platform/icon.h"
#include "platform/mapped_file.h"

namespace pellimar {

enum class IconContainer { None, IcoFile, Pe, Ne };

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupIcon = 14;

// An index of the icon groups of a file's bytes. It keeps views into the bytes,
// which must outlive it. Building it reads only headers and resource directories.
class IconResources {
  public:
    explicit IconResources(std::span<const std::uint8_t> bytes);

    IconContainer container() const { return container_; }
    // The number of icons (icon groups) in the file; 0 when it is not an icon
    // container or holds no group.
    int iconCount() const;
    // The directory entries of icon `index`; empty when there is no such icon or its
    // group data cannot be read.
    std::vector<IconDirEntry> images(int index) const;
    // The stored image data an entry of images() refers to.
    std::optional<std::span<const std::uint8_t>> imageData(const IconDirEntry& entry) const;
    // Icon `index` at size x size: the best image of its group, decoded and resampled.
    Icon icon(int index, int size) const;

  private:
    void readPe(std::uint64_t peOffset);
    void readNe(std::uint64_t neOffset);
    std::span<const std::uint8_t> groupData(int index) const;

    std::span<const std::uint8_t> bytes_;
    IconContainer container_ = IconContainer::None;
    // NE and icon files: group data of each icon (empty when that group cannot be read).
    std::vector<std::span<const std::uint8_t>> groups_;
    // NE files: images by RT_ICON id, in the order the file stores them.
    std::vector<std::pair<std::uint16_t, std::span<const std::uint8_t>>> icons_;
    // PE files: where the group and image directories lie. A group or an image is
    // looked up only when it is asked for, so a load costs little however many
    // resources the file holds.
    struct PeDirectories;
    std::shared_ptr<const PeDirectories> pe_;
};

// A file opened for reading its icons (mapped, not read whole).
class IconFile {
  public:
    static std::unique_ptr<IconFile> open(const std::filesystem::path& file);
    const IconResources& resources() const { return resources_; }

  private:
    explicit IconFile(MappedFile file) : file_(std::move(file)), resources_(file_.bytes()) {}
    MappedFile file_;
    IconResources resources_;
};

}  // namespace pellimar
