#include "platform/icon_set.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "platform/animation.h"
#include "platform/animation_reader.h"
#include "platform/byte_reader.h"
#include "platform/caps.h"
#include "platform/icon_decode.h"
#include "platform/png_codec.h"
#include "platform/utf8_text.h"

namespace pellimar {

namespace {

constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::uint64_t kGroupBytesRead = kGroupHeaderSize + kMaxImagesPerIcon * kGroupEntrySize;
// The loader maps at most this many sections of an image; every address lookup
// walks the table, so a longer one would multiply the work of each resource by it.
constexpr std::uint64_t kMaxSections = 96;
// Image ranges this close are read as one; larger gaps are not worth reading.
constexpr std::uint64_t kJoinGap = 64;
// One read joins images up to this many bytes (a single image may be larger).
constexpr std::uint64_t kMaxJoinedRead = 16ull << 20;

// How a message names an image resource a group refers to by its number.
std::string resourceNamed(std::uint64_t id) {
    return "image resource " + std::to_string(id);
}

// Maps relative virtual addresses of a PE image to file offsets through its sections.
struct SectionMap {
    struct Section {
        std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
    };
    std::vector<Section> sections;

    // Nothing when no section holds the whole range.
    std::optional<std::uint64_t> toOffset(std::uint32_t rva, std::uint64_t length) const {
        for (const Section& s : sections) {
            const std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
            const std::uint64_t delta = rva - s.virtualAddress;
            if (delta + length > s.rawSize) return std::nullopt;
            return std::uint64_t(s.rawOffset) + delta;
        }
        return std::nullopt;
    }
};

// Where a resource's data lies, and the language it was found under.
struct Located {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::optional<std::uint16_t> language;
};

// The images of one kind in a program or library, by resource number: where
// each lies, or why it cannot be had. An image stored in several languages is
// taken in its group's language; otherwise the first usable entry of a number wins.
// Both lookups are by key: a file of many languages of one number costs no walk.
class ImageIndex {
  public:
    void add(std::uint32_t id, Result<Located> where) {
        auto [it, fresh] = slots_.try_emplace(id, where);
        if (fresh) return;
        if (!it->second.ok() && where.ok())
            it->second = where;
        else if (where.ok())
            others_.try_emplace(languageKey(id, where->language), *where);
    }
    Result<Located> find(std::uint16_t id, std::optional<std::uint16_t> language) const {
        const auto it = slots_.find(id);
        if (it == slots_.end()) return failure(Fault::MissingImage, resourceNamed(id));
        if (language && it->second.ok() && it->second->language != language) {
            const auto other = others_.find(languageKey(id, language));
            if (other != others_.end()) return other->second;
        }
        return it->second;
    }
    void reserve(std::size_t n) { slots_.reserve(n); }

  private:
    static std::uint64_t languageKey(std::uint32_t id, std::optional<std::uint16_t> language) {
        return (std::uint64_t(id) << 17) | (language ? 0x10000u | *language : 0u);
    }
    std::unordered_map<std::uint32_t, Result<Located>> slots_;
    // Further languages of a number, by number and language (the first entry of
    // each pair): most files store each image once.
    std::unordered_map<std::uint64_t, Located> others_;
};

// The entries of a group directory (RT_GROUP_ICON or RT_GROUP_CURSOR data).
struct ParsedGroup {
    int stated = 0;
    std::vector<IconDirEntry> entries;
};

ParsedGroup parseGroupDirectory(std::span<const std::uint8_t> g, ResourceKind kind) {
    ParsedGroup out;
    out.stated = loadU16(g.data() + 4);
    const std::uint64_t usable = std::min<std::uint64_t>(
        std::min<std::uint64_t>(std::uint64_t(out.stated), kMaxImagesPerIcon),
        (g.size() - kGroupHeaderSize) / kGroupEntrySize);
    out.entries.reserve(std::size_t(usable));
    for (std::uint64_t i = 0; i < usable; ++i) {
        const std::uint8_t* p = g.data() + kGroupHeaderSize + i * kGroupEntrySize;
        IconDirEntry e;
        if (kind == ResourceKind::Icon) {
            e = parseCommonEntryFields(p);
        } else {
            // Width and height are words, the height that of the image and its mask.
            const std::uint16_t w = loadU16(p), h = loadU16(p + 2);
            e.width = std::uint8_t(w >= 256 ? 0 : w);
            e.height = std::uint8_t(h / 2 >= 256 ? 0 : h / 2);
            e.planes = loadU16(p + 4);
            e.bitCount = loadU16(p + 6);
            e.bytesInRes = loadU32(p + 8);
        }
        e.resourceId = loadU16(p + 12);
        out.entries.push_back(e);
    }
    return out;
}

}  // namespace

// ------------------------------------------------------------------ reading

struct IconSet::Reader {
    IconSet& set;
    const ByteSource& r;
    int imagesHeld = 0;
    bool capNoted = false;
    bool nameCutNoted = false;
    std::size_t nameUnitsLeft = kMaxNameUnitsPerFile;
    bool nameCapNoted = false;
    std::size_t variantsLeft = kMaxLanguageVariants;
    bool variantCapNoted = false;
    bool groupCapNoted = false;
    ReadScope scope{};
    AnimationBudget animationBudget{};
    int animatedIconCount = 0, animatedCursorCount = 0;

    void note(Failure f) { set.notes_.push_back(std::move(f)); }

