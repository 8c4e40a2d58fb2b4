#include "cli/save_cli.h"

#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;

namespace {

struct Cli {
    int status = -1;
    std::string out, err;
};

Cli run(std::vector<std::string> args) {
    std::ostringstream out, err;
    Cli r;
    r.status = cli::save(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

int lines(const std::string& s) {
    return int(std::count(s.begin(), s.end(), '\n'));
}

}  // namespace

TEST(CliSave, WritesThroughTheSaveRoutinesAndListsTheFiles) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32),
                                                  fx::dibImage(fx::patternIcon(16, 16), 32)}}}));
    auto ico = dir.write("a.ico", fx::makeIco({fx::dibImage(fx::patternIcon(16, 16, 16), 8),
                                               fx::dibImage(fx::patternIcon(48, 48), 32)}));
    const std::string out = (dir.path() / "icons.ico").string();

    Cli r = run({dll.string(), "0", "--format", "ico", "--sizes", "32,16", "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "32-icons.ico").string() + "\n" +
                         (dir.path() / "16-icons.ico").string() + "\n");
    EXPECT_EQ(fx::readWholeFile(dir.path() / "32-icons.ico").size(), 2238u);

    // An .ico source keeps its own size; the file name takes the forced extension.
    r = run({ico.string(), "1", "--format", "jpg", "--sizes", "48", "--out",
             (dir.path() / "x.png").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "48-x.jpg").string() + "\n");
    EXPECT_EQ(QImage(QString::fromStdString((dir.path() / "48-x.jpg").string())).size(),
              QSize(48, 48));
}

TEST(CliSave, NothingWrittenIsStatusOneWithOneLine) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    auto ico = dir.write("a.ico", fx::makeIco({fx::dibImage(fx::patternIcon(24, 24, 16), 8)}));
    const std::string out = (dir.path() / "o.bmp").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {dll.string(), "5", "--format", "bmp", "--out", out},  // no such icon
             {dll.string(), "0", "--format", "bmp", "--sizes", "128", "--out", out},    // no size
             {ico.string(), "0", "--format", "bmp", "--sizes", "16,32", "--out", out},  // 24 px
             {(dir.path() / "none.ico").string(), "0", "--out", out},  // no such file
             {dll.string(), "0", "--format", "bmp", "--out",
              (dir.path() / "lib.dll" / "o.bmp").string()}}) {  // through a file
        Cli r = run(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << args[1];
        EXPECT_EQ(lines(r.err), 1) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    // Each says why.
    EXPECT_EQ(run({dll.string(), "5", "--format", "bmp", "--out", out}).err,
              "pellimar-cli save: cannot read icon 5 of " + dll.string() + ": no icon 6\n");
    EXPECT_EQ(run({dll.string(), "0", "--format", "bmp", "--sizes", "128", "--out", out}).err,
              "pellimar-cli save: nothing written: lib.dll-001: pictures of programs are saved "
              "at 32 and 16 pixels, and neither is chosen\n");
    EXPECT_EQ(run({ico.string(), "0", "--format", "bmp", "--sizes", "16,32", "--out", out}).err,
              "pellimar-cli save: nothing written: a.ico-001: its image is 24 x 24, and that size "
              "is not chosen\n");
    std::vector<std::string> left;
    for (auto& e : std::filesystem::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.ico", "lib.dll"}));
}

TEST(CliSave, AnUnreadableSourceSaysWhyAndIsStatusOne) {
    fx::TempDir dir;
    const std::string out = (dir.path() / "o.ico").string();
    // A missing file, a file of no icons, an icon file that is not one, and a file
    // whose name holds the separator of the message.
    auto text = dir.write("text.dll", fx::Bytes{'h', 'i'});
    auto program =
        dir.write("program.ico", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    const std::string missing = (dir.path() / "none.ico").string();
    const std::string colon = (dir.path() / "a: b.ico").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {missing, "cannot open: No such file or directory"},
        {text.string(), "not a Windows program, library, icon or cursor file"},
        {program.string(), "icon file header is not valid at byte 0x0"},
        {colon, "cannot open: No such file or directory"},
    };
    for (const char* format : {"ico", "bmp", "png", "original"})
        for (const auto& [file, why] : cases) {
            Cli r = run({file, "0", "--format", format, "--out", out});
            EXPECT_EQ(r.status, 1) << file;
            EXPECT_EQ(r.err, "pellimar-cli save: cannot read icon 0 of " + file + ": " + why + "\n")
                << format;
            EXPECT_TRUE(r.out.empty());
        }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliSave, BadArgumentsAreStatusTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"f.dll"},
             {"f.dll", "x", "--out", "o.ico"},
             {"f.dll", "-1", "--out", "o.ico"},
             {"f.dll", "0"},
             {"f.dll", "0", "--out"},
             {"f.dll", "0", "--format", "gif", "--out", "o.ico"},
             {"f.dll", "0", "--sizes", "32,24", "--out", "o.ico"},
             {"f.dll", "0", "--sizes", "", "--out", "o.ico"},
             {"f.dll", "0", "--colour", "red", "--out", "o.ico"}}) {
        Cli r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage: pellimar-cli save"), std::string::npos);
    }
}

