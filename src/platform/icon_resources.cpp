#include "platform/icon_resources.h"

#include <algorithm>
#include <unordered_set>

#include "platform/byte_reader.h"
#include "platform/extract.h"
#include "platform/icon_decode.h"

namespace pellimar {

namespace {

constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr int kMaxResourceDepth = 3;
constexpr int kMaxIconSize = 1024;
// The loader maps at most this many sections of an image; every RVA lookup walks
// the table, so a longer one would multiply the work of each resource by it.
constexpr std::uint64_t kMaxSections = 96;

// Maps relative virtual addresses of a PE image to file offsets through its sections.
class SectionMap {
  public:
    struct Section {
        std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
    };
    std::vector<Section> sections;

    std::optional<std::uint64_t> toOffset(std::uint32_t rva, std::uint64_t length) const {
        for (const Section& s : sections) {
            std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
            std::uint64_t delta = rva - s.virtualAddress;
            if (delta + length > s.rawSize) return std::nullopt;
            return std::uint64_t(s.rawOffset) + delta;
        }
        return std::nullopt;
    }
};

// Walks a PE resource tree (type -> name -> language) with every offset checked,
// each directory visited at most once and at most three levels deep.
class ResourceTree {
  public:
    ResourceTree(const ByteSource& r, const SectionMap& map, std::uint64_t root)
        : r_(r), map_(map), root_(root) {}

    struct Entry {
        std::uint32_t name;    // high bit: string name
        std::uint32_t target;  // high bit: sub-directory
        bool isDirectory() const { return (target & 0x80000000u) != 0; }
        bool isNamed() const { return (name & 0x80000000u) != 0; }
        std::uint32_t targetOffset() const { return target & 0x7FFFFFFFu; }
    };

    // Where the entries of a directory start in the file, and how many lie inside it.
    struct EntryList {
        std::uint64_t first = 0;
        std::uint64_t count = 0;
    };

    // Where a resource's data lies in the file.
    struct DataRange {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    // The entry list of the directory at `offset` (from the resource root), named
    // entries first, as stored; nothing when it was already visited, is too deep or
    // cut off.
    std::optional<EntryList> entryList(std::uint32_t offset, int depth) {
        if (depth >= kMaxResourceDepth) return std::nullopt;
        if (!visited_.insert(offset).second) return std::nullopt;
        std::uint64_t at = root_ + offset;
        auto named = r_.u16(at + 12), numbered = r_.u16(at + 14);
        if (!named || !numbered) return std::nullopt;
        std::uint64_t count = std::uint64_t(*named) + *numbered;
        // Only the entries that lie inside the file count.
        if (!r_.has(at + 16, 0)) return std::nullopt;
        count = std::min<std::uint64_t>(count, (r_.size() - (at + 16)) / 8);
        return EntryList{at + 16, count};
    }

    // Entry `i` of a list entryList() gave; nothing when the file no longer holds it.
    std::optional<Entry> entryAt(const EntryList& list, std::uint64_t i) const {
        auto name = r_.u32(list.first + i * 8), target = r_.u32(list.first + 4 + i * 8);
        if (!name || !target) return std::nullopt;
        return Entry{*name, *target};
    }

    // The directory at `offset` whole, by the rules of entryList().
    std::optional<std::vector<Entry>> directory(std::uint32_t offset, int depth) {
        auto list = entryList(offset, depth);
        if (!list) return std::nullopt;
        auto raw = r_.read(list->first, list->count * 8);
        if (!raw) return std::nullopt;
        std::vector<Entry> entries;
        entries.reserve(std::size_t(list->count));
        for (std::uint64_t i = 0; i < list->count; ++i)
            entries.push_back({loadU32(raw->data() + i * 8), loadU32(raw->data() + i * 8 + 4)});
        return entries;
    }

    // Takes the directory at `offset` as walked already.
    void markVisited(std::uint32_t offset) { visited_.insert(offset); }

    // The sub-directory an entry of numeric id `id` names in `entries`.
    std::optional<std::uint32_t> findNumbered(const std::vector<Entry>& entries,
                                              std::uint16_t id) const {
        for (const Entry& e : entries)
            if (!e.isNamed() && e.name == id && e.isDirectory()) return e.targetOffset();
        return std::nullopt;
    }