    // Reads the animation found at `data` (an .ani file's bytes, or a resource's)
    // into the set's animations, positioned after those of its kind so far.
    void addAnimation(ResourceKind kind, std::optional<ResourceName> name,
                      const Result<Located>& data, bool trimToForm) {
        Animation animation;
        animation.identity.kind = kind;
        animation.identity.position =
            kind == ResourceKind::Cursor ? animatedCursorCount++ : animatedIconCount++;
        animation.identity.name = std::move(name);
        if (!data) {
            animation.failure = data.failure();
        } else {
            animation.identity.language = data->language;
            animationBudget.imagesLeft = kMaxImagesPerFile - imagesHeld;
            animationBudget.imagesNoted = animationBudget.imagesNoted || capNoted;
            readAnimation(r, FileRange{data->offset, data->length}, trimToForm, animation,
                          animationBudget, set.notes_);
            imagesHeld = kMaxImagesPerFile - animationBudget.imagesLeft;
        }
        set.animations_.push_back(std::move(animation));
    }

    // A group that states more images than are read of one: noted for the first
    // such group of a file (a file may have thousands).
    void noteGroupCap(const IconGroup& group) {
        if (group.statedCount <= kMaxImagesPerIcon || groupCapNoted) return;
        groupCapNoted = true;
        const char* word = group.identity.kind == ResourceKind::Icon ? "icon " : "cursor ";
        note(capReached(Cap::ImagesPerGroup,
                        std::to_string(kMaxImagesPerIcon) + " images of one group (it states " +
                            std::to_string(group.statedCount) + "; the rest are left out)")
                 .within(word + std::to_string(group.identity.position)));
    }

    // The depth of an image whose entry leaves the bit count 0: what its own
    // header (`head`, its first bytes) says, else what the colour count needs.
    static int depthOf(const StoredImage& image, std::span<const std::uint8_t> head) {
        if (image.entry.bitCount != 0) return image.entry.bitCount;
        if (auto depth = storedImageDepth(head)) return *depth;
        return image.entry.statedBitCount();
    }

    // The first bytes of an image (of a cursor resource: its hotspot and then
    // those), read only when something is to be learnt from them; empty when
    // they are not needed or cannot be read.
    std::span<const std::uint8_t> headOf(const StoredImage& image, ResourceKind kind,
                                         std::array<std::uint8_t, 40>& buffer) const {
        if (kind == ResourceKind::Icon && image.entry.bitCount != 0 &&
            set.container_ != IconContainer::Ne)
            return {};
        const std::size_t length =
            std::size_t(std::min<std::uint64_t>(buffer.size(), image.length));
        if (length == 0 || !r.peekAlone(image.offset, length, buffer.data())) return {};
        return std::span<const std::uint8_t>(buffer.data(), length);
    }

    // Reads the directory of a group found at `data` and places its images
    // through `index`: into `group`, or the group's failure.
    void fillGroup(IconGroup& group, const Result<Located>& data, const ImageIndex* index,
                   ResourceKind kind) {
        if (!data) {
            group.failure = data.failure();
            return;
        }
        if (data->length < kGroupHeaderSize) {
            group.failure = failure(Fault::CutOff, "group directory", data->offset);
            return;
        }
        if (imagesHeld >= kMaxImagesPerFile) {
            group.failure = capFailure();
            return;
        }
        // Group directories lie together in the resource section: read through
        // the small-read blocks, many of them come from one read.
        const std::uint64_t length = std::min(data->length, kGroupBytesRead);
        Result<std::vector<std::uint8_t>> bytes = std::vector<std::uint8_t>(std::size_t(length));
        if (!r.peek(data->offset, std::size_t(length), bytes->data()))
            bytes = r.fetch(data->offset, length, kGroupBytesRead);
        if (!bytes) {
            group.failure = bytes.failure().within("group directory");
            return;
        }
        ParsedGroup parsed = parseGroupDirectory(*bytes, kind);
        group.statedCount = parsed.stated;
        if (imagesHeld + int(parsed.entries.size()) > kMaxImagesPerFile) {
            group.failure = capFailure();
            imagesHeld = kMaxImagesPerFile;
            return;
        }
        imagesHeld += int(parsed.entries.size());
        noteGroupCap(group);
        group.images.reserve(parsed.entries.size());
        for (const IconDirEntry& e : parsed.entries) {
            StoredImage image;
            image.entry = e;
            image.inResourceGroup = true;
            Result<Located> where = index
                                        ? index->find(e.resourceId, group.identity.language)
                                        : failure(Fault::MissingImage, resourceNamed(e.resourceId));
            std::array<std::uint8_t, 40> buffer;
            std::span<const std::uint8_t> head;
            if (where) {
                image.offset = where->offset;
                image.length = where->length;
                head = headOf(image, kind, buffer);
                if (kind == ResourceKind::Cursor) takeHotspot(image, head);
                if (!image.failure && set.container_ == IconContainer::Ne)
                    image.length = unpaddedLength(image, head, kind);
                if (!image.failure && image.length == 0)
                    image.failure = failure(Fault::BadValue, "image size 0", image.offset);
            } else {
                image.failure = where.failure();
            }
            image.depth = image.failure ? e.statedBitCount() : depthOf(image, head);
            if (kind == ResourceKind::Cursor) {
                image.entry.colorCount = 0;
                image.entry.reserved = 0;
                if (!image.failure) sizeFromHeader(image, head);
            }
            group.images.push_back(std::move(image));
        }
    }

