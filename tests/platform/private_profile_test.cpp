#include "platform/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/caps.h"

namespace fs = std::filesystem;
using namespace pellimar;

namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("pellimar-profile-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = dir_ / "test.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::string read() {
        std::ifstream in(file_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    fs::path file_;
};

}  // namespace

TEST(ProfileInt, ParsesSignsDecimalAndThreeHexSpellings) {
    struct Case {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"20", 20},
        {"-3", -3},
        {"+7", 7},
        {" 42 ", 42},
        {"0x14", 20},
        {"0X1f", 31},
        {"$10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"abc", {}},
        {"", {}},
        {"12abc", {}},
        {"0x", {}},
        {"$", {}},
        {"-", {}},
        {"1 2", {}},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", {}},
        {"99999999999999999999", {}},
        {"0x1FFFFFFFF", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseProfileInt(c.text), c.value) << c.text;
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreCaseAndValuesAreTrimmed) {
    write(
        "; settings\r\n[ImportOptions]\r\nMAX_Units = 0x14 \r\nname=  some text \r\n"
        "[other]\r\nmax_units=7\r\n");
    EXPECT_EQ(ProfileFile(file_).integer("importoptions", "max_units", 100), 20);
    EXPECT_EQ(ProfileFile(file_).integer("OTHER", "Max_Units", 100), 7);
    EXPECT_EQ(readProfileString(file_, "importoptions", "name", "x"), "some text");
    EXPECT_EQ(ProfileFile(file_).integer("importoptions", "missing", 100), 100);
    EXPECT_EQ(ProfileFile(file_).integer("nosection", "max_units", 5), 5);
    EXPECT_EQ(ProfileFile(dir_ / "absent.ini").integer("importoptions", "max_units", 9), 9);
}

TEST_F(ProfileTest, EmptyValueGivesEmptyTextButTheIntegerDefault) {
    write("[s]\nempty=\nbad=abc\n");
    EXPECT_EQ(readProfileString(file_, "s", "empty", "fallback"), "");
    EXPECT_EQ(readProfileString(file_, "s", "none", "fallback"), "fallback");
    EXPECT_EQ(ProfileFile(file_).integer("s", "empty", 100), 100);
    EXPECT_EQ(ProfileFile(file_).integer("s", "bad", 100), 100);
}

// A file read once answers every text as the one-key reader does, and keeps its
// answers when the file changes afterwards.
TEST_F(ProfileTest, AFileReadOnceAnswersAsTheOneKeyReader) {
    write(
        "[ImportOptions]\r\nMAX_Units = 0x14 \r\nname=  some text \r\nbad=abc\r\nempty=\r\n"
        "long=" +
        std::string(3000, 'x') + "\r\n");
    const ProfileFile profile(file_);
    for (const char* key : {"name", "empty", "long", "missing"})
        EXPECT_EQ(profile.string("IMPORTOPTIONS", key, "fb"),
                  readProfileString(file_, "importoptions", key, "fb"))
            << key;
    write("[importoptions]\nmax_units=3\n");
    EXPECT_EQ(profile.integer("importoptions", "max_units", 100), 20);
    EXPECT_EQ(ProfileFile(dir_).string("s", "k", "fb"), "fb");  // a folder is no file
}

TEST_F(ProfileTest, TextsAreCutAt2047Characters) {
    write("[s]\nlong=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(readProfileString(file_, "s", "long", "").size(), 2047u);
}

TEST_F(ProfileTest, WritingReplacesInPlaceAndLeavesEverythingElse) {
    write("; comment\r\n[a]\r\nKeep=1\r\nX=old\r\n\r\n[b]\r\ny=2\r\n");
    ASSERT_TRUE(writeProfileStrings(file_, "A", {{"x", "new"}}));
    ASSERT_TRUE(writeProfileStrings(file_, "a", {{"added", "3"}}));
    ASSERT_TRUE(writeProfileStrings(file_, "c", {{"z", "4"}}));
    EXPECT_EQ(read(),
              "; comment\r\n[a]\r\nKeep=1\r\nX=new\r\nadded=3\r\n\r\n[b]\r\ny=2\r\n[c]\r\nz=4\r\n");
}

TEST_F(ProfileTest, ANewFileIsCreatedWithSectionsInOrder) {
    ASSERT_TRUE(
        writeProfileSections(file_, {{"one", {{"a", "1"}, {"b", "2"}}}, {"two", {{"c", "x"}}}}));
    EXPECT_EQ(read(), "[one]\na=1\nb=2\n[two]\nc=x\n");
}

TEST_F(ProfileTest, ALineBreakInAValueCannotForgeAnotherKey) {
    ASSERT_TRUE(writeProfileStrings(file_, "s", {{"format", "jpg\n[tipoptions]\nshow=1"}}));
    EXPECT_EQ(readProfileString(file_, "s", "format", ""), "jpg");
    EXPECT_EQ(ProfileFile(file_).integer("tipoptions", "show", 0), 0);
}

TEST_F(ProfileTest, WriteFailuresAreReportedAndLeaveNothingBehind) {
    fs::path plain = dir_ / "plain";
    std::ofstream(plain) << "x";
    EXPECT_FALSE(writeProfileStrings(plain / "sub.ini", "s", {{"k", "v"}}));  // through a file
    fs::create_directory(dir_ / "folder.ini");
    EXPECT_FALSE(writeProfileStrings(dir_ / "folder.ini", "s", {{"k", "v"}}));  // a folder
    EXPECT_FALSE(writeProfileStrings(dir_ / "missing" / "x.ini", "s", {{"k", "v"}}));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, 2);  // no temporary file left
}

// A settings file that is there but cannot be read whole is never replaced by one
// that holds only the keys written: the write fails and says why.
TEST_F(ProfileTest, AFileThatCannotBeReadWholeIsNeverReplaced) {
    const std::string big = "[s]\nk=old\n" + std::string(kMaxProfileBytes, ';');
    write(big);
    const Result<Done> tooBig = writeProfileStrings(file_, "s", {{"k", "new"}});
    ASSERT_FALSE(tooBig);
    EXPECT_EQ(tooBig.failure().cap, Cap::ProfileBytes);
    EXPECT_EQ(read(), big);
    EXPECT_EQ(ProfileFile(file_).string("s", "k", "none"), "none");

    fs::remove(file_);
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    const Result<Done> pipe = writeProfileStrings(file_, "s", {{"k", "new"}});
    ASSERT_FALSE(pipe);
    EXPECT_EQ(pipe.failure().fault, Fault::NotRegularFile);
    EXPECT_TRUE(fs::is_fifo(file_));
}
