#include "export/save_command.h"
#include "export/save_plan.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/byte_source.h"
#include "platform/icon_set.h"
#include "save_fixtures.h"
#include "support/scripted_desktop.h"
#include "support/turkish_locale.h"

using namespace pellimar;
using namespace pellimar::test;
namespace fx = pellimar::fixtures;

namespace {

std::vector<std::string> reportNames(const SaveReport& r) {
    std::vector<std::string> out;
    for (auto& f : r.files()) out.push_back(f.string());
    return out;
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct SaveFixture : ::testing::Test {
    SaveSources src;
    TempDir dir{"save"};
    SaveReport report;
    AppSettings settings = savingSizes({32, 16});

    // One run as the window makes it: a fresh context and a cleared report.
    void run(const std::vector<SaveRow>& rows, const std::string& chosen) {
        runAt(rows, dir.path / chosen);
    }
    void runAt(const std::vector<SaveRow>& rows, const fs::path& name) {
        report.clear();
        SaveContext ctx{settings, report, {}, {}};
        saveSelectedRows(rows, name, ctx);
    }
};

// The bytes of the program's own reading of `file`, summed over the process.
std::optional<long long> bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return std::nullopt;
}

}  // namespace

TEST(SaveNaming, SuffixForcedExtensionAndFilters) {
    EXPECT_EQ(saveNumberSuffix(0, 1), "");
    EXPECT_EQ(saveNumberSuffix(0, 2), "-001");
    EXPECT_EQ(saveNumberSuffix(41, 2), "-042");
    EXPECT_EQ(saveNumberSuffix(99, 200), "-100");
    EXPECT_EQ(saveNumberSuffix(1233, 2000), "-1234");
    EXPECT_EQ(forceExtension("/out/icons.ico", "ico"), fs::path("/out/icons.ico"));
    EXPECT_EQ(forceExtension("/out/icons.PNG", "ico"), fs::path("/out/icons.ico"));
    // From the last dot, whatever the extension's length; a name without one gets one.
    EXPECT_EQ(forceExtension("/out/a.jpeg", "ico"), fs::path("/out/a.ico"));
    EXPECT_EQ(forceExtension("/out/my.icons", "ico"), fs::path("/out/my.ico"));
    EXPECT_EQ(forceExtension("/out/a.b.c", "bmp"), fs::path("/out/a.b.bmp"));
    EXPECT_EQ(forceExtension("/out.d/icons", "jpg"), fs::path("/out.d/icons.jpg"));
    EXPECT_EQ(forceExtension("/out/.png", "ico"), fs::path("/out/.ico"));
    // Characters, not bytes: "añ" is three bytes and keeps both its characters.
    EXPECT_EQ(forceExtension("/out/a\xc3\xb1", "ico"), fs::path("/out/a\xc3\xb1.ico"));
    EXPECT_EQ(forceExtension("/out/d\xc3\xa9j\xc3\xa0.jpeg", "bmp"),
              fs::path("/out/d\xc3\xa9j\xc3\xa0.bmp"));
    EXPECT_EQ(saveDialogRequest("ico").filter, "ico file(s)   (*.ico)|*.ico");
    EXPECT_EQ(saveDialogRequest("bmp").filter, "bmp file(s)  (*.bmp)|*.bmp");
    EXPECT_EQ(saveDialogRequest("bmp").defaultExt, "bmp");
    EXPECT_EQ(saveDialogRequest("gif").filter, "jpg file(s)  (*.jpg)|*.jpg");
    EXPECT_EQ(saveDialogRequest("gif").defaultExt, "jpg");
    EXPECT_EQ(saveDialogRequest("png").filter, "png file(s)  (*.png)|*.png");
    EXPECT_EQ(saveDialogRequest("png").defaultExt, "png");
    EXPECT_EQ(saveDialogRequest("original").filter, "ico file(s)   (*.ico)|*.ico");
    EXPECT_EQ(saveDialogRequest("original").defaultExt, "ico");
}

TEST_F(SaveFixture, IcoFromALibraryInBothSizes) {
    run({{src.shell32, 3, true}}, "icons.ico");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"16-icons.ico", "32-icons.ico"}));
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-icons.ico", "16-icons.ico"}));
    EXPECT_EQ(report.folder(), dir.path / "");
    EXPECT_EQ(slurp(dir.path / "32-icons.ico").size(), 766u);
    EXPECT_EQ(slurp(dir.path / "16-icons.ico").size(), 318u);
    EXPECT_EQ(readImage(dir.path / "32-icons.ico").size(), QSize(32, 32));
    EXPECT_TRUE(report.unreadableRows().empty());
    EXPECT_TRUE(report.skippedRows().empty());
}