    // NE files pad each resource to their alignment: the image is what its own
    // header says it takes (a DIB), else what the group states (a PNG), when that
    // fits in the resource.
    static std::uint64_t unpaddedLength(const StoredImage& image,
                                        std::span<const std::uint8_t> head, ResourceKind kind) {
        std::optional<std::uint64_t> exact = storedDibSize(head);
        if (!exact && looksLikePng(head)) {
            // A cursor's resource, which the group's entry sizes, leads with its hotspot.
            const std::uint64_t hotspot = kind == ResourceKind::Cursor ? 4 : 0;
            if (image.entry.bytesInRes > hotspot) exact = image.entry.bytesInRes - hotspot;
        }
        return exact && *exact > 0 && *exact <= image.length ? *exact : image.length;
    }

    // Cursor groups state an image's height doubled (image and mask, as its
    // header does) or not, as the tool that wrote them chose: the image's own
    // header says which size it is, when it can be read.
    void sizeFromHeader(StoredImage& image, std::span<const std::uint8_t> head) const {
        if (head.size() < 32) return;
        std::int64_t width = 0, height = 0;
        if (looksLikePng(head)) {
            const auto header = readPngHeader(head, 256);
            if (!header) return;
            width = header->width, height = header->height;
        } else {
            if (loadU32(head.data()) < 40) return;
            width = std::int32_t(loadU32(head.data() + 4));
            height = std::int32_t(loadU32(head.data() + 8));
            height = (height < 0 ? -height : height) / 2;
        }
        if (width < 1 || width > 256 || height < 1 || height > 256) return;
        image.entry.width = std::uint8_t(width == 256 ? 0 : width);
        image.entry.height = std::uint8_t(height == 256 ? 0 : height);
    }

    // A cursor resource leads with its hotspot, two words; the image follows.
    // `head` is the resource's first bytes; it is left holding the image's.
    void takeHotspot(StoredImage& image, std::span<const std::uint8_t>& head) const {
        if (image.length < 4 || head.size() < 4) {
            image.failure = failure(Fault::CutOff, "cursor hotspot", image.offset);
            return;
        }
        image.hotspotX = loadU16(head.data());
        image.hotspotY = loadU16(head.data() + 2);
        image.offset += 4;
        image.length -= 4;
        head = head.subspan(4);
    }

    // Every group of a file may be named: the names one file makes us hold are
    // bounded. Takes `kept` characters of what is left (fewer when less is left);
    // false, with a note the first time, when nothing is.
    bool takeNameUnits(std::size_t& kept) {
        if (kept > nameUnitsLeft) {
            kept = nameUnitsLeft;
            if (!nameCapNoted) {
                nameCapNoted = true;
                note(capReached(Cap::NameCharacters, std::to_string(kMaxNameUnitsPerFile) +
                                                         " characters of resource names of one "
                                                         "file; the groups after are not named"));
            }
            if (kept == 0) return false;
        }
        nameUnitsLeft -= kept;
        return true;
    }

    Failure capFailure() {
        Failure f = capReached(Cap::ImagesPerFile, std::to_string(kMaxImagesPerFile) +
                                                       " images read of one file's groups");
        if (!capNoted) {
            capNoted = true;
            note(f);
        }
        return f;
    }

    // ---- icon and cursor files

    std::optional<Failure> readIconFile() {
        const auto type = r.u16(2);
        const auto count = r.u16(4);
        if (!type || !count) return failure(Fault::CutOff, "icon file header", 0);
        const ResourceKind kind = *type == 2 ? ResourceKind::Cursor : ResourceKind::Icon;
        set.container_ =
            kind == ResourceKind::Icon ? IconContainer::IconFile : IconContainer::CursorFile;
        if (*count == 0) {
            note(failure(Fault::NoImage, "the file's directory states no image"));
            return std::nullopt;
        }
        const std::uint64_t entries = std::min<std::uint64_t>(*count, kMaxImagesPerIcon);
        auto directory =
            r.fetch(kIcoHeaderSize, entries * kIcoEntrySize, kIcoEntrySize * kMaxImagesPerIcon);
        if (!directory)
            return directory.failure().within(kind == ResourceKind::Icon ? "icon directory"
                                                                         : "cursor directory");
        IconGroup group;
        group.identity.kind = kind;
        group.statedCount = *count;
        noteGroupCap(group);
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint8_t* p = directory->data() + i * kIcoEntrySize;
            StoredImage image;
            image.entry = parseCommonEntryFields(p);
            image.entry.imageOffset = loadU32(p + 12);
            if (kind == ResourceKind::Cursor) {
                image.hotspotX = image.entry.planes;
                image.hotspotY = image.entry.bitCount;
                image.entry.planes = 1;
                image.entry.bitCount = 0;
            }
            image.offset = image.entry.imageOffset;
            image.length = image.entry.bytesInRes;
            if (image.length == 0)
                image.failure =
                    failure(Fault::BadValue, "image size 0", kIcoHeaderSize + i * kIcoEntrySize);
            else if (image.length > kMaxImageBytes)
                image.failure = capReached(
                    Cap::ResourceBytes, std::to_string(kMaxImageBytes >> 20) + " MB of one image");
            else if (!r.has(image.offset, image.length))
                image.failure = failure(Fault::CutOff, "image data", image.offset);
            std::array<std::uint8_t, 40> buffer;
            image.depth = image.failure ? image.entry.statedBitCount()
                                        : depthOf(image, headOf(image, kind, buffer));
            group.images.push_back(std::move(image));
        }
        (kind == ResourceKind::Icon ? set.icons_ : set.cursors_).push_back(std::move(group));
        return std::nullopt;
    }

