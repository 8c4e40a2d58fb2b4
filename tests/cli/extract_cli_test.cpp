// pellimar-cli extract: every icon of many files in one run.
#include "cli/extract_cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <sstream>

#include "cli/icons_cli.h"
#include "command_outcome.h"
#include "platform/caps.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

using test::Outcome;

Outcome extract(const std::vector<std::string>& args) {
    return test::run(cli::extract, args);
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The images of an icon file's bytes, as stored.
std::vector<fx::Bytes> imagesOf(const fx::Bytes& ico) {
    std::vector<fx::Bytes> images;
    auto set = IconSet::read(ByteSource(ico));
    if (!set || set->container() != IconContainer::IconFile || set->iconCount() != 1) return images;
    for (const StoredImage& image : set->load(ResourceKind::Icon, 0).images)
        images.push_back(fx::Bytes(image.data.begin(), image.data.end()));
    return images;
}

struct ExtractFixture : ::testing::Test {
    fx::TempDir dir;
    fx::IconImage four = fx::dibImage(fx::patternIcon(32, 32, 16), 4);
    fx::IconImage alpha = fx::dibImage(fx::alphaPatternIcon(48, 48), 32);
    fx::IconImage png = fx::pngImage(fx::alphaPatternIcon(256, 256));
    fx::IconImage small = fx::dibImage(fx::patternIcon(16, 16), 24);
    fs::path out = dir.path() / "out";

    fs::path library(const std::string& name) {
        return dir.write(name, fx::makePe({{{four, alpha, png}}, {{small}}}));
    }
};

}  // namespace

TEST_F(ExtractFixture, IconFilesHoldEveryImageExactlyAsStoredAndListAsTheSourceDoes) {
    auto dll = library("lib.dll");
    fs::create_directory(out);
    dir.write("out/lib.dll-1.ico", fx::Bytes(100000, 'x'));  // an earlier run's, replaced whole
    Outcome r = extract({"--out", out.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{(out / "lib.dll-0.ico").string(),
                                                      (out / "lib.dll-1.ico").string()}));
    EXPECT_EQ(imagesOf(fx::readWholeFile(out / "lib.dll-0.ico")),
              (std::vector<fx::Bytes>{four.data, alpha.data, png.data}));
    EXPECT_EQ(imagesOf(fx::readWholeFile(out / "lib.dll-1.ico")),
              (std::vector<fx::Bytes>{small.data}));

    // The round trip: list of each output gives the images of that icon, in order
    // (an icon file has no resource ID or language).
    std::ostringstream sourceList, outputList, err;
    ASSERT_EQ(cli::list({dll.string()}, sourceList, err), 0);
    ASSERT_EQ(cli::list({(out / "lib.dll-0.ico").string(), (out / "lib.dll-1.ico").string()},
                        outputList, err),
              0);
    const auto source = lines(sourceList.str()), output = lines(outputList.str());
    ASSERT_EQ(source.size(), 3u);
    ASSERT_EQ(output.size(), 4u);
    EXPECT_EQ(source[1], "0 id:1 lang:1033/en-US 32x32@4 48x48@32 256x256@32");
    EXPECT_EQ(output[1], "0 32x32@4 48x48@32 256x256@32");
    EXPECT_EQ(source[2], "1 id:2 lang:1033/en-US 16x16@24");
    EXPECT_EQ(output[3], "0 16x16@24");

    // An icon file given as a source comes out equal to itself.
    const fx::Bytes icoFile = fx::makeIco({small, png});
    auto ico = dir.write("pair.ico", icoFile);
    ASSERT_EQ(extract({"-o", out.string(), ico.string()}).status, 0);
    EXPECT_EQ(fx::readWholeFile(out / "pair.ico-0.ico"), icoFile);
}