TEST_F(SaveFixture, OneSizeWritesTheChosenNameItselfAndNoneOfThePairIsASkippedRow) {
    settings = savingSizes({16});
    run({{src.shell32, 3, true}}, "icons.ico");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"icons.ico"});
    EXPECT_EQ(slurp(dir.path / "icons.ico").size(), 318u);
    settings = savingSizes({128});
    fs::remove(dir.path / "icons.ico");
    for (const char* name : {"i.ico", "i.bmp", "i.jpg"}) {
        run({{src.shell32, 3, true}}, name);
        EXPECT_TRUE(report.files().empty()) << name;
        ASSERT_EQ(report.skippedRows().size(), 1u) << name;
        const std::string told = textsOf(report.skippedRows())[0];
        EXPECT_TRUE(mentions(told, "shell32.dll-004: ")) << name;
        EXPECT_TRUE(mentions(told, "32 and 16 pixels, and neither is chosen")) << told;
        EXPECT_EQ(report.skippedRows()[0].why.fault, Fault::NotChosen);
        EXPECT_TRUE(report.unreadableRows().empty()) << name;
    }
    EXPECT_TRUE(dir.names().empty());
}

TEST_F(SaveFixture, BitmapsAndJpegsFollowTheNamingTable) {
    settings = savingSizes({32});
    std::vector<SaveRow> rows = {{src.exe, 0, true}, {src.exe, 1, true}, {src.exe, 2, true}};
    run(rows, "pic.bmp");
    EXPECT_EQ(reportNames(report),
              (std::vector<std::string>{"pic-001.bmp", "pic-002.bmp", "pic-003.bmp"}));
    QImage bmp = readImage(dir.path / "pic-002.bmp");
    ASSERT_EQ(bmp.size(), QSize(32, 32));
    EXPECT_EQ(bmp.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);  // transparent part drawn on white
    EXPECT_EQ(bmp.pixel(31, 31) & 0xFFFFFF, standardIcon(32).pixel(31, 31) & 0xFFFFFF);

    settings = savingSizes({32, 16});
    run({{src.exe, 0, true}}, "p.jpg");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-p.jpg", "16-p.jpg"}));
    EXPECT_EQ(readImage(dir.path / "32-p.jpg").size(), QSize(32, 32));
    EXPECT_EQ(readImage(dir.path / "16-p.jpg").size(), QSize(16, 16));

    settings = savingSizes({16});
    run({{src.exe, 0, true}}, "s.bmp");
    QImage small = readImage(dir.path / "s.bmp");
    ASSERT_EQ(small.size(), QSize(16, 16));
    // Every second row and column of the 32 x 32 picture.
    EXPECT_EQ(small.pixel(15, 15) & 0xFFFFFF, standardIcon(32).pixel(30, 30) & 0xFFFFFF);
}

TEST_F(SaveFixture, SuffixCountsSelectedRowsOnly) {
    settings = savingSizes({32});
    run({{src.exe, 0, true}, {src.exe, 1, false}, {src.exe, 2, true}}, "x.ico");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"x-001.ico", "x-002.ico"}));
    run({{src.exe, 2, true}}, "y.bmp");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"y.bmp"});
}