    // ---- PE files

    struct DirEntry {
        std::uint32_t name;    // high bit: a string name
        std::uint32_t target;  // high bit: a sub-directory
        bool isDirectory() const { return (target & 0x80000000u) != 0; }
        bool isNamed() const { return (name & 0x80000000u) != 0; }
        std::uint32_t targetOffset() const { return target & 0x7FFFFFFFu; }
    };

    // The entries of the resource directory at `offset` from the root, named ones
    // first, as stored; those past the end of the file are left out, with a note.
    Result<std::vector<DirEntry>> directory(std::uint64_t root, std::uint32_t offset,
                                            const std::string& what) {
        const std::uint64_t at = root + offset;
        const auto named = r.u16(at + 12), numbered = r.u16(at + 14);
        if (!named || !numbered) return failure(Fault::CutOff, what, at);
        std::uint64_t count = std::uint64_t(*named) + *numbered;
        const std::uint64_t room = r.has(at + 16, 0) ? (r.size() - (at + 16)) / 8 : 0;
        if (room < count) {
            note(failure(Fault::CutOff, what, at + 16 + room * 8));
            count = room;
        }
        auto raw = r.fetch(at + 16, count * 8, count * 8);
        if (!raw) return raw.failure().within(what);
        std::vector<DirEntry> entries;
        entries.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            entries.push_back({loadU32(raw->data() + i * 8), loadU32(raw->data() + i * 8 + 4)});
        return entries;
    }

    // Where the data an entry of a type's directory leads to lies: a data entry
    // directly, or through the first entry of the language directory below it.
    Result<Located> dataOf(const SectionMap& map, std::uint64_t root, const DirEntry& entry) {
        Located out;
        std::uint32_t target = entry.targetOffset();
        if (entry.isDirectory()) {
            const std::uint64_t at = root + target;
            const auto named = r.u16(at + 12), numbered = r.u16(at + 14);
            const auto language = r.u32(at + 16), first = r.u32(at + 20);
            if (!named || !numbered) return failure(Fault::CutOff, "language directory", at);
            if (*named + *numbered == 0)
                return failure(Fault::BadValue, "empty language directory", at);
            if (!language || !first) return failure(Fault::CutOff, "language directory", at + 16);
            if (*first & 0x80000000u) return failure(Fault::BadValue, "language entry", at + 16);
            if (!(*language & 0x80000000u)) out.language = std::uint16_t(*language);
            target = *first;
        }
        const auto rva = r.u32(root + target), size = r.u32(root + target + 4);
        if (!rva || !size) return failure(Fault::CutOff, "resource data entry", root + target);
        if (*size > kMaxImageBytes)
            return capReached(Cap::ResourceBytes,
                              std::to_string(kMaxImageBytes >> 20) + " MB of one resource");
        const auto offset = map.toOffset(*rva, *size);
        if (!offset) return failure(Fault::BadValue, "resource address", root + target);
        if (!r.has(*offset, *size)) return failure(Fault::CutOff, "resource data", *offset);
        out.offset = *offset;
        out.length = *size;
        return out;
    }

    std::optional<ResourceName> nameOf(std::uint64_t root, const DirEntry& entry) {
        if (!entry.isNamed()) return ResourceName{true, entry.name, {}};
        const std::uint64_t at = root + (entry.name & 0x7FFFFFFFu);
        const auto length = r.u16(at);
        if (!length) return std::nullopt;
        std::size_t kept = std::min<std::size_t>(*length, kMaxResourceNameLength);
        if (kept < *length && !nameCutNoted) {
            nameCutNoted = true;
            note(capReached(Cap::NameLength, "resource names are cut to " +
                                                 std::to_string(kMaxResourceNameLength) +
                                                 " characters"));
        }
        if (!takeNameUnits(kept)) return std::nullopt;
        std::vector<std::uint8_t> raw(kept * 2);
        if (!raw.empty() && !r.peek(at + 2, raw.size(), raw.data())) return std::nullopt;
        std::vector<std::uint16_t> units(kept);
        for (std::size_t i = 0; i < kept; ++i) units[i] = loadU16(raw.data() + 2 * i);
        return ResourceName{false, 0, utf8From16(units)};
    }

