// Reading a file's rows: a program's icon groups at 32 x 32, an icon file's images
// at their own size, and why a file or an icon gives no row.
#include "acquire/row_reader.h"

#include <gtest/gtest.h>

#include "acquire/folder_scan.h"
#include "core/icon_image.h"
#include "core/settings.h"
#include "platform/ico_file.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

std::uint32_t centre(const Icon& icon) {
    return icon.empty() ? 0 : icon.pixel(icon.width / 2, icon.height / 2);
}

// What one reading handed over, in order: the icons, or why each has none.
struct Taken {
    std::vector<int> positions;
    std::vector<Result<RowIcon>> icons;
    std::optional<Failure> fileFailure;
    int stopAfter = -1;  // the sink answers false after this many icons

    Taken& read(const fs::path& file) {
        fileFailure = readFileRows(file, [this](int position, const Result<RowIcon>& icon) {
            positions.push_back(position);
            icons.push_back(icon);
            return stopAfter < 0 || int(icons.size()) < stopAfter;
        });
        return *this;
    }
    std::vector<int> widths() const {
        std::vector<int> w;
        for (const auto& icon : icons) w.push_back(icon ? icon->icon.width : 0);
        return w;
    }
    std::vector<std::uint32_t> colours() const {
        std::vector<std::uint32_t> c;
        for (const auto& icon : icons) c.push_back(icon ? centre(icon->icon) : 0);
        return c;
    }
};

// An icon file of three images told apart by size and colour: 16 red, 32 green, 48 blue.
Bytes threeImageIco() {
    return makeIco({dibImage(solidIcon(16, 16, kRed), 8), dibImage(solidIcon(32, 32, kGreen), 24),
                    dibImage(solidIcon(48, 48, kBlue), 32)});
}

IconImage garbage(std::uint8_t side) {
    IconImage image;
    image.data = Bytes(64, 0xEE);
    image.width = image.height = side;
    image.bitCount = 32;
    return image;
}

