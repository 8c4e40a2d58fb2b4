// pellimar-thumbnailer: a PNG with alpha of a file's first icon, or nothing.
#include "cli/thumbnailer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "platform/icon_png.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using namespace fixtures;

// Icon 0 holds 16, 48 (with alpha) and 256 px images; icon 1 is something else.
std::vector<IconGroupSpec> groups() {
    return {{{dibImage(patternIcon(16, 16, 16), 4), pngImage(alphaPatternIcon(48, 48)),
              pngImage(patternIcon(256, 256))}},
            {{dibImage(solidIcon(48, 48, 0xFF112233), 24)}}};
}

int run(const std::vector<std::string>& args, std::string* err = nullptr) {
    std::ostringstream out, errors;
    const int status = cli::runThumbnailer(args, out, errors);
    if (err) *err = errors.str();
    return status;
}

// The PNG's own colour type (6: RGBA) and its picture.
int pngColourType(const Bytes& png) {
    return png.size() > 25 ? png[25] : -1;
}

TEST(Thumbnailer, WritesTheFirstIconsBestImageWithAlphaForEachKindOfFile) {
    TempDir dir;
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"pe32.dll", makePe(groups())},
        {"pe32plus.exe", makePe(groups(), PeKind::Pe32Plus)},
        {"library.icl", makeNe(groups())},
        {"icon.ico", makeIco(groups()[0].images)},
    };
    const RgbaImage expected = iconToRgba(alphaPatternIcon(48, 48));
    for (const auto& [name, bytes] : files) {
        const fs::path in = dir.write(name, bytes);
        const fs::path out = dir.path() / (name + ".png");
        EXPECT_EQ(run({"-s", "48", in.string(), out.string()}), 0) << name;
        const Bytes png = readWholeFile(out);
        EXPECT_EQ(pngColourType(png), 6) << name;
        const auto image = decodePng(png);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width, 48) << name;
        EXPECT_EQ(image->rgba, expected.rgba) << name;
    }
}

// A cursor file, and a library of cursors alone, show their first cursor; a
// library with icons shows its icon however many cursors it holds.
TEST(Thumbnailer, AFileOfCursorsAloneShowsItsFirstCursor) {
    TempDir dir;
    const CursorImage arrow{pngImage(patternIcon(48, 48)), 4, 4};
    const CursorImage small{dibImage(patternIcon(16, 16, 2), 1), 1, 1};
    const std::vector<CursorGroupSpec> cursors = {{{small, arrow}}, {{small}}};
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"arrow.cur", makeCur({small, arrow})},
        {"cursors.dll", makePe({}, cursors)},
        {"cursors16.dll", makeNe({}, cursors)},
    };
    const RgbaImage expected = iconToRgba(patternIcon(48, 48));
    for (const auto& [name, bytes] : files) {
        const fs::path in = dir.write(name, bytes);
        const fs::path out = dir.path() / (name + ".png");
        std::string err;
        EXPECT_EQ(run({"-s", "48", in.string(), out.string()}, &err), 0) << name << err;
        const auto image = decodePng(readWholeFile(out));
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->rgba, expected.rgba) << name;
    }
    const fs::path both = dir.write("both.dll", makePe(groups(), cursors));
    const fs::path out = dir.path() / "both.png";
    ASSERT_EQ(run({"-s", "48", both.string(), out.string()}), 0);
    const auto image = decodePng(readWholeFile(out));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rgba,
              iconToRgba(alphaPatternIcon(48, 48)).rgba);  // icon 0's, not the cursor's
}

// The picture `run` wrote for `args`, or an empty one.
RgbaImage thumbnailOf(const fs::path& in, int size, const fs::path& out) {
    if (run({"-s", std::to_string(size), in.string(), out.string()}) != 0) return {};
    return decodePng(readWholeFile(out)).value_or(RgbaImage{});
}

