#include "cli/thumbnailer.h"

#include <charconv>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/picture_work.h"

#ifndef PELLIMAR_VERSION
#define PELLIMAR_VERSION "unknown"
#endif

namespace pellimar::cli {

namespace {

std::optional<int> parseSize(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || p != end || value < 1) return std::nullopt;
    // Thumbnail managers may ask for more (512 for the largest views); the icons
    // themselves stop at 256.
    return std::min(value, kMaxPictureSize);
}

}  // namespace

Result<Done> writeThumbnail(const std::filesystem::path& in, const std::filesystem::path& out,
                            int size) {
    auto set = IconSet::open(in);
    if (!set) return set.failure();
    if (set->iconCount() == 0) return failure(Fault::NoSuchIcon, "icon in it");
    // The smallest image at least as large as asked, else the largest, shrunk
    // smoothly or kept at its own size: thumbnail managers scale a smaller picture
    // themselves, as they do any picture's.
    // A file manager runs this on every file it shows: the work one file may
    // cost is bounded well under a second.
    PictureWork work(kMaxThumbnailPixels, "for one thumbnail");
    const Result<Icon> image =
        chosenImage(*set, ResourceKind::Icon, 0, size, SizePolicy::SmallestAtLeast, &work);
    if (!image) return image.failure().within("icon 0");
    const auto png = iconToPng(pictureWithin(*image, size));
    if (!png) return png.failure();
    // In place where the file is the caller's own: thumbnail services create the
    // file and read the result through it.
    return writeFileInPlace(out, *png);
}

int runThumbnailer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<int> size;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            out << kThumbnailerUsage << "\n";
            return 0;
        }
        if (a == "--version") {
            out << "pellimar-thumbnailer " << PELLIMAR_VERSION << "\n";
            return 0;
        }
        if (a == "-s" && i + 1 < args.size()) {
            size = parseSize(args[++i]);
            if (!size) break;
        } else if (a.size() > 2 && a.compare(0, 2, "-s") == 0) {
            size = parseSize(a.substr(2));
            if (!size) break;
        } else if (a == "--") {
            files.insert(files.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        } else if (!a.empty() && a[0] == '-') {
            size.reset();
            break;
        } else {
            files.push_back(a);
        }
    }
    if (!size || files.size() != 2) {
        err << kThumbnailerUsage << "\n";
        return 2;
    }
    const Result<Done> written = writeThumbnail(files[0], files[1], *size);
    if (written) return 0;
    const Failure& why = written.failure();
    if (isWriteFault(why.fault))
        err << "pellimar-thumbnailer: cannot write " << files[1] << ": " << writeFailureReason(why)
            << "\n";
    else
        err << "pellimar-thumbnailer: " << files[0] << ": " << why.message() << "\n";
    return 1;
}

}  // namespace pellimar::cli
