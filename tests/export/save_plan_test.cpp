// The plan of a save: the name, output and size of every file of every row, or why
// a row writes nothing, worked out before anything is written; and the run that
// writes the files the plan names.
#include "export/save_plan.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/row_icons.h"
#include "save_fixtures.h"

using namespace pellimar;
using namespace pellimar::test;
namespace fx = pellimar::fixtures;

namespace {

const char* outputWord(PlannedOutput output) {
    switch (output) {
        case PlannedOutput::StoredIcon:
            return "stored";
        case PlannedOutput::ReducedIcon:
            return "reduced";
        case PlannedOutput::Picture:
            return "picture";
        case PlannedOutput::Png:
            return "png";
    }
    return "";
}

// A row of the plan in one line: its files ("32-x-001.ico reduced 32", ...), or
// "skipped: <why>", or "unreadable: <why>".
std::vector<std::string> linesOf(const SavePlan& plan) {
    std::vector<std::string> lines;
    for (const PlannedRow& row : plan.rows) {
        std::string line;
        if (row.skipped) line = "skipped: " + row.skipped->message();
        if (row.unreadable) line = "unreadable: " + row.unreadable->message();
        for (const PlannedFile& file : row.files) {
            if (!line.empty()) line += ", ";
            line += file.name.string() + " " + outputWord(file.output);
            if (file.size) line += " " + std::to_string(file.size);
        }
        lines.push_back(line);
    }
    return lines;
}

struct PlanFixture : ::testing::Test {
    SaveSources src;
    TempDir dir{"plan"};
    fs::path cursor = src.dir.write("pointer.cur", fx::makeCur({{standardImage(16), 3, 4}}));
    fs::path pointers = src.dir.write(
        "pointers.dll", fx::makePe({{{standardImage(32)}}}, {{{{standardImage(16), 1, 2}}, {}}}));
    // A program's icon of 32 and 16 pixels; icon-file images of 48 and 256 pixels
    // (the directory stores 256 as 0); an unselected row; a cursor file's image of
    // 16; a program's cursor group; an icon file that is not there.
    std::vector<SaveRow> rows = {{src.exe, 0, true},
                                 {src.multi, 2, true},
                                 {src.exe, 1, false},
                                 {src.odd, 1, true},
                                 {cursor, 0, true},
                                 {pointers, 0, true, ResourceKind::Cursor},
                                 {src.dir.path / "gone.ico", 0, true}};
    // The rows the plan asked for.
    std::vector<std::string> read;

    SavePlan plan(const std::vector<SaveRow>& which, const std::string& name,
                  const AppSettings& settings) {
        read.clear();
        const RowGroupSource reader = oneRunReader();
        return planSave(which, dir.path / name, settings,
                        [&, reader](const fs::path& source, int position, ResourceKind kind) {
                            read.push_back(rowCaption(source, position, kind));
                            return reader(source, position, kind);
                        });
    }
};

const std::string kGone = "unreadable: cannot open: No such file or directory";

}  // namespace

TEST_F(PlanFixture, EachFormatNamesEveryFileOfEveryRowOrWhyItWritesNone) {
    struct Case {
        const char* name;
        std::initializer_list<int> sizes;
        const char* format;
        std::vector<std::string> lines;
    };
    const std::string noProgramIcon =
        "skipped: icon files of programs are saved at 32 and 16 pixels, and neither is chosen";
    const std::string noProgramPicture =
        "skipped: pictures of programs are saved at 32 and 16 pixels, and neither is chosen";
    const Case cases[] = {
        {"x.ico",
         {32, 16},
         "ico",
         {"32-x-001.ico reduced 32, 16-x-001.ico reduced 16",
          "skipped: its image is 48 x 48, and that size is not chosen",
          "skipped: its image is 256 x 256, and that size is not chosen", "16-x-004.cur stored",
          "x-005.cur stored", kGone}},
        {"x.ico",
         {48},
         "ico",
         {noProgramIcon, "48-x-002.ico stored",
          "skipped: its image is 256 x 256, and that size is not chosen",
          "skipped: its image is 16 x 16, and that size is not chosen", "x-005.cur stored", kGone}},
        {"x.ico",
         {16, 128},
         "original",
         {"x-001.ico stored", "x-002.ico stored", "x-003.ico stored", "x-004.cur stored",
          "x-005.cur stored", kGone}},
        // A program's row whose sizes are not chosen takes no number of a picture run.
        {"x.bmp",
         {48, 16},
         "bmp",
         {"x-001.bmp picture 16", "48-x-002.bmp picture 48",
          "skipped: its image is 256 x 256, and that size is not chosen", "16-x-004.bmp picture 16",
          "x-005.bmp picture 16", kGone}},
        {"x.jpg",
         {48},
         "jpg",
         {noProgramPicture, "48-x-001.jpg picture 48",
          "skipped: its image is 256 x 256, and that size is not chosen",
          "skipped: its image is 16 x 16, and that size is not chosen", noProgramPicture, kGone}},
        {"x.jpg",
         {32, 16},
         "jpg",
         {"32-x-001.jpg picture 32, 16-x-001.jpg picture 16",
          "skipped: its image is 48 x 48, and that size is not chosen",
          "skipped: its image is 256 x 256, and that size is not chosen", "16-x-004.jpg picture 16",
          "32-x-005.jpg picture 32, 16-x-005.jpg picture 16", kGone}},
        // PNG reads no row to name its files.
        {"x.png",
         {128, 16},
         "png",
         {"128-x-001.png png 128, 16-x-001.png png 16",
          "128-x-002.png png 128, 16-x-002.png png 16",
          "128-x-003.png png 128, 16-x-003.png png 16",
          "128-x-004.png png 128, 16-x-004.png png 16",
          "128-x-005.png png 128, 16-x-005.png png 16",
          "128-x-006.png png 128, 16-x-006.png png 16"}},
        {"x.png", {}, "png", std::vector<std::string>(6, "skipped: no size is chosen")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.format + " " + std::to_string(c.sizes.size()));
        const SavePlan planned = plan(rows, c.name, savingSizes(c.sizes, c.format));
        EXPECT_EQ(planned.folder, dir.path);
        EXPECT_EQ(linesOf(planned), c.lines);
        // The rows of icon and cursor files are read to name their files, each once;
        // a program's row is not read.
        const std::vector<std::string> imageRows = {"multi.ico-003", "odd.ico-002",
                                                    "pointer.cur-001", "gone.ico-001"};
        EXPECT_EQ(read, std::string(c.format) == "png" ? std::vector<std::string>() : imageRows);
    }
}

