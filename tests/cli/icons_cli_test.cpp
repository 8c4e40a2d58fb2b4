// pellimar-cli list and draw.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <sstream>

#include "cli/icons_cli.h"
#include "cli/save_cli.h"
#include "platform/caps.h"
#include "platform/ico_file.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

TEST(CliList, PrintsTheCountThenEachIconsImages) {
    TempDir dir;
    auto dll = dir.write(
        "two.dll",
        makePe(
            {{{dibImage(patternIcon(16, 16, 16), 4), pngImage(alphaPatternIcon(256, 256))}, {}, {}},
             {{dibImage(patternIcon(32, 32), 24)}, {}, {}}}));
    auto text = dir.write("text.exe", Bytes{'h', 'i'});
    auto empty = dir.write("empty.dll", makePe({}));
    std::ostringstream out, err;
    EXPECT_EQ(cli::list({dll.string(), empty.string()}, out, err), 0);
    EXPECT_EQ(out.str(), dll.string() + ": 2\n0 id:1 lang:1033/en-US 16x16@4 256x256@32\n" +
                             "1 id:2 lang:1033/en-US 32x32@24\n" + empty.string() + ": 0\n");
    EXPECT_EQ(err.str(), "");
    // A file of no kind read is not a program without icons: it cannot be read.
    std::ostringstream textOut, textErr;
    EXPECT_EQ(cli::list({text.string(), empty.string()}, textOut, textErr), 1);
    EXPECT_EQ(textOut.str(), text.string() + ": 0\n" + empty.string() + ": 0\n");
    EXPECT_EQ(textErr.str(), "pellimar-cli: cannot read " + text.string() +
                                 ": not a Windows program, library, icon or cursor file\n");
}

// What list says of an icon file's images is the depth they are stored at, as the
// entry states it, or when the entry leaves it 0, as the image's own header does.
TEST(CliList, IconFilesOfSixteenAndTwoHundredFiftySixColoursListTheirDepth) {
    TempDir dir;
    // Saved by the program from a 32 px image of many colours, and of a few.
    auto many = dir.write("many.dll", makePe({{{dibImage(patternIcon(32, 32), 32)}}}));
    auto few = dir.write("few.dll", makePe({{{dibImage(solidIcon(32, 32, 0xFFFF0000), 4)}}}));
    std::ostringstream saved, err;
    ASSERT_EQ(cli::save({many.string(), "0", "-f", "ico", "-o", (dir.path() / "many.ico").string()},
                        saved, err),
              0)
        << err.str();
    ASSERT_EQ(cli::save({few.string(), "0", "-f", "ico", "-o", (dir.path() / "few.ico").string()},
                        saved, err),
              0)
        << err.str();
    ASSERT_EQ(readWholeFile(dir.path() / "many.ico").size(), 2238u);
    ASSERT_EQ(readWholeFile(dir.path() / "few.ico").size(), 766u);

    // Files of the layout the program used to write: the bit count in the colour
    // count's place, planes and bit count 0.
    auto oldLayout = [](IconImage image, std::uint8_t bits) {
        image.colorCount = bits;
        image.planes = 0;
        image.bitCount = 0;
        return makeIco({image});
    };
    auto old8 = dir.write("old8.ico", oldLayout(dibImage(patternIcon(32, 32, 256), 8), 8));
    auto old4 = dir.write("old4.ico", oldLayout(dibImage(patternIcon(16, 16, 16), 4), 4));

    std::ostringstream out;
    EXPECT_EQ(cli::list({(dir.path() / "many.ico").string(), (dir.path() / "few.ico").string(),
                         old8.string(), old4.string()},
                        out, err),
              0);
    EXPECT_EQ(out.str(), (dir.path() / "many.ico").string() + ": 1\n0 32x32@8\n" +
                             (dir.path() / "few.ico").string() + ": 1\n0 32x32@4\n" +
                             old8.string() + ": 1\n0 32x32@8\n" + old4.string() +
                             ": 1\n0 16x16@4\n");
    std::ostringstream json;
    EXPECT_EQ(cli::list({"--json", old8.string()}, json, err), 0);
    EXPECT_NE(json.str().find("\"depth\": 8"), std::string::npos) << json.str();
    EXPECT_EQ(err.str(), "");
}

TEST(CliList, UnreadableFilesAndNoArguments) {
    TempDir dir;
    std::ostringstream out, err;
    EXPECT_EQ(cli::list({(dir.path() / "missing.dll").string()}, out, err), 1);
    EXPECT_NE(err.str().find("missing.dll"), std::string::npos);
    std::ostringstream out2, err2;
    EXPECT_EQ(cli::list({}, out2, err2), 2);
    EXPECT_NE(err2.str().find(std::string(cli::kListCommand.usage) + "\n"), std::string::npos);
}

