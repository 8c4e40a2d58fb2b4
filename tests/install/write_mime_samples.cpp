// Writes the files whose types the MIME check asks the desktop for, into the folder
// given: an icon library, the same bytes under a library's name, an NE library with
// no icons, a PE library and an icon file.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/fixtures.h"

using namespace pellimar::fixtures;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_mime_samples FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::vector<IconGroupSpec> icons = {
        {{dibImage(patternIcon(32, 32, 16), 4), dibImage(patternIcon(16, 16, 16), 4)}},
        {{dibImage(solidIcon(32, 32, 0xFF204080), 24)}}};
    const std::pair<const char*, Bytes> samples[] = {
        {"library.icl", makeNe(icons)},         {"icons-in-a.dll", makeNe(icons)},
        {"plain-ne.dll", makeNe({})},           {"program.dll", makePe(icons)},
        {"icon.ico", makeIco(icons[0].images)},
    };
    for (const auto& [name, bytes] : samples) {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "write_mime_samples: cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    }
    return 0;
}