    void readPe(std::uint64_t pe) {
        set.container_ = IconContainer::Pe;
        const auto sectionCount = r.u16(pe + 6);
        const auto optionalSize = r.u16(pe + 20);
        const std::uint64_t opt = pe + 24;
        const auto magic = r.u16(opt);
        if (!sectionCount || !optionalSize || !magic) {
            note(failure(Fault::CutOff, "PE header", pe));
            return;
        }
        std::uint64_t dirCountAt, dirsAt;
        if (*magic == 0x10B) {
            dirCountAt = opt + 92, dirsAt = opt + 96;
        } else if (*magic == 0x20B) {
            dirCountAt = opt + 108, dirsAt = opt + 112;
        } else {
            note(failure(Fault::BadValue, "PE optional header kind", opt));
            return;
        }
        const auto dirCount = r.u32(dirCountAt);
        if (!dirCount || *dirCount < 3 || dirsAt + 3 * 8 > opt + *optionalSize)
            return;  // no resources
        const auto resourceRva = r.u32(dirsAt + 2 * 8);
        if (!resourceRva || *resourceRva == 0) return;

        SectionMap map;
        const std::uint64_t sectionsAt = opt + *optionalSize;
        for (std::uint64_t i = 0; i < std::min<std::uint64_t>(*sectionCount, kMaxSections); ++i) {
            std::uint8_t s[40];
            if (!r.peek(sectionsAt + i * 40, 40, s)) {
                note(failure(Fault::CutOff, "section table", sectionsAt + i * 40));
                break;
            }
            map.sections.push_back(
                {loadU32(s + 12), loadU32(s + 8), loadU32(s + 16), loadU32(s + 20)});
        }
        const auto root = map.toOffset(*resourceRva, 16);
        if (!root) {
            note(failure(Fault::BadValue, "resource directory address"));
            return;
        }
        auto types = directory(*root, 0, "resource directory");
        if (!types) {
            note(types.failure());
            return;
        }
        auto typeDir = [&](std::uint16_t type) -> std::optional<std::uint32_t> {
            for (const DirEntry& e : *types)
                if (!e.isNamed() && e.name == type && e.isDirectory()) return e.targetOffset();
            return std::nullopt;
        };
        auto indexOf = [&](std::uint16_t type, const char* what) {
            ImageIndex index;
            const auto dir = typeDir(type);
            if (!dir) return index;
            auto entries = directory(*root, *dir, what);
            if (!entries) {
                note(entries.failure());
                return index;
            }
            index.reserve(entries->size());
            for (const DirEntry& e : *entries) {
                if (e.isNamed()) continue;
                index.add(e.name, dataOf(map, *root, e));
                if (e.isDirectory())
                    for (auto& [language, where] : furtherLanguages(map, *root, e))
                        index.add(e.name, std::move(where));
            }
            return index;
        };
        auto groupsOf = [&](std::uint16_t type, const char* what, ResourceKind kind,
                            const ImageIndex& index) {
            const auto dir = typeDir(type);
            if (!dir) return;
            auto entries = directory(*root, *dir, what);
            if (!entries) {
                note(entries.failure());
                return;
            }
            std::vector<IconGroup>& out = kind == ResourceKind::Icon ? set.icons_ : set.cursors_;
            out.reserve(entries->size());
            std::vector<std::pair<IconGroup, Result<Located>>> later;
            for (const DirEntry& e : *entries) {
                IconGroup group;
                group.identity.kind = kind;
                group.identity.position = int(out.size());
                group.identity.name = nameOf(*root, e);
                const Result<Located> data = dataOf(map, *root, e);
                if (data) group.identity.language = data->language;
                if (e.isDirectory())
                    for (auto& [language, where] : furtherLanguages(map, *root, e)) {
                        IconGroup variant;
                        variant.identity = group.identity;
                        variant.identity.language = language;
                        later.emplace_back(std::move(variant), std::move(where));
                    }
                fillGroup(group, data, &index, kind);
                out.push_back(std::move(group));
            }
            // The further languages come after every first one: a cap they reach
            // leaves the groups as the program counts them whole.
            std::vector<IconGroup>& variants =
                kind == ResourceKind::Icon ? set.iconLanguages_ : set.cursorLanguages_;
            variants.reserve(later.size());
            for (auto& [variant, where] : later) {
                fillGroup(variant, where, &index, kind);
                variants.push_back(std::move(variant));
            }
        };
        // The images are indexed only for a kind that has groups to name them.
        if (typeDir(kRtGroupIcon)) {
            const ImageIndex icons = indexOf(kRtIcon, "icon image directory");
            groupsOf(kRtGroupIcon, "icon group directory", ResourceKind::Icon, icons);
        }
        if (typeDir(kRtGroupCursor)) {
            const ImageIndex cursors = indexOf(kRtCursor, "cursor image directory");
            groupsOf(kRtGroupCursor, "cursor group directory", ResourceKind::Cursor, cursors);
        }
        if (scope.animations) {
            animationsOf(map, *root, typeDir(kRtAnimatedCursor), ResourceKind::Cursor);
            animationsOf(map, *root, typeDir(kRtAnimatedIcon), ResourceKind::Icon);
        }
        if (const auto dir = typeDir(kRtVersion)) {
            auto entries = directory(*root, *dir, "version directory");
            if (!entries)
                set.version_ = entries.failure();
            else if (!entries->empty())
                set.version_ = spanOf(dataOf(map, *root, entries->front()));
        }
    }

    static Result<ResourceSpan> spanOf(const Result<Located>& where) {
        if (!where) return where.failure();
        return ResourceSpan{where->offset, where->length};
    }

    // The animations of one kind in a PE file, each in its first language; the
    // further languages are told, not read.
    void animationsOf(const SectionMap& map, std::uint64_t root, std::optional<std::uint32_t> dir,
                      ResourceKind kind) {
        if (!dir) return;
        const char* what =
            kind == ResourceKind::Cursor ? "animated cursor directory" : "animated icon directory";
        auto entries = directory(root, *dir, what);
        if (!entries) {
            note(entries.failure());
            return;
        }
        for (const DirEntry& e : *entries) {
            addAnimation(kind, nameOf(root, e), dataOf(map, root, e), false);
            if (!e.isDirectory()) continue;
            const std::uint64_t at = root + e.targetOffset();
            const auto named = r.u16(at + 12), numbered = r.u16(at + 14);
            if (named && numbered && std::uint32_t(*named) + *numbered > 1)
                note(failure(Fault::NotChosen,
                             std::to_string(std::uint32_t(*named) + *numbered - 1) +
                                 " further languages of it are not read")
                         .within(set.animations_.back().label()));
        }
    }

