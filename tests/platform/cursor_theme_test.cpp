// Windows cursor sets read (install.inf, or files named by role) and made into
// X cursor themes that the X cursor library finds by name; the links of a theme
// made through the one writer.
#include "platform/cursor_theme.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "support/fixtures.h"
#include "xcursor_loader.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string notesOf(const std::vector<Failure>& notes) {
    std::string out;
    for (const Failure& f : notes) out += f.message() + "\n";
    return out;
}

// An install.inf as theme makers write them: strings, quotes, comments, a line
// carried on, the folder numbers of the desktop left as they are.
const char* const kSchemeInf = R"([Version]
signature="$CHICAGO$"

[DefaultInstall]
CopyFiles = Scheme.Cur
AddReg    = Scheme.Reg   ; the scheme

[DestinationDirs]
Scheme.Cur = 10,"%CUR_DIR%"

[Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\%CUR_DIR%\%pointer%,%10%\%CUR_DIR%\%help%,%10%\%CUR_DIR%\%work%,\
%10%\%CUR_DIR%\%busy%,,%10%\%CUR_DIR%\%text%,,,,,,,,,%10%\%CUR_DIR%\%link%"

[Strings]
CUR_DIR     = "Cursors\Glass ""Deluxe"""
SCHEME_NAME = "Glass, Deluxe"
pointer     = "Pointer.CUR"
help        = "help.cur"
work        = "missing.ani"
busy        = "busy.ani"
text        = "text.cur"
link        = "link.cur"
)";

TEST(CursorTheme, SchemeLineListsTheRolesInTheirOrder) {
    const Result<CursorScheme> scheme = parseCursorScheme(kSchemeInf);
    ASSERT_TRUE(scheme) << why(scheme);
    EXPECT_EQ(scheme->name, "Glass, Deluxe");
    const std::pair<CursorRole, const char*> named[] = {
        {CursorRole::Arrow, "Pointer.CUR"},       {CursorRole::Help, "help.cur"},
        {CursorRole::AppStarting, "missing.ani"}, {CursorRole::Wait, "busy.ani"},
        {CursorRole::IBeam, "text.cur"},          {CursorRole::Hand, "link.cur"}};
    int given = 0;
    for (const std::string& file : scheme->files) given += !file.empty();
    EXPECT_EQ(given, 6);
    for (const auto& [role, file] : named)
        EXPECT_EQ(scheme->files[std::size_t(role)], file) << cursorRoleName(role);

    // Without the scheme's line, the values that set each role.
    const Result<CursorScheme> roles = parseCursorScheme(
        "[Wreg]\nHKCU,\"Control Panel\\Cursors\",Arrow,0x00020000,\"%10%\\a\\%p%\"\n"
        "HKCU,\"Control Panel\\Cursors\",hand,0x00020000,\"h.cur\"\n[Strings]\np=arrow.cur\n");
    ASSERT_TRUE(roles) << why(roles);
    EXPECT_EQ(roles->files[std::size_t(CursorRole::Arrow)], "arrow.cur");
    EXPECT_EQ(roles->files[std::size_t(CursorRole::Hand)], "h.cur");

    const Result<CursorScheme> none = parseCursorScheme("[Version]\nsignature=x\n");
    ASSERT_FALSE(none);
    EXPECT_TRUE(contains(none.failure().message(), "names no cursor scheme"));
    // A string that names itself many times over is stopped at the cap.
    std::string huge = "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",x,,\"";
    for (int i = 0; i < 2000; ++i) huge += "%a%";
    huge += "\"\n[Strings]\na=" + std::string(1000, 'x') + "\n";
    const Result<CursorScheme> capped = parseCursorScheme(huge);
    ASSERT_FALSE(capped);
    EXPECT_EQ(capped.failure().cap, Cap::ProfileBytes);
}

Bytes arrowCursor() {
    return makeCur({{dibImage(alphaPatternIcon(32, 32), 32), 2, 3},
                    {dibImage(alphaPatternIcon(64, 64), 32), 4, 6}});
}

Bytes busyAnimation() {
    AniSpec layout;
    layout.frames = {makeCur({{dibImage(solidIcon(32, 32, 0xFF0000FF), 32), 16, 16}}),
                     makeCur({{dibImage(solidIcon(32, 32, 0xFF00FF00), 32), 16, 16}})};
    layout.rates = {6, 12};
    return makeAni(layout);
}

