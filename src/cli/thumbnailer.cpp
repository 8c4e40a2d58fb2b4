#include "cli/thumbnailer.h"

#include <algorithm>
#include <charconv>
#include <optional>

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
    return std::min(value, int(PELLIMAR_MAX_THUMBNAIL_SIZE));
}

}  // namespace

Outcome writeThumbnail(const std::filesystem::path& in, const std::filesystem::path& out,
                       int size) {
    pellimar_failure* why = nullptr;
    pellimar_file* opened = nullptr;
    pellimar_status status = pellimar_open_path(in.c_str(), 0, &opened, &why);
    if (status != PELLIMAR_OK) return outcomeOf(status, why);
    const FileHandle file(opened);
    // The smallest image at least as large as asked, else the largest, shrunk
    // smoothly or kept at its own size: thumbnail managers scale a smaller picture
    // themselves, as they do any picture's.
    pellimar_picture* drawn = nullptr;
    status = pellimar_file_thumbnail(file.get(), size, &drawn, &why);
    if (status != PELLIMAR_OK) return outcomeOf(status, why);
    const PictureHandle picture(drawn);
    Bytes png;
    std::uint8_t* data = nullptr;
    status = pellimar_picture_to_png(picture.get(), &data, &png.size, &why);
    if (status != PELLIMAR_OK) return outcomeOf(status, why);
    png.data.reset(data);
    // In place where the file is the caller's own: thumbnail services create the
    // file and read the result through it.
    status = pellimar_write_file_in_place(out.c_str(), png.data.get(), png.size, &why);
    return outcomeOf(status, why);
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
    const Outcome written = writeThumbnail(files[0], files[1], *size);
    if (written) return 0;
    const pellimar_failure* why = written.failure();
    if (why && pellimar_failure_is_write(why))
        err << "pellimar-thumbnailer: cannot write " << files[1] << ": "
            << pellimar_failure_write_reason(why) << "\n";
    else
        err << "pellimar-thumbnailer: " << files[0] << ": " << messageOf(why) << "\n";
    return 1;
}

}  // namespace pellimar::cli