TEST_F(SaveFixture, IcoSourcesKeepTheirOwnSizeAndTheirImagesAsStored) {
    settings = savingSizes({48});
    std::vector<SaveRow> rows = {{src.multi, 2, true}, {src.multi, 0, true}};
    run(rows, "x.ico");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"48-x-001.ico"});
    // A one-image icon file: the source's entry but for the offset, then the image.
    const fx::Bytes source = fx::readWholeFile(src.multi);
    const std::size_t entry = 6 + 16 * 2;
    fx::Bytes expected = {0, 0, 1, 0, 1, 0};
    expected.insert(expected.end(), source.begin() + entry, source.begin() + entry + 12);
    expected.insert(expected.end(), {22, 0, 0, 0});
    const fx::Bytes& image = src.multiImages[2].data;
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(fx::readWholeFile(dir.path / "48-x-001.ico"), expected);
    // The 16 px image was left out by the sizes, and says so.
    ASSERT_EQ(report.skippedRows().size(), 1u);
    EXPECT_EQ(textsOf(report.skippedRows())[0],
              "multi.ico-001: its image is 16 x 16, and that size is not chosen");

    settings = savingSizes({128, 64, 32, 16});
    run({{src.multi, 2, true}}, "off.ico");
    EXPECT_TRUE(report.files().empty());

    settings = savingSizes({48, 16});
    run(rows, "p.bmp");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"48-p-001.bmp", "16-p-002.bmp"}));
    EXPECT_EQ(readImage(dir.path / "48-p-001.bmp").size(), QSize(48, 48));
    // Drawn on white, never scaled.
    const QImage drawn = readImage(dir.path / "16-p-002.bmp");
    ASSERT_EQ(drawn.size(), QSize(16, 16));
    EXPECT_EQ(drawn.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(drawn.pixel(15, 15) & 0xFFFFFF, standardIcon(16).pixel(15, 15) & 0xFFFFFF);
    run({{src.multi, 2, true}}, "q.jpg");
    EXPECT_EQ(readImage(dir.path / "48-q.jpg").size(), QSize(48, 48));
}

TEST_F(SaveFixture, IcoImagesOf24And256PixelsAreSkippedRowsWithTheirSize) {
    settings = savingSizes({128, 64, 48, 32, 16});
    for (const char* name : {"o.ico", "o.bmp", "o.jpg"}) {
        run({{src.odd, 0, true}, {src.odd, 1, true}}, name);
        EXPECT_EQ(textsOf(report.skippedRows()),
                  (std::vector<std::string>{
                      "odd.ico-001: its image is 24 x 24, and that size is not chosen",
                      "odd.ico-002: its image is 256 x 256, and that size is not chosen"}))
            << name;
        EXPECT_TRUE(report.unreadableRows().empty()) << name;
    }
    EXPECT_TRUE(dir.names().empty());
}

// The stored images of a written cursor file, each with its hotspot.
std::vector<std::pair<fx::Bytes, std::pair<int, int>>> cursorImagesOf(const fs::path& file) {
    std::vector<std::pair<fx::Bytes, std::pair<int, int>>> out;
    const fx::Bytes bytes = fx::readWholeFile(file);
    auto set = IconSet::read(ByteSource(bytes));
    if (!set || set->container() != IconContainer::CursorFile) return out;
    for (const StoredImage& image : set->load(ResourceKind::Cursor, 0).images)
        out.push_back(
            {fx::Bytes(image.data.begin(), image.data.end()), {image.hotspotX, image.hotspotY}});
    return out;
}

// A cursor, from a cursor file or a program's cursor group, is written as the
// cursor file it is: images as stored, hotspots kept, named ".cur"; a picture
// format writes its picture.
TEST_F(SaveFixture, CursorsAreSavedAsCursorFilesWithTheirHotspots) {
    settings = savingSizes({16});
    const fx::IconImage small = standardImage(16), large = standardImage(32);
    const fs::path cursor = src.dir.write("pointer.cur", fx::makeCur({{small, 3, 4}}));
    run({{cursor, 0, true}}, "c.ico");
    EXPECT_TRUE(report.unreadableRows().empty());
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"16-c.cur"});
    EXPECT_EQ(cursorImagesOf(dir.path / "16-c.cur"),
              (std::vector<std::pair<fx::Bytes, std::pair<int, int>>>{{small.data, {3, 4}}}));

    // A program's cursor group: every image, whatever sizes are chosen; the icon
    // row beside it is saved as before.
    const fs::path program = src.dir.write(
        "pointers.dll", fx::makePe({{{large}}}, {{{{small, 1, 2}, {large, 9, 30}}, {}}}));
    const std::vector<SaveRow> rows{{program, 0, true, ResourceKind::Icon},
                                    {program, 0, true, ResourceKind::Cursor}};
    run(rows, "p.ico");
    EXPECT_TRUE(report.unreadableRows().empty());
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"p-001.ico", "p-002.cur"}));
    const std::vector<std::pair<fx::Bytes, std::pair<int, int>>> stored{{small.data, {1, 2}},
                                                                        {large.data, {9, 30}}};
    EXPECT_EQ(cursorImagesOf(dir.path / "p-002.cur"), stored);
    settings.saveFormat = "original";
    run({rows[1]}, "o.ico");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"o.cur"});
    EXPECT_EQ(cursorImagesOf(dir.path / "o.cur"), stored);
    run({rows[1]}, "o.png");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"o.png"});
    EXPECT_EQ(readImage(dir.path / "o.png").size(), QSize(16, 16));
}