TEST(Thumbnailer, SmallerSizesComeFromTheNextLargerImageAndLargerOnesStopAt256) {
    TempDir dir;
    const fs::path in = dir.write("lib.dll", makePe(groups()));
    const fs::path out = dir.path() / "t.png";
    ASSERT_EQ(run({"-s512", in.string(), out.string()}), 0);
    auto image = decodePng(readWholeFile(out));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 256);
    EXPECT_EQ(image->rgba, iconToRgba(patternIcon(256, 256)).rgba);

    // 20 px: the 48 px image brought down, not the 16 px one brought up.
    image = thumbnailOf(in, 20, out);
    EXPECT_EQ(image->width, 20);
    EXPECT_EQ(image->height, 20);
    EXPECT_EQ(image->rgba, iconToRgba(pictureWithin(alphaPatternIcon(48, 48), 20)).rgba);
}

TEST(Thumbnailer, ASmallerIconKeepsItsOwnSizeInsteadOfBeingEnlarged) {
    TempDir dir;
    const fs::path out = dir.path() / "t.png";
    // Largest image 32 px, asked for 256 and 128: the 32 px image as it is.
    const Icon largest = patternIcon(32, 32);
    const fs::path in = dir.write(
        "small.icl", makeNe({{{dibImage(patternIcon(16, 16), 8), dibImage(largest, 24)}}}));
    for (int size : {256, 128, 33}) {
        const RgbaImage image = thumbnailOf(in, size, out);
        EXPECT_EQ(image.width, 32) << size;
        EXPECT_EQ(image.height, 32) << size;
        EXPECT_EQ(image.rgba, iconToRgba(largest).rgba) << size;
    }
    // A picture wider than high keeps its shape within the size asked.
    const fs::path wide =
        dir.write("wide.ico", makeIco({dibImage(solidIcon(64, 32, 0xFF204080), 24)}));
    const RgbaImage shrunk = thumbnailOf(wide, 16, out);
    EXPECT_EQ(shrunk.width, 16);
    EXPECT_EQ(shrunk.height, 8);
}

TEST(Thumbnailer, ShrinkingAveragesEachAreaWithAlphaWeightedColours) {
    TempDir dir;
    const fs::path out = dir.path() / "t.png";
    // 256 px, columns alternating opaque red and transparent green: at 128 each pixel
    // covers one of each, so half-transparent pure red (green would creep in if the
    // colours were averaged without their alpha; a pixel-picking shrink keeps only
    // one of the two columns).
    Icon stripes = solidIcon(256, 256, 0);
    stripes.hasAlpha = true;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            stripes.color[std::size_t(y) * 256 + x] = x % 2 == 0 ? 0xFFFF0000u : 0x0000FF00u;
    const fs::path in = dir.write("stripes.ico", makeIco({pngImage(stripes)}));
    RgbaImage image = thumbnailOf(in, 128, out);
    ASSERT_EQ(image.width, 128);
    ASSERT_EQ(image.height, 128);
    for (std::size_t i : {std::size_t(0), std::size_t(128 * 64 + 77), image.rgba.size() / 4 - 1}) {
        const std::uint8_t* p = &image.rgba[i * 4];
        EXPECT_EQ(p[0], 255) << i;
        EXPECT_EQ(p[1], 0) << i;
        EXPECT_EQ(p[2], 0) << i;
        EXPECT_NEAR(p[3], 128, 1) << i;
    }

    // An icon with a mask but no alpha: a masked column beside an opaque one gives
    // a half-transparent pixel, not a hard edge.
    Icon masked = solidIcon(64, 64, 0xFF0000FF);
    for (int y = 0; y < 64; ++y)
        for (int x = 1; x < 64; x += 2) masked.mask[std::size_t(y) * 64 + x] = 1;
    const fs::path maskedIn = dir.write("masked.ico", makeIco({dibImage(masked, 24)}));
    image = thumbnailOf(maskedIn, 32, out);
    ASSERT_EQ(image.width, 32);
    EXPECT_EQ(image.rgba[2], 255);
    EXPECT_NEAR(image.rgba[3], 128, 1);
}

