// Writes the files the C library's tests read into a folder, built by the
// fixture builder: programs and libraries of every kind the reader takes (PE32,
// PE32+, NE; icons and cursors; numbered and named groups; further languages;
// DIB and PNG images), an icon and a cursor file, and the faulty ones: a file of
// no Windows kind, a library cut off part way, an icon whose image is damaged;
// libraries with version resources, whole and damaged.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fx = pellimar::fixtures;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_library_fixtures FOLDER\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    fx::IconGroupSpec main;
    main.images = {fx::dibImage(fx::patternIcon(32, 32, 16), 4),
                   fx::dibImage(fx::alphaPatternIcon(48, 48), 32),
                   fx::dibImage(fx::patternIcon(16, 16, 200), 8),
                   fx::pngImage(fx::alphaPatternIcon(256, 256))};
    main.otherLanguages = {{fx::dibImage(fx::patternIcon(24, 24, 2), 1)}};
    main.language = 0x407;
    fx::IconGroupSpec named;
    named.images = {fx::dibImage(fx::solidIcon(20, 20, 0xFF204080), 24),
                    fx::dibImage(fx::patternIcon(64, 64), 32, {.zeroAlpha = true})};
    named.name = u"MAINICON";
    const std::vector<fx::CursorGroupSpec> cursors = {
        {{{fx::dibImage(fx::patternIcon(32, 32, 2), 1), 3, 4},
          {fx::dibImage(fx::alphaPatternIcon(48, 48), 32), 20, 21}}}};

    const fx::Bytes library = fx::makePe({main, named}, cursors);
    fx::Bytes cut(library.begin(), library.begin() + fx::kResourceFileOffset + 0x300);
    // Image 2 of the main group (RT_ICON 2) stated to run far past the end of the file.
    fx::Bytes cutImage = library;
    fx::put32(cutImage, fx::dataEntryOf(cutImage, 3, 1) + 4, 0x100000);
    fx::Bytes damagedImage = fx::dibImage(fx::patternIcon(32, 32), 32).data;
    damagedImage.resize(60);  // the header, and too few rows
    fx::IconImage damagedPng = fx::pngImage(fx::patternIcon(48, 48));
    fx::put32(damagedPng.data, 16, 0);  // a width of 0 in its header

    // Version resources: two languages, the second first in Translation, and a
    // string beyond the five a launcher shows; an NE file's, in Latin-1; one whose
    // second table is damaged (its block length 0), after a whole first one.
    const fx::VersionSpec versions{
        {{0x0409,
          1200,
          {{"ProductName", "Example Sweeper"},
           {"FileVersion", "5.1.2600.0"},
           {"LegalCopyright", "\u00a9 Example"}}},
         {0x0407, 1200, {{"ProductName", "Beispiel-Minensucher"}, {"CompanyName", "Beispiel"}}}},
        {{0x0407, 1200}, {0x0409, 1200}}};
    const fx::Bytes versionRes = fx::makeVersionResource(versions, true);
    fx::Bytes damagedVersion = versionRes;
    // The first table's block starts at 0x80, after the fixed part and the
    // StringFileInfo block's header; the second after it, at a multiple of four.
    fx::put16(damagedVersion, 0x80 + ((fx::get16(versionRes, 0x80) + 3u) & ~3u), 0);
    const fx::VersionSpec ne{{{0x0407, 1252, {{"ProductName", "\u00c4hnlich"}}}}, {}};

    const std::vector<std::pair<const char*, fx::Bytes>> files = {
        {"library.dll", library},
        {"program64.exe", fx::makePe({named, main}, fx::PeKind::Pe32Plus)},
        {"library16.dll", fx::makeNe({main, named}, cursors)},
        {"icon.ico", fx::makeIco(main.images)},
        {"pointer.cur", fx::makeCur(cursors.front().images)},
        {"notes.txt", fx::Bytes({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o', 'n', '\n'})},
        {"cut.dll", cut},
        {"overlong-image.dll", cutImage},
        {"version.dll", fx::makePeWithVersion({main}, versionRes)},
        {"version16.dll", fx::makeNeWithVersion({main}, fx::makeVersionResource(ne, false))},
        {"damaged-version.dll", fx::makePeWithVersion({main}, damagedVersion)},
        {"damaged.ico", fx::makeIco({{damagedImage, 32, 32, 0, 1, 32},
                                     fx::dibImage(fx::patternIcon(16, 16), 24),
                                     damagedPng})},
    };
    for (const auto& [name, bytes] : files) {
        std::FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::fprintf(stderr, "write_library_fixtures: cannot write %s\n", (dir / name).c_str());
            return 1;
        }
    }
    return 0;
}