// A set with an install.inf (in UTF-16, as some are saved), its files named in
// other cases than the scheme writes them, and one file it names missing.
fs::path writeSchemeSet(const TempDir& dir) {
    const fs::path set = dir.path() / "set";
    fs::create_directory(set);
    Bytes inf = {0xFF, 0xFE};
    for (const char* c = kSchemeInf; *c; ++c) inf.insert(inf.end(), {std::uint8_t(*c), 0});
    dir.write("set/Install.INF", inf);
    dir.write("set/pointer.cur", arrowCursor());
    dir.write("set/Busy.ani", busyAnimation());
    dir.write("set/text.cur", makeCur({{dibImage(patternIcon(32, 32, 2), 1), 15, 15}}));
    dir.write("set/link.cur", makeCur({{dibImage(solidIcon(48, 48, 0xFF808080), 32), 10, 1}}));
    dir.write("set/help.cur", Bytes{0, 0, 2, 0, 1, 0});  // damaged
    return set;
}

TEST(CursorTheme, SetWithSchemeFileBecomesAThemeTheLibraryFinds) {
    TempDir dir;
    const fs::path source = writeSchemeSet(dir);
    const Result<CursorSet> set = readCursorSet(source);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->schemeName, "Glass, Deluxe");
    EXPECT_EQ(set->files[std::size_t(CursorRole::Arrow)], source / "pointer.cur");
    EXPECT_EQ(set->files[std::size_t(CursorRole::Wait)], source / "Busy.ani");
    EXPECT_FALSE(set->files[std::size_t(CursorRole::AppStarting)]);
    const std::string setNotes = notesOf(set->notes);
    EXPECT_TRUE(contains(setNotes,
                         "AppStarting: the scheme names \"missing.ani\", which the "
                         "folder does not hold"))
        << setNotes;
    // Every role without a file is named.
    for (const char* role : {"AppStarting", "Crosshair", "NWPen", "No", "SizeNS", "SizeWE",
                             "SizeNWSE", "SizeNESW", "SizeAll", "UpArrow", "Pin", "Person"})
        EXPECT_TRUE(contains(setNotes, std::string(role) + " (")) << role;

    const Result<ThemePlan> plan = planCursorTheme(*set, "Glass");
    ASSERT_TRUE(plan) << why(plan);
    EXPECT_EQ(plan->missing.size(), 12u);
    EXPECT_EQ(plan->indexTheme, "[Icon Theme]\nName=Glass\nComment=Glass, Deluxe\n");
    ASSERT_EQ(plan->cursors.size(), 5u);
    EXPECT_EQ(plan->cursors[0].name, "left_ptr");

    const fs::path out = dir.path() / "icons";
    const Result<ThemeOutcome> written = writeCursorTheme(*plan, out);
    ASSERT_TRUE(written) << why(written);
    EXPECT_EQ(written->cursors, 4);
    for (const WriteOutcome& w : written->written)
        EXPECT_TRUE(w.placed) << w.target << ": " << why(w.placed);
    // The damaged cursor is told, and neither it nor its links are there.
    const std::string notes = notesOf(written->notes);
    EXPECT_TRUE(contains(notes, "question_arrow (Help, help.cur): ")) << notes;
    EXPECT_FALSE(fs::exists(out / "Glass/cursors/question_arrow"));
    EXPECT_FALSE(fs::is_symlink(out / "Glass/cursors/help"));
    EXPECT_EQ(readWholeFile(out / "Glass/index.theme").size(), plan->indexTheme.size());
    EXPECT_EQ(fs::read_symlink(out / "Glass/cursors/default"), "left_ptr");

    // Found by name and by alias, at the sizes the set has and those shrunk.
    const auto arrow = testing::loadThemeCursor(out.string(), "left_ptr", "Glass", 32);
    ASSERT_TRUE(arrow);
    ASSERT_EQ(arrow->images.size(), 1u);
    EXPECT_EQ(arrow->images[0].width, 32u);
    EXPECT_EQ(arrow->images[0].xhot, 2u);
    const auto large = testing::loadThemeCursor(out.string(), "default", "Glass", 48);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->images.at(0).width, 48u);
    EXPECT_EQ(large->images.at(0).xhot, 3u);
    const auto busy = testing::loadThemeCursor(out.string(), "wait", "Glass", 32);
    ASSERT_TRUE(busy);
    ASSERT_EQ(busy->images.size(), 2u);
    EXPECT_EQ(busy->images[0].delay, 100u);
    EXPECT_EQ(busy->images[1].delay, 200u);
    EXPECT_EQ(busy->images[1].pixels[0], 0xFF00FF00u);
    const auto hand = testing::loadThemeCursor(out.string(), "pointer", "Glass", 48);
    ASSERT_TRUE(hand);
    EXPECT_EQ(hand->images.at(0).xhot, 10u);
    // A 32-pixel cursor is never enlarged for a theme's 48.
    const auto text = testing::loadThemeCursor(out.string(), "text", "Glass", 48);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->images.at(0).width, 32u);
    EXPECT_FALSE(testing::loadThemeCursor(out.string(), "crosshair", "Glass", 32));
}