TEST_F(ExtractFixture, IconsThatShareImagesEachHoldThemAsStored) {
    // Icon 1's first entry names icon 0's second image; the image it was made with
    // (of the same size and kind, other pixels) is named by nothing.
    const fx::IconImage alone = fx::dibImage(fx::solidIcon(48, 48, 0xFF204080), 32);
    ASSERT_EQ(alone.data.size(), alpha.data.size());
    fx::Bytes file = fx::makePe({{{four, alpha}}, {{alone, small}}});
    const std::uint8_t second[] = {0, 0, 1, 0, 2, 0, 48, 48};
    const auto at = std::search(file.begin(), file.end(), std::begin(second), std::end(second));
    ASSERT_NE(at, file.end());
    const std::size_t firstEntryId = std::size_t(at - file.begin()) + 6 + 12;
    ASSERT_EQ(fx::get16(file, firstEntryId), 3);
    fx::put16(file, firstEntryId, 2);
    auto shared = dir.write("shared.dll", file);
    // And many icons of one image named many times.
    auto many = dir.write("many.dll", fx::makeSharedGroupPe(5, 3));
    const fx::Bytes solid = fx::dibImage(fx::solidIcon(32, 32, 0xFF3060A0), 32).data;

    Outcome r = extract({"-f", "ico", "-o", out.string(), shared.string(), many.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(imagesOf(fx::readWholeFile(out / "shared.dll-0.ico")),
              (std::vector<fx::Bytes>{four.data, alpha.data}));
    EXPECT_EQ(imagesOf(fx::readWholeFile(out / "shared.dll-1.ico")),
              (std::vector<fx::Bytes>{alpha.data, small.data}));
    for (int i = 0; i < 5; ++i) {
        const std::string name = "many.dll-" + std::to_string(i) + ".ico";
        EXPECT_EQ(imagesOf(fx::readWholeFile(out / name)),
                  (std::vector<fx::Bytes>{solid, solid, solid}))
            << name;
    }
    EXPECT_EQ(namesIn(out).size(), 7u);
}

TEST_F(ExtractFixture, MuchImageDataIsReadGroupByGroupAndWrittenWhole) {
    // 6 groups of one 13 MB image each: more than a run reads up front, so each
    // group is read as it is written and the held bytes are let go on the way.
    std::vector<fx::IconGroupSpec> groups(6);
    std::vector<fx::Bytes> stored;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        fx::IconImage image = fx::dibImage(fx::patternIcon(32, 32, 16), 4);
        image.data.resize(13u << 20, std::uint8_t(0x40 + i));
        stored.push_back(image.data);
        groups[i].images = {std::move(image)};
    }
    auto big = dir.write("big.dll", fx::makePe(groups));
    Outcome r = extract({"-o", out.string(), big.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string name = "big.dll-" + std::to_string(i) + ".ico";
        EXPECT_EQ(imagesOf(fx::readWholeFile(out / name)), std::vector<fx::Bytes>{stored[i]})
            << name;
    }
}

TEST_F(ExtractFixture, PngFilesAtTheirOwnSizeWithAlphaOrOneBestImagePerSize) {
    auto dll = library("lib.dll");
    Outcome r = extract({dll.string(), "--format", "png", "--out", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"lib.dll-0-256x256-32.png", "lib.dll-0-32x32-4.png",
                                        "lib.dll-0-48x48-32.png", "lib.dll-1-16x16-24.png"}));
    // A stored PNG is kept as it is; the others decode to the decoded images.
    EXPECT_EQ(fx::readWholeFile(out / "lib.dll-0-256x256-32.png"), png.data);
    for (auto [file, image] :
         {std::pair{"lib.dll-0-32x32-4.png", &four}, std::pair{"lib.dll-0-48x48-32.png", &alpha},
          std::pair{"lib.dll-1-16x16-24.png", &small}}) {
        auto decoded = decodePng(fx::readWholeFile(out / file));
        ASSERT_TRUE(decoded) << file;
        EXPECT_EQ(decoded->rgba, iconToRgba(decodeIconImage(image->data).value()).rgba) << file;
        EXPECT_EQ(decoded->rgba[3], 0) << file;  // the first column is transparent
    }

    fs::remove_all(out);
    r = extract({dll.string(), "-fpng", "-s", "40", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    // Icon 0's best image for 40 is the 48 x 48 one; icon 1 has only its 16 x 16.
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"lib.dll-0-40x40-32.png", "lib.dll-1-40x40-24.png"}));
    auto sized = decodePng(fx::readWholeFile(out / "lib.dll-0-40x40-32.png"));
    ASSERT_TRUE(sized);
    EXPECT_EQ(sized->width, 40);
    EXPECT_LT(sized->rgba[3], 128);  // the transparent first column, averaged in
    EXPECT_GT(sized->rgba[20 * 4 + 3], 0);
    EXPECT_LT(sized->rgba[20 * 4 + 3], 255);  // alpha kept, not flattened
}

