// The icon reading the save command needs, gathered in one place so the save
// logic can be driven by tests with icons of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/icon.h"

namespace pellimar {

struct IconServices {
    // Icon `index` (0-based) of an .exe/.dll/.icl file at `size` pixels; empty when none.
    std::function<Icon(const std::filesystem::path& file, int index, int size)> extract;
    // Image `imageNumber` (from 1) of an .ico file as a one-image icon file.
    std::function<std::optional<std::vector<std::uint8_t>>(const std::filesystem::path& file,
                                                           int imageNumber)>
        copyIcoImage;
    // Image count, width, height and bit count of image `imageNumber`, as texts.
    std::function<std::optional<std::vector<std::string>>(const std::filesystem::path& file,
                                                          int imageNumber)>
        icoImageInfoTexts;
    // The image of a one-image icon file at its own size; empty when unreadable.
    std::function<Icon(std::span<const std::uint8_t> icoBytes)> loadIcon;
    // Icon `index` (0-based) of an .exe/.dll/.icl file as an icon file holding every
    // image of its group as stored; nothing when there is no such icon or none of
    // its images can be read.
    std::function<std::optional<std::vector<std::uint8_t>>(const std::filesystem::path& file,
                                                           int index)>
        groupIcoFile;
};

// The program's own readers.
const IconServices& defaultIconServices();

}  // namespace pellimar
