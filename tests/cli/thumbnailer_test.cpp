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

TEST(Thumbnailer, OtherSizesComeFromTheNearestImageAndStopAt256) {
    TempDir dir;
    const fs::path in = dir.write("lib.dll", makePe(groups()));
    const fs::path out = dir.path() / "t.png";
    ASSERT_EQ(run({"-s512", in.string(), out.string()}), 0);
    auto image = decodePng(readWholeFile(out));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 256);
    EXPECT_EQ(image->rgba, iconToRgba(patternIcon(256, 256)).rgba);

    ASSERT_EQ(run({in.string(), "-s", "20", out.string()}), 0);
    image = decodePng(readWholeFile(out));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 20);
    // Made from the 16 px image, whose first column is transparent.
    EXPECT_EQ(image->rgba[3], 0);
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