TEST_F(ExtractFixture, PicturesAsDrawMakesThem) {
    auto dll = library("lib.dll");
    ASSERT_EQ(extract({"-o", out.string(), "-f", "bmp", dll.string()}).status, 0);
    ASSERT_EQ(extract({"-o", out.string(), "-f", "jpg", "--size", "20", dll.string()}).status, 0);
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"lib.dll-0.bmp", "lib.dll-0.jpg",
                                                      "lib.dll-1.bmp", "lib.dll-1.jpg"}));
    std::ostringstream drawn, err;
    const fs::path reference = dir.path() / "drawn.bmp";
    ASSERT_EQ(cli::draw({dll.string(), "1", "32", reference.string()}, drawn, err), 0);
    EXPECT_EQ(fx::readWholeFile(out / "lib.dll-1.bmp"), fx::readWholeFile(reference));
    const fx::Bytes jpg = fx::readWholeFile(out / "lib.dll-0.jpg");
    ASSERT_GT(jpg.size(), 2u);
    EXPECT_EQ(jpg[0], 0xFF);
    EXPECT_EQ(jpg[1], 0xD8);
}

TEST_F(ExtractFixture, FoldersAreWalkedAsTheScanWalksThemAndNoNameIsWrittenTwice) {
    fs::create_directories(dir.path() / "tree" / "sub");
    fs::create_directories(dir.path() / "tree" / "folder.dll");
    dir.write("tree/lib.dll", fx::makePe({{{small}}}));
    dir.write("tree/notes.txt", fx::makePe({{{small}}}));  // not a kind the scan takes
    dir.write("tree/sub/LIB.DLL", fx::makePe({{{four}}}));
    dir.write("tree/sub/lib.dll", fx::makePe({{{alpha}}}));

    Outcome r = extract({"-o", out.string(), (dir.path() / "tree").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"lib.dll-0.ico"}));

    fs::remove_all(out);
    r = extract({"-r", "-o", out.string(), (dir.path() / "tree").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"LIB.DLL-0.ico", "lib.dll-0.ico", "lib.dll-0~2.ico"}));
    // Each output holds its own source's image: none was written over another.
    std::vector<fx::Bytes> held;
    for (const char* name : {"lib.dll-0.ico", "lib.dll-0~2.ico"})
        held.push_back(imagesOf(fx::readWholeFile(out / name)).at(0));
    std::sort(held.begin(), held.end());
    std::vector<fx::Bytes> expected = {small.data, alpha.data};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(held, expected);

    // Two images of one icon with the same size and depth get names of their own.
    auto twice = dir.write("twice.dll", fx::makePe({{{small, small}}}));
    fs::remove_all(out);
    r = extract({"-f", "png", "-o", out.string(), twice.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out),
              (std::vector<std::string>{"twice.dll-0-16x16-24.png", "twice.dll-0-16x16-24~2.png"}));
}

// A folder the walk leaves out is named with why; a link to a folder is not
// followed, which is no failure.
TEST_F(ExtractFixture, FoldersLeftOutOfTheWalkAreNamedInNotes) {
    fs::create_directories(dir.path() / "tree");
    fs::create_directories(dir.path() / "elsewhere");
    dir.write("tree/lib.dll", fx::makePe({{{small}}}));
    dir.write("elsewhere/far.dll", fx::makePe({{{four}}}));
    fs::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "tree" / "z:");
    const Outcome r = extract({"-r", "-o", out.string(), (dir.path() / "tree").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"lib.dll-0.ico"}));
    EXPECT_EQ(r.err, "pellimar-cli extract: note: " + (dir.path() / "tree" / "z:").string() +
                         ": a link to a folder: not followed\n");
}