    // The languages after the first under a group's entry, each with where its
    // data lies or why not. At most kMaxLanguageVariants of one file are read:
    // every name of a file may lead to the same long language directory.
    std::vector<std::pair<std::optional<std::uint16_t>, Result<Located>>> furtherLanguages(
        const SectionMap& map, std::uint64_t root, const DirEntry& entry) {
        std::vector<std::pair<std::optional<std::uint16_t>, Result<Located>>> out;
        const std::uint64_t at = root + entry.targetOffset();
        const auto named = r.u16(at + 12), numbered = r.u16(at + 14);
        if (!named || !numbered) return out;  // the first language says why
        const std::uint64_t count = std::uint64_t(*named) + *numbered;
        for (std::uint64_t i = 1; i < count; ++i) {
            if (variantsLeft == 0) {
                if (!variantCapNoted) {
                    variantCapNoted = true;
                    note(capReached(Cap::LanguageVariants,
                                    std::to_string(kMaxLanguageVariants) +
                                        " further languages of one file's resources; the rest "
                                        "are left out"));
                }
                break;
            }
            --variantsLeft;
            const auto language = r.u32(at + 16 + i * 8), target = r.u32(at + 20 + i * 8);
            if (!language || !target) {
                out.emplace_back(std::nullopt,
                                 failure(Fault::CutOff, "language directory", at + 16 + i * 8));
                break;
            }
            std::optional<std::uint16_t> id;
            if (!(*language & 0x80000000u)) id = std::uint16_t(*language);
            if (*target & 0x80000000u) {
                out.emplace_back(id, failure(Fault::BadValue, "language entry", at + 16 + i * 8));
                continue;
            }
            // A data entry as the first language's is read.
            DirEntry data{entry.name, *target};
            Result<Located> where = dataOf(map, root, data);
            if (where) where->language = id;
            out.emplace_back(id, std::move(where));
        }
        return out;
    }

    // ---- NE files

    void readNe(std::uint64_t ne) {
        set.container_ = IconContainer::Ne;
        const auto tableOffset = r.u16(ne + 0x24);
        const auto residentNames = r.u16(ne + 0x26);
        if (!tableOffset || !residentNames) {
            note(failure(Fault::CutOff, "NE header", ne));
            return;
        }
        if (*tableOffset == *residentNames) return;  // no resources
        const std::uint64_t table = ne + *tableOffset;
        std::uint64_t end = *residentNames > *tableOffset ? ne + *residentNames : r.size();
        end = std::min<std::uint64_t>(end, r.size());
        const auto shift = r.u16(table);
        if (!shift) {
            note(failure(Fault::CutOff, "resource table", table));
            return;
        }
        if (*shift > 20) {
            note(failure(Fault::BadValue, "resource alignment", table));
            return;
        }

        auto rangeOf = [&](std::uint64_t record) -> Result<Located> {
            const auto rawOffset = r.u16(record), rawLength = r.u16(record + 2);
            if (!rawOffset || !rawLength) return failure(Fault::CutOff, "resource record", record);
            const std::uint64_t offset = std::uint64_t(*rawOffset) << *shift;
            std::uint64_t length = std::uint64_t(*rawLength) << *shift;
            if (offset >= r.size()) return failure(Fault::CutOff, "resource data", offset);
            // The last resource of a file is often not padded to the full alignment.
            length = std::min<std::uint64_t>(length, r.size() - offset);
            if (length > kMaxImageBytes)
                return capReached(Cap::ResourceBytes,
                                  std::to_string(kMaxImageBytes >> 20) + " MB of one resource");
            return Located{offset, length, std::nullopt};
        };
        auto nameAt = [&](std::uint16_t id) -> std::optional<ResourceName> {
            if (id & 0x8000) return ResourceName{true, std::uint32_t(id & 0x7FFF), {}};
            const std::uint64_t at = table + id;
            std::uint8_t length = 0;
            if (!r.peek(at, 1, &length)) return std::nullopt;
            std::size_t kept = length;
            if (!takeNameUnits(kept)) return std::nullopt;
            std::vector<std::uint8_t> bytes(kept);
            if (!bytes.empty() && !r.peek(at + 1, bytes.size(), bytes.data())) return std::nullopt;
            return ResourceName{false, 0, utf8FromLatin1(bytes)};
        };

        struct Record {
            std::uint64_t at;
            std::uint16_t id;
        };
        std::vector<Record> iconGroups, cursorGroups, animatedCursors, animatedIcons;
        bool iconGroupsSeen = false, cursorGroupsSeen = false;
        ImageIndex icons, cursors;
        std::uint64_t at = table + 2;
        while (at + 2 <= end) {
            const auto type = r.u16(at);
            if (!type || *type == 0) break;
            const auto stated = r.u16(at + 2);
            if (at + 8 > end || !stated) {
                note(failure(Fault::CutOff, "resource table", at));
                break;
            }
            const std::uint64_t records = at + 8;
            const std::uint64_t usable = std::min<std::uint64_t>(*stated, (end - records) / 12);
            for (std::uint64_t i = 0; i < usable; ++i) {
                const std::uint64_t rec = records + i * 12;
                const auto id = r.u16(rec + 6);
                if (!id) break;
                if (*type == (0x8000 | kRtIcon) || *type == (0x8000 | kRtCursor)) {
                    if (*id & 0x8000)
                        (*type == (0x8000 | kRtIcon) ? icons : cursors)
                            .add(*id & 0x7FFF, rangeOf(rec));
                } else if (*type == (0x8000 | kRtGroupIcon) && !iconGroupsSeen) {
                    iconGroups.push_back({rec, *id});
                } else if (*type == (0x8000 | kRtGroupCursor) && !cursorGroupsSeen) {
                    cursorGroups.push_back({rec, *id});
                } else if (*type == (0x8000 | kRtAnimatedCursor) && scope.animations) {
                    animatedCursors.push_back({rec, *id});
                } else if (*type == (0x8000 | kRtAnimatedIcon) && scope.animations) {
                    animatedIcons.push_back({rec, *id});
                } else if (*type == (0x8000 | kRtVersion) && !set.version_) {
                    set.version_ = spanOf(rangeOf(rec));
                }
            }
            if (*type == (0x8000 | kRtGroupIcon)) iconGroupsSeen = true;
            if (*type == (0x8000 | kRtGroupCursor)) cursorGroupsSeen = true;
            if (usable < *stated) {
                note(failure(Fault::CutOff, "resource table", records + usable * 12));
                break;
            }
            at = records + std::uint64_t(*stated) * 12;
        }
        auto place = [&](const std::vector<Record>& records, ResourceKind kind,
                         const ImageIndex& index) {
            std::vector<IconGroup>& out = kind == ResourceKind::Icon ? set.icons_ : set.cursors_;
            out.reserve(records.size());
            for (const Record& rec : records) {
                IconGroup group;
                group.identity.kind = kind;
                group.identity.position = int(out.size());
                group.identity.name = nameAt(rec.id);
                fillGroup(group, rangeOf(rec.at), &index, kind);
                out.push_back(std::move(group));
            }
        };
        place(iconGroups, ResourceKind::Icon, icons);
        place(cursorGroups, ResourceKind::Cursor, cursors);
        // NE files give the lengths of resources in units of their alignment:
        // an animation is as long as its RIFF header says.
        for (const Record& rec : animatedCursors)
            addAnimation(ResourceKind::Cursor, nameAt(rec.id), rangeOf(rec.at), true);
        for (const Record& rec : animatedIcons)
            addAnimation(ResourceKind::Icon, nameAt(rec.id), rangeOf(rec.at), true);
    }
};

