// The one model of the icons in a file: a PE32/PE32+ or NE program or library,
// or an icon or cursor file, read once into its icon groups and cursor groups.
// Each group carries its identity (kind, resource name or number, language, its
// position as the program counts icons) and its images: what the directory
// states of each, where its bytes lie, and the bytes themselves once loaded.
// Files are recognised by their bytes, never by their names.
//
// Opening reads the headers and directories only. Image bytes are loaded when
// they are asked for, each distinct range of the file once however many images
// name it, and ranges that lie close together in one read; the groups then hand
// out views of those bytes, which any copy of a group keeps alive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/ico_file.h"
#include "platform/icon.h"

namespace pellimar {

enum class IconContainer { IconFile, CursorFile, Pe, Ne, AnimatedCursorFile };
enum class ResourceKind { Icon, Cursor };

inline constexpr std::uint16_t kRtCursor = 1;
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupCursor = 12;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;
inline constexpr std::uint16_t kRtAnimatedCursor = 21;
inline constexpr std::uint16_t kRtAnimatedIcon = 22;

// An animated cursor or icon: platform/animation.h.
struct Animation;

// What a reading takes in beside the icon and cursor groups.
struct ReadScope {
    // Animated cursors and icons: .ani files, and resources of types 21 and 22
    // of programs and libraries (animations()). Without it an .ani file is not
    // read (NotIconContainer) and those resources are passed over.
    bool animations = false;
};

// Where a resource's bytes lie in its file.
struct ResourceSpan {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// A resource's name: a number or a text.
struct ResourceName {
    bool numeric = true;
    std::uint32_t id = 0;  // when numeric
    std::string text;      // otherwise, as UTF-8
    // "5" or "MAINICON".
    std::string display() const { return numeric ? std::to_string(id) : text; }
    bool operator==(const ResourceName&) const = default;
};

struct GroupIdentity {
    ResourceKind kind = ResourceKind::Icon;
    // Icons: the index the program counts icons by, from 0 (an icon file is icon
    // 0); cursors are counted apart in the same way.
    int position = 0;
    std::optional<ResourceName> name;       // of a group in a program or library
    std::optional<std::uint16_t> language;  // of a group in a PE file
};

// One image of a group.
struct StoredImage {
    // As the group's directory states it (width and height 0 meaning 256). The
    // entries of cursor groups are brought to the icon layout: colour count 0,
    // one plane, the bit count they state (icon and cursor files: 0).
    IconDirEntry entry;
    // Bits per pixel: the entry's bit count, or, when that is 0, what the image's
    // own header says (files of other writers leave the entry's field 0).
    int depth = 0;
    // Whether the entry is one of a program's or library's group directory: the
    // desktop then chooses by the bit count the entry states (0 counting as 0),
    // where for an icon or cursor file it reads the image's own header.
    bool inResourceGroup = false;
    std::uint16_t hotspotX = 0, hotspotY = 0;  // cursors
    // Where the stored image (a DIB or a PNG) lies in the file; for a cursor of a
    // program, after the hotspot that leads its resource.
    std::uint64_t offset = 0, length = 0;
    // The stored bytes, once loaded; `storage` keeps them alive.
    std::span<const std::uint8_t> data;
    std::shared_ptr<const std::vector<std::uint8_t>> storage;
    // Why the image has no bytes: not in the file, cut off, a cap.
    std::optional<Failure> failure;

    int width() const { return entry.pixelWidth(); }
    int height() const { return entry.pixelHeight(); }
    bool loaded() const { return storage != nullptr; }
};

struct IconGroup {
    GroupIdentity identity;
    int statedCount = 0;              // images the directory states (may exceed images.size())
    std::vector<StoredImage> images;  // at most kMaxImagesPerIcon, in the directory's order
    // Why the group's directory cannot be read; it then has no images.
    std::optional<Failure> failure;

    // Whether the file's images cap was reached before this group: the reading
    // of the file stopped there, and this group and those after it are left out.
    // Every other failure leaves out this group alone.
    bool pastImagesCap() const { return failure && failure->cap == Cap::ImagesPerFile; }
};

class IconSet {
  public:
    // Opens and reads a file's directories; why not when it cannot be opened or
    // is none of the four kinds.
    static Result<IconSet> open(const std::filesystem::path& file, ReadScope scope = {});
    // The same over a source already opened (bytes in memory must outlive the set).
    static Result<IconSet> read(ByteSource source, ReadScope scope = {});

    IconSet(IconSet&&) noexcept;
    IconSet& operator=(IconSet&&) noexcept;
    ~IconSet();