    // Where the data an entry leads to lies: a data entry directly, or through the
    // first entry of the language directory below it.
    std::optional<DataRange> dataOf(const Entry& entry, int depth) {
        std::uint32_t target = entry.targetOffset();
        if (entry.isDirectory()) {
            auto languages = entryList(target, depth);
            if (!languages || languages->count == 0) return std::nullopt;
            auto first = entryAt(*languages, 0);
            if (!first || first->isDirectory()) return std::nullopt;
            target = first->targetOffset();
        }
        auto rva = r_.u32(root_ + target), size = r_.u32(root_ + target + 4);
        if (!rva || !size || *size > kMaxImageBytes) return std::nullopt;
        auto offset = map_.toOffset(*rva, *size);
        if (!offset || !r_.has(*offset, *size)) return std::nullopt;
        return DataRange{*offset, *size};
    }

  private:
    const ByteSource& r_;
    const SectionMap& map_;
    std::uint64_t root_;
    std::unordered_set<std::uint32_t> visited_;
};

}  // namespace

struct IconResources::PeDirectories {
    SectionMap map;
    std::uint64_t root = 0;
    std::optional<std::uint32_t> groupDir, iconDir;
    std::optional<ResourceTree::EntryList> groups, icons;

    // A tree for one lookup, with the directories readPe walked taken as walked.
    ResourceTree tree(const ByteSource& r, bool forGroup) const {
        ResourceTree t(r, map, root);
        t.markVisited(0);
        if (iconDir) t.markVisited(*iconDir);
        if (forGroup && groupDir) t.markVisited(*groupDir);
        return t;
    }
};

IconResources::IconResources(ByteSource source) : source_(std::move(source)) {
    const ByteSource& r = source_;
    if (r.u16(0) == 0x5A4D) {  // "MZ"
        auto header = r.u32(0x3C);
        if (!header) return;
        auto sig = r.u32(*header);
        if (sig == 0x00004550u) {  // "PE\0\0"
            readPe(*header);
        } else if (sig && (*sig & 0xFFFF) == 0x454E) {  // "NE"
            readNe(*header);
        }
        return;
    }
    auto reserved = r.u16(0), type = r.u16(2), count = r.u16(4);
    if (reserved != 0 || type != 1 || !count) return;
    // The directory, as far as it is read, must be there.
    const std::uint64_t entries = std::min<std::uint64_t>(*count, kMaxImagesPerIcon);
    if (!r.has(0, kIcoHeaderSize + entries * kIcoEntrySize)) return;
    container_ = IconContainer::IcoFile;
    icoCount_ = *count;
}

void IconResources::readPe(std::uint64_t pe) {
    const ByteSource& r = source_;
    container_ = IconContainer::Pe;
    auto sectionCount = r.u16(pe + 6);
    auto optionalSize = r.u16(pe + 20);
    std::uint64_t opt = pe + 24;
    auto magic = r.u16(opt);
    if (!sectionCount || !optionalSize || !magic) return;
    std::uint64_t dirCountAt, dirsAt;
    if (*magic == 0x10B) {
        dirCountAt = opt + 92, dirsAt = opt + 96;
    } else if (*magic == 0x20B) {
        dirCountAt = opt + 108, dirsAt = opt + 112;
    } else {
        return;
    }
    auto dirCount = r.u32(dirCountAt);
    if (!dirCount || *dirCount < 3 || dirsAt + 3 * 8 > opt + *optionalSize) return;
    auto resourceRva = r.u32(dirsAt + 2 * 8);
    if (!resourceRva || *resourceRva == 0) return;

    SectionMap map;
    std::uint64_t sectionsAt = opt + *optionalSize;
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(*sectionCount, kMaxSections); ++i) {
        auto s = r.read(sectionsAt + i * 40, 40);
        if (!s) break;
        const std::uint8_t* p = s->data();
        map.sections.push_back({loadU32(p + 12), loadU32(p + 8), loadU32(p + 16), loadU32(p + 20)});
    }
    auto root = map.toOffset(*resourceRva, 16);
    if (!root) return;

