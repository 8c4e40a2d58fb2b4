// The files the programs make of icons: made from a group, an image or a picture,
// written through the writer, and counted against what one input may make a run
// write.
#include "platform/output_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "platform/icon_file_encoder.h"
#include "platform/jpeg_file.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

Bytes joined(const OutputFile& file) {
    Bytes all;
    for (const ByteSpan& piece : file.pieces()) all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

RgbImage sample(int w, int h) {
    RgbImage img = whiteImage(w, h);
    for (std::size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = i % 2 ? 0xD02010 : 0x1040C0;
    return img;
}

// A group as stored goes out in pieces that point into its images, and the file
// keeps them alive once the group and its file are gone.
TEST(OutputFiles, AStoredGroupIsWrittenAsStoredAndOutlivesItsGroup) {
    TempDir dir;
    const IconImage small = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage large = pngImage(alphaPatternIcon(64, 64));
    const fs::path dll = dir.write("lib.dll", makePe({{{small, large, small}}}));
    Bytes expected;
    Result<OutputFile> file = failure(Fault::NoImage);
    {
        auto set = IconSet::open(dll);
        ASSERT_TRUE(set);
        const IconGroup group = set->load(ResourceKind::Icon, 0);
        expected = *encodeStoredGroup(group);
        file = storedIconFile(group);
        ASSERT_TRUE(file) << file.failure().message();
        // The image named twice is held once: directory, then three pieces.
        EXPECT_EQ(file->pieces().size(), 4u);
    }
    EXPECT_EQ(file->size(), expected.size());
    EXPECT_EQ(joined(*file), expected);
    ASSERT_TRUE(writeOutput(dir.path() / "out.ico", *file));
    EXPECT_EQ(readWholeFile(dir.path() / "out.ico"), expected);

    IconGroup none;
    none.images.resize(1);
    EXPECT_EQ(storedIconFile(none).failure().fault, Fault::NoImage);
}

TEST(OutputFiles, WriteFailuresLeaveNothingBehind) {
    TempDir dir;
    const fs::path plain = dir.write("plain", Bytes{'x'});
    const auto throughFile = writeOutput(plain / "a.bmp", *bmpFile(sample(4, 4)));
    ASSERT_FALSE(throughFile);
    EXPECT_EQ(throughFile.failure().error, ENOTDIR);
    const auto missing = writeOutput(dir.path() / "no" / "a.jpg", *jpegFile(sample(4, 4)));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().error, ENOENT);
    fs::create_directory(dir.path() / "isdir.bmp");
    const auto folder = writeOutput(dir.path() / "isdir.bmp", *bmpFile(sample(4, 4)));
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.failure().error, EISDIR);
    EXPECT_EQ(bmpFile(RgbImage{}).failure().fault, Fault::CannotEncode);
    EXPECT_TRUE(fs::is_directory(dir.path() / "isdir.bmp"));
    ASSERT_TRUE(writeOutput(dir.path() / "ok.jpg", *jpegFile(sample(8, 8))));
    EXPECT_EQ(readJpegFile(dir.path() / "ok.jpg").width, 8);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 3);  // plain, isdir.bmp, ok.jpg: no temporary files left
}

// The cap of one input: 256 MB, or 64 times its size when that is more. A file
// that would pass it is not written and says which cap; a file kept is not counted.
TEST(OutputFiles, TheBudgetOfOneInputRefusesWhatPassesItsCap) {
    EXPECT_EQ(OutputBudget(0).cap(), 256ull << 20);
    EXPECT_EQ(OutputBudget(8ull << 20).cap(), 512ull << 20);
    OutputBudget budget(1000);
    EXPECT_FALSE(budget.refusal(budget.cap()));
    budget.count(budget.cap() - 10);
    EXPECT_FALSE(budget.refusal(10));
    const std::optional<Failure> past = budget.refusal(11);
    ASSERT_TRUE(past);
    EXPECT_EQ(past->cap, Cap::OutputBytes);
    EXPECT_EQ(past->what, "at most 256 MB (256 MB, or 64 times the file's size when that is more)");
    EXPECT_TRUE(budget.refusal(UINT64_MAX));

    TempDir dir;
    const OutputFile eleven(Bytes(11, 'a')), ten(Bytes(10, 'b'));
    const auto refused = writeOutput(dir.path() / "a", eleven, {}, &budget);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.failure().cap, Cap::OutputBytes);
    EXPECT_FALSE(fs::exists(dir.path() / "a"));
    std::ofstream(dir.path() / "b") << "theirs";
    const auto kept = writeOutput(dir.path() / "b", ten, {.replace = Replace::Never}, &budget);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, Placed::Kept);
    EXPECT_EQ(budget.used(), budget.cap() - 10);
    ASSERT_TRUE(writeOutput(dir.path() / "c", ten, {}, &budget));
    EXPECT_EQ(budget.used(), budget.cap());
    EXPECT_EQ(readWholeFile(dir.path() / "c"), Bytes(10, 'b'));
}

}  // namespace
}  // namespace pellimar