// ------------------------------------------------------------------ the set

IconSet::IconSet(ByteSource source) : source_(std::move(source)) {}
IconSet::IconSet(IconSet&&) noexcept = default;
IconSet& IconSet::operator=(IconSet&&) noexcept = default;
IconSet::~IconSet() = default;

Result<IconSet> IconSet::open(const std::filesystem::path& file, ReadScope scope) {
    auto source = ByteSource::open(file);
    if (!source) return source.failure();
    return read(std::move(*source), scope);
}

Result<IconSet> IconSet::read(ByteSource source, ReadScope scope) {
    IconSet set(std::move(source));
    Reader reader{set, set.source_};
    reader.scope = scope;
    const ByteSource& r = set.source_;
    if (r.u16(0) == 0x5A4D) {  // "MZ"
        const auto header = r.u32(0x3C);
        const auto sig = header ? r.u32(*header) : std::nullopt;
        if (sig == 0x00004550u) {  // "PE\0\0"
            reader.readPe(*header);
            return set;
        }
        if (sig && (*sig & 0xFFFF) == 0x454E) {  // "NE"
            reader.readNe(*header);
            return set;
        }
        return failure(Fault::NotIconContainer);
    }
    const auto reserved = r.u16(0), type = r.u16(2);
    if (reserved == 0 && (type == 1 || type == 2)) {
        if (auto failed = reader.readIconFile()) return *failed;
        return set;
    }
    // Animated cursors are RIFF files of form ACON: said apart, for they are
    // what a person may well take for a cursor file.
    if (r.u32(0) == 0x46464952u && r.u32(8) == 0x4E4F4341u) {  // "RIFF", "ACON"
        if (!scope.animations)
            return failure(Fault::NotIconContainer, "animated cursor (.ani) files are not read");
        set.container_ = IconContainer::AnimatedCursorFile;
        reader.addAnimation(ResourceKind::Cursor, std::nullopt, Located{0, r.size(), std::nullopt},
                            false);
        return set;
    }
    return failure(Fault::NotIconContainer);
}

const IconGroup& IconSet::load(ResourceKind kind, int index, int image) {
    std::vector<IconGroup>& groups = kind == ResourceKind::Icon ? icons_ : cursors_;
    IconGroup& group = groups.at(std::size_t(index));
    std::vector<StoredImage*> wanted;
    for (std::size_t i = 0; i < group.images.size(); ++i)
        if (image < 0 || std::size_t(image) == i) wanted.push_back(&group.images[i]);
    loadImages(wanted);
    return group;
}

const IconGroup& IconSet::loadOtherLanguage(ResourceKind kind, int index) {
    IconGroup& group =
        (kind == ResourceKind::Icon ? iconLanguages_ : cursorLanguages_).at(std::size_t(index));
    std::vector<StoredImage*> wanted;
    for (StoredImage& image : group.images) wanted.push_back(&image);
    loadImages(wanted);
    return group;
}

void IconSet::loadAll(ResourceKind kind) {
    std::vector<StoredImage*> wanted;
    for (IconGroup& group : kind == ResourceKind::Icon ? icons_ : cursors_)
        for (StoredImage& image : group.images) wanted.push_back(&image);
    loadImages(wanted);
}

