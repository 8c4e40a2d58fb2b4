// Writes the files the Python tests read into a folder, built by the fixture
// builder:
//   tree/programs/pe32.dll       numbered icons (DIBs of 4, 8 and 32 bits, a PNG),
//                                one of them in three languages, and two cursors
//   tree/programs/pe32plus.exe   a named icon (MAINICON) and a numbered one
//   tree/programs/old/ne.dll     an NE library with a numbered and a named icon and
//                                a cursor
//   tree/icons/app.ico, tree/icons/pointer.cur   an icon file and a cursor file
//   tree/icons/notes.txt         text (read by no one)
//   tree/programs/no-icons.dll   a PE library without icons
//   broken/cut.dll               an icon whose second image runs past the file's end
//   version/version.exe          a version resource in English and German
//   version/old.exe              an NE program's version resource (Latin-1)
//   version/damaged.dll          one whose second table's length is 0
// The folder `tree` is what the index example walks.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fx = pellimar::fixtures;

namespace {

bool writeFile(const std::filesystem::path& path, const fx::Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool done = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) return false;
    if (!done) std::fprintf(stderr, "write_python_samples: cannot write %s\n", path.c_str());
    return done;
}

void patch32(fx::Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_python_samples FOLDER\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const fx::IconImage small4 = fx::dibImage(fx::patternIcon(16, 16, 16), 4);
    const fx::IconImage mid8 = fx::dibImage(fx::patternIcon(32, 32, 200), 8);
    const fx::IconImage alpha32 = fx::dibImage(fx::alphaPatternIcon(48, 48), 32);
    const fx::IconImage png256 = fx::pngImage(fx::alphaPatternIcon(256, 256));
    const fx::CursorImage arrow = {fx::dibImage(fx::patternIcon(32, 32, 2), 1), 3, 5};
    const fx::CursorImage hand = {fx::dibImage(fx::alphaPatternIcon(32, 32), 32), 10, 1};

    fx::IconGroupSpec multilingual = {{mid8, alpha32}};
    multilingual.otherLanguages = {{small4}, {fx::dibImage(fx::solidIcon(24, 24, 0xFF336699), 24)}};
    const std::vector<fx::IconGroupSpec> pe32Icons = {
        {{small4, mid8, alpha32, png256}},
        multilingual,
        {{fx::dibImage(fx::patternIcon(20, 20), 24)}}};
    fx::IconGroupSpec named = {{alpha32, png256}};
    named.name = u"MAINICON";
    fx::IconGroupSpec neNamed = {{mid8}};
    neNamed.name = u"APPICON";
    fx::CursorGroupSpec neCursor = {{arrow}};

    bool ok = true;
    const std::filesystem::path tree = dir / "tree";
    ok &= writeFile(tree / "programs" / "pe32.dll",
                    fx::makePe(pe32Icons, {{{arrow}}, {{hand, arrow}}}, fx::PeKind::Pe32));
    ok &= writeFile(tree / "programs" / "pe32plus.exe",
                    fx::makePe({named, {{small4, mid8}}}, fx::PeKind::Pe32Plus));
    ok &= writeFile(tree / "programs" / "old" / "ne.dll",
                    fx::makeNe({{{small4, mid8}}, neNamed}, {neCursor}));
    ok &= writeFile(tree / "programs" / "no-icons.dll", fx::makePe({}));
    ok &= writeFile(tree / "icons" / "app.ico", fx::makeIco({small4, alpha32, png256}));
    ok &= writeFile(tree / "icons" / "pointer.cur", fx::makeCur({hand, arrow}));
    ok &= writeFile(tree / "icons" / "notes.txt",
                    fx::Bytes({'n', 'o', ' ', 'i', 'c', 'o', 'n', 's', '\n'}));

    // The second image's data entry states a size that runs past the file.
    fx::Bytes cut = fx::makePe({{{small4, mid8}}});
    patch32(cut, fx::dataEntryOf(cut, 3, 1) + 4, 0x100000);
    ok &= writeFile(dir / "broken" / "cut.dll", cut);

    const fx::VersionSpec versions{{{0x0409,
                                     1200,
                                     {{"CompanyName", "Example Works"},
                                      {"FileDescription", "Mine sweeping game"},
                                      {"FileVersion", "5.1.2600.0"},
                                      {"ProductName", "Example Minesweeper"},
                                      {"ProductVersion", "5.1"},
                                      {"LegalCopyright", "\u00a9 Example Works"}}},
                                    {0x0407, 1200, {{"ProductName", "Beispiel-Minensucher"}}}},
                                   {{0x0409, 1200}, {0x0407, 1200}}};
    const fx::Bytes version = fx::makeVersionResource(versions, true);
    ok &= writeFile(dir / "version" / "version.exe", fx::makePeWithVersion({{{small4}}}, version));
    ok &= writeFile(
        dir / "version" / "old.exe",
        fx::makeNeWithVersion(
            {{{small4}}}, fx::makeVersionResource(
                              {{{0x0407, 1252, {{"ProductName", "\u00c4hnlich"}}}}, {}}, false)));
    // The first table's block starts at 0x80; the second after it, at a multiple of four.
    fx::Bytes damaged = version;
    fx::put16(damaged, 0x80 + ((fx::get16(version, 0x80) + 3u) & ~3u), 0);
    ok &= writeFile(dir / "version" / "damaged.dll", fx::makePeWithVersion({{{small4}}}, damaged));
    return ok ? 0 : 1;
}
