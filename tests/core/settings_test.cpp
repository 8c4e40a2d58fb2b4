#include "core/settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include "support/temp_program_dir.h"

namespace fs = std::filesystem;
using namespace pellimar;
using pellimar::test::TempProgramDir;

namespace {

const char* const kNewSetup =
    "[importoptions]\nformat_exe=1\nformat_dll=1\nformat_ico=1\nformat_icl=0\nmax_units=20\n"
    "[exportoptions]\nsize_128=1\nsize_64=0\nsize_48=0\nsize_32=1\nsize_16=0\nformat=ico\n"
    "[tipoptions]\nshow=0\nnum=5\n";

// Values no file would give, so a test sees which fields were filled.
AppSettings scrambled() {
    AppSettings s;
    s.importExe = s.importDll = false;
    s.importIco = s.importIcl = true;
    s.importLimit = -77;
    s.saveSize128 = s.saveSize32 = false;
    s.saveSize64 = s.saveSize48 = s.saveSize16 = true;
    s.saveFormat = "zzz";
    s.showTipsAtStart = true;
    s.tipNumber = 99;
    s.searchSubfolders = false;
    s.clearResult = true;
    return s;
}

}  // namespace

TEST(Settings, FirstStartCreatesBothFilesWithTheNewFileValues) {
    TempProgramDir dir("first-start");
    AppSettings s = scrambled();
    loadSettings(s);
    loadSearchOptions(s);
    EXPECT_EQ(TempProgramDir::readFile(dir.program() / "setup.ini"), kNewSetup);
    EXPECT_EQ(TempProgramDir::readFile(dir.program() / "pellimarinfo.ini"),
              "[SearchOption]\nsearchchildfolder=1\nclearResult=0\n");
    EXPECT_TRUE(s.importExe && s.importDll && s.importIco);
    EXPECT_FALSE(s.importIcl);
    EXPECT_EQ(s.importLimit, 20);
    EXPECT_TRUE(s.saveSize128 && s.saveSize32);
    EXPECT_FALSE(s.saveSize64 || s.saveSize48 || s.saveSize16);
    EXPECT_EQ(s.saveFormat, "ico");
    EXPECT_FALSE(s.showTipsAtStart);
    EXPECT_EQ(s.tipNumber, 5);
    EXPECT_TRUE(s.searchSubfolders);
    EXPECT_FALSE(s.clearResult);
    EXPECT_FALSE(fs::exists(dir.config()));  // a writable program folder keeps them
}

TEST(Settings, MissingKeysTakeTheMissingKeyDefaults) {
    TempProgramDir dir("missing-keys");
    TempProgramDir::writeFile(dir.program() / "setup.ini", "[tipoptions]\nshow=1\n");
    AppSettings s = scrambled();
    loadSettings(s);
    EXPECT_TRUE(s.showTipsAtStart);
    EXPECT_TRUE(s.importExe && s.importDll);
    EXPECT_FALSE(s.importIco || s.importIcl);
    EXPECT_EQ(s.importLimit, 100);
    EXPECT_TRUE(s.saveSize128 && s.saveSize32 && s.saveSize16);
    EXPECT_FALSE(s.saveSize64 || s.saveSize48);
    EXPECT_EQ(s.saveFormat, "ico");
    EXPECT_EQ(s.tipNumber, 5);
    // Reading never writes.
    EXPECT_EQ(TempProgramDir::readFile(dir.program() / "setup.ini"), "[tipoptions]\nshow=1\n");
}

TEST(Settings, IntegersReadHexadecimalAndFallBackOnText) {
    TempProgramDir dir("integers");
    AppSettings s;
    TempProgramDir::writeFile(dir.program() / "setup.ini",
                              "[importoptions]\nmax_units=0x14\n[tipoptions]\nnum=-3\n");
    loadSettings(s);
    EXPECT_EQ(s.importLimit, 20);
    EXPECT_EQ(s.tipNumber, -3);
    TempProgramDir::writeFile(dir.program() / "setup.ini", "[importoptions]\nmax_units=abc\n");
    loadSettings(s);
    EXPECT_EQ(s.importLimit, 100);
}