TEST(Thumbnailer, NoIconMeansNoFileAndStatusOneWithWhy) {
    TempDir dir;
    const fs::path out = dir.path() / "out.png";
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {dir.write("none.dll", makePe({})), "no icon in it"},
        {dir.write("text.exe", Bytes{'M', 'Z', 'h', 'i'}),
         "not a Windows program, library, icon or cursor file"},
        {dir.path() / "missing.dll", "cannot open: No such file or directory"},
        {dir.path(), "not a regular file"},
    };
    for (const auto& [in, why] : cases) {
        std::string err;
        EXPECT_EQ(run({"-s", "128", in.string(), out.string()}, &err), 1) << in;
        EXPECT_FALSE(fs::exists(out)) << in;
        EXPECT_EQ(err, "pellimar-thumbnailer: " + in.string() + ": " + why + "\n");
    }
    // An icon none of whose images can be read.
    Bytes broken = makePe({{{dibImage(patternIcon(16, 16), 24)}}});
    const std::uint8_t header[] = {0, 0, 1, 0, 1, 0, 16, 16};
    const auto at = std::search(broken.begin(), broken.end(), std::begin(header), std::end(header));
    ASSERT_NE(at, broken.end());
    put16(broken, std::size_t(at - broken.begin()) + 6 + 12, 0x7777);  // no such image
    const fs::path lost = dir.write("lost.dll", broken);
    std::string err;
    EXPECT_EQ(run({"-s", "32", lost.string(), out.string()}, &err), 1);
    EXPECT_EQ(err.rfind("pellimar-thumbnailer: " + lost.string() + ": icon 0: ", 0), 0u) << err;
    EXPECT_FALSE(fs::exists(out));

    // An output that cannot be written: the system's reason.
    const fs::path in = dir.write("lib.dll", makePe(groups()));
    const fs::path blocked = dir.path() / "no" / "such" / "t.png";
    EXPECT_EQ(run({"-s", "128", in.string(), blocked.string()}, &err), 1);
    EXPECT_EQ(err, "pellimar-thumbnailer: cannot write " + blocked.string() +
                       ": No such file or directory\n");
}

// A file manager runs the thumbnailer on every file: an icon of many large
// images that each fail late stops it at its budget, which it names.
TEST(Thumbnailer, StopsAtItsBudgetOfWorkAndSaysSo) {
    TempDir dir;
    IconImage cut = pngImage(patternIcon(1024, 1024));
    cut.data.resize(cut.data.size() - 40);  // each decodes to its last rows, then fails
    const fs::path in = dir.write("heavy.ico", makeIco(std::vector<IconImage>(40, cut)));
    const fs::path out = dir.path() / "out.png";
    std::string err;
    EXPECT_EQ(run({"-s", "256", in.string(), out.string()}, &err), 1);
    EXPECT_EQ(err, "pellimar-thumbnailer: " + in.string() +
                       ": icon 0: stopped at a limit: 16 million pixels decoded and made for "
                       "one thumbnail\n");
    EXPECT_FALSE(fs::exists(out));
}

// An output folder the caller may not write to: the reason is the system's for the
// step that failed, not for a look at the name after it.
TEST(Thumbnailer, AnOutputItMayNotWriteIsToldWithTheTrueReason) {
    TempDir dir;
    const fs::path in = dir.write("lib.dll", makePe(groups()));
    const fs::path locked = dir.path() / "locked";
    fs::create_directory(locked);
    const fs::path out = locked / "t.png";
    const std::string expected =
        "pellimar-thumbnailer: cannot write " + out.string() + ": Permission denied\n";
    std::string told;
    const auto attempt = [&] {
        std::string err;
        const int status = run({"-s", "32", in.string(), out.string()}, &err);
        told = err;
        return status == 1 && err == expected && !fs::exists(out) ? 0 : 1;
    };
    if (!canActAsOthers()) {
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(attempt(), 0) << told;
        return;
    }
    // Root writes into any folder: the thumbnailer runs as another user.
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    EXPECT_EQ(runAs(1001, attempt), 0);
}

TEST(Thumbnailer, ACommandLineItCannotReadIsAUsageError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"in", "out.png"},
        {"-s", "0", "in", "out.png"},
        {"-s", "12px", "in", "out.png"},
        {"-s", "-5", "in", "out.png"},
        {"-s", "128", "in"},
        {"-s", "128", "in", "out.png", "more"},
        {"-x", "-s", "128", "in", "out.png"},
        {"in", "out.png", "-s"},
    };
    for (const auto& args : bad) {
        std::string err;
        EXPECT_EQ(run(args, &err), 2) << ::testing::PrintToString(args);
        EXPECT_EQ(err, std::string(cli::kThumbnailerUsage) + "\n");
    }
    EXPECT_EQ(run({"--help"}), 0);
}

}  // namespace
}  // namespace pellimar
