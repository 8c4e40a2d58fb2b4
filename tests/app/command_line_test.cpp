#include "app/command_line.h"

#include <gtest/gtest.h>

#include "core/paths.h"
#include "support/temp_program_dir.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using Action = CommandLine::Action;
using test::TempProgramDir;

TEST(CommandLine, PathsOptionsAndTheEndOfOptions) {
    EXPECT_EQ(parseCommandLine({}).action, Action::Run);
    CommandLine line = parseCommandLine({"a.dll", "some folder", "-", "--", "--help", "-x"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.paths, (std::vector<fs::path>{"a.dll", "some folder", "-", "--help", "-x"}));

    EXPECT_EQ(parseCommandLine({"a.dll", "--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"--paths"}).action, Action::Paths);

    line = parseCommandLine({"a.dll", "--verbose", "--help"});
    EXPECT_EQ(line.action, Action::Usage);
    EXPECT_EQ(line.unknownOption, "--verbose");
    EXPECT_EQ(parseCommandLine({"--version=2"}).action, Action::Usage);
}

TEST(CommandLine, QtsOwnOptionsAreKnown) {
    for (const char* a : {"-style", "--style", "-style=fusion", "-platform", "-reverse"})
        EXPECT_TRUE(isQtOption(a)) << a;
    for (const char* a : {"--verbose", "-x", "style", "---style", "-"})
        EXPECT_FALSE(isQtOption(a)) << a;
}

TEST(CommandLine, ThePathsReportFindsThePortableAndTheInstalledFiles) {
    TempProgramDir dir("cmdline");
    bool found = true;
    std::string report = ownFilesReport(found);
    EXPECT_FALSE(found);
    EXPECT_NE(report.find("(portable)"), std::string::npos);
    EXPECT_NE(report.find("tips: " + (dir.program() / "tips.dat").string() + " (missing)"),
              std::string::npos);

    TempProgramDir::writeFile(dir.program() / "tips.dat", "tip\r\n");
    TempProgramDir::writeFile(dir.program() / "help.chm", "ITSF");
    fs::create_directories(dir.program() / "help");
    TempProgramDir::writeFile(dir.program() / "help" / "index.html", "<html/>");
    report = ownFilesReport(found);
    EXPECT_TRUE(found) << report;
    EXPECT_EQ(report.find("missing"), std::string::npos);

    // Installed: ../share/pellimar from the program's folder, settings in the
    // user's configuration folder although the program's folder can be written.
    const fs::path share = dir.root() / "share" / "pellimar";
    fs::create_directories(share);
    EXPECT_EQ(dataDir(), share);
    EXPECT_TRUE(isInstalledLayout());
    EXPECT_EQ(settingsDir(), dir.config());
    report = ownFilesReport(found);
    EXPECT_FALSE(found);
    EXPECT_NE(report.find("(installed)"), std::string::npos);
}

}  // namespace
}  // namespace pellimar