TEST_F(PlanFixture, OneRowTakesNoNumberAndAnExtensionOfNoFormatPlansNothing) {
    EXPECT_EQ(linesOf(plan({rows[0]}, "x.ico", savingSizes({32}, "ico"))),
              std::vector<std::string>{"x.ico reduced 32"});
    EXPECT_EQ(linesOf(plan({rows[1]}, "y.png", savingSizes({48, 16}, "png"))),
              std::vector<std::string>{"48-y.png png 48, 16-y.png png 16"});
    const SavePlan none = plan(rows, "x.gif", savingSizes({32}, "ico"));
    EXPECT_EQ(none.format, SaveFormat::Unsupported);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_TRUE(read.empty());
}

TEST_F(PlanFixture, TheFilesThatExistAreNamedOnceWithTheirFolder) {
    std::ofstream(dir.path / "16-x-001.ico") << "old";
    std::ofstream(dir.path / "x-005.cur") << "old";
    std::ofstream(dir.path / "48-x-002.ico") << "not planned at these sizes";
    SavePlan planned = plan(rows, "x.ico", savingSizes({32, 16}, "ico"));
    findExistingFiles(planned);
    EXPECT_EQ(planned.existing,
              (std::vector<fs::path>{dir.path / "16-x-001.ico", dir.path / "x-005.cur"}));
}

// The run writes the files the plan names, and no other: a row the plan could not
// read is told with why, without being read again.
TEST_F(PlanFixture, TheRunWritesWhatThePlanNames) {
    for (const char* format : {"ico", "original", "bmp", "jpg", "png"}) {
        SCOPED_TRACE(format);
        const std::string ext = std::string(format) == "original" ? "ico" : format;
        const fs::path folder = dir.path / format;
        fs::create_directory(folder);
        const AppSettings settings = savingSizes({32, 16}, format);
        const SavePlan planned = plan(rows, std::string(format) + "/x." + ext, settings);
        std::vector<std::string> names;
        for (const PlannedRow& row : planned.rows)
            for (const PlannedFile& file : row.files)
                if (row.row.source.filename() != "gone.ico") names.push_back(file.name.string());
        SaveReport report;
        SaveContext ctx{settings, report, {}, {}};
        int asked = 0;
        const RowGroupSource reader = oneRunReader();
        ctx.rowGroup = [&](const fs::path& source, int position, ResourceKind kind) {
            ++asked;
            return reader(source, position, kind);
        };
        runSavePlan(planned, ctx);
        std::vector<std::string> listed;
        for (const fs::path& f : report.files()) listed.push_back(f.string());
        EXPECT_EQ(listed, names);
        std::sort(names.begin(), names.end());
        std::vector<std::string> written;
        for (const auto& e : fs::directory_iterator(folder))
            written.push_back(e.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, names);
        ASSERT_EQ(report.unreadableRows().size(), 1u);
        EXPECT_EQ(problemText(report.unreadableRows()[0]),
                  "gone.ico-001: cannot open: No such file or directory");
        // Rows skipped by the plan are not read; the one it could not read neither,
        // but for PNG, whose plan reads no row.
        std::size_t rowsWithFiles = 0;
        for (const PlannedRow& row : planned.rows) rowsWithFiles += !row.files.empty();
        EXPECT_EQ(asked, int(rowsWithFiles));
    }
}

// A run reads through the source its plan was made through, which its caller hands
// in: given none, it writes nothing rather than read the files through another.
TEST_F(PlanFixture, ARunGivenNoReaderWritesNothing) {
    const AppSettings settings = savingSizes({32}, "png");
    const SavePlan planned = plan({{src.exe, 0, true}}, "x.png", settings);
    ASSERT_EQ(planned.rows.size(), 1u);
    SaveReport report;
    SaveContext ctx{settings, report, {}, {}};
    EXPECT_THROW(runSavePlan(planned, ctx), std::logic_error);
    EXPECT_TRUE(report.files().empty());
    EXPECT_FALSE(fs::exists(dir.path / "x.png"));
}