TEST_F(ExtractFixture, JsonRecordsOneLineAFile) {
    auto dll = library("lib.dll");
    Outcome r = extract({"--json", "-o", out.string(), dll.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto records = lines(r.out);
    ASSERT_EQ(records.size(), 2u);
    QJsonParseError error;
    QJsonObject first =
        QJsonDocument::fromJson(QByteArray::fromStdString(records[0]), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << records[0];
    EXPECT_EQ(first["source"].toString().toStdString(), dll.string());
    EXPECT_EQ(first["icon"].toInt(), 0);
    EXPECT_EQ(first["file"].toString().toStdString(), (out / "lib.dll-0.ico").string());
    EXPECT_EQ(first["format"].toString(), "ico");
    EXPECT_EQ(first["images"].toInt(), 3);
    EXPECT_EQ(first["bytes"].toInteger(), qint64(fs::file_size(out / "lib.dll-0.ico")));

    r = extract({"--json", "-f", "png", "-o", out.string(), dll.string()});
    ASSERT_EQ(lines(r.out).size(), 4u);
    QJsonObject image =
        QJsonDocument::fromJson(QByteArray::fromStdString(lines(r.out)[1]), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(image["width"].toInt(), 48);
    EXPECT_EQ(image["height"].toInt(), 48);
    EXPECT_EQ(image["depth"].toInt(), 32);
    EXPECT_EQ(image["file"].toString().toStdString(), (out / "lib.dll-0-48x48-32.png").string());
}

TEST_F(ExtractFixture, FailuresAreNamedWithTheirReasonAndTheRestIsWritten) {
    auto dll = library("lib.dll");
    auto text = dir.write("text.exe", fx::Bytes{'h', 'i'});
    Outcome r = extract(
        {"-o", out.string(), (dir.path() / "missing.dll").string(), text.string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.dll: No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot read " + text.string() +
                         ": not a Windows program, library, icon or cursor file\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(lines(r.err).size(), 2u);
    EXPECT_EQ(namesIn(out), (std::vector<std::string>{"lib.dll-0.ico", "lib.dll-1.ico"}));

    // A file named that is of no kind read is a failure; a program that holds no
    // icon is none, and one of a folder that is of no kind read is passed over.
    EXPECT_EQ(extract({"-o", out.string(), text.string()}).status, 1);
    const auto empty = dir.write("empty.dll", fx::makePe({}));
    r = extract({"-o", out.string(), empty.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "pellimar-cli extract: " + empty.string() + ": no icons\n");
    fs::create_directory(dir.path() / "folder");
    dir.write("folder/text.exe", fx::Bytes{'h', 'i'});
    r = extract({"-o", out.string(), (dir.path() / "folder").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("folder/text.exe: not a Windows program, library, icon or cursor "
                         "file; passed over\n"),
              std::string::npos)
        << r.err;

    // An image whose data is gone: named, and the icon is written without it.
    fx::Bytes broken = fx::makePe({{{small, four}}});
    const std::uint8_t groupHeader[] = {0, 0, 1, 0, 2, 0, 16, 16};
    const auto at =
        std::search(broken.begin(), broken.end(), std::begin(groupHeader), std::end(groupHeader));
    ASSERT_NE(at, broken.end());
    fx::put16(broken, std::size_t(at - broken.begin()) + 6 + 14 + 12, 0x7777);  // no such image
    auto cut = dir.write("cut.dll", broken);
    r = extract({"-o", out.string(), cut.string()});
    EXPECT_EQ(r.status, 1);
    const std::string missingImage = "pellimar-cli extract: " + cut.string() +
                                     ": icon 0: image 1: image resource 30583 is not in the file\n";
    EXPECT_EQ(r.err, missingImage);
    EXPECT_EQ(imagesOf(fx::readWholeFile(out / "cut.dll-0.ico")),
              (std::vector<fx::Bytes>{small.data}));
    r = extract({"-o", out.string(), "-f", "png", cut.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, missingImage);
    EXPECT_TRUE(fs::exists(out / "cut.dll-0-16x16-24.png"));

    // An output that cannot be written.
    fs::remove(out / "lib.dll-1.ico");
    fs::create_directory(out / "lib.dll-1.ico");
    r = extract({"-o", out.string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write " + (out / "lib.dll-1.ico").string() + ": Is a directory"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{(out / "lib.dll-0.ico").string()}));

    // A folder to write to that cannot be made.
    r = extract({"-o", (dll / "sub").string(), dll.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot make the folder"), std::string::npos) << r.err;
}

TEST_F(ExtractFixture, BadArgumentsAreStatusTwo) {
    auto dll = library("lib.dll");
    const std::string o = out.string(), f = dll.string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {f},
             {"-o", o},
             {"-o", "", f},
             {"-o", "-", f},
             {"-o", o, "-f", "gif", f},
             {"-o", o, "--size", "32", f},  // icon files keep their images as stored
             {"-o", o, "-f", "png", "-s", "0", f},
             {"-o", o, "-f", "bmp", "-s", "1025", f},
             {"-o", o, "-f", "bmp", "-s", "x", f},
             {"-o", o, "--depth", "8", f}}) {
        Outcome r = extract(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("usage: pellimar-cli extract"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(out));
}

namespace {

// A file whose groups all name one image many times cannot make a run write without end.
TEST(CliExtract, AFileStatingHugeCountsGivesABoundedRunWithANote) {
    fx::TempDir dir;
    const auto file = dir.write("huge.dll", fx::makeSharedGroupPe(300, 256));
    const fs::path out = dir.path() / "out";
    const Outcome r =
        extract({file.string(), "--out", out.string(), "--format", "bmp", "--size", "1"});
    EXPECT_EQ(r.status, 1) << r.err;  // a cap reached is a failure to extract all
    const std::size_t groupsWritten = std::size_t(kMaxImagesPerFile) / 256;
    EXPECT_EQ(namesIn(out).size(), groupsWritten);
    EXPECT_NE(r.err.find("extraction stops after 65536 images, before icon 256 of 300"),
              std::string::npos)
        << r.err;

    // The JSON listing keeps the same bound.
    std::ostringstream json, notes;
    EXPECT_EQ(cli::list({"--json", file.string()}, json, notes), 0);
    EXPECT_NE(notes.str().find("the listing stops after 65536 images"), std::string::npos);
    EXPECT_LT(json.str().size(), 8u * 1024 * 1024);
}

}  // namespace

namespace {

// What icotool, another program that reads icon files, says of a file: its
// complaints on standard error, and its exit status.
struct IcotoolVerdict {
    int status = 0;
    std::string complaints;
};

IcotoolVerdict icotoolList(const fs::path& file, const fs::path& scratch) {
    const fs::path said = scratch / "icotool.err";
    const std::string command =
        "icotool -l '" + file.string() + "' >/dev/null 2>'" + said.string() + "'";
    IcotoolVerdict verdict;
    verdict.status = std::system(command.c_str());
    const fx::Bytes text = fx::readWholeFile(said);
    verdict.complaints.assign(text.begin(), text.end());
    return verdict;
}

// Every icon and cursor file extract writes is one other readers take without a
// complaint: each directory entry states its image's exact size, and an image of
// an NE file is written without the padding that follows it there.
TEST(CliExtract, IconAndCursorFilesWrittenAreExactToTheByte) {
    if (std::system("command -v icotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "icotool (icoutils) is not installed";
    fx::TempDir dir;
    const std::vector<fx::IconImage> images = {fx::dibImage(fx::patternIcon(16, 16, 2), 1),
                                               fx::dibImage(fx::patternIcon(32, 32, 16), 4),
                                               fx::dibImage(fx::patternIcon(24, 24, 200), 8),
                                               fx::dibImage(fx::patternIcon(20, 20), 24),
                                               fx::dibImage(fx::alphaPatternIcon(48, 48), 32),
                                               fx::pngImage(fx::alphaPatternIcon(64, 64))};
    std::vector<fx::CursorImage> cursors;
    for (const fx::IconImage& image : images) cursors.push_back({image, 3, 5});
    const std::vector<fx::IconGroupSpec> groups = {{images, {}, {}}, {{images[1]}, u"NAMED", {}}};
    const std::vector<fx::CursorGroupSpec> cursorGroups = {{cursors, {}}, {{cursors[2]}, {}}};
    const std::vector<fs::path> sources = {
        dir.write("prog.exe", fx::makePe(groups, cursorGroups)),
        dir.write("prog64.dll", fx::makePe(groups, cursorGroups, fx::PeKind::Pe32Plus)),
        dir.write("old.dll", fx::makeNe(groups, cursorGroups)),
        dir.write("old512.exe", fx::makeNe(groups, cursorGroups, 9)),
        dir.write("icons.ico", fx::makeIco(images)),
        dir.write("pointer.cur", fx::makeCur(cursors)),
    };
    for (const char* format : {"ico", "cur"}) {
        const fs::path out = dir.path() / (std::string("out-") + format);
        std::vector<std::string> args = {"--format", format, "--out", out.string()};
        for (const fs::path& source : sources) args.push_back(source.string());
        const Outcome r = extract(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> written = namesIn(out);
        ASSERT_EQ(written.size(), 4u * 4 + 2) << format;
        for (const std::string& name : written) {
            const IcotoolVerdict verdict = icotoolList(out / name, dir.path());
            EXPECT_EQ(verdict.status, 0) << name << ": " << verdict.complaints;
            EXPECT_EQ(verdict.complaints, "") << name;
        }
    }
}

}  // namespace

namespace {

// Groups that all name one small image, drawn large: the pictures a file makes
// are bounded by the budget of pixels one input may make, which the note names.
TEST(CliExtract, PicturesBeyondTheBudgetOfPixelsStopTheFileWithANote) {
    fx::TempDir dir;
    const auto file = dir.write("blown.dll", fx::makeSharedGroupPe(300, 1));
    const fs::path out = dir.path() / "out";
    const Outcome r =
        extract({"-f", "png", "--size", "1024", "--out", out.string(), file.string()});
    EXPECT_EQ(r.status, 1) << r.err;
    // 128 million pixels, about a million a picture.
    const std::size_t written = namesIn(out).size();
    EXPECT_GE(written, 100u);
    EXPECT_LT(written, 130u);
    EXPECT_EQ(lines(r.out).size(), written);
    EXPECT_EQ(r.err, "pellimar-cli extract: " + file.string() + ": extraction stops at icon " +
                         std::to_string(written) +
                         ": stopped at a limit: 128 million pixels decoded and made of one "
                         "input\n");
}

}  // namespace