    ResourceTree tree(r, map, *root);
    auto types = tree.directory(0, 0);
    if (!types) return;
    auto dirs = std::make_shared<PeDirectories>();
    dirs->map = std::move(map);
    dirs->root = *root;
    dirs->groupDir = tree.findNumbered(*types, kRtGroupIcon);
    dirs->iconDir = tree.findNumbered(*types, kRtIcon);
    if (dirs->iconDir) dirs->icons = tree.entryList(*dirs->iconDir, 1);
    if (dirs->groupDir) dirs->groups = tree.entryList(*dirs->groupDir, 1);
    pe_ = std::move(dirs);
}

void IconResources::readNe(std::uint64_t ne) {
    const ByteSource& r = source_;
    container_ = IconContainer::Ne;
    auto tableOffset = r.u16(ne + 0x24);
    auto residentNames = r.u16(ne + 0x26);
    if (!tableOffset || !residentNames || *tableOffset == *residentNames) return;
    std::uint64_t table = ne + *tableOffset;
    std::uint64_t end = *residentNames > *tableOffset ? ne + *residentNames : r.size();
    auto shift = r.u16(table);
    if (!shift || *shift > 20) return;
    end = std::min<std::uint64_t>(end, r.size());

    auto resourceRange = [&](std::uint64_t record) -> std::optional<Range> {
        auto rawOffset = r.u16(record), rawLength = r.u16(record + 2);
        if (!rawOffset || !rawLength) return std::nullopt;
        std::uint64_t offset = std::uint64_t(*rawOffset) << *shift;
        std::uint64_t length = std::uint64_t(*rawLength) << *shift;
        // The last resource of a file is often not padded to the full alignment.
        if (offset >= r.size()) return std::nullopt;
        length = std::min<std::uint64_t>(length, r.size() - offset);
        return Range{offset, length};
    };

    bool groupsSeen = false;
    std::uint64_t at = table + 2;
    while (at + 2 <= end) {
        auto type = r.u16(at);
        if (!type || *type == 0) break;
        if (at + 8 > end) break;
        auto stated = r.u16(at + 2);
        if (!stated) break;
        std::uint16_t count = *stated;
        std::uint64_t records = at + 8;
        std::uint64_t available = (end - records) / 12;
        std::uint64_t usable = std::min<std::uint64_t>(count, available);
        if (*type == (0x8000 | kRtIcon)) {
            for (std::uint64_t i = 0; i < usable; ++i) {
                std::uint64_t rec = records + i * 12;
                auto id = r.u16(rec + 6);
                if (!id || !(*id & 0x8000)) continue;
                if (auto range = resourceRange(rec))
                    icons_.emplace_back(std::uint16_t(*id & 0x7FFF), *range);
            }
        } else if (*type == (0x8000 | kRtGroupIcon) && !groupsSeen) {
            groupsSeen = true;
            for (std::uint64_t i = 0; i < usable; ++i)
                groups_.push_back(resourceRange(records + i * 12));
        }
        if (usable < count) break;
        at = records + std::uint64_t(count) * 12;
    }
}

int IconResources::iconCount() const {
    if (pe_) return pe_->groups ? int(pe_->groups->count) : 0;
    if (container_ == IconContainer::IcoFile) return 1;
    return int(groups_.size());
}

std::optional<std::vector<std::uint8_t>> IconResources::groupData(int index) const {
    std::optional<Range> range;
    if (pe_) {
        ResourceTree tree = pe_->tree(source_, true);
        auto entry = tree.entryAt(*pe_->groups, std::uint64_t(index));
        if (!entry) return std::nullopt;
        auto data = tree.dataOf(*entry, 2);
        if (data) range = Range{data->offset, data->length};
    } else {
        range = groups_[std::size_t(index)];
    }
    if (!range) return std::nullopt;
    // Only the header and the entries that are read.
    const std::uint64_t wanted = kGroupHeaderSize + kMaxImagesPerIcon * kGroupEntrySize;
    return source_.read(range->offset, std::min(range->length, wanted));
}

int IconResources::statedImageCount(int index) const {
    if (index < 0 || index >= iconCount()) return 0;
    if (container_ == IconContainer::IcoFile) return icoCount_;
    auto group = groupData(index);
    if (!group) return 0;
    return ByteReader(*group).u16(4).value_or(0);
}

std::vector<IconDirEntry> IconResources::images(int index) const {
    if (index < 0 || index >= iconCount()) return {};
    if (container_ == IconContainer::IcoFile) {
        const std::uint64_t count = std::min(icoCount_, kMaxImagesPerIcon);
        auto directory = source_.read(0, kIcoHeaderSize + count * kIcoEntrySize);
        if (!directory) return {};
        return readIcoDirectory(*directory).value_or(std::vector<IconDirEntry>());
    }
    auto group = groupData(index);
    if (!group) return {};
    ByteReader g(*group);
    auto count = g.u16(4);
    if (!count) return {};
    std::uint64_t usable =
        std::min<std::uint64_t>(std::min<std::uint64_t>(*count, kMaxImagesPerIcon),
                                (g.size() - kGroupHeaderSize) / kGroupEntrySize);
    std::vector<IconDirEntry> entries;
    entries.reserve(std::size_t(usable));
    for (std::uint64_t i = 0; i < usable; ++i) {
        const std::uint8_t* p = g.all().data() + kGroupHeaderSize + i * kGroupEntrySize;
        IconDirEntry e = parseCommonEntryFields(p);
        e.resourceId = loadU16(p + 12);
        entries.push_back(e);
    }
    return entries;
}

std::optional<IconResources::ImageExtent> IconResources::imageExtent(
    const IconDirEntry& entry) const {
    auto usable = [&](std::uint64_t offset, std::uint64_t length) -> std::optional<ImageExtent> {
        if (length > kMaxImageBytes || !source_.has(offset, length)) return std::nullopt;
        return ImageExtent{offset, length};
    };
    if (container_ == IconContainer::IcoFile) return usable(entry.imageOffset, entry.bytesInRes);
    if (pe_) {
        // The first entry of that id, in stored order, whose data lies in the file.
        if (!pe_->icons) return std::nullopt;
        ResourceTree tree = pe_->tree(source_, false);
        if (!peIconList_) peIconList_ = source_.read(pe_->icons->first, pe_->icons->count * 8);
        const auto& list = peIconList_;
        if (!list) return std::nullopt;
        for (std::uint64_t i = 0; i < pe_->icons->count; ++i) {
            // Only the name is read until the id matches: this runs over every entry.
            if (loadU32(list->data() + i * 8) != entry.resourceId) continue;
            const ResourceTree::Entry found{entry.resourceId, loadU32(list->data() + i * 8 + 4)};
            if (auto range = tree.dataOf(found, 2))
                if (auto extent = usable(range->offset, range->length)) return extent;
        }
        return std::nullopt;
    }
    for (const auto& [id, range] : icons_)
        if (id == entry.resourceId) return usable(range.offset, range.length);
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> IconResources::imageData(const IconDirEntry& entry) const {
    const auto extent = imageExtent(entry);
    if (!extent) return std::nullopt;
    return source_.read(extent->offset, extent->length);
}

std::optional<std::vector<std::uint8_t>> IconResources::imageStart(const IconDirEntry& entry,
                                                                   std::uint64_t count) const {
    const auto extent = imageExtent(entry);
    if (!extent) return std::nullopt;
    return source_.read(extent->offset, std::min(count, extent->length));
}

Icon IconResources::icon(int index, int size) const {
    if (size < 1 || size > kMaxIconSize) return {};
    auto entries = images(index);
    int best = pickImageForSize(entries, size);
    if (best < 0) return {};
    auto data = imageData(entries[std::size_t(best)]);
    if (!data) return {};
    Icon decoded = decodeIconImage(*data);
    if (decoded.empty()) return {};
    if (decoded.width == size && decoded.height == size) return decoded;
    return resizeIcon(decoded, size, size);
}

std::unique_ptr<IconFile> IconFile::open(const std::filesystem::path& file) {
    auto source = ByteSource::openFile(file);
    if (!source) return nullptr;
    return std::unique_ptr<IconFile>(new IconFile(std::move(*source)));
}

Icon extractIcon(const std::filesystem::path& file, int index, int size) {
    if (index < 0 || size < 1 || size > kMaxIconSize) return {};
    auto opened = IconFile::open(file);
    if (!opened) return {};
    return opened->resources().icon(index, size);
}

std::optional<int> extractIconCount(const std::filesystem::path& file) {
    auto opened = IconFile::open(file);
    if (!opened || opened->resources().container() == IconContainer::None) return std::nullopt;
    return opened->resources().iconCount();
}

}  // namespace pellimar