// 65,535 groups of 65,535 images each in 1.4 MB: the listing is bounded, and says
// where it was cut.
TEST(CliList, HugeStatedCountsGiveABoundedListingWithNotes) {
    TempDir dir;
    const Bytes pe = makeSharedGroupPe(0xFFFF, 0xFFFF);
    ASSERT_LT(pe.size(), 1500000u);
    auto file = dir.write("huge.dll", pe);
    std::ostringstream out, err;
    EXPECT_EQ(cli::list({file.string()}, out, err), 0);
    const std::string text = out.str();
    EXPECT_LT(text.size(), 2u * 1024 * 1024);
    EXPECT_EQ(text.substr(0, text.find('\n')), file.string() + ": 65535");
    const auto lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_EQ(lines, 1 + long(kMaxImagesPerFile) / kMaxImagesPerIcon);
    std::string one = " 32x32@32";
    std::string row = "0 id:1";
    for (int i = 0; i < kMaxImagesPerIcon; ++i) row += one;
    EXPECT_NE(text.find("\n" + row + "\n"), std::string::npos);
    EXPECT_EQ(err.str(), "pellimar-cli: note: " + file.string() +
                             ": icon 0 states 65535 images; only the first 256 are read\n"
                             "pellimar-cli: note: " +
                             file.string() +
                             ": the listing stops after 65536 images, before icon 256 of 65535\n");
    // JSON states no count: its note names the cut group with what it states.
    std::ostringstream json, jsonErr;
    cli::list({"--json", file.string()}, json, jsonErr);
    EXPECT_NE(jsonErr.str().find(": icon 0: stopped at a limit: 256 images of one group (it "
                                 "states 65535; the rest are left out)\n"),
              std::string::npos)
        << jsonErr.str();
    EXPECT_NE(jsonErr.str().find("the listing stops after 65536 images"), std::string::npos);

    // Many groups of one image each are all listed, without a note.
    auto many = dir.write("many.dll", makeSharedGroupPe(0xFFFF, 1));
    std::ostringstream out2, err2;
    EXPECT_EQ(cli::list({many.string()}, out2, err2), 0);
    const std::string text2 = out2.str();
    EXPECT_EQ(std::count(text2.begin(), text2.end(), '\n'), 1 + 0xFFFF);
    EXPECT_EQ(err2.str(), "");
}