TEST_F(SaveFixture, UnreadableRowsAreToldWithWhyAndWriteNothing) {
    const fx::Bytes good = fx::readWholeFile(src.multi);
    fx::Bytes pastTheEnd = good;
    fx::put32(pastTheEnd, 6 + 8, 0x7FFFFFFF);  // image 1 runs past the end of the file
    fx::Bytes cutInEntries(good.begin(), good.begin() + 6 + 10);
    const std::vector<std::pair<std::string, fx::Bytes>> files = {
        {"text.ico", fx::Bytes{'h', 'i'}},
        {"program.ico", fx::makePe({{{standardImage(16)}}})},
        {"past.ico", pastTheEnd},
        {"cut.ico", cutInEntries},
    };
    std::vector<SaveRow> rows = {{src.dir.path / "missing.ico", 0, true},
                                 {src.dir.path / "missing.dll", 0, true},
                                 {src.exe, 7, true},
                                 {src.multi, 9, true}};
    for (const auto& [name, bytes] : files) rows.push_back({src.dir.write(name, bytes), 0, true});
    settings = savingSizes({128, 64, 48, 32, 16});
    for (const char* name : {"u.ico", "u.bmp", "u.jpg", "u.png"}) {
        run(rows, name);
        EXPECT_TRUE(report.files().empty()) << name;
        EXPECT_FALSE(report.stopped()) << name;
        ASSERT_EQ(report.unreadableRows().size(), rows.size()) << name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string told = textsOf(report.unreadableRows())[i];
            const std::string caption = rowCaption(rows[i].source, rows[i].iconPosition) + ": ";
            EXPECT_EQ(told.substr(0, caption.size()), caption) << told;
            EXPECT_GT(told.size(), caption.size() + 3) << told;  // and why
        }
        const std::string first = textsOf(report.unreadableRows())[0];
        EXPECT_TRUE(mentions(first, "No such file or directory")) << first;
    }
    settings.saveFormat = "original";
    run(rows, "u.ico");
    EXPECT_EQ(report.unreadableRows().size(), rows.size());
    EXPECT_TRUE(dir.names().empty());
}

TEST_F(SaveFixture, AnExtensionOfNoFormatWritesNothingAndSaysSo) {
    run({{src.exe, 0, true}, {src.multi, 0, true}}, "x.gif");
    EXPECT_TRUE(report.unsupportedFormat());
    EXPECT_TRUE(report.files().empty());
    EXPECT_TRUE(report.unreadableRows().empty());
    EXPECT_EQ(report.folder(), dir.path / "");
    EXPECT_TRUE(dir.names().empty());
    run({{src.exe, 0, true}}, "x.ico");
    EXPECT_FALSE(report.unsupportedFormat());
}

TEST_F(SaveFixture, UnwritableTargetsLeaveNothingBehind) {
    // A folder path that runs through a regular file (root ignores permissions).
    std::ofstream(dir.path / "file") << "x";
    runAt({{src.exe, 0, true}, {src.multi, 0, true}}, dir.path / "file" / "out.ico");
    EXPECT_TRUE(report.files().empty());   // no empty file listed
    EXPECT_EQ(report.failureCount(), 3u);  // 32 and 16 of the program, 16 of the icon file
    EXPECT_FALSE(report.stopped());
    runAt({{src.exe, 0, true}}, dir.path / "file" / "out.bmp");
    EXPECT_TRUE(report.stopped());
    EXPECT_TRUE(mentions(stopText(report), "Not a directory")) << stopText(report);

    // A target that is a folder is not destroyed, and the run stops there.
    fs::create_directory(dir.path / "32-b.jpg");
    run({{src.exe, 0, true}}, "b.jpg");
    EXPECT_TRUE(report.stopped());
    EXPECT_EQ(report.stopReason()->file, dir.path / "32-b.jpg") << stopText(report);
    EXPECT_TRUE(fs::is_directory(dir.path / "32-b.jpg"));
    EXPECT_FALSE(fs::exists(dir.path / "16-b.jpg"));
    EXPECT_TRUE(report.files().empty());

    // An existing file is replaced whole.
    settings = savingSizes({32});
    std::ofstream(dir.path / "r.ico") << std::string(5000, 'z');
    run({{src.exe, 0, true}}, "r.ico");
    EXPECT_EQ(slurp(dir.path / "r.ico").size(), 766u);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"32-b.jpg", "file", "r.ico"}));
}

