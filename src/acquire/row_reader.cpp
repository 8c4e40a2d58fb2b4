#include "acquire/row_reader.h"

#include "core/icon_image.h"
#include "core/row_icons.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/picture_work.h"

namespace pellimar {

std::optional<Failure> readFileRows(const std::filesystem::path& file, const RowSink& take) {
    auto set = IconSet::open(file);
    if (!set) return set.failure();
    // Each image decoded once however many groups name it, and the pictures the
    // file may make bounded: past the budget each row left says so.
    PictureWork work(pixelBudgetOf(set->fileSize()));
    if (rowsAreImages(file)) {
        // Each image of an icon file is a row of its own.
        const auto kind = imageFileKind(*set);
        if (!kind) return failure(Fault::BadValue, "icon file header", 0);
        if (set->groups(*kind).empty()) return std::nullopt;
        // Every image is a row: all of them in one go, each range of the file once.
        const IconGroup& group = set->load(*kind, 0);
        const std::size_t count = group.images.size();
        for (std::size_t k = 0; k < count; ++k) {
            Result<Icon> icon = work.decoded(group.images[k]);
            const bool goOn =
                icon ? take(int(k), RowIcon{std::move(*icon), {}, {}})
                     : take(int(k), icon.failure().within("image " + std::to_string(k + 1)));
            if (!goOn) break;
        }
        return std::nullopt;
    }
    const double ratio = rowPictureRatio();
    for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
        const std::string word = kind == ResourceKind::Cursor ? "cursor " : "icon ";
        const auto& groups = set->groups(kind);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const int n = int(i);
            // Rows hold pictures of their own: a file of much image data is read
            // without holding more than the budget of it at once.
            if (set->imageBytesHeld() > kHeldImageBudget) set->releaseImages();
            Result<Icon> icon =
                iconAtSize(*set, kind, n, kLargeIconSize, SizePolicy::LikeWindows, &work);
            if (!icon) {
                if (!take(n, icon.failure().within(word + std::to_string(i + 1))))
                    return std::nullopt;
                continue;
            }
            RowIcon row{std::move(*icon), {}, {}, kind};
            if (const auto& name = groups[i].identity.name) row.resource = name->display();
            if (ratio > 1.0) {
                Result<Icon> sharper =
                    chosenImage(*set, kind, n, pixelSizeAt(kLargeIconSize, ratio),
                                SizePolicy::SmallestAtLeast, &work);
                if (sharper) row.sharper = std::move(*sharper);
            }
            if (!take(n, row)) return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace pellimar
