// The built pellimar-cli with its standard streams where a user's would be: a
// terminal (a pseudo-terminal the test holds), a file, standard input from a
// file. What it writes where depends on whether a stream is a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fs = std::filesystem;
namespace fx = pellimar::fixtures;

namespace {

struct Ran {
    int status = -1;
    std::string terminal;  // what reached the terminal
    std::string out, err;  // standard output and error, where they were files
};

enum class Stream { File, Terminal };

std::string readFile(const fs::path& path) {
    const fx::Bytes bytes = fx::readWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

// Runs pellimar-cli with `args`, standard input from `in` (or /dev/null), and
// standard output and error each on a file or on one pseudo-terminal.
Ran runCli(const std::vector<std::string>& args, Stream out, Stream err, const fs::path& scratch,
           const fs::path& in = "/dev/null") {
    Ran ran;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
        return ran;
    }
    const std::string terminal = ::ptsname(master);
    const fs::path outFile = scratch / "stdout", errFile = scratch / "stderr";
    const pid_t child = ::fork();
    if (child == 0) {
        const int slave = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
        const int input = ::open(in.c_str(), O_RDONLY);
        const int outFd = out == Stream::Terminal
                              ? slave
                              : ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = err == Stream::Terminal
                              ? slave
                              : ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (slave < 0 || input < 0 || outFd < 0 || errFd < 0 || ::dup2(input, 0) < 0 ||
            ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
            ::_exit(126);
        ::close(master);
        std::vector<char*> argv = {const_cast<char*>(PELLIMAR_CLI_PROGRAM)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(PELLIMAR_CLI_PROGRAM, argv.data());
        ::_exit(127);
    }
    // Read while it runs, so that a full terminal cannot stop it; the reads end
    // (EIO) once no one holds the terminal open.
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            ran.terminal.append(buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(master);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (out == Stream::File) ran.out = readFile(outFile);
    if (err == Stream::File) ran.err = readFile(errFile);
    return ran;
}

class CliTerminal : public ::testing::Test {
  protected:
    fx::TempDir dir;
    fs::path scratch = dir.path() / "scratch";
    fs::path dll =
        dir.write("lib.dll", fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32), 32),
                                           fx::dibImage(fx::patternIcon(16, 16, 16), 4)}},
                                         {{fx::dibImage(fx::alphaPatternIcon(48, 48), 32)}}}));
    fs::path ico = dir.write("app.ico", fx::makeIco({fx::dibImage(fx::patternIcon(16, 16), 8),
                                                     fx::pngImage(fx::alphaPatternIcon(64, 64))}));
    void SetUp() override { fs::create_directory(scratch); }
};

// Image bytes never go to a terminal: refused before anything is read, with the
// reason, and status 1; to a file they go as ever.
TEST_F(CliTerminal, ImageBytesAreNotWrittenToATerminal) {
    const std::string refused =
        "standard output is a terminal: image bytes are not written to it (redirect it to a "
        "file or a pipe)\n";
    const std::vector<std::vector<std::string>> commands = {
        {"save", "--out", "-", dll.string(), "0"},
        {"save", "--format", "original", "--out", "-", "-", "1"},
        {"draw", dll.string(), "0", "32", "-"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + " " + args[args.size() - 2]);
        const Ran onTerminal = runCli(args, Stream::Terminal, Stream::File, scratch, ico);
        EXPECT_EQ(onTerminal.status, 1);
        EXPECT_EQ(onTerminal.terminal, "");
        EXPECT_NE(onTerminal.err.find(refused), std::string::npos) << onTerminal.err;
        const Ran toFile = runCli(args, Stream::File, Stream::File, scratch, ico);
        EXPECT_EQ(toFile.status, 0) << toFile.err;
        EXPECT_FALSE(toFile.out.empty());
    }
}

// save reads "-" as list, draw and extract do: a program's icon, and an icon
// file's image told by its bytes, the same as from the file's path.
TEST_F(CliTerminal, SaveReadsStandardInput) {
    for (const auto& [source, format] :
         {std::pair{dll, std::string("ico")}, {dll, "png"}, {ico, "original"}, {ico, "png"}}) {
        SCOPED_TRACE(source.filename().string() + " " + format);
        const Ran byPath = runCli({"save", "-f", format, "-o", "-", source.string(), "1"},
                                  Stream::File, Stream::File, scratch);
        ASSERT_EQ(byPath.status, 0) << byPath.err;
        const Ran fromInput = runCli({"save", "-f", format, "-o", "-", "-", "1"}, Stream::File,
                                     Stream::File, scratch, source);
        EXPECT_EQ(fromInput.status, 0) << fromInput.err;
        EXPECT_EQ(fromInput.out, byPath.out);
    }
    // Into a file, named as any other save's; what cannot be read is said of "stdin".
    const Ran written = runCli({"save", "-o", (dir.path() / "saved.ico").string(), "-", "0"},
                               Stream::File, Stream::File, scratch, dll);
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, (dir.path() / "saved.ico").string() + "\n");
    const fs::path text = dir.write("notes.txt", fx::Bytes{'h', 'i', '\n'});
    const Ran unread = runCli({"save", "-o", (dir.path() / "x.ico").string(), "-", "0"},
                              Stream::File, Stream::File, scratch, text);
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.err,
              "pellimar-cli save: cannot read icon 0 of stdin: not a Windows program, library, "
              "icon or cursor file\n");
    EXPECT_FALSE(fs::exists(dir.path() / "x.ico"));
}

// An extract run ends with one line of what it did when standard error is a
// terminal, or with --summary; not otherwise.
TEST_F(CliTerminal, ExtractEndsWithASummary) {
    const fs::path text = dir.write("notes.txt", fx::Bytes{'h', 'i', '\n'});
    const std::vector<std::string> args = {
        "extract", "-o", (dir.path() / "out").string(), dll.string(), ico.string(), text.string()};
    const std::string summary = "pellimar-cli extract: 2 files read, 3 files written, 1 failure";

    const Ran onTerminal = runCli(args, Stream::File, Stream::Terminal, scratch);
    EXPECT_EQ(onTerminal.status, 1);
    EXPECT_NE(onTerminal.terminal.find("cannot read " + text.string()), std::string::npos)
        << onTerminal.terminal;
    // The last line, after the progress line is cleared.
    const std::string ending = summary + "\r\n";
    ASSERT_GE(onTerminal.terminal.size(), ending.size()) << onTerminal.terminal;
    EXPECT_EQ(onTerminal.terminal.substr(onTerminal.terminal.size() - ending.size()), ending)
        << onTerminal.terminal;

    const Ran toFile = runCli(args, Stream::File, Stream::File, scratch);
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.err.find("files read"), std::string::npos) << toFile.err;

    std::vector<std::string> asked = args;
    asked.insert(asked.begin() + 1, "--summary");
    const Ran withSummary = runCli(asked, Stream::File, Stream::File, scratch);
    EXPECT_EQ(withSummary.status, 1);
    EXPECT_EQ(
        withSummary.err.substr(withSummary.err.find_last_of('\n', withSummary.err.size() - 2) + 1),
        summary + "\n")
        << withSummary.err;
    // One of each is said as one.
    const Ran one =
        runCli({"extract", "--summary", "-o", (dir.path() / "one").string(), ico.string()},
               Stream::File, Stream::File, scratch);
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.err, "pellimar-cli extract: 1 file read, 1 file written, 0 failures\n");
}

}  // namespace
