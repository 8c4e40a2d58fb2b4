// The fuzz targets that read from a file name: each input is written to one
// scratch file in a private folder made on first use, then handed to the reader.
#pragma once

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace pellimar::fuzzing {

inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellimar-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes the input to `name` inside the scratch folder and returns its path.
inline std::filesystem::path writeInput(const std::uint8_t* data, std::size_t size,
                                        const char* name) {
    const std::filesystem::path file = scratchFolder() / name;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    return file;
}

}  // namespace pellimar::fuzzing
