// Writes the sample files of the desktop-service tests into a folder: a PE32+
// program, a PE32 library and an NE library, each with icons, and a cursor file,
// built by the fixture builder. With --crafted, also crafted.dll: 1 MB whose 257 icon groups
// each name its one 1 MB image 255 times, and distinct.dll: 8 groups, each of one
// image of its own padded to 20 MB (for the benchmarks of the output caps);
// with --seeds, small files of the same shapes for the fuzz corpus; with
// --animation-seeds, instead, animated cursors (.ani files, and a PE and an NE
// library holding them as resources) for the animations' corpus, and with
// --scheme-seeds cursor sets' install.inf files for the scheme's; with --mime,
// instead, the files whose types the MIME check asks the desktop for: an icon
// library, the same bytes under a library's name, an NE library with no icons, a
// PE library, an icon file and a cursor file.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fx = pellimar::fixtures;

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[2] : "";
    const bool crafted = mode == "--crafted", seeds = mode == "--seeds", mime = mode == "--mime";
    const bool animationSeeds = mode == "--animation-seeds", schemeSeeds = mode == "--scheme-seeds";
    if (argc != 2 && !crafted && !seeds && !mime && !animationSeeds && !schemeSeeds) {
        std::fprintf(stderr,
                     "usage: write_sample_files FOLDER [--crafted | --seeds | --animation-seeds | "
                     "--scheme-seeds | --mime]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const std::vector<fx::IconGroupSpec> groups = {
        {{fx::dibImage(fx::patternIcon(32, 32, 16), 4),
          fx::dibImage(fx::alphaPatternIcon(48, 48), 32),
          fx::pngImage(fx::alphaPatternIcon(256, 256))}}};
    std::vector<std::pair<const char*, fx::Bytes>> files = {
        {"program64.exe", fx::makePe(groups, fx::PeKind::Pe32Plus)},
        {"library32.dll", fx::makePe(groups, fx::PeKind::Pe32)},
        {"library16.dll", fx::makeNe({{{fx::dibImage(fx::patternIcon(32, 32, 16), 4)}}})},
        // A cursor whose largest image is stored as PNG, as current cursors are,
        // which gdk-pixbuf's reader refuses: a thumbnail of it is ours.
        {"arrow.cur", fx::makeCur({{fx::pngImage(fx::alphaPatternIcon(48, 48)), 0, 0}})}};
    if (mime) {
        const std::vector<fx::IconGroupSpec> icons = {
            {{fx::dibImage(fx::patternIcon(32, 32, 16), 4),
              fx::dibImage(fx::patternIcon(16, 16, 16), 4)}},
            {{fx::dibImage(fx::solidIcon(32, 32, 0xFF204080), 24)}}};
        files = {{"library.icl", fx::makeNe(icons)},
                 {"icons-in-a.dll", fx::makeNe(icons)},
                 {"plain-ne.dll", fx::makeNe({})},
                 {"program.dll", fx::makePe(icons)},
                 {"icon.ico", fx::makeIco(icons[0].images)},
                 {"arrow.cur", fx::makeCur({{fx::dibImage(fx::patternIcon(32, 32, 2), 1), 0, 0}})}};
    }
    if (crafted) {
        files.emplace_back("crafted.dll", fx::makeSharedGroupPe(257, 255, 1u << 20));
        std::vector<fx::IconGroupSpec> large(8);
        for (std::size_t i = 0; i < large.size(); ++i) {
            fx::IconImage image = fx::dibImage(fx::patternIcon(32, 32, 16), 4);
            image.data.resize(20u << 20, std::uint8_t(i));
            large[i].images = {std::move(image)};
        }
        files.emplace_back("distinct.dll", fx::makePe(large));
    }
    // Seeds of the fuzz corpus: the crafted files' shapes at a size a fuzzer takes.
    if (seeds) {
        files.emplace_back("shared-groups.dll", fx::makeSharedGroupPe(257, 255, 4096));
        files.emplace_back("many-ids.dll", fx::makeManyIdsPe(240, 64, 64));
        // Version resources, in a program, in an NE library, and as bytes alone.
        const fx::VersionSpec version{
            {{0x0409, 1200, {{"ProductName", "Example"}, {"FileVersion", "1.0"}}},
             {0x0407, 1200, {{"ProductName", "Beispiel"}}}},
            {{0x0409, 1200}, {0x0407, 1200}}};
        files.emplace_back("version.dll",
                           fx::makePeWithVersion(groups, fx::makeVersionResource(version, true)));
        files.emplace_back("version16.dll",
                           fx::makeNeWithVersion({}, fx::makeVersionResource(version, false)));
        files.emplace_back("version.res", fx::makeVersionResource(version, true));
    }
    if (animationSeeds) {
        fx::AniSpec full;
        full.frames = {fx::makeCur({{fx::dibImage(fx::alphaPatternIcon(16, 16), 32), 3, 4},
                                    {fx::dibImage(fx::patternIcon(8, 8, 2), 1), 1, 1}}),
                       fx::makeCur({{fx::dibImage(fx::patternIcon(16, 16, 16), 4), 5, 6}}),
                       fx::makeIco({fx::pngImage(fx::alphaPatternIcon(16, 16))})};
        full.sequence = {0, 1, 0, 2};
        full.rates = {5, 10, 15, 20};
        full.title = "Busy";
        full.artist = "Pellimar";
        fx::AniSpec plain;
        plain.frames = {fx::makeCur({{fx::dibImage(fx::solidIcon(8, 8, 0xFF204080), 24), 0, 0}}),
                        fx::makeCur({{fx::dibImage(fx::solidIcon(8, 8, 0xFF804020), 24), 7, 7}})};
        plain.listFirst = true;
        const fx::Bytes fullAni = fx::makeAni(full), plainAni = fx::makeAni(plain);
        const std::vector<fx::AnimationSpec> animations = {
            {21, plainAni, {}}, {21, fullAni, u"BUSY"}, {22, plainAni, {}}};
        const std::vector<fx::CursorGroupSpec> cursors = {
            {{{fx::dibImage(fx::solidIcon(8, 8, 0xFF000000), 32), 1, 1}}}};
        files = {{"full.ani", fullAni},
                 {"plain.ani", plainAni},
                 {"animations.dll", fx::makePe({}, cursors, animations)},
                 {"animations-ne.dll", fx::makeNe({}, cursors, animations)}};
    }
    if (schemeSeeds) {
        const std::string scheme =
            "[Version]\nsignature=\"$CHICAGO$\"\n\n[Scheme.Reg]\n"
            "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%NAME%\",,\"%10%\\%D%\\%a%,"
            "%10%\\%D%\\%b%,,\\\n%10%\\%D%\\%c%\" ; the scheme\n\n"
            "[Strings]\nD = \"Cursors\\Set \"\"One\"\"\"\nNAME = \"Set, One\"\n"
            "a = \"arrow.cur\"\nb = help.cur\nc = \"busy.ani\"\n";
        const std::string roles =
            "[Wreg]\nHKCU,\"Control Panel\\Cursors\",Arrow,0x00020000,\"%10%\\x\\%p%\"\n"
            "HKCU,\"Control Panel\\Cursors\",Hand,0x00020000,\"h.cur\"\n[Strings]\np=arrow.cur\n";
        files = {{"install.inf", fx::Bytes(scheme.begin(), scheme.end())},
                 {"roles.inf", fx::Bytes(roles.begin(), roles.end())}};
    }
    for (const auto& [name, bytes] : files) {
        std::FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::fprintf(stderr, "write_sample_files: cannot write %s\n", (dir / name).c_str());
            return 1;
        }
    }
    return 0;
}
