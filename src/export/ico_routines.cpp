#include "export/ico_routines.h"

#include "platform/atomic_file.h"
#include "platform/ico_file.h"

namespace pellimar {

namespace {

std::string trimmed(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> copyIcoImage(const std::filesystem::path& file,
                                                      int imageNumber, const std::string& outFile) {
    auto bytes = cutIcoImage(file, imageNumber);
    if (!bytes) return std::nullopt;
    const std::string target = trimmed(outFile);
    if (!target.empty() && !writeFileAtomically(std::filesystem::path(target), *bytes))
        return std::nullopt;
    return bytes;
}

std::optional<std::vector<std::string>> icoImageInfoTexts(const std::filesystem::path& file,
                                                          int imageNumber) {
    auto info = readIcoImageInfo(file, imageNumber);
    if (!info) return std::nullopt;
    return std::vector<std::string>{std::to_string(info->imageCount), std::to_string(info->width),
                                    std::to_string(info->height), std::to_string(info->bitCount)};
}

}  // namespace pellimar