TEST_F(SaveFixture, KindOfRunAndOfSourceInAnyLetterCaseAndLocale) {
    test::TurkishLocale turkish;
    if (!turkish.available()) GTEST_SKIP() << "no Turkish locale installed";
    settings = savingSizes({16});
    const fs::path loud = src.dir.write("LOUD.ICO", fx::makeIco({standardImage(16)}));
    run({{src.exe, 0, true}, {loud, 0, true}}, "t.ico");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"t-001.ico", "16-t-002.ico"}));
    run({{loud, 0, true}}, "p.bmp");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"16-p.bmp"}));
    EXPECT_FALSE(report.unsupportedFormat());
    run({{src.exe, 0, true}}, "x.gif");  // PNG is a format of its own
    EXPECT_TRUE(report.unsupportedFormat());
}

TEST_F(SaveFixture, EveryFileNotWrittenIsCountedWithTheSystemsReason) {
    // An icon run goes on past a file it cannot write, and keeps why.
    fs::create_directory(dir.path / "16-c-002.ico");
    run({{src.exe, 0, true}, {src.exe, 1, true}}, "c.ico");
    EXPECT_EQ(reportNames(report),
              (std::vector<std::string>{"32-c-001.ico", "16-c-001.ico", "32-c-002.ico"}));
    EXPECT_EQ(report.failureCount(), 1u);
    EXPECT_EQ(
        problemText(report.failures().front()),
        "Cannot create file \"" + (dir.path / "16-c-002.ico").string() + "\". Is a directory");
    EXPECT_FALSE(report.stopped());

    // A picture run stops at the first file it cannot write and keeps those before it.
    settings = savingSizes({32});
    fs::create_directory(dir.path / "pic-002.bmp");
    run({{src.exe, 0, true}, {src.exe, 1, true}, {src.exe, 2, true}}, "pic.bmp");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"pic-001.bmp"});
    EXPECT_TRUE(fs::is_regular_file(dir.path / "pic-001.bmp"));
    EXPECT_FALSE(fs::exists(dir.path / "pic-003.bmp"));
    EXPECT_EQ(stopText(report),
              "Cannot create file \"" + (dir.path / "pic-002.bmp").string() + "\". Is a directory");

    // An image of an icon file saved as a bitmap stops the run with the reason, as
    // every other row of a bitmap run does.
    settings = savingSizes({16});
    fs::create_directory(dir.path / "16-d.bmp");
    run({{src.multi, 0, true}}, "d.bmp");
    EXPECT_EQ(stopText(report),
              "Cannot create file \"" + (dir.path / "16-d.bmp").string() + "\". Is a directory");
    EXPECT_TRUE(report.files().empty());
}

TEST_F(SaveFixture, ManyRowsOfOneFileReadItOnce) {
    settings = savingSizes({32});
    std::vector<SaveRow> rows;
    for (int i = 0; i < 50; ++i) rows.push_back({src.exe, i % 3, true});
    const auto before = bytesReadSoFar();
    run({rows[0]}, "one.ico");
    const auto afterOne = bytesReadSoFar();
    run(rows, "many.ico");
    const auto afterMany = bytesReadSoFar();
    ASSERT_EQ(report.files().size(), 50u);
    EXPECT_EQ(reportNames(report).back(), "many-050.ico");
    EXPECT_EQ(slurp(dir.path / "many-050.ico"), slurp(dir.path / "one.ico"));
    if (!before || !afterOne || !afterMany) GTEST_SKIP() << "no /proc/self/io to count reads by";
    // Fifty rows read no more of the file than one row and a little.
    const long long one = *afterOne - *before, many = *afterMany - *afterOne;
    EXPECT_LT(many, 2 * one) << one << " bytes for one row, " << many << " for fifty";
}

