// Keeps the folders under src/ layered. A quoted include names its folder first and may point
// into its own folder or a lower rank:
//   3  app, cli                           (never include each other)
//   2  acquire, export, viewer, dialogs   (siblings: never include each other)
//   1  core
//   0  platform                           (plain C++, no Qt headers)
// lib (the C library) stands on platform alone, and only the programs above it use it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct IncludeLine {
    std::string file;    // relative to src/, e.g. "core/settings.cpp"
    int line = 0;        // 1-based
    std::string target;  // as written between the quotes or angle brackets
    bool angled = false;
    bool operator==(const IncludeLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const IncludeLine& inc) {
    return out << inc.file << ':' << inc.line << (inc.angled ? ": <" : ": \"") << inc.target
               << (inc.angled ? ">" : "\"");
}

constexpr int kSubsystemRank = 2;
constexpr int kTopRank = 3;
const std::map<std::string, int> kFolderRank = {
    {"platform", 0}, {"core", 1}, {"acquire", 2}, {"export", 2}, {"viewer", 2},
    {"dialogs", 2},  {"app", 3},  {"cli", 3},     {"lib", 1},
};

// First path component; empty when the path names no folder.
std::string folderOf(const std::string& path) {
    const auto slash = path.find('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string where(const IncludeLine& inc) {
    return inc.file + ':' + std::to_string(inc.line);
}

// One readable message per fault; empty when the includes respect the layers.
std::vector<std::string> layerViolations(const std::vector<IncludeLine>& includes) {
    std::vector<std::string> faults;
    std::set<std::string> strayFiles;
    for (const auto& inc : includes) {
        const std::string from = folderOf(inc.file);
        const auto fromRank = kFolderRank.find(from);
        if (fromRank == kFolderRank.end()) {
            if (strayFiles.insert(inc.file).second) {
                faults.push_back(inc.file + ": lies outside the known folders of src/");
            }
            continue;
        }
        if (inc.angled) {
            if (from == "platform" && inc.target.starts_with('Q')) {
                faults.push_back(where(inc) + ": platform includes Qt header <" + inc.target +
                                 ">; platform stays plain C++");
            }
            continue;
        }
        const std::string to = folderOf(inc.target);
        const auto toRank = kFolderRank.find(to);
        const std::string edge = where(inc) + ": " + from + " -> " + to;
        const std::string quoted = " (\"" + inc.target + "\")";
        if (toRank == kFolderRank.end()) {
            faults.push_back(where(inc) + ": \"" + inc.target + "\" names no known folder of src/");
        } else if (from == "lib" && to != "lib" && to != "platform") {
            faults.push_back(edge + ": the C library stands on platform alone" + quoted);
        } else if (from != "lib" && to == "lib" && fromRank->second < kTopRank) {
            faults.push_back(edge + ": only the programs use the C library" + quoted);
        } else if (from != to && toRank->second > fromRank->second) {
            faults.push_back(edge + " goes up the layers" + quoted);
        } else if (from != to && toRank->second == kTopRank && fromRank->second == kTopRank) {
            faults.push_back(edge + " joins two programs that must stay apart" + quoted);
        } else if (from != to && toRank->second == kSubsystemRank &&
                   fromRank->second == kSubsystemRank) {
            faults.push_back(edge + " joins two sibling subsystems; the main window wires them" +
                             quoted);
        }
    }
    return faults;
}

// Drops // and /* */ comments from one line; inBlock carries an open block comment across
// lines. String and character literals are skipped so "/*" inside them starts nothing.
std::string withoutComments(const std::string& text, bool& inBlock) {
    std::string code;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (inBlock) {
            inBlock = text.compare(i, 2, "*/") != 0;
            i += inBlock ? 0 : 1;
        } else if (text.compare(i, 2, "//") == 0) {
            break;
        } else if (text.compare(i, 2, "/*") == 0) {
            inBlock = true;
            code += ' ';
            ++i;
        } else if (text[i] == '"' || text[i] == '\'') {
            const char quote = text[i];
            std::size_t end = i + 1;
            while (end < text.size() && text[end] != quote) end += text[end] == '\\' ? 2 : 1;
            code += text.substr(i, end + 1 - i);
            i = end;
        } else {
            code += text[i];
        }
    }
    return code;
}

