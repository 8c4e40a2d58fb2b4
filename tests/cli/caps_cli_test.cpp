// A cap that one group or one image reaches leaves out that group alone, in every
// command, with the cap's own reason; only the images cap of a file stops it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/extract_cli.h"
#include "cli/icons_cli.h"
#include "cli/save_cli.h"
#include "command_outcome.h"
#include "platform/caps.h"
#include "platform/icon_set.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A library of four icon groups whose second group's resource (its directory,
// or the one image it names) states 80 MB: past the cap of one resource, not
// past the file, which is a few kilobytes. Groups 0, 2 and 3 are whole.
struct OversizedGroup {
    const char* name;
    std::uint32_t type;      // the resource type whose entry is made too large
    std::string part;        // the part of icon 1 that is told, as the commands count
    std::string rowPart;     // the same as rows count it (from 1)
    std::string listedLine;  // what list says of icon 1
};

const OversizedGroup kOversized[] = {
    {"group directory", kRtGroupIcon, "", "", "1 id:2"},  // its language lies beyond
    {"image", kRtIcon, "image 0: ", "image 1: ", "1 id:2 lang:1033/en-US 32x32@32"},
};

fs::path writeLibrary(const fx::TempDir& dir, const OversizedGroup& c) {
    std::vector<fx::IconGroupSpec> groups;
    for (std::uint32_t colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u})
        groups.push_back({{fx::dibImage(fx::solidIcon(32, 32, colour), 32)}});
    fx::Bytes pe = fx::makePe(groups);
    fx::put32(pe, fx::dataEntryOf(pe, c.type, 1) + 4, 80u << 20);
    return dir.write("wine.dll", pe);
}

TEST(CliCaps, AnOversizedGroupIsToldWithItsOwnReasonAndTheOtherGroupsAreRead) {
    for (const OversizedGroup& c : kOversized) {
        SCOPED_TRACE(c.name);
        fx::TempDir dir;
        const fs::path lib = writeLibrary(dir, c);
        const std::string told =
            lib.string() + ": icon 1: " + c.part + "stopped at a limit: 64 MB of one resource";

        // extract writes the three whole icons and names the fourth, status 1.
        const fs::path out = dir.path() / "out";
        test::Outcome r = test::run(cli::extract, {"-o", out.string(), lib.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "pellimar-cli extract: " + told + "\n");
        EXPECT_EQ(namesIn(out),
                  (std::vector<std::string>{"wine.dll-0.ico", "wine.dll-2.ico", "wine.dll-3.ico"}));
        r = test::run(cli::extract, {"-o", out.string(), "-f", "png", "-s", "16", lib.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "pellimar-cli extract: " + told + "\n");

        // list has every icon's line, and a note for the one it cannot read.
        r = test::run(cli::list, {lib.string()});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out,
                  lib.string() + ": 4\n0 id:1 lang:1033/en-US 32x32@32\n" + c.listedLine +
                      "\n2 id:3 lang:1033/en-US 32x32@32\n3 id:4 lang:1033/en-US 32x32@32\n");
        EXPECT_EQ(r.err, "pellimar-cli: note: " + told + "\n");

        r = test::run(cli::list, {"--json", lib.string()});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "pellimar-cli: note: " + told + "\n");
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
        const QJsonArray icons = doc.object()["files"][0]["icons"].toArray();
        ASSERT_EQ(icons.size(), 4);
        for (int i : {0, 2, 3}) {
            EXPECT_FALSE(icons[i].toObject().contains("error")) << i;
            EXPECT_EQ(icons[i]["images"][0]["bytes"].toInt(), 32 * 32 * 4 + 40 + 128);
        }
        const QJsonObject lost =
            c.type == kRtIcon ? icons[1]["images"][0].toObject() : icons[1].toObject();
        EXPECT_EQ(lost["error"].toString(), "stopped at a limit: 64 MB of one resource");

        // draw and save take the whole icons and refuse the fourth with its reason.
        const std::string bmp = (dir.path() / "icon.bmp").string();
        r = test::run(cli::draw, {lib.string(), "3", "32", bmp});
        EXPECT_EQ(r.status, 0) << r.err;
        r = test::run(cli::draw, {lib.string(), "1", "32", bmp});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "pellimar-cli: " + told + "\n");
        const std::string ico = (dir.path() / "saved.ico").string();
        r = test::run(cli::save, {lib.string(), "2", "-o", ico});
        EXPECT_EQ(r.status, 0) << r.err;
        r = test::run(cli::save, {lib.string(), "1", "-o", ico});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "pellimar-cli save: cannot read icon 1 of " + lib.string() + ": " +
                             c.rowPart + "stopped at a limit: 64 MB of one resource\n");
    }
}

// A group that states more images than one group is read with: its first ones
// are written, and the run says the rest were left out.
TEST(CliCaps, ExtractTellsAGroupCutToItsImagesCap) {
    fx::TempDir dir;
    const fs::path lib = dir.write("many.dll", fx::makeSharedGroupPe(2, 300));
    const test::Outcome r =
        test::run(cli::extract, {"-o", (dir.path() / "out").string(), lib.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "pellimar-cli extract: " + lib.string() +
                         ": icon 0: stopped at a limit: 256 images of one group (it states 300; "
                         "the rest are left out)\n");
    EXPECT_EQ(namesIn(dir.path() / "out"),
              (std::vector<std::string>{"many.dll-0.ico", "many.dll-1.ico"}));
}

}  // namespace