    IconContainer container() const { return container_; }
    const std::vector<IconGroup>& icons() const { return icons_; }
    const std::vector<IconGroup>& cursors() const { return cursors_; }
    const std::vector<IconGroup>& groups(ResourceKind kind) const {
        return kind == ResourceKind::Icon ? icons_ : cursors_;
    }
    int iconCount() const { return int(icons_.size()); }
    // A PE file may store a group in several languages. icons() and cursors()
    // hold each group in its first language, as the program counts and shows
    // them; the further languages are here, in the file's order, each with the
    // position of the group it is a language of (so they never move a position).
    // They are read after every first language, so caps reach them first.
    const std::vector<IconGroup>& otherLanguages(ResourceKind kind) const {
        return kind == ResourceKind::Icon ? iconLanguages_ : cursorLanguages_;
    }
    // Loads every image of further language `index` of that kind; returns it.
    const IconGroup& loadOtherLanguage(ResourceKind kind, int index);
    // The size of the file read, in bytes.
    std::uint64_t fileSize() const { return source_.size(); }
    // What was left out while reading, with why: directories cut off, caps
    // (platform/caps.h) reached. A cap that leaves out an image or a group is
    // told in its `failure` instead.
    const std::vector<Failure>& notes() const { return notes_; }

    // Loads the bytes of image `image` of group `index` (every image of it when
    // `image` is below 0); images that cannot be had carry why in `failure`.
    // Returns the group.
    const IconGroup& load(ResourceKind kind, int index, int image = -1);
    // Loads every image of every group of that kind.
    void loadAll(ResourceKind kind = ResourceKind::Icon);

    // Whether an image is stored as PNG, from its first eight bytes (read alone
    // when it is not loaded); nothing when they cannot be read.
    std::optional<bool> isPng(const StoredImage& image) const;
    // The same for every image of group `index`, in its order. Images that lie
    // close together are looked at through one read of the span they cover.
    std::vector<std::optional<bool>> pngImages(ResourceKind kind, int index) const;

    // The animated cursors and icons (read when the ReadScope asks for them): of
    // an .ani file, its one animated cursor; of a program or library, its
    // resources of type 21 (animated cursors), then of type 22 (animated icons),
    // each in its first language, each kind counted apart from 0 in the file's
    // order. They never move the positions of icons() and cursors(), and are
    // read after them, so caps reach them last.
    const std::vector<Animation>& animations() const { return animations_; }
    // Loads every image of every frame of animation `index`; returns it.
    const Animation& loadAnimation(int index);
    // The bytes of [offset, offset + length) of the file, read now: an
    // animation's form or a frame's file, as it is stored. Why not when they are
    // not all there, or more than `cap`.
    Result<std::vector<std::uint8_t>> storedBytes(std::uint64_t offset, std::uint64_t length,
                                                  std::uint64_t cap = kMaxAnimationBytes) const;

    // Where the version resource of a program or library lies (its first entry,
    // in its first language), or why it cannot be had; nothing when it has none.
    // platform/version_info.h reads it.
    const std::optional<Result<ResourceSpan>>& versionResource() const { return version_; }
    // The bytes of `span` in one read, or why not (at most `cap` of them).
    Result<std::vector<std::uint8_t>> readSpan(const ResourceSpan& span, std::uint64_t cap) const {
        return source_.fetch(span.offset, span.length, cap);
    }

    // Bytes of image data read so far.
    std::uint64_t imageBytesRead() const { return bytesRead_; }
    // Bytes of image data held now: read and not let go.
    std::uint64_t imageBytesHeld() const { return held_; }
    // Lets go of the bytes of every image loaded so far; they are read again when
    // next loaded. For a long run over one file that needs to hold only the group
    // it is working on. References to groups stay valid.
    void releaseImages();

  private:
    explicit IconSet(ByteSource source);
    struct Reader;
    void loadImages(std::vector<StoredImage*>& images);

    ByteSource source_;
    IconContainer container_ = IconContainer::IconFile;
    std::vector<IconGroup> icons_, cursors_;
    std::vector<IconGroup> iconLanguages_, cursorLanguages_;
    std::vector<Animation> animations_;
    std::vector<Failure> notes_;
    std::optional<Result<ResourceSpan>> version_;
    // The ranges read so far, by where they start.
    std::map<std::uint64_t, std::shared_ptr<const std::vector<std::uint8_t>>> ranges_;
    std::uint64_t held_ = 0;
    std::uint64_t bytesRead_ = 0;
};

}  // namespace pellimar
