// Reading icon files image by image: cutting one image out as a one-image icon file
// and reporting an image's size and depth. Plain routines: no state, no window.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellimar {

// Image `imageNumber` (from 1; below 1 or above the image count means image 1) of
// the icon file `file` as a one-image icon file (22 + image size bytes). When
// `outFile`, with leading and trailing blanks removed, is not empty, the bytes are
// also written to that (trimmed) name, replacing any file there. Nothing on any
// failure: unreadable file, not an icon file, data past the end, failed write.
std::optional<std::vector<std::uint8_t>> copyIcoImage(const std::filesystem::path& file,
                                                      int imageNumber,
                                                      const std::string& outFile = {});

// Four decimal texts about image `imageNumber` (same numbering): the file's image
// count, the entry's width and height as stored (0 for 256), and the image's own bit
// count. Nothing on any failure, including a file that ends inside the entry or
// inside the image's header.
std::optional<std::vector<std::string>> icoImageInfoTexts(const std::filesystem::path& file,
                                                          int imageNumber);

}  // namespace pellimar