TEST(Settings, SaveWritesEveryKeyInPlaceAndKeepsOtherLines) {
    TempProgramDir dir("save");
    TempProgramDir::writeFile(dir.program() / "setup.ini",
                              "; mine\n[exportoptions]\nsize_128=1\nextra=keep\n[mine]\na=b\n");
    AppSettings s;
    loadSettings(s);
    s.saveSize128 = false;
    s.saveFormat = "bmp";
    s.tipNumber = 7;
    ASSERT_TRUE(saveSettings(s));
    std::string text = TempProgramDir::readFile(dir.program() / "setup.ini");
    EXPECT_NE(text.find("; mine\n[exportoptions]\nsize_128=0\nextra=keep\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("[mine]\na=b\n"), std::string::npos);
    AppSettings back = scrambled();
    loadSettings(back);
    EXPECT_FALSE(back.saveSize128);
    EXPECT_EQ(back.saveFormat, "bmp");
    EXPECT_EQ(back.tipNumber, 7);
    EXPECT_EQ(back.importLimit, 100);  // was missing, written from memory
}

TEST(Settings, SearchOptionsAreOnOnlyForOne) {
    TempProgramDir dir("search");
    TempProgramDir::writeFile(dir.program() / "pellimarinfo.ini",
                              "[searchoption]\nsearchchildfolder=0\nclearResult=1\n");
    AppSettings s;
    loadSearchOptions(s);
    EXPECT_FALSE(s.searchSubfolders);
    EXPECT_TRUE(s.clearResult);
    TempProgramDir::writeFile(dir.program() / "pellimarinfo.ini",
                              "[SearchOption]\nsearchchildfolder=yes\n");
    loadSearchOptions(s);
    EXPECT_FALSE(s.searchSubfolders);  // only "1" is on
    EXPECT_FALSE(s.clearResult);       // missing: "0"
}

TEST(Settings, ReadOnlyProgramFolderKeepsTheFilesInTheUserConfiguration) {
    TempProgramDir dir("readonly");
    dir.makeProgramDirUnwritable();
    AppSettings s = scrambled();
    loadSettings(s);
    loadSearchOptions(s);
    EXPECT_EQ(TempProgramDir::readFile(dir.config() / "setup.ini"), kNewSetup);
    EXPECT_TRUE(s.searchSubfolders);
    EXPECT_EQ(s.importLimit, 20);
    s.saveSize128 = false;
    ASSERT_TRUE(saveSettings(s));
    AppSettings back;
    loadSettings(back);
    EXPECT_FALSE(back.saveSize128);
}

TEST(Settings, NowhereToWriteStartsWithNewValuesAndSaveReportsThePath) {
    TempProgramDir dir("nowhere");
    dir.makeProgramDirUnwritable();
    dir.makeConfigUnwritable();
    AppSettings s = scrambled();
    loadSettings(s);
    loadSearchOptions(s);
    EXPECT_EQ(s.importLimit, 20);
    EXPECT_FALSE(s.showTipsAtStart);
    EXPECT_FALSE(s.searchSubfolders);
    EXPECT_FALSE(s.clearResult);
    const auto saved = saveSettings(s);
    ASSERT_FALSE(saved);
    EXPECT_EQ(unableToWriteText(saved.failure()),
              "Unable to write to " + (settingsDir() / "setup.ini").string());
    EXPECT_NE(unableToWriteText(saved.failure()).find("plain/config/pellimar/setup.ini"),
              std::string::npos);
    EXPECT_NE(saved.failure().error, 0);  // the system's reason comes with it
}

TEST(Settings, AFailedSaveLeavesTheOldFileWhole) {
    TempProgramDir dir("failed-save");
    fs::create_directory(dir.program() / "setup.ini");  // a folder where the file should be
    AppSettings s;
    const auto saved = saveSettings(s);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.failure().error, EISDIR);
    EXPECT_TRUE(fs::is_directory(dir.program() / "setup.ini"));
}