std::vector<IncludeLine> readIncludes(const fs::path& srcRoot) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(srcRoot)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && (ext == ".h" || ext == ".hpp" || ext == ".cpp")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<IncludeLine> includes;
    const std::regex directive(R"(^\s*#\s*include\s*(["<])([^">]*)[">])");
    for (const auto& path : files) {
        std::ifstream in(path);
        std::string text;
        bool inBlock = false;
        for (int number = 1; std::getline(in, text); ++number) {
            const std::string code = withoutComments(text, inBlock);
            if (std::smatch m; std::regex_search(code, m, directive)) {
                includes.push_back(
                    {fs::relative(path, srcRoot).generic_string(), number, m[2], m[1] == "<"});
            }
        }
    }
    return includes;
}

IncludeLine inc(std::string file, int line, std::string target, bool angled = false) {
    return {std::move(file), line, std::move(target), angled};
}

// Passes when the includes give exactly one message and it contains every piece.
::testing::AssertionResult reportsOnce(const std::vector<IncludeLine>& includes,
                                       const std::vector<std::string>& pieces) {
    const auto faults = layerViolations(includes);
    bool ok = faults.size() == 1;
    for (const auto& piece : pieces) ok = ok && faults[0].find(piece) != std::string::npos;
    auto result = ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    result << faults.size() << " messages:";
    for (const auto& fault : faults) result << "\n" << fault;
    return result;
}

class ScratchTree : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(root_ / "core" / "sub"); }
    void TearDown() override { fs::remove_all(root_); }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(root_ / name) << text;
    }
    const fs::path root_ =
        fs::temp_directory_path() / ("pellimar_layers_" + std::to_string(std::random_device{}()));
};

}  // namespace

TEST(IncludeLayers, UpwardIncludesAndIncludesBetweenTheProgramsAreReported) {
    const std::vector<std::pair<IncludeLine, std::string>> cases = {
        {inc("core/settings.cpp", 7, "acquire/folder_scan.h"), "core -> acquire"},
        {inc("platform/icon.h", 3, "core/paths.h"), "platform -> core"},
        {inc("viewer/picture.cpp", 12, "app/main_window.h"), "viewer -> app"},
        {inc("dialogs/about.cpp", 4, "cli/options.h"), "dialogs -> cli"},
        {inc("core/paths.cpp", 2, "app/main_window.h"), "core -> app"},
        {inc("app/main.cpp", 9, "cli/options.h"), "app -> cli"},
        {inc("cli/main.cpp", 5, "app/main_window.h"), "cli -> app"},
    };
    for (const auto& [include, edge] : cases) {
        EXPECT_TRUE(reportsOnce({include}, {where(include), edge, include.target})) << include;
    }
}

TEST(IncludeLayers, TheCLibraryStandsOnPlatformAloneAndServesOnlyThePrograms) {
    const std::vector<std::pair<IncludeLine, std::string>> faults = {
        {inc("lib/pellimar.cpp", 3, "core/settings.h"), "lib -> core"},
        {inc("lib/pellimar.cpp", 4, "cli/options.h"), "lib -> cli"},
        {inc("core/paths.cpp", 2, "lib/pellimar.h"), "core -> lib"},
        {inc("export/save_plan.cpp", 2, "lib/pellimar.h"), "export -> lib"},
    };
    for (const auto& [include, edge] : faults)
        EXPECT_TRUE(reportsOnce({include}, {where(include), edge, include.target})) << include;
    EXPECT_TRUE(layerViolations({inc("lib/pellimar.cpp", 5, "platform/icon_set.h"),
                                 inc("lib/pellimar.cpp", 6, "lib/pellimar.h"),
                                 inc("cli/main.cpp", 7, "lib/pellimar.h"),
                                 inc("app/main.cpp", 8, "lib/pellimar.h")})
                    .empty());
}

TEST(IncludeLayers, IncludesBetweenSiblingSubsystemsAreReported) {
    const std::vector<std::string> siblings = {"acquire", "export", "viewer", "dialogs"};
    for (const std::string& from : siblings)
        for (const std::string& to : siblings) {
            if (from == to) continue;
            const IncludeLine include = inc(from + "/a.cpp", 7, to + "/b.h");
            EXPECT_TRUE(reportsOnce({include}, {where(include), from + " -> " + to, "sibling"}))
                << include;
        }
    // One message per include, also when two of them form a loop.
    EXPECT_EQ(layerViolations(
                  {inc("export/a.cpp", 1, "viewer/b.h"), inc("viewer/b.cpp", 3, "export/a.h")})
                  .size(),
              2u);
}