TEST(ReadFileRows, AProgramsGroupsAreRowsAtTheLargeIconSize) {
    TempDir dir;
    const fs::path dll = dir.write(
        "app.dll",
        makePe({{{dibImage(solidIcon(48, 48, kRed), 24)}},
                {{dibImage(solidIcon(16, 16, kBlue), 8), dibImage(solidIcon(32, 32, kGreen), 24),
                  dibImage(solidIcon(48, 48, kBlue), 32)}},
                {{pngImage(solidIcon(256, 256, kBlue))}}}));
    Taken taken;
    EXPECT_FALSE(taken.read(dll).fileFailure);
    EXPECT_EQ(taken.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(taken.widths(), (std::vector<int>{32, 32, 32}));
    // The group's 32 px image where it has one; another brought to 32.
    EXPECT_EQ(taken.colours(), (std::vector<std::uint32_t>{kRed, kGreen, kBlue}));
    for (const auto& icon : taken.icons) EXPECT_EQ(icon->icon.height, 32);
}

TEST(ReadFileRows, AnIconFilesImagesAreRowsAtTheirOwnSize) {
    TempDir dir;
    for (const char* name : {"a.ico", "b.ICO", "c.Ico"}) {
        Taken taken;
        EXPECT_FALSE(taken.read(dir.write(name, threeImageIco())).fileFailure) << name;
        EXPECT_EQ(taken.positions, (std::vector<int>{0, 1, 2})) << name;
        EXPECT_EQ(taken.widths(), (std::vector<int>{16, 32, 48})) << name;
        EXPECT_EQ(taken.colours(), (std::vector<std::uint32_t>{kRed, kGreen, kBlue})) << name;
    }
    // Named otherwise, an icon file is one icon, drawn at 32.
    for (const char* name : {"d.ico.exe", "noextension"}) {
        Taken taken;
        EXPECT_FALSE(taken.read(dir.write(name, threeImageIco())).fileFailure) << name;
        EXPECT_EQ(taken.widths(), std::vector<int>{32}) << name;
        EXPECT_EQ(taken.colours(), std::vector<std::uint32_t>{kGreen}) << name;
    }
}

TEST(ReadFileRows, RowsCarryTheirResourceAndCursorFilesAreRowsOfImages) {
    TempDir dir;
    Taken program;
    IconGroupSpec named{{dibImage(solidIcon(32, 32, kRed), 24)}, u"MAIN", {}};
    IconGroupSpec numbered{{dibImage(solidIcon(32, 32, kBlue), 24)}, {}, {}};
    // A program's cursor groups come after its icons, counted from 0 among cursors.
    CursorGroupSpec pointer{{{dibImage(solidIcon(48, 48, kGreen), 24), 3, 3}}, {}};
    EXPECT_FALSE(
        program.read(dir.write("app.dll", makePe({named, numbered}, {pointer}))).fileFailure);
    ASSERT_EQ(program.icons.size(), 3u);
    EXPECT_EQ(program.positions, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(program.icons[0]->resource, "MAIN");
    EXPECT_EQ(program.icons[1]->resource, "1");
    EXPECT_EQ(program.icons[1]->kind, ResourceKind::Icon);
    EXPECT_EQ(program.icons[2]->resource, "1");
    EXPECT_EQ(program.icons[2]->kind, ResourceKind::Cursor);
    EXPECT_EQ(program.widths(), (std::vector<int>{32, 32, 32}));
    EXPECT_EQ(program.colours(), (std::vector<std::uint32_t>{kRed, kBlue, kGreen}));
    Taken cursor;
    const fs::path cur =
        dir.write("arrow.CUR", makeCur({{dibImage(solidIcon(16, 16, kRed), 24), 1, 1},
                                        {dibImage(solidIcon(48, 48, kGreen), 24), 2, 2}}));
    EXPECT_FALSE(cursor.read(cur).fileFailure);
    EXPECT_EQ(cursor.widths(), (std::vector<int>{16, 48}));
    EXPECT_EQ(cursor.colours(), (std::vector<std::uint32_t>{kRed, kGreen}));
    EXPECT_TRUE(cursor.icons[0]->resource.empty());
    // Told by its bytes: a cursor file named as an icon file is read all the same.
    Taken misnamed;
    EXPECT_FALSE(
        misnamed.read(dir.write("cursor.ico", makeIco({dibImage(solidIcon(32, 32, kRed), 24)}, 2)))
            .fileFailure);
    EXPECT_EQ(misnamed.colours(), std::vector<std::uint32_t>{kRed});
}

TEST(ReadFileRows, AnIconFileGivesAtMostTheImagesOneDirectoryIsReadFor) {
    std::vector<IconImage> images(300, dibImage(solidIcon(2, 2, kRed), 1));
    TempDir dir;
    Taken taken;
    taken.read(dir.write("many.ico", makeIco(images)));
    EXPECT_EQ(int(taken.icons.size()), kMaxImagesPerIcon);
}

TEST(ReadFileRows, AFileThatGivesNoRowSaysWhy) {
    TempDir dir;
    const Bytes dll = makePe({{{dibImage(solidIcon(32, 32, kRed), 24)}}});
    fs::create_directory(dir.path() / "folder.ico");
    const std::vector<std::pair<fs::path, Fault>> files = {
        {dir.write("program.ico", dll), Fault::BadValue},
        {dir.write("text.ico", Bytes{'h', 'i'}), Fault::NotIconContainer},
        {dir.write("text.exe", Bytes{'M', 'Z', 'n', 'o', 't'}), Fault::NotIconContainer},
        {dir.path() / "missing.dll", Fault::CannotOpen},
        {dir.path() / "folder.ico", Fault::NotRegularFile},
    };
    for (const auto& [file, fault] : files) {
        Taken taken;
        taken.read(file);
        ASSERT_TRUE(taken.fileFailure) << file;
        EXPECT_EQ(taken.fileFailure->fault, fault) << file << ": " << taken.fileFailure->message();
        EXPECT_TRUE(taken.icons.empty()) << file;
    }
    EXPECT_EQ(Taken().read(dir.path() / "program.ico").fileFailure->message(),
              "icon file header is not valid at byte 0x0");
    // A sound icon file without images gives no row and no failure.
    Taken none;
    EXPECT_FALSE(none.read(dir.write("zero.ico", makeIco({}))).fileFailure);
    EXPECT_TRUE(none.icons.empty());
}

TEST(ReadFileRows, DamagedIconsGiveTheirOwnFailureAndTheOthersTheirRows) {
    TempDir dir;
    const fs::path dll =
        dir.write("app.dll", makePe({{{dibImage(solidIcon(32, 32, kRed), 24)}},
                                     {{garbage(32)}},
                                     {{garbage(16), dibImage(solidIcon(48, 48, kBlue), 24)}}}));
    Taken taken;
    EXPECT_FALSE(taken.read(dll).fileFailure);
    ASSERT_EQ(taken.icons.size(), 3u);
    EXPECT_EQ(centre(taken.icons[0]->icon), kRed);
    ASSERT_FALSE(taken.icons[1]);
    EXPECT_TRUE(taken.icons[1].failure().message().starts_with("icon 2: "))
        << taken.icons[1].failure().message();
    // A group with one sound image is drawn from it.
    ASSERT_TRUE(taken.icons[2]);
    EXPECT_EQ(centre(taken.icons[2]->icon), kBlue);

    Bytes ico = threeImageIco();
    put32(ico, 6 + 16 * 1 + 12, 1u << 30);  // the second image lies past the end
    Taken images;
    EXPECT_FALSE(images.read(dir.write("cut.ico", ico)).fileFailure);
    EXPECT_EQ(images.positions, (std::vector<int>{0, 1, 2}));
    ASSERT_FALSE(images.icons[1]);
    EXPECT_EQ(images.icons[1].failure().context, "image 2");
    EXPECT_EQ(images.colours(), (std::vector<std::uint32_t>{kRed, 0, kBlue}));
}

TEST(ReadFileRows, TheSinkAnsweringFalseEndsTheReading) {
    TempDir dir;
    std::vector<IconGroupSpec> groups(5, {{dibImage(solidIcon(32, 32, kRed), 24)}});
    Taken program;
    program.stopAfter = 2;
    program.read(dir.write("five.dll", makePe(groups)));
    EXPECT_EQ(program.positions, (std::vector<int>{0, 1}));

    Taken images;
    images.stopAfter = 1;
    images.read(dir.write("three.ico", threeImageIco()));
    EXPECT_EQ(images.positions, std::vector<int>{0});

    // Also when the icon it answers for is a damaged one.
    Taken damaged;
    damaged.stopAfter = 1;
    damaged.read(dir.write("bad.dll", makePe({{{garbage(32)}}, {{garbage(32)}}})));
    EXPECT_EQ(damaged.positions, std::vector<int>{0});
}

TEST(ReadFileRows, AboveRatioOneEachProgramRowCarriesTheSharperImage) {
    TempDir dir;
    const fs::path dll = dir.write(
        "app.dll",
        makePe({{{dibImage(solidIcon(32, 32, kRed), 24), dibImage(solidIcon(64, 64, kGreen), 24),
                  dibImage(solidIcon(16, 16, kBlue), 24)}}}));
    const fs::path ico = dir.write("three.ico", threeImageIco());
    Taken plain;
    plain.read(dll);
    ASSERT_TRUE(plain.icons.at(0));
    EXPECT_TRUE(plain.icons[0]->sharper.empty());

    setRowPictureRatio(2.0);
    Taken sharp, images;
    sharp.read(dll);
    images.read(ico);
    setRowPictureRatio(1.0);
    ASSERT_TRUE(sharp.icons.at(0));
    EXPECT_EQ(centre(sharp.icons[0]->icon), kRed);
    EXPECT_EQ(sharp.icons[0]->icon.width, 32);
    EXPECT_EQ(sharp.icons[0]->sharper.width, 64);
    EXPECT_EQ(centre(sharp.icons[0]->sharper), kGreen);
    // An icon file's row is its one image: nothing sharper to draw from.
    for (const auto& icon : images.icons) EXPECT_TRUE(icon->sharper.empty());
}

TEST(ReadFileRows, ThroughAScanEveryFailureLandsInTheOutcomeWithItsReason) {
    TempDir dir;
    const fs::path good =
        dir.write("good.dll", makePe({{{dibImage(solidIcon(32, 32, kRed), 24)}}, {{garbage(32)}}}));
    const fs::path fake = dir.write("fake.ico", readWholeFile(good));
    const fs::path ico = dir.write("three.ico", threeImageIco());
    std::vector<std::string> rows;
    ScanCallbacks callbacks{readFileRows, [&](const fs::path& file, int n, const RowIcon&) {
                                rows.push_back(file.filename().string() + "#" + std::to_string(n));
                            }};
    const ScanOutcome out = runFolderScan({good, fake, ico}, AppSettings{}, callbacks);
    EXPECT_EQ(rows, (std::vector<std::string>{"good.dll#0", "three.ico#0", "three.ico#1",
                                              "three.ico#2"}));
    ASSERT_EQ(out.skippedIcons.size(), 1u);
    EXPECT_EQ(out.skippedIcons[0].file, good);
    EXPECT_EQ(out.skippedIcons[0].position, 1);
    EXPECT_TRUE(out.skippedIcons[0].why.message().starts_with("icon 2: "));
    ASSERT_EQ(out.unreadableFiles.size(), 1u);
    EXPECT_EQ(out.unreadableFiles[0].file, fake);
}

}  // namespace
}  // namespace pellimar