TEST(CursorTheme, FilesNamedByRoleMakeASetWithoutSchemeFile) {
    TempDir dir;
    fs::create_directory(dir.path() / "set");
    dir.write("set/Normal Select.cur", arrowCursor());
    dir.write("set/text_select.CUR", arrowCursor());
    dir.write("set/ibeam.cur", arrowCursor());
    dir.write("set/busy.ani", busyAnimation());
    dir.write("set/readme.txt", Bytes{'h', 'i'});
    const Result<CursorSet> set = readCursorSet(dir.path() / "set");
    ASSERT_TRUE(set) << why(set);
    EXPECT_TRUE(set->schemeFile.empty());
    EXPECT_EQ(set->files[std::size_t(CursorRole::Arrow)], dir.path() / "set/Normal Select.cur");
    EXPECT_EQ(set->files[std::size_t(CursorRole::Wait)], dir.path() / "set/busy.ani");
    EXPECT_EQ(set->files[std::size_t(CursorRole::IBeam)], dir.path() / "set/ibeam.cur");
    EXPECT_TRUE(contains(notesOf(set->notes),
                         "IBeam: \"text_select.CUR\" is left out for "
                         "\"ibeam.cur\""))
        << notesOf(set->notes);

    const Result<ThemePlan> bad = planCursorTheme(*set, "../x");
    EXPECT_FALSE(bad);
    EXPECT_FALSE(planCursorTheme(*set, ""));
    EXPECT_FALSE(planCursorTheme(CursorSet{}, "Empty"));
}

TEST(CursorTheme, LinksReplaceWhatIsAtTheirNameWithoutFollowingIt) {
    TempDir dir;
    const fs::path kept = dir.path() / "kept";
    ASSERT_TRUE(writeFile(kept, std::string_view("key")));
    const fs::path link = dir.path() / "alias";
    fs::create_symlink(kept, link);
    ASSERT_TRUE(writeSymbolicLink(link, "left_ptr"));
    EXPECT_EQ(fs::read_symlink(link), "left_ptr");
    EXPECT_EQ(readWholeFile(kept), (Bytes{'k', 'e', 'y'}));
    const Result<Placed> never = writeSymbolicLink(link, "other", {.replace = Replace::Never});
    ASSERT_TRUE(never) << why(never);
    EXPECT_EQ(*never, Placed::Kept);
    EXPECT_EQ(fs::read_symlink(link), "left_ptr");
    fs::create_directory(dir.path() / "folder");
    EXPECT_FALSE(writeSymbolicLink(dir.path() / "folder", "x"));
    EXPECT_FALSE(writeSymbolicLink(dir.path() / "missing/alias", "x"));
    ASSERT_TRUE(writeSymbolicLink(dir.path() / "made/alias", "x", {.createFolders = true}));
    // Nothing but the names asked for is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_FALSE(isTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST(CursorTheme, LinksAreMadeOnlyThroughFoldersNoOneElseSteers) {
    if (!canActAsOthers()) GTEST_SKIP() << "links of another user take root to make";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const fs::path victim = dir.path() / "victim";
    fs::create_directory(victim);
    const fs::path shared = dir.path() / "shared";
    makeFolderOf(shared, 1001, 01777);
    plantLink(shared / "d", victim, 1001);
    const Result<Placed> r = writeSymbolicLink(shared / "d" / "alias", "left_ptr");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.failure().fault, Fault::SharedFolderLink);
    EXPECT_TRUE(fs::is_empty(victim));
}

}  // namespace
}  // namespace pellimar
