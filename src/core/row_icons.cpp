#include "core/row_icons.h"

#include "core/file_names.h"
#include "platform/icon_png.h"
#include "platform/image_choice.h"

namespace pellimar {

bool rowsAreImages(const std::filesystem::path& source) {
    const std::string ext = upperCaseExtension(source);
    return ext == ".ICO" || ext == ".CUR";
}

std::optional<ResourceKind> imageFileKind(const IconSet& set) {
    if (set.container() == IconContainer::IconFile) return ResourceKind::Icon;
    if (set.container() == IconContainer::CursorFile) return ResourceKind::Cursor;
    return std::nullopt;
}

std::string rowSourceText(const std::filesystem::path& source, int position, ResourceKind kind) {
    const char* word = rowsAreImages(source)          ? ", image "
                       : kind == ResourceKind::Cursor ? ", cursor "
                                                      : ", icon ";
    return source.filename().string() + word + std::to_string(position + 1);
}

Result<IconGroup> rowGroupOf(IconSet& set, const std::filesystem::path& source, int position,
                             ResourceKind kind) {
    const std::string word = kind == ResourceKind::Cursor ? "cursor " : "icon ";
    if (position < 0) return failure(Fault::NoSuchIcon, word + std::to_string(position));
    if (rowsAreImages(source)) {
        const auto kind = imageFileKind(set);
        if (!kind) return failure(Fault::BadValue, "icon file header", 0);
        const auto& groups = set.groups(*kind);
        if (groups.empty() || std::size_t(position) >= groups[0].images.size())
            return failure(Fault::NoSuchIcon, "image " + std::to_string(position + 1));
        IconGroup one = set.load(*kind, 0, position);
        StoredImage image = one.images[std::size_t(position)];
        if (!image.loaded())
            return (image.failure ? *image.failure : failure(Fault::NoImage))
                .within("image " + std::to_string(position + 1));
        one.images = {std::move(image)};
        one.statedCount = 1;
        return one;
    }
    if (std::size_t(position) >= set.groups(kind).size())
        return failure(Fault::NoSuchIcon, word + std::to_string(position + 1));
    const IconGroup& group = set.load(kind, position);
    if (group.failure) return *group.failure;
    for (const StoredImage& image : group.images)
        if (image.loaded()) return group;
    if (!group.images.empty() && group.images[0].failure)
        return group.images[0].failure->within("image 1");
    return failure(Fault::NoImage);
}

Result<IconGroup> readRowGroup(const std::filesystem::path& source, int position,
                               ResourceKind kind) {
    auto set = IconSet::open(source);
    if (!set) return set.failure();
    return rowGroupOf(*set, source, position, kind);
}

Result<Icon> rowPictureToHandOut(const std::filesystem::path& source, int position,
                                 ResourceKind kind) {
    const Result<IconGroup> group = readRowGroup(source, position, kind);
    if (!group) return group.failure();
    Result<Icon> image = chosenImage(*group, kMaxPictureSize, SizePolicy::SmallestAtLeast);
    if (!image) return image;
    return withinPictureSize(std::move(*image));
}

Result<IconGroup> RowGroupReader::read(const std::filesystem::path& source, int position,
                                       ResourceKind kind) {
    auto it = open_.begin();
    while (it != open_.end() && it->first.native() != source.native()) ++it;
    if (it == open_.end()) {
        open_.emplace_front(source, IconSet::open(source));
        if (open_.size() > kFilesKept) open_.pop_back();
    } else if (it != open_.begin()) {
        open_.splice(open_.begin(), open_, it);
    }
    Result<IconSet>& set = open_.front().second;
    if (!set) return set.failure();
    if (set->imageBytesHeld() > kHeldImageBudget) set->releaseImages();
    return rowGroupOf(*set, source, position, kind);
}

}  // namespace pellimar
