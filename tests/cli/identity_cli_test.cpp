// pellimar-cli and the identity of icons and cursors: resource IDs, names and
// languages listed and chosen, cursors with their hotspots, standard input, and
// an application's icon written into an icon theme.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/extract_cli.h"
#include "cli/icons_cli.h"
#include "cli/save_cli.h"
#include "command_outcome.h"
#include "platform/icon_set.h"
#include "platform/language_tags.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

using test::Outcome;
using test::run;

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

fx::IconImage solid(int size, std::uint32_t argb, int bits = 24) {
    return fx::dibImage(fx::solidIcon(size, size, argb), bits);
}

// Four numbered icon groups (IDs 1 to 4), one named "MAIN", and a fifth
// numbered one (ID 5) in Greek and German; and a cursor group.
struct Library {
    fx::IconImage greek = solid(32, 0xFF0000FF), german = solid(16, 0xFFFF0000);
    fx::IconImage arrow = solid(32, 0xFF00FF00, 4);
    fx::Bytes bytes;
    Library() {
        std::vector<fx::IconGroupSpec> groups;
        for (int i = 0; i < 4; ++i) groups.push_back({{solid(16, 0xFF000000u + i)}, {}, {}});
        groups.push_back({{solid(48, 0xFF808080)}, u"MAIN", {}});
        fx::IconGroupSpec five{{greek}, {}, {{german}}};
        five.language = 0x408;  // its further language is one less: German
        groups.push_back(five);
        bytes = fx::makePe(groups, {{{{arrow, 5, 7}}, {}}});
    }
};

// The stored images of every icon or cursor file in `dir` (a name each).
std::map<std::string, std::vector<fx::Bytes>> imagesOfFiles(const fs::path& dir) {
    std::map<std::string, std::vector<fx::Bytes>> out;
    for (const std::string& name : namesIn(dir)) {
        const fx::Bytes bytes = fx::readWholeFile(dir / name);
        auto set = IconSet::read(ByteSource(bytes));
        if (!set) continue;
        for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor})
            for (std::size_t i = 0; i < set->groups(kind).size(); ++i)
                for (const StoredImage& image : set->load(kind, int(i)).images)
                    out[name].push_back(fx::Bytes(image.data.begin(), image.data.end()));
    }
    return out;
}

}  // namespace