TEST_F(SaveFixture, EachRunReadsTheFilesAfresh) {
    settings = savingSizes({32});
    report.clear();
    SaveContext ctx{settings, report, {}, {}};
    const fs::path lib = src.dir.write("lib.dll", fx::makePe({{{standardImage(32)}}}));
    saveSelectedRows({{lib, 0, true}}, dir.path / "a.ico", ctx);
    // The file replaced by another (a new file renamed over it) between two runs.
    Icon other = standardIcon(32);
    std::fill(other.color.begin(), other.color.end(), 0xFF000080);
    src.dir.write("next.dll", fx::makePe({{{fx::dibImage(other, 4)}}}));
    fs::rename(src.dir.path / "next.dll", lib);
    report.clear();
    saveSelectedRows({{lib, 0, true}}, dir.path / "b.ico", ctx);
    ASSERT_EQ(reportNames(report), std::vector<std::string>{"b.ico"});
    EXPECT_EQ(readImage(dir.path / "b.ico").pixel(20, 20) & 0xFFFFFF, 0x000080u);
}

TEST_F(SaveFixture, ASourceHandedInIsAskedOnceARowAndItsReasonsAreKept) {
    std::vector<std::pair<fs::path, int>> asked;
    const fx::Bytes stored = standardImage(32).data;
    report.clear();
    SaveContext ctx{settings, report,
                    [&](const fs::path& source, int position, ResourceKind) -> Result<IconGroup> {
                        asked.push_back({source, position});
                        if (position != 0) return failure(Fault::NoSuchIcon, "icon 2");
                        StoredImage image;
                        image.entry.width = image.entry.height = 32;
                        image.data = stored;
                        image.storage = std::make_shared<const std::vector<std::uint8_t>>();
                        IconGroup group;
                        group.images = {image};
                        return group;
                    }};
    saveSelectedRows({{"/nowhere/a.dll", 0, true}, {"/nowhere/a.dll", 1, true}}, dir.path / "g.ico",
                     ctx);
    EXPECT_EQ(asked, (std::vector<std::pair<fs::path, int>>{{"/nowhere/a.dll", 0},
                                                            {"/nowhere/a.dll", 1}}));
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-g-001.ico", "16-g-001.ico"}));
    EXPECT_EQ(textsOf(report.unreadableRows()), std::vector<std::string>{"a.dll-002: no icon 2"});
}

TEST_F(SaveFixture, TheQuestionsComeBeforeAnythingIsWritten) {
    ScriptedDesktop desktop;
    int optionsShown = 0;
    bool confirm = true;
    auto options = [&] {
        ++optionsShown;
        return confirm;
    };
    fs::path last;
    EXPECT_FALSE(askSaveName({{src.exe, 0, false}}, settings, desktop, options, last));
    EXPECT_EQ(optionsShown, 0);

    std::vector<SaveRow> rows = {{src.exe, 0, true}};
    confirm = false;
    EXPECT_FALSE(askSaveName(rows, settings, desktop, options, last));
    EXPECT_TRUE(desktop.saveRequests.empty());
    confirm = true;
    EXPECT_FALSE(askSaveName(rows, settings, desktop, options, last));  // Save dialog cancelled
    ASSERT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_EQ(last, fs::path());

    desktop.saveAnswers.push_back(dir.path / "a.jpeg");
    EXPECT_EQ(askSaveName(rows, settings, desktop, options, last), dir.path / "a.ico");
    EXPECT_EQ(last, dir.path / "a.jpeg");
    settings.saveFormat = "png";
    desktop.saveAnswers.push_back(dir.path / "icons");
    EXPECT_EQ(askSaveName(rows, settings, desktop, options, last), dir.path / "icons.png");
    EXPECT_EQ(desktop.saveRequests.back().initial, dir.path / "a.jpeg");
    EXPECT_EQ(desktop.saveRequests.back().defaultExt, "png");
    EXPECT_EQ(optionsShown, 4);
    EXPECT_TRUE(dir.names().empty());
}