TEST(IncludeLayers, IncludesDownwardOrWithinAFolderAreAllowed) {
    std::vector<IncludeLine> includes = {inc("platform/raster.h", 1, "vector", true),
                                         inc("core/settings.h", 2, "QString", true)};
    const std::vector<std::pair<std::string, std::string>> allowed = {
        {"platform", "platform"}, {"core", "core"},        {"core", "platform"},
        {"viewer", "core"},       {"acquire", "platform"}, {"export", "export"},
        {"dialogs", "core"},      {"export", "platform"},  {"cli", "cli"}};
    for (const auto& [from, to] : allowed) includes.push_back(inc(from + "/a.cpp", 3, to + "/b.h"));
    for (const std::string to : {"platform", "core", "acquire", "export", "viewer", "dialogs"}) {
        includes.push_back(inc("app/main.cpp", 4, to + "/b.h"));
        includes.push_back(inc("cli/main.cpp", 5, to + "/b.h"));
    }
    includes.push_back(inc("app/main.cpp", 6, "app/main_window.h"));
    for (const auto& fault : layerViolations(includes)) ADD_FAILURE() << fault;
}

TEST(IncludeLayers, QtHeadersInPlatformAreReported) {
    for (const std::string header : {"QString", "QtCore/QByteArray", "QtGlobal"}) {
        EXPECT_TRUE(reportsOnce({inc("platform/icon.h", 6, header, true)},
                                {"platform/icon.h:6", "<" + header + ">", "Qt"}));
    }
    EXPECT_TRUE(layerViolations({inc("platform/icon.h", 6, "queue", true)}).empty());
}

TEST(IncludeLayers, IncludesAndFilesOutsideTheKnownFoldersAreReported) {
    EXPECT_TRUE(
        reportsOnce({inc("core/paths.cpp", 3, "paths.h")}, {"core/paths.cpp:3", "\"paths.h\""}));
    EXPECT_TRUE(reportsOnce({inc("app/main.cpp", 8, "tests/support/fixtures.h")},
                            {"app/main.cpp:8", "tests/support/fixtures.h"}));
    EXPECT_TRUE(
        reportsOnce({inc("misc/a.cpp", 1, "core/paths.h"), inc("misc/a.cpp", 2, "core/settings.h")},
                    {"misc/a.cpp", "outside"}));
    EXPECT_TRUE(reportsOnce({inc("main.cpp", 1, "core/paths.h")}, {"main.cpp", "outside"}));
}

TEST_F(ScratchTree, IncludesInCommentsAreNotRead) {
    write("core/a.cpp", R"(#include "platform/one.h"
  #  include   "core/two.h"
// #include "acquire/line_comment.h"
   //#include "acquire/indented_comment.h"
/* #include "acquire/one_line_block.h" */
/*
#include "acquire/block.h"
*/
int x; /* opens
#include "acquire/block_after_code.h"
   closes */
#include <QString>
const char* s = "/* not a comment";
int y;  // nor is /* after a line comment
#include "core/three.h"
)");
    write("core/sub/deep.h", "#include \"core/a.h\"\n");
    write("core/notes.txt", "#include \"acquire/not_source.h\"\n");
    const std::vector<IncludeLine> expected = {
        inc("core/a.cpp", 1, "platform/one.h"), inc("core/a.cpp", 2, "core/two.h"),
        inc("core/a.cpp", 12, "QString", true), inc("core/a.cpp", 15, "core/three.h"),
        inc("core/sub/deep.h", 1, "core/a.h"),
    };
    EXPECT_EQ(readIncludes(root_), expected);
}

TEST(IncludeLayers, SourceTreeKeepsItsLayers) {
    const auto includes = readIncludes(PELLIMAR_SOURCE_DIR "/src");
    ASSERT_GE(includes.size(), 50u) << "too few includes under " PELLIMAR_SOURCE_DIR "/src";
    const auto faults = layerViolations(includes);
    std::string report;
    for (const auto& fault : faults) report += "\n" + fault;
    EXPECT_TRUE(faults.empty()) << faults.size() << " layer faults in " << includes.size()
                                << " includes:" << report;
}

// The command-line programs, the file managers' thumbnailer among them, start
// for every file: they are clients of the C library alone, without Qt, and hold
// no reader, encoder or writer of their own.
TEST(IncludeLayers, TheCommandLineIncludesOnlyTheCLibrary) {
    int seen = 0, thumbnailer = 0;
    for (const auto& inc : readIncludes(PELLIMAR_SOURCE_DIR "/src")) {
        if (folderOf(inc.file) != "cli") continue;
        ++seen;
        if (inc.file.rfind("cli/thumbnailer", 0) == 0) ++thumbnailer;
        if (inc.angled)
            EXPECT_NE(inc.target[0], 'Q') << inc;
        else
            EXPECT_TRUE(folderOf(inc.target) == "lib" || folderOf(inc.target) == "cli") << inc;
    }
    EXPECT_GE(seen, 20);
    EXPECT_GE(thumbnailer, 3);
}
