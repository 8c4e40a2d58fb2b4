#include "export/save_command.h"

#include <gtest/gtest.h>

#include "export/save_icon_as_ico.h"
#include "save_fixtures.h"
#include "support/scripted_desktop.h"
#include "support/turkish_locale.h"

using namespace pellimar;
using namespace pellimar::test;

namespace {

AppSettings sizes(std::initializer_list<int> on, const std::string& format = "ico") {
    AppSettings s;
    s.size_128 = s.size_64 = s.size_48 = s.size_32 = s.size_16 = false;
    for (int v : on) {
        if (v == 128) s.size_128 = true;
        if (v == 64) s.size_64 = true;
        if (v == 48) s.size_48 = true;
        if (v == 32) s.size_32 = true;
        if (v == 16) s.size_16 = true;
    }
    s.format = format;
    return s;
}

std::vector<std::string> reportNames(const SaveReport& r) {
    std::vector<std::string> out;
    for (auto& f : r.files()) out.push_back(f.string());
    return out;
}

struct SaveFixture : ::testing::Test {
    TempDir dir{"save"};
    FakeSources sources;
    ScriptedDesktop desktop;
    SaveReport report;
    AppSettings settings = sizes({32, 16});
    SaveContext ctx{settings, report, desktop, sources.services};

    void SetUp() override {
        sources.exeIcons[{"/win/shell32.dll", 3}] = standardIcon(32);
        sources.exeIcons[{"/win/a.exe", 0}] = standardIcon(32);
        sources.exeIcons[{"/win/a.exe", 1}] = standardIcon(32);
        sources.exeIcons[{"/win/a.exe", 2}] = standardIcon(32);
        sources.icoImages["/icons/multi.ico"] = {
            icoBytes(standardIcon(16)), icoBytes(standardIcon(32)), icoBytes(standardIcon(48))};
        sources.icoImages["/icons/odd.ico"] = {icoBytes(standardIcon(24)),
                                               icoBytes(standardIcon(256))};
    }
    void run(const std::vector<SaveRow>& rows, const std::string& chosen) {
        report.clear();
        saveSelectedRows(rows, dir.path / chosen, ctx);
    }
};

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
    run({{"/win/shell32.dll", 3, true}}, "icons.ico");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"16-icons.ico", "32-icons.ico"}));
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-icons.ico", "16-icons.ico"}));
    EXPECT_EQ(report.folder(), dir.path / "");
    EXPECT_EQ(slurp(dir.path / "32-icons.ico").size(), 766u);
    EXPECT_EQ(slurp(dir.path / "16-icons.ico").size(), 318u);
    EXPECT_EQ(readImage(dir.path / "32-icons.ico").size(), QSize(32, 32));
}

TEST_F(SaveFixture, OneSizeWritesTheChosenNameItself) {
    settings = sizes({16});
    run({{"/win/shell32.dll", 3, true}}, "icons.ico");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"icons.ico"});
    EXPECT_EQ(slurp(dir.path / "icons.ico").size(), 318u);
    settings = sizes({128});
    fs::remove(dir.path / "icons.ico");
    for (const char* name : {"i.ico", "i.bmp", "i.jpg"}) run({{"/win/shell32.dll", 3, true}}, name);
    EXPECT_TRUE(dir.names().empty());
    EXPECT_TRUE(report.files().empty());
}

TEST_F(SaveFixture, BitmapsAndJpegsFollowTheNamingTable) {
    settings = sizes({32});
    std::vector<SaveRow> rows = {
        {"/win/a.exe", 0, true}, {"/win/a.exe", 1, true}, {"/win/a.exe", 2, true}};
    run(rows, "pic.bmp");
    EXPECT_EQ(reportNames(report),
              (std::vector<std::string>{"pic-001.bmp", "pic-002.bmp", "pic-003.bmp"}));
    QImage bmp = readImage(dir.path / "pic-002.bmp");
    ASSERT_EQ(bmp.size(), QSize(32, 32));
    EXPECT_EQ(bmp.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);  // transparent part drawn on white
    EXPECT_EQ(bmp.pixel(31, 31) & 0xFFFFFF, standardIcon(32).pixel(31, 31) & 0xFFFFFF);

    settings = sizes({32, 16});
    run({{"/win/a.exe", 0, true}}, "p.jpg");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-p.jpg", "16-p.jpg"}));
    EXPECT_EQ(readImage(dir.path / "32-p.jpg").size(), QSize(32, 32));
    EXPECT_EQ(readImage(dir.path / "16-p.jpg").size(), QSize(16, 16));

    settings = sizes({16});
    run({{"/win/a.exe", 0, true}}, "s.bmp");
    QImage small = readImage(dir.path / "s.bmp");
    ASSERT_EQ(small.size(), QSize(16, 16));
    // Every second row and column of the 32 x 32 picture.
    EXPECT_EQ(small.pixel(15, 15) & 0xFFFFFF, standardIcon(32).pixel(30, 30) & 0xFFFFFF);
}