// A run that may not replace a file keeps it byte for byte and names it in the
// report; one it may replace is written; a stop before the first row writes nothing.
TEST_F(SaveFixture, ExistingFilesAreReplacedOnlyWhenAllowedAndAStopIsTold) {
    std::ofstream(dir.path / "k-001.ico") << "mine";
    std::ofstream(dir.path / "k-002.ico") << "old";
    const std::vector<SaveRow> rows = {{src.exe, 0, true}, {src.exe, 1, true}, {src.exe, 2, true}};
    settings = savingSizes({32});
    SaveContext ctx{settings, report, {}, {}};
    ctx.mayReplace = [](const fs::path& f) { return f.filename() == "k-002.ico"; };
    std::atomic<int> begun{0};
    ctx.rowsBegun = &begun;
    saveSelectedRows(rows, dir.path / "k.ico", ctx);
    EXPECT_EQ(slurp(dir.path / "k-001.ico"), "mine");
    EXPECT_NE(slurp(dir.path / "k-002.ico"), "old");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"k-002.ico", "k-003.ico"}));
    EXPECT_EQ(report.kept(), std::vector<fs::path>{"k-001.ico"});
    EXPECT_EQ(begun.load(), 3);
    EXPECT_FALSE(report.stoppedByRequest());

    report.clear();
    const std::atomic<bool> stop{true};
    ctx.stop = &stop;
    begun = 0;
    for (const char* ext : {"png", "bmp", "ico"}) {
        saveSelectedRows(rows, dir.path / (std::string("s.") + ext), ctx);
        EXPECT_TRUE(report.files().empty()) << ext;
        EXPECT_TRUE(report.stoppedByRequest()) << ext;
        EXPECT_EQ(report.rowsToSave(), 3) << ext;
        EXPECT_EQ(report.rowsDoneWhenStopped(), 0) << ext;
    }
}

namespace {
fs::path g_appearing;
}  // namespace

// "Skip existing" is a way of placing each file, not a look made before the run:
// a file that another program makes at a name after the run has planned it, before
// the new file takes the name, is kept as it is and named in the report as kept.
TEST_F(SaveFixture, AFileMadeWhileTheRunGoesOnIsKeptAndToldAsKept) {
    const std::vector<SaveRow> rows = {{src.exe, 0, true}, {src.exe, 1, true}};
    for (const char* format : {"ico", "bmp", "jpg", "png", "original"}) {
        SCOPED_TRACE(format);
        settings = savingSizes({32}, format);
        const std::string ext = std::string(format) == "original" ? "ico" : format;
        const fs::path folder = dir.path / format;
        fs::create_directory(folder);
        const fs::path name = folder / ("late." + ext);
        SaveContext ctx{settings, report, oneRunReader(), {}};
        ctx.mayReplace = [](const fs::path&) { return false; };
        std::vector<fs::path> planned;
        const SavePlan plan = planSave(rows, name, settings, ctx.rowGroup);
        for (const PlannedRow& row : plan.rows)
            for (const PlannedFile& file : row.files) planned.push_back(plan.pathOf(file));
        ASSERT_EQ(planned.size(), 2u);
        g_appearing = planned.front();
        // At the first step that changes the disk the run has planned its files and
        // written none under its name.
        setWriteStepHook([](std::uint64_t step) {
            if (step == 1) std::ofstream(g_appearing) << "theirs";
        });
        report.clear();
        runSavePlan(plan, ctx);
        setWriteStepHook(nullptr);
        EXPECT_EQ(slurp(planned.front()), "theirs");
        EXPECT_EQ(report.kept(), std::vector<fs::path>{planned.front().filename()});
        EXPECT_EQ(reportNames(report),
                  std::vector<std::string>{planned.back().filename().string()});
        EXPECT_EQ(report.failureCount(), 0u);
        EXPECT_FALSE(report.stopped());
        EXPECT_TRUE(fs::is_regular_file(planned.back()));
    }
}

// A run that ends in an error after it has made files tells what became of them
// all the same: one whose name was taken meanwhile is kept, not listed as written.
TEST_F(SaveFixture, ARunThatThrowsTellsWhatBecameOfTheFilesItMade) {
    const std::vector<SaveRow> rows = {{src.exe, 0, true}, {src.exe, 1, true}};
    settings = savingSizes({32}, "png");
    SaveContext ctx{settings, report, {}, {}};
    ctx.mayReplace = [](const fs::path&) { return false; };
    const RowGroupSource reader = oneRunReader();
    int reads = 0;
    ctx.rowGroup = [&](const fs::path& source, int position, ResourceKind kind) {
        if (++reads == 2) throw std::runtime_error("out of memory");
        return reader(source, position, kind);
    };
    const SavePlan plan = planSave(rows, dir.path / "t.png", settings, ctx.rowGroup);
    g_appearing = dir.path / "t-001.png";
    setWriteStepHook([](std::uint64_t step) {
        if (step == 1) std::ofstream(g_appearing) << "theirs";
    });
    report.clear();
    EXPECT_THROW(runSavePlan(plan, ctx), std::runtime_error);
    setWriteStepHook(nullptr);
    EXPECT_EQ(slurp(g_appearing), "theirs");
    EXPECT_EQ(report.kept(), std::vector<fs::path>{"t-001.png"});
    EXPECT_TRUE(report.files().empty());
    EXPECT_EQ(dir.names(), std::vector<std::string>{"t-001.png"});
}