TEST(CliSave, ANameWithoutExtensionTakesTheFormatsOwn) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    for (const std::string format : {"ico", "bmp", "jpg"}) {
        Cli r = run({dll.string(), "0", "--format", format, "--out",
                     (dir.path() / ("icons" + format)).string()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, (dir.path() / ("icons" + format + "." + format)).string() + "\n");
    }
}

TEST(CliSave, ARunThatStopsAtAnUnwritableFileIsNoSuccess) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32),
                                                  fx::dibImage(fx::patternIcon(16, 16), 32)}}}));
    // The 32 x 32 picture is written; the 16 x 16 one meets a folder of its name.
    std::filesystem::create_directory(dir.path() / "16-p.bmp");
    Cli r = run({dll.string(), "0", "--format", "bmp", "--sizes", "32,16", "--out",
                 (dir.path() / "p.bmp").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, (dir.path() / "32-p.bmp").string() + "\n");  // what was written
    EXPECT_EQ(lines(r.err), 1);
    EXPECT_NE(r.err.find("16-p.bmp"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "16-p.bmp"));
}

TEST(CliSave, AnIconFileThatCannotBeWrittenIsNotBlamedOnTheSource) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    Cli r = run({dll.string(), "0", "--format", "ico", "--out",
                 (dir.path() / "lib.dll" / "o.ico").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1);
    EXPECT_EQ(r.err, "pellimar-cli save: Cannot create file \"" +
                         (dir.path() / "lib.dll" / "o.ico").string() + "\". Not a directory\n");
}

// A PATH that ends in a folder names no file: it is refused as a usage error, and
// no name such as "/.ico" or "out/.ico" is made up for it.
TEST(CliSave, APathThatNamesNoFileIsRefused) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    std::filesystem::create_directory(dir.path() / "out");
    for (const std::string& path : {std::string("/"), (dir.path() / "out").string() + "/",
                                    (dir.path() / "out" / ".").string()}) {
        Cli r = run({dll.string(), "0", "--format", "png", "--out", path});
        EXPECT_EQ(r.status, 2) << path;
        EXPECT_EQ(r.err.rfind("pellimar-cli save: --out " + path +
                                  " names no file: give a file "
                                  "name, as in ",
                              0),
                  0u)
            << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out"));
    EXPECT_FALSE(std::filesystem::exists("/.png"));
}

TEST(CliSave, ARunThatLeftOutAnyFileIsStatusOneWithTheReason) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    std::filesystem::create_directory(dir.path() / "16-o.ico");
    Cli r = run({dll.string(), "0", "--format", "ico", "--sizes", "32,16", "--out",
                 (dir.path() / "o.ico").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, (dir.path() / "32-o.ico").string() + "\n");
    EXPECT_EQ(r.err, "pellimar-cli save: Cannot create file \"" +
                         (dir.path() / "16-o.ico").string() + "\". Is a directory\n");
}

TEST(CliSave, PngAndOriginalIconFormats) {
    fx::TempDir dir;
    const fx::IconImage four = fx::dibImage(fx::patternIcon(32, 32, 16), 4);
    const fx::IconImage png = fx::pngImage(fx::alphaPatternIcon(256, 256));
    auto dll = dir.write("lib.dll", fx::makePe({{{four, png}}}));
    Cli r =
        run({dll.string(), "0", "-f", "png", "-s", "128,48", "-o", (dir.path() / "p").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "128-p.png").string() + "\n" +
                         (dir.path() / "48-p.png").string() + "\n");
    QImage big((dir.path() / "128-p.png").c_str());
    EXPECT_EQ(big.size(), QSize(128, 128));
    EXPECT_TRUE(big.hasAlphaChannel());

    r = run({dll.string(), "0", "--format=original", "--out", (dir.path() / "o").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (dir.path() / "o.ico").string() + "\n");
    const fx::Bytes ico = fx::readWholeFile(dir.path() / "o.ico");
    EXPECT_EQ(fx::get16(ico, 4), 2u);
    EXPECT_EQ(fx::Bytes(ico.end() - std::ptrdiff_t(png.data.size()), ico.end()), png.data);
}

TEST(CliSave, DashWritesTheOneFileToStandardOutput) {
    fx::TempDir dir;
    auto dll = dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32)}}}));
    for (const std::string format : {"ico", "bmp", "jpg", "png", "original"}) {
        Cli toFile = run({dll.string(), "0", "-f", format, "-o", (dir.path() / "f").string()});
        ASSERT_EQ(toFile.status, 0) << format << toFile.err;
        Cli toOut = run({dll.string(), "0", "-f", format, "-o", "-"});
        ASSERT_EQ(toOut.status, 0) << format << toOut.err;
        const std::string written = toFile.out.substr(0, toFile.out.size() - 1);
        const fx::Bytes bytes = fx::readWholeFile(written);
        if (format != "jpg")  // an encoder may differ in nothing else, but JPEG need not be asked
            EXPECT_EQ(toOut.out, std::string(bytes.begin(), bytes.end())) << format;
        else
            EXPECT_EQ(toOut.out.substr(0, 2), "\xFF\xD8");
    }
    // Two sizes make two files: not for standard output.
    Cli r = run({dll.string(), "0", "-s", "32,16", "-o", "-"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    // Nothing to write is a failure, with nothing on standard output.
    r = run({dll.string(), "4", "-o", "-"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(std::filesystem::exists("-"));
}