TEST_F(SaveFixture, SuffixCountsSelectedRowsOnly) {
    settings = sizes({32});
    run({{"/win/a.exe", 0, true}, {"/win/a.exe", 1, false}, {"/win/a.exe", 2, true}}, "x.ico");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"x-001.ico", "x-002.ico"}));
    run({{"/win/a.exe", 2, true}}, "y.bmp");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"y.bmp"});
}

TEST_F(SaveFixture, IcoSourcesKeepTheirOwnSize) {
    settings = sizes({48});
    std::vector<SaveRow> rows = {{"/icons/multi.ico", 2, true}, {"/icons/multi.ico", 0, true}};
    run(rows, "x.ico");
    EXPECT_EQ(reportNames(report), std::vector<std::string>{"48-x-001.ico"});
    EXPECT_EQ(sources.imageNumbersAsked.front(), 3);  // position 2 is image number 3
    const auto& stored = sources.icoImages["/icons/multi.ico"][2];
    EXPECT_EQ(slurp(dir.path / "48-x-001.ico"), std::string(stored.begin(), stored.end()));

    settings = sizes({128, 64, 32, 16});
    run({{"/icons/multi.ico", 2, true}}, "off.ico");
    EXPECT_TRUE(report.files().empty());

    settings = sizes({48, 16});
    run(rows, "p.bmp");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"48-p-001.bmp", "16-p-002.bmp"}));
    EXPECT_EQ(readImage(dir.path / "48-p-001.bmp").size(), QSize(48, 48));
    run({{"/icons/multi.ico", 2, true}}, "q.jpg");
    EXPECT_EQ(readImage(dir.path / "48-q.jpg").size(), QSize(48, 48));
}

TEST_F(SaveFixture, IcoImagesOf24And256PixelsAreNeverSaved) {
    settings = sizes({128, 64, 48, 32, 16});
    for (const char* name : {"o.ico", "o.bmp", "o.jpg"})
        run({{"/icons/odd.ico", 0, true}, {"/icons/odd.ico", 1, true}}, name);
    EXPECT_TRUE(dir.names().empty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SaveFixture, UnreadableIcoSourceSaysSaveFalsed) {
    run({{"/icons/missing.ico", 0, true}}, "m.bmp");
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "save falsed");
    EXPECT_EQ(desktop.messages[0].caption, "notice");
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::Ok);
    EXPECT_TRUE(dir.names().empty());
}

TEST_F(SaveFixture, AMissingIconWritesNoFile) {
    run({{"/win/gone.dll", 5, true}}, "g.bmp");
    run({{"/win/gone.dll", 5, true}}, "g.ico");
    EXPECT_TRUE(dir.names().empty());
    EXPECT_TRUE(report.files().empty());
}

TEST_F(SaveFixture, UnwritableTargetsLeaveNothingBehind) {
    // A folder path that runs through a regular file (root ignores permissions).
    std::ofstream(dir.path / "file") << "x";
    const fs::path through = dir.path / "file" / "out.ico";
    report.clear();
    saveSelectedRows({{"/win/a.exe", 0, true}, {"/icons/multi.ico", 0, true}}, through, ctx);
    EXPECT_TRUE(report.files().empty());  // no empty file listed
    EXPECT_THROW(saveSelectedRows({{"/win/a.exe", 0, true}}, dir.path / "file" / "out.bmp", ctx),
                 std::runtime_error);

    // A target that is a folder is not destroyed, and the run stops there.
    fs::create_directory(dir.path / "32-b.jpg");
    report.clear();
    try {
        saveSelectedRows({{"/win/a.exe", 0, true}}, dir.path / "b.jpg", ctx);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("32-b.jpg"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_directory(dir.path / "32-b.jpg"));
    EXPECT_FALSE(fs::exists(dir.path / "16-b.jpg"));
    EXPECT_TRUE(report.files().empty());

    // An existing file is replaced whole.
    settings = sizes({32});
    std::ofstream(dir.path / "r.ico") << std::string(5000, 'z');
    run({{"/win/a.exe", 0, true}}, "r.ico");
    EXPECT_EQ(slurp(dir.path / "r.ico").size(), 766u);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"32-b.jpg", "file", "r.ico"}));
}