TEST(CliList, JsonGivesEveryImagesSizeDepthKindAndBytes) {
    TempDir dir;
    const IconImage four = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage png = pngImage(alphaPatternIcon(256, 256));
    const IconImage other = dibImage(patternIcon(32, 32), 24);
    Bytes file = makePe({{{four, png}, {}, {}}, {{other, four}, {}, {}}});
    // The second icon's second image names an image the file does not hold.
    const std::uint8_t second[] = {0, 0, 1, 0, 2, 0, 32, 32};
    auto at = std::search(file.begin(), file.end(), std::begin(second), std::end(second));
    ASSERT_NE(at, file.end());
    put16(file, std::size_t(at - file.begin()) + 6 + 14 + 12, 0x7777);
    auto dll = dir.write("two \"quoted\".dll", file);
    const std::string missing = (dir.path() / "missing.dll").string();

    std::ostringstream out, err;
    EXPECT_EQ(cli::list({"--json", dll.string(), missing}, out, err), 1);
    EXPECT_NE(err.str().find("missing.dll: No such file or directory"), std::string::npos);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.str();
    const QJsonArray files = doc.object()["files"].toArray();
    ASSERT_EQ(files.size(), 2);

    const QJsonObject lib = files[0].toObject();
    EXPECT_EQ(lib["file"].toString().toStdString(), dll.string());
    EXPECT_TRUE(lib["readable"].toBool());
    const QJsonArray icons = lib["icons"].toArray();
    ASSERT_EQ(icons.size(), 2);
    EXPECT_EQ(icons[1].toObject()["index"].toInt(), 1);
    const QJsonArray images = icons[0].toObject()["images"].toArray();
    ASSERT_EQ(images.size(), 2);
    const QJsonObject a = images[0].toObject(), b = images[1].toObject();
    EXPECT_EQ(a["width"].toInt(), 16);
    EXPECT_EQ(a["height"].toInt(), 16);
    EXPECT_EQ(a["depth"].toInt(), 4);
    EXPECT_EQ(a["png"].toBool(true), false);
    EXPECT_EQ(a["bytes"].toInt(), int(four.data.size()));
    EXPECT_EQ(b["width"].toInt(), 256);
    EXPECT_EQ(b["depth"].toInt(), 32);
    EXPECT_EQ(b["png"].toBool(false), true);
    EXPECT_EQ(b["bytes"].toInt(), int(png.data.size()));
    const QJsonObject lost = icons[1].toObject()["images"].toArray()[1].toObject();
    EXPECT_TRUE(lost["png"].isNull());
    EXPECT_TRUE(lost["bytes"].isNull());

    const QJsonObject gone = files[1].toObject();
    EXPECT_EQ(gone["file"].toString().toStdString(), missing);
    EXPECT_FALSE(gone["readable"].toBool(true));
    EXPECT_EQ(gone["error"].toString(), "No such file or directory");
    EXPECT_TRUE(gone["icons"].toArray().isEmpty());

    // A program with no icons gives an empty list, still valid JSON; a file of no
    // kind read is not readable, and says why.
    auto text = dir.write("text.exe", Bytes{'h', 'i'});
    auto noIcons = dir.write("empty.dll", makePe({}));
    std::ostringstream none;
    EXPECT_EQ(cli::list({noIcons.string(), "-j"}, none, err), 0);
    const QJsonDocument empty =
        QJsonDocument::fromJson(QByteArray::fromStdString(none.str()), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << none.str();
    const QJsonObject program = empty.object()["files"].toArray()[0].toObject();
    EXPECT_TRUE(program["readable"].toBool(false));
    EXPECT_TRUE(program["icons"].toArray().isEmpty());
    std::ostringstream notRead;
    EXPECT_EQ(cli::list({text.string(), "-j"}, notRead, err), 1);
    const QJsonObject unread = QJsonDocument::fromJson(QByteArray::fromStdString(notRead.str()))
                                   .object()["files"]
                                   .toArray()[0]
                                   .toObject();
    EXPECT_FALSE(unread["readable"].toBool(true)) << notRead.str();
    EXPECT_EQ(unread["error"].toString(), "not a Windows program, library, icon or cursor file");
}

// The version resource's names and versions, per file; null for a file without
// one; a damaged one says why, in the JSON and on standard error.
TEST(CliList, JsonGivesEachFilesVersionStrings) {
    TempDir dir;
    const std::vector<IconGroupSpec> icon = {{{dibImage(patternIcon(16, 16, 16), 4)}}};
    const VersionSpec layout{{{0x0409,
                               1200,
                               {{"CompanyName", "Example \"Works\""},
                                {"FileDescription", "Mine sweeping game"},
                                {"FileVersion", "5.1.2600.0"},
                                {"ProductName", "Example Minesweeper"},
                                {"ProductVersion", "5.1"}}}},
                             {{0x0409, 1200}}};
    const auto pe =
        dir.write("winmine.exe", makePeWithVersion(icon, makeVersionResource(layout, true)));
    const auto ne = dir.write(
        "old.exe",
        makeNeWithVersion(
            icon, makeVersionResource({{{0x0407, 1252, {{"ProductName", "Alt"}}}}, {}}, false)));
    Bytes looping = makeVersionResource(layout, true);
    put16(looping, 0x80, 0);  // the length of the string table's block
    const auto damaged = dir.write("damaged.dll", makePeWithVersion(icon, looping));
    const auto none = dir.write("none.dll", makePe(icon));

    std::ostringstream out, err;
    EXPECT_EQ(
        cli::list({"--json", pe.string(), ne.string(), damaged.string(), none.string()}, out, err),
        0);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.str();
    const QJsonArray files = doc.object()["files"].toArray();
    ASSERT_EQ(files.size(), 4);

    const QJsonObject v = files[0].toObject()["version"].toObject();
    EXPECT_EQ(v["product_name"].toString(), "Example Minesweeper");
    EXPECT_EQ(v["file_description"].toString(), "Mine sweeping game");
    EXPECT_EQ(v["company_name"].toString(), "Example \"Works\"");
    EXPECT_EQ(v["file_version"].toString(), "5.1.2600.0");
    EXPECT_EQ(v["product_version"].toString(), "5.1");
    EXPECT_EQ(v["language"].toObject()["id"].toInt(), 0x0409);
    EXPECT_EQ(v["language"].toObject()["tag"].toString(), "en-US");
    EXPECT_EQ(v["code_page"].toInt(), 1200);
    EXPECT_TRUE(v["notes"].toArray().isEmpty());

    const QJsonObject old = files[1].toObject()["version"].toObject();
    EXPECT_EQ(old["product_name"].toString(), "Alt");
    EXPECT_TRUE(old["file_version"].isNull());
    EXPECT_EQ(old["language"].toObject()["tag"].toString(), "de-DE");

    const QJsonObject broken = files[2].toObject()["version"].toObject();
    ASSERT_EQ(broken["notes"].toArray().size(), 1) << out.str();
    const std::string why = broken["notes"].toArray()[0].toString().toStdString();
    EXPECT_EQ(why.rfind("StringFileInfo: version block length is not valid at byte 0x", 0), 0u)
        << why;
    EXPECT_TRUE(broken["product_name"].isNull());
    EXPECT_NE(err.str().find(damaged.string() + ": version resource: " + why + "\n"),
              std::string::npos)
        << err.str();

    EXPECT_TRUE(files[3].toObject()["version"].isNull());
    EXPECT_TRUE(files[3].toObject().contains("version"));
}

TEST(CliDraw, DashWritesThePictureToStandardOutput) {
    TempDir dir;
    auto dll = dir.write("one.dll", makePe({{{dibImage(patternIcon(32, 32), 24)}, {}, {}}}));
    std::ostringstream toFile, toOut, err;
    ASSERT_EQ(cli::draw({dll.string(), "0", "24", (dir.path() / "a.bmp").string()}, toFile, err),
              0);
    ASSERT_EQ(cli::draw({dll.string(), "0", "24", "-"}, toOut, err), 0);
    const Bytes file = readWholeFile(dir.path() / "a.bmp");
    EXPECT_EQ(toOut.str(), std::string(file.begin(), file.end()));
    EXPECT_FALSE(std::filesystem::exists("-"));
}

TEST(CliDraw, DrawsTheIconWithItsMaskOnWhite) {
    TempDir dir;
    Icon picture = solidIcon(32, 32, 0xFF0000FF);
    for (int y = 0; y < 32; ++y)
        picture.mask[std::size_t(y) * 32] = 1, picture.color[std::size_t(y) * 32] = 0xFF000000;
    auto dll = dir.write("blue.dll", makePe({{{dibImage(picture, 24)}, {}, {}}}));
    auto bmp = dir.path() / "out.bmp";
    std::ostringstream out, err;
    ASSERT_EQ(cli::draw({dll.string(), "0", "32", bmp.string()}, out, err), 0) << err.str();
    Bytes file = readWholeFile(bmp);
    ASSERT_EQ(file.size(), 54u + 32 * 32 * 3);
    EXPECT_EQ(get32(file, 18), 32u);
    const std::size_t row = 54 + 5 * 32 * 3;  // rows are stored bottom-up; any row will do
    EXPECT_EQ(file[row], 0xFF);               // column 0: transparent, so white (B, G, R)
    EXPECT_EQ(file[row + 1], 0xFF);
    EXPECT_EQ(file[row + 3], 0xFF);  // column 1: blue
    EXPECT_EQ(file[row + 4], 0x00);
    EXPECT_EQ(file[row + 5], 0x00);
    ASSERT_EQ(cli::draw({dll.string(), "0", "16", bmp.string()}, out, err), 0);
    EXPECT_EQ(get32(readWholeFile(bmp), 18), 16u);
}

TEST(CliDraw, NoSuchIconIsOneAndBadArgumentsAreTwo) {
    TempDir dir;
    auto dll = dir.write("one.dll", makePe({{{dibImage(patternIcon(32, 32), 24)}, {}, {}}}));
    auto bmp = (dir.path() / "out.bmp").string();
    std::ostringstream out, err;
    EXPECT_EQ(cli::draw({dll.string(), "1", "32", bmp}, out, err), 1);
    EXPECT_FALSE(std::filesystem::exists(bmp));
    const std::vector<std::vector<std::string>> bad = {{},
                                                       {dll.string(), "0", "32"},
                                                       {dll.string(), "x", "32", bmp},
                                                       {dll.string(), "-1", "32", bmp},
                                                       {dll.string(), "0", "0", bmp},
                                                       {dll.string(), "0", "5000", bmp},
                                                       {dll.string(), "0", "32", bmp, "more"}};
    for (const auto& args : bad) {
        std::ostringstream o, e;
        EXPECT_EQ(cli::draw(args, o, e), 2) << args.size();
        EXPECT_NE(e.str().find(std::string(cli::kDrawCommand.usage) + "\n"), std::string::npos);
    }
    // A file that cannot be written: status 1 and the system's reason.
    const std::string blocked = dll.string() + "/out.bmp";
    std::ostringstream o, e;
    EXPECT_EQ(cli::draw({dll.string(), "0", "32", blocked}, o, e), 1);
    EXPECT_EQ(e.str(), "pellimar-cli: cannot write " + blocked + ": Not a directory\n");
}

}  // namespace
}  // namespace pellimar