// The icon file of a program's icon keeps 32 and 16 pixels in at most 256 colours
// with a 1-bit mask: the run tells, row by row, the chosen sizes it left out and
// what of each icon that rule gave up, and nothing it did not.
TEST_F(SaveFixture, WhatTheIconFileRuleGivesUpIsToldRowByRow) {
    Icon hardEdged = fx::solidIcon(32, 32, 0xFF2080C0);
    hardEdged.hasAlpha = true;
    for (int x = 0; x < 8; ++x) hardEdged.color[std::size_t(x)] = 0;  // clear, not in steps
    const fs::path lib =
        dir.write("lib.dll", fx::makePe({{{fx::dibImage(hardEdged, 32)}},
                                         {{fx::dibImage(fx::alphaPatternIcon(32, 32), 32)}},
                                         {{standardImage(32)}}}));
    const std::vector<SaveRow> rows = {{lib, 0, true}, {lib, 1, true}, {lib, 2, true}};
    settings = savingSizes({32, 16});
    run(rows, "a.ico");
    ASSERT_EQ(report.reductions().size(), 1u);
    const SaveReduction& soft = report.reductions()[0];
    EXPECT_EQ(soft.row, "lib.dll-002");
    EXPECT_EQ(soft.rule, SaveRule::ProgramIconFile);
    EXPECT_TRUE(soft.sizesLeftOut.empty());
    EXPECT_EQ(soft.storedDepth, 32);
    EXPECT_TRUE(soft.alphaDropped);

    settings = savingSizes({128, 48, 32});
    run(rows, "b.ico");
    ASSERT_EQ(report.reductions().size(), 3u);
    for (const SaveReduction& r : report.reductions())
        EXPECT_EQ(r.sizesLeftOut, (std::vector<int>{128, 48})) << r.row;
    EXPECT_FALSE(report.reductions()[0].alphaDropped);
    EXPECT_EQ(report.reductions()[0].storedDepth, 0);
    EXPECT_TRUE(report.reductions()[1].alphaDropped);

    // Pictures of programs leave out the large sizes by their own rule; a PNG and an
    // icon as stored give up nothing.
    settings = savingSizes({128, 32}, "bmp");
    run(rows, "c.bmp");
    ASSERT_EQ(report.reductions().size(), 3u);
    EXPECT_EQ(report.reductions()[0].rule, SaveRule::ProgramPicture);
    EXPECT_EQ(report.reductions()[0].sizesLeftOut, std::vector<int>{128});
    for (const std::string format : {"png", "original"}) {
        settings = savingSizes({128, 32}, format);
        run(rows, format == "png" ? "d.png" : "e.ico");
        EXPECT_TRUE(report.reductions().empty()) << format;
        EXPECT_FALSE(report.files().empty()) << format;
    }
}

// 256 colours of a true-colour image survive the reduction whole; 257 do not.
TEST_F(SaveFixture, ColoursAreToldAsReducedOnlyPastTwoHundredAndFiftySix) {
    auto coloured = [](std::uint32_t count) {
        Icon icon = fx::solidIcon(32, 32, 0xFF000000);
        for (std::uint32_t i = 0; i < icon.color.size(); ++i)
            icon.color[i] = 0xFF000000u | ((i % count) * 0x010203u & 0xFFFFFFu);
        return fx::dibImage(icon, 24);
    };
    const fs::path lib = dir.write("c.dll", fx::makePe({{{coloured(256)}}, {{coloured(257)}}}));
    settings = savingSizes({32});
    run({{lib, 0, true}, {lib, 1, true}}, "c.ico");
    ASSERT_EQ(report.reductions().size(), 1u);
    EXPECT_EQ(report.reductions()[0].row, "c.dll-002");
    EXPECT_EQ(report.reductions()[0].storedDepth, 24);
    EXPECT_FALSE(report.reductions()[0].alphaDropped);
}