TEST_F(SaveFixture, KindOfRunAndOfSourceInAnyLetterCaseAndLocale) {
    test::TurkishLocale turkish;
    if (!turkish.available()) GTEST_SKIP() << "no Turkish locale installed";
    settings = sizes({16});
    sources.icoImages["/icons/LOUD.ICO"] = {icoBytes(standardIcon(16))};
    run({{"/win/a.exe", 0, true}, {"/icons/LOUD.ICO", 0, true}}, "t.ico");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"t-001.ico", "16-t-002.ico"}));
    run({{"/icons/LOUD.ICO", 0, true}}, "p.bmp");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"16-p.bmp"}));
    EXPECT_TRUE(desktop.messages.empty());
    run({{"/win/a.exe", 0, true}}, "x.gif");  // PNG is a format of its own
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "This file format is not supported now. Failed to save!");
}

TEST_F(SaveFixture, EveryFileNotWrittenIsCountedWithTheSystemsReason) {
    // An icon run goes on past a file it cannot write, and keeps why.
    fs::create_directory(dir.path / "16-c-002.ico");
    run({{"/win/a.exe", 0, true}, {"/win/a.exe", 1, true}}, "c.ico");
    EXPECT_EQ(reportNames(report),
              (std::vector<std::string>{"32-c-001.ico", "16-c-001.ico", "32-c-002.ico"}));
    EXPECT_EQ(report.failureCount(), 1u);
    EXPECT_EQ(
        report.firstFailure(),
        "Cannot create file \"" + (dir.path / "16-c-002.ico").string() + "\". Is a directory");

    // An image of an icon file saved as a bitmap stops the run with the reason, as
    // every other row of a bitmap run does.
    settings = sizes({16});
    fs::create_directory(dir.path / "16-d.bmp");
    try {
        run({{"/icons/multi.ico", 0, true}}, "d.bmp");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "Cannot create file \"" + (dir.path / "16-d.bmp").string() + "\". Is a directory");
    }

    // The command shows the first failure after the run, then the report.
    settings = sizes({32, 16});
    fs::create_directory(dir.path / "16-e.ico");
    int reportsShown = 0;
    fs::path last;
    desktop.saveAnswers.push_back(dir.path / "e.ico");
    EXPECT_TRUE(runSaveCommand(
        {{"/win/a.exe", 0, true}}, ctx, [] { return true; }, [&] { ++reportsShown; }, last));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "Cannot create file \"" + (dir.path / "16-e.ico").string() + "\". Is a directory");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(reportsShown, 1);
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-e.ico"}));
}

TEST_F(SaveFixture, CommandStopsWhereTheUserStops) {
    int optionsShown = 0, reportsShown = 0;
    bool confirm = true;
    auto options = [&] {
        ++optionsShown;
        return confirm;
    };
    auto showReport = [&] { ++reportsShown; };
    fs::path last;
    std::vector<SaveRow> none = {{"/win/a.exe", 0, false}};
    EXPECT_FALSE(runSaveCommand(none, ctx, options, showReport, last));
    EXPECT_EQ(optionsShown, 0);

    std::vector<SaveRow> rows = {{"/win/a.exe", 0, true}};
    report.setFolder("/kept/");
    confirm = false;
    EXPECT_FALSE(runSaveCommand(rows, ctx, options, showReport, last));
    EXPECT_TRUE(desktop.saveRequests.empty());
    confirm = true;
    EXPECT_FALSE(runSaveCommand(rows, ctx, options, showReport, last));  // Save dialog cancelled
    EXPECT_EQ(report.folder(), fs::path("/kept/"));
    EXPECT_EQ(reportsShown, 0);

    desktop.saveAnswers.push_back(dir.path / "a.jpeg");
    EXPECT_TRUE(runSaveCommand(rows, ctx, options, showReport, last));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(reportsShown, 1);
    EXPECT_EQ(report.folder(), dir.path / "");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-a.ico", "16-a.ico"}));
    EXPECT_EQ(last, dir.path / "a.jpeg");

    desktop.saveAnswers.push_back(dir.path / "icons.png");
    EXPECT_TRUE(runSaveCommand(rows, ctx, options, showReport, last));
    EXPECT_EQ(desktop.saveRequests.back().initial, dir.path / "a.jpeg");
    EXPECT_EQ(desktop.saveRequests.back().defaultExt, "ico");
    EXPECT_EQ(reportNames(report), (std::vector<std::string>{"32-icons.ico", "16-icons.ico"}));
}