const Animation& IconSet::loadAnimation(int index) {
    Animation& animation = animations_.at(std::size_t(index));
    std::vector<StoredImage*> wanted;
    for (IconGroup& frame : animation.frames)
        for (StoredImage& image : frame.images) wanted.push_back(&image);
    loadImages(wanted);
    return animation;
}

Result<std::vector<std::uint8_t>> IconSet::storedBytes(std::uint64_t offset, std::uint64_t length,
                                                       std::uint64_t cap) const {
    return source_.fetch(offset, length, cap);
}

void IconSet::releaseImages() {
    auto release = [](IconGroup& group) {
        for (StoredImage& image : group.images) {
            image.storage.reset();
            image.data = {};
        }
    };
    for (auto* groups : {&icons_, &cursors_, &iconLanguages_, &cursorLanguages_})
        for (IconGroup& group : *groups) release(group);
    for (Animation& animation : animations_)
        for (IconGroup& frame : animation.frames) release(frame);
    ranges_.clear();
    held_ = 0;
}

void IconSet::loadImages(std::vector<StoredImage*>& images) {
    // What a range read before already holds is taken from it.
    auto fromHeld = [&](StoredImage& image) {
        auto it = ranges_.upper_bound(image.offset);
        if (it == ranges_.begin()) return false;
        --it;
        const std::uint64_t start = it->first, size = it->second->size();
        if (image.offset + image.length > start + size) return false;
        image.storage = it->second;
        image.data = std::span<const std::uint8_t>(it->second->data() + (image.offset - start),
                                                   std::size_t(image.length));
        return true;
    };
    std::vector<StoredImage*> toRead;
    for (StoredImage* image : images) {
        if (image->loaded() || image->failure || image->length == 0) continue;
        if (!fromHeld(*image)) toRead.push_back(image);
    }
    std::stable_sort(toRead.begin(), toRead.end(), [](const StoredImage* a, const StoredImage* b) {
        return a->offset < b->offset;
    });
    for (std::size_t first = 0; first < toRead.size();) {
        // One read for the images that lie close together.
        const std::uint64_t start = toRead[first]->offset;
        std::uint64_t end = start + toRead[first]->length;
        std::size_t last = first + 1;
        while (last < toRead.size()) {
            const StoredImage* next = toRead[last];
            const std::uint64_t nextEnd = std::max(end, next->offset + next->length);
            if (next->offset > end + kJoinGap || nextEnd - start > kMaxJoinedRead) break;
            end = nextEnd;
            ++last;
        }
        std::optional<Failure> failed;
        if (held_ + (end - start) > kMaxHeldImageBytes) {
            failed = capReached(Cap::HeldImageBytes, std::to_string(kMaxHeldImageBytes >> 20) +
                                                         " MB of image data held of one file");
        } else {
            auto bytes =
                source_.fetch(start, end - start, std::max(kMaxImageBytes, kMaxJoinedRead));
            if (bytes) {
                held_ += end - start;
                bytesRead_ += end - start;
                ranges_[start] =
                    std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes));
            } else {
                failed = bytes.failure().within("image data");
            }
        }
        for (std::size_t i = first; i < last; ++i) {
            StoredImage& image = *toRead[i];
            if (failed) {
                image.failure = failed;
                continue;
            }
            // From the range just read: one held before may start inside it.
            image.storage = ranges_[start];
            image.data = std::span<const std::uint8_t>(
                image.storage->data() + (image.offset - start), std::size_t(image.length));
        }
        first = last;
    }
}

std::vector<std::optional<bool>> IconSet::pngImages(ResourceKind kind, int index) const {
    const IconGroup& group = groups(kind).at(std::size_t(index));
    std::vector<std::optional<bool>> out(group.images.size());
    // The first eight bytes of each image, read together where images start close
    // to one another (a group's small images lie one after the other), else alone.
    constexpr std::uint64_t kJoinStarts = 4096;
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const StoredImage& image = group.images[i];
        if (image.failure || image.loaded() || image.length < 8)
            out[i] = isPng(image);
        else
            order.push_back(i);
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return group.images[a].offset < group.images[b].offset;
    });
    thread_local std::vector<std::uint8_t> buffer;
    for (std::size_t first = 0; first < order.size();) {
        const std::uint64_t start = group.images[order[first]].offset;
        std::size_t last = first + 1;
        while (last < order.size() &&
               group.images[order[last]].offset - group.images[order[last - 1]].offset <=
                   kJoinStarts)
            ++last;
        const std::uint64_t end = group.images[order[last - 1]].offset + 8;
        buffer.resize(std::size_t(end - start));
        const bool read = source_.peekAlone(start, buffer.size(), buffer.data());
        for (std::size_t k = first; k < last; ++k) {
            const StoredImage& image = group.images[order[k]];
            if (read)
                out[order[k]] = looksLikePng(std::span<const std::uint8_t>(buffer).subspan(
                    std::size_t(image.offset - start), 8));
        }
        first = last;
    }
    return out;
}

std::optional<bool> IconSet::isPng(const StoredImage& image) const {
    if (image.loaded()) return looksLikePng(image.data);
    if (image.failure) return std::nullopt;
    std::uint8_t head[8];
    if (image.length < sizeof head) return false;
    if (!source_.peekAlone(image.offset, sizeof head, head)) return std::nullopt;
    return looksLikePng(std::span<const std::uint8_t>(head, sizeof head));
}

}  // namespace pellimar