TEST(CliIdentity, ListShowsIdsNamesLanguagesAndCursorsWithTheirHotspots) {
    fx::TempDir dir;
    Library lib;
    const fs::path dll = dir.write("lib.dll", lib.bytes);
    Outcome text = run(cli::list, {dll.string()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, dll.string() +
                            ": 6\n"
                            "0 id:1 lang:1033/en-US 16x16@24\n"
                            "1 id:2 lang:1033/en-US 16x16@24\n"
                            "2 id:3 lang:1033/en-US 16x16@24\n"
                            "3 id:4 lang:1033/en-US 16x16@24\n"
                            "4 name:\"MAIN\" lang:1033/en-US 48x48@24\n"
                            "5 id:5 lang:1032/el-GR 32x32@24\n"
                            "+5 id:5 lang:1031/de-DE 16x16@24\n"
                            "cursor 0 id:1 lang:1033/en-US 32x32@4+5+7\n");

    Outcome json = run(cli::list, {"--json", dll.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject file =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out))["files"][0].toObject();
    const QJsonArray icons = file["icons"].toArray();
    ASSERT_EQ(icons.size(), 6);
    EXPECT_EQ(icons[0]["kind"].toString(), "icon");
    EXPECT_EQ(icons[0]["id"].toInt(), 1);
    EXPECT_TRUE(icons[4]["id"].isUndefined());
    EXPECT_EQ(icons[4]["name"].toString(), "MAIN");
    EXPECT_EQ(icons[5]["language"]["id"].toInt(), 1032);
    const QJsonObject german = icons[5]["other_languages"][0].toObject();
    EXPECT_EQ(german["id"].toInt(), 5);
    EXPECT_EQ(german["language"]["tag"].toString(), "de-DE");
    // Offsets and sizes name the stored bytes exactly.
    const QJsonObject image = german["images"][0].toObject();
    const auto at = std::size_t(image["offset"].toDouble());
    const auto size = std::size_t(image["bytes"].toDouble());
    ASSERT_LE(at + size, lib.bytes.size());
    EXPECT_EQ(fx::Bytes(lib.bytes.begin() + long(at), lib.bytes.begin() + long(at + size)),
              lib.german.data);
    const QJsonObject cursor = file["cursors"][0].toObject();
    EXPECT_EQ(cursor["kind"].toString(), "cursor");
    EXPECT_EQ(cursor["images"][0]["hotspot"].toArray(), (QJsonArray{5, 7}));
    EXPECT_TRUE(icons[0]["other_languages"].toArray().isEmpty());
}

TEST(CliIdentity, LanguageNumbersAndTags) {
    EXPECT_EQ(parseLanguage("de-de"), 1031);
    EXPECT_EQ(parseLanguage("0x407"), 1031);
    EXPECT_EQ(parseLanguage("1031"), 1031);
    EXPECT_EQ(parseLanguage("65536"), std::nullopt);
    EXPECT_EQ(parseLanguage("xx-YY"), std::nullopt);
    // Spanish of Spain is stored under two numbers: its tag names both.
    EXPECT_TRUE(namesLanguage("es-ES", 0x040A));
    EXPECT_TRUE(namesLanguage("es-ES", 0x0C0A));
    EXPECT_FALSE(namesLanguage("es-ES", 0x080A));
    EXPECT_EQ(languageText(0x0C0A), "3082/es-ES");
    EXPECT_EQ(languageText(0), "0");          // neutral: no tag
    EXPECT_EQ(languageText(0x1234), "4660");  // unknown: the number alone
}

TEST(CliIdentity, ExtractChoosesByIdNameAndLanguageAndWritesEveryLanguage) {
    fx::TempDir dir;
    Library lib;
    const fs::path dll = dir.write("lib.dll", lib.bytes);
    const fs::path all = dir.path() / "all";
    Outcome r = run(cli::extract, {"--all-languages", "-o", all.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    // Each group and each further language, and the cursor with its hotspot.
    const auto written = imagesOfFiles(all);
    EXPECT_EQ(written.size(), 8u);
    EXPECT_EQ(written.at("lib.dll-5-el-GR.ico"), (std::vector<fx::Bytes>{lib.greek.data}));
    EXPECT_EQ(written.at("lib.dll-5-de-DE.ico"), (std::vector<fx::Bytes>{lib.german.data}));
    EXPECT_EQ(written.at("lib.dll-cursor-0-en-US.cur"), (std::vector<fx::Bytes>{lib.arrow.data}));
    const fx::Bytes cur = fx::readWholeFile(all / "lib.dll-cursor-0-en-US.cur");
    EXPECT_EQ(fx::get16(cur, 2), 2);  // a cursor file
    EXPECT_EQ(fx::get16(cur, 10), 5);
    EXPECT_EQ(fx::get16(cur, 12), 7);

    const fs::path one = dir.path() / "one";
    r = run(cli::extract, {"--id", "5", "--lang", "de-DE", "-o", one.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        imagesOfFiles(one),
        (std::map<std::string, std::vector<fx::Bytes>>{{"lib.dll-5.ico", {lib.german.data}}}));
    const fs::path named = dir.path() / "named";
    r = run(cli::extract, {"--name", "main", "-o", named.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(named), (std::vector<std::string>{"lib.dll-4.ico"}));

    // What does not exist is an error naming what does.
    r = run(cli::extract, {"--id", "9", "-o", one.string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pellimar-cli extract: " + dll.string() +
                         ": no icon or cursor with ID 9 (IDs: icon 1, icon 2, icon 3, icon 4, "
                         "icon 5, cursor 1; names: icon \"MAIN\")\n");
    r = run(cli::extract, {"--id", "5", "--lang", "fr-FR", "-o", one.string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "pellimar-cli extract: " + dll.string() +
                         ": no such group in the language fr-FR (languages: 1031/de-DE, "
                         "1032/el-GR)\n");
    EXPECT_EQ(run(cli::extract, {"--lang", "xx", "-o", one.string(), dll.string()}).status, 2);

    // save: by ID; a further language is told apart, not saved as the first.
    const fs::path saved = dir.path() / "saved.ico";
    r = run(cli::save, {"--name", "MAIN", "-o", saved.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, saved.string() + "\n");
    r = run(cli::save, {"--id", "5", "--lang", "1031", "-o", saved.string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("first language (1032/el-GR)"), std::string::npos) << r.err;
}

TEST(CliIdentity, CursorFilesListAndComeOutAsTheyWent) {
    fx::TempDir dir;
    const fx::Bytes bytes = fx::makeCur({{solid(32, 0xFF0000FF, 4), 3, 9},
                                         {fx::pngImage(fx::solidIcon(48, 48, 0xFF00FF00)), 24, 1}});
    const fs::path cur = dir.write("hand.cur", bytes);
    Outcome r = run(cli::list, {cur.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, cur.string() + ": 0\ncursor 0 32x32@4+3+9 48x48@32+24+1\n");
    const fs::path out = dir.path() / "out";
    r = run(cli::extract, {"-o", out.string(), cur.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fx::readWholeFile(out / "hand.cur-cursor-0.cur"), bytes);
    r = run(cli::extract, {"-f", "png", "--json", "-o", out.string(), cur.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"hotspot\": [24, 1]"), std::string::npos) << r.out;
}

TEST(CliIdentity, FoldersTakeEveryKindByNameAndAnyFileByItsBytes) {
    fx::TempDir dir;
    const fx::Bytes pe = fx::makePe({{{solid(16, 0xFF0000FF)}, {}, {}}});
    for (const char* name : {"a.cpl", "b.OCX", "c.scr", "d.mun", "e.mui"}) dir.write(name, pe);
    dir.write("f.cur", fx::makeCur({{solid(32, 0xFF0000FF, 4), 1, 1}}));
    dir.write("g", pe);                       // no extension: only with --any-file
    dir.write("h.txt", fx::Bytes{'h', 'i'});  // passed over as no icon file
    const fs::path out = dir.path() / "out";
    Outcome r = run(cli::extract, {"-o", out.string(), dir.path().string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"a.cpl-0.ico", "b.OCX-0.ico", "c.scr-0.ico", "d.mun-0.ico",
                                        "e.mui-0.ico", "f.cur-cursor-0.cur"}));
    fs::remove_all(out);
    r = run(cli::extract, {"--any-file", "-o", out.string(), dir.path().string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out).size(), 7u);
    EXPECT_TRUE(fs::exists(out / "g-0.ico"));
}

// Standard input is read once in a process: every use of it is in this test.
TEST(CliIdentity, StandardInputIsReadAsTheFileAndNamedStdin) {
    fx::TempDir dir;
    Library lib;
    const fs::path dll = dir.write("lib.dll", lib.bytes);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_LT(lib.bytes.size(), 60000u);  // fits the pipe: written before it is read
    ASSERT_EQ(::write(pipeEnds[1], lib.bytes.data(), lib.bytes.size()), long(lib.bytes.size()));
    ::close(pipeEnds[1]);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(pipeEnds[0], STDIN_FILENO);
    ::close(pipeEnds[0]);
    const Outcome fromPipe = run(cli::list, {"--json", "-"});
    const Outcome again = run(cli::list, {"-"});
    const fs::path out = dir.path() / "out";
    const Outcome extracted = run(cli::extract, {"-o", out.string(), "-"});
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);

    ASSERT_EQ(fromPipe.status, 0) << fromPipe.err;
    Outcome fromFile = run(cli::list, {"--json", dll.string()});
    const std::string quoted = "\"" + dll.string() + "\"";
    fromFile.out.replace(fromFile.out.find(quoted), quoted.size(), "\"stdin\"");
    EXPECT_EQ(fromPipe.out, fromFile.out);
    EXPECT_EQ(again.out.substr(0, 9), "stdin: 6\n");  // read again from the copy
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_TRUE(fs::exists(out / "stdin-0.ico"));
    EXPECT_TRUE(fs::exists(out / "stdin-cursor-0.cur"));
}

namespace {

// Where the icon theme lookup finds an application's icon of `size` pixels in
// hicolor: the first base folder ($XDG_DATA_HOME/icons, then those of
// $XDG_DATA_DIRS) holding NAME.png in a folder the theme's index lists for that
// size. The index is the first index.theme of hicolor in those folders.
std::optional<fs::path> lookUpIcon(const std::vector<fs::path>& bases, const std::string& name,
                                   int size) {
    std::map<std::string, std::map<std::string, std::string>> index;
    for (const fs::path& base : bases) {
        std::ifstream in(base / "hicolor" / "index.theme");
        if (!in) continue;
        std::string section;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] == '[')
                section = line.substr(1, line.find(']') - 1);
            else if (const auto eq = line.find('='); eq != std::string::npos)
                index[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
        break;
    }
    std::stringstream directories(index["Icon Theme"]["Directories"]);
    for (std::string subdir; std::getline(directories, subdir, ',');) {
        auto& entry = index[subdir];
        if (entry["Size"] != std::to_string(size) || entry["Context"] != "Applications" ||
            (entry.count("Scale") && entry["Scale"] != "1"))
            continue;
        for (const fs::path& base : bases)
            if (fs::exists(base / "hicolor" / subdir / (name + ".png")))
                return base / "hicolor" / subdir / (name + ".png");
    }
    return std::nullopt;
}

}  // namespace

TEST(CliIdentity, ThemeHoldsOnePngForEachSquareSizeOfTheMainIconAndTheLookupFindsIt) {
    if (!fs::exists("/usr/share/icons/hicolor/index.theme"))
        GTEST_SKIP() << "no hicolor theme index installed";
    fx::TempDir dir;
    const fx::IconImage big = fx::pngImage(fx::alphaPatternIcon(256, 256));
    const fs::path exe = dir.write(
        "app.exe",
        fx::makePe({{{solid(16, 0xFF0000FF, 4), solid(16, 0xFF00FF00, 32), solid(48, 0xFF0000FF),
                      fx::dibImage(fx::solidIcon(48, 32, 0xFF0000FF), 24), big},
                     {},
                     {}},
                    {{solid(32, 0xFF000000)}, {}, {}}}));
    const fs::path home = dir.path() / "data";
    const fs::path icons = home / "icons";
    Outcome r = run(cli::extract,
                    {"--theme", icons.string(), "--app-name", "org.example.App", exe.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    // 16, 48 and 256 pixels; no 32 (the icon has none) and no 48 x 32.
    EXPECT_EQ(namesIn(icons), (std::vector<std::string>{"hicolor/16x16/apps/org.example.App.png",
                                                        "hicolor/256x256/apps/org.example.App.png",
                                                        "hicolor/48x48/apps/org.example.App.png"}));
    EXPECT_NE(r.err.find("image 3 is 48x32: a theme holds square images only"), std::string::npos)
        << r.err;
    // The deepest image of a size; a PNG image as stored.
    const fx::Bytes small = fx::readWholeFile(icons / "hicolor/16x16/apps/org.example.App.png");
    const auto header = readPngHeader(small, 256);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->bitsPerPixel, 32);
    EXPECT_EQ(fx::readWholeFile(icons / "hicolor/256x256/apps/org.example.App.png"), big.data);

    const std::vector<fs::path> bases = {icons, "/usr/share/icons"};
    EXPECT_EQ(lookUpIcon(bases, "org.example.App", 48),
              icons / "hicolor/48x48/apps/org.example.App.png");
    EXPECT_EQ(lookUpIcon(bases, "org.example.App", 32), std::nullopt);

    // The second icon by its index; bad names are refused.
    r = run(cli::extract,
            {"--theme", icons.string(), "--app-name", "second", "--index", "1", exe.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(icons / "hicolor/32x32/apps/second.png"));
    EXPECT_EQ(
        run(cli::extract, {"--theme", icons.string(), "--app-name", "a/b", exe.string()}).status,
        2);
    EXPECT_EQ(
        run(cli::extract, {"--theme", icons.string(), "--app-name", "x.png", exe.string()}).status,
        2);
}

TEST(CliIdentity, AnimatedCursorsAreSaidNotToBeRead) {
    fx::TempDir dir;
    fx::Bytes riff = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'};
    const fs::path ani = dir.write("wait.ani", riff);
    const Outcome r = run(cli::list, {ani.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, ani.string() + ": 0\n");
    EXPECT_EQ(r.err, "pellimar-cli: cannot read " + ani.string() +
                         ": animated cursor (.ani) files are not read: not a Windows program, "
                         "library, icon or cursor file\n");
}
