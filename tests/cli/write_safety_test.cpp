// What the command-line writers do on a shared machine, under kill -9 and with
// files made to make them write without end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "cli/extract_cli.h"
#include "cli/icons_cli.h"
#include "cli/json_text.h"
#include "cli/save_cli.h"
#include "cli/thumbnailer.h"
#include "command_outcome.h"
#include "platform/atomic_file.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

using test::Outcome;
using test::run;

Outcome extract(const std::vector<std::string>& args) {
    return run(cli::extract, args);
}

void writeBytes(const fs::path& file, const fx::Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::map<std::string, fx::Bytes> filesIn(const fs::path& dir) {
    std::map<std::string, fx::Bytes> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = fx::readWholeFile(e.path());
    return files;
}

fx::Bytes library() {
    return fx::makePe({{{fx::dibImage(fx::patternIcon(32, 32, 16), 4),
                         fx::dibImage(fx::alphaPatternIcon(48, 48), 32),
                         fx::pngImage(fx::alphaPatternIcon(256, 256))}},
                       {{fx::dibImage(fx::patternIcon(16, 16), 24)}},
                       {{fx::dibImage(fx::alphaPatternIcon(64, 64), 32)}}});
}

}  // namespace

// Someone else's link in a sticky folder is refused by every writer, with the
// reason, and the file it points to stays as it was.
TEST(WriteSafety, EveryWriterRefusesALinkPlantedInASharedFolder) {
    fx::TempDir dir;
    const fs::path lib = dir.write("lib.dll", library());
    const fs::path victim = dir.write("authorized_keys", fx::Bytes{'k', 'e', 'y'});
    const fs::path thumb = fx::plantLinkInSharedFolder(dir.path(), "shared", "thumb.png", victim);
    if (thumb.empty()) GTEST_SKIP() << "planting another user's link takes root";
    const fs::path shared = thumb.parent_path();
    fx::plantLinkInSharedFolder(dir.path(), "shared", "lib.dll-1.ico", victim);
    fx::plantLinkInSharedFolder(dir.path(), "shared", "saved.ico", victim);

    Outcome r = run(cli::runThumbnailer, {"-s", "48", lib.string(), thumb.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write " + thumb.string() + ": It is a symbolic link"),
              std::string::npos)
        << r.err;

    r = extract({"--out", shared.string(), lib.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("lib.dll-1.ico: It is a symbolic link that someone else put"),
              std::string::npos)
        << r.err;
    // The other icons are written.
    EXPECT_TRUE(fs::is_regular_file(shared / "lib.dll-0.ico"));
    EXPECT_TRUE(fs::is_regular_file(shared / "lib.dll-2.ico"));

    r = run(cli::save,
            {"--format", "original", "--out", (shared / "saved.ico").string(), lib.string(), "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("saved.ico\". It is a symbolic link"), std::string::npos) << r.err;
    EXPECT_EQ(fx::readWholeFile(victim), (fx::Bytes{'k', 'e', 'y'}));
    EXPECT_TRUE(fs::is_symlink(thumb) && fs::is_symlink(shared / "lib.dll-1.ico") &&
                fs::is_symlink(shared / "saved.ico"));
}

namespace {

constexpr unsigned kOther = 1001;

// A writer of the command line, run so that it writes into the folder `dir`; the
// file it writes there first, by its path in `dir`.
struct Writer {
    const char* name;
    std::function<Outcome(const fs::path& lib, const fs::path& dir)> run;
    fs::path firstFile;
};

const std::vector<Writer>& writers() {
    static const std::vector<Writer> all = {
        {"extract",
         [](const fs::path& lib, const fs::path& dir) {
             return extract({"--out", dir.string(), lib.string()});
         },
         "lib.dll-0.ico"},
        {"save",
         [](const fs::path& lib, const fs::path& dir) {
             return run(cli::save, {"--format", "original", "--out", (dir / "saved.ico").string(),
                                    lib.string(), "0"});
         },
         "saved.ico"},
        {"draw",
         [](const fs::path& lib, const fs::path& dir) {
             return run(cli::draw, {lib.string(), "0", "32", (dir / "drawn.bmp").string()});
         },
         "drawn.bmp"},
        {"thumbnailer",
         [](const fs::path& lib, const fs::path& dir) {
             return run(cli::runThumbnailer, {"-s", "48", lib.string(), (dir / "t.png").string()});
         },
         "t.png"},
        {"extract --theme",
         [](const fs::path& lib, const fs::path& dir) {
             return extract({"--theme", dir.string(), "--app-name", "app", lib.string()});
         },
         fs::path("hicolor") / "32x32" / "apps" / "app.png"},
    };
    return all;
}

}  // namespace

// Every writer, with another user's link at a folder of its output path or at its
// output's name, in a sticky folder of root's and in an open folder of that user,
// with the kernel's protection of links off and on: nothing is written where the
// link points, and the writer fails saying so.
TEST(WriteSafety, NoWriterWritesWhereAnotherUsersLinkPoints) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "planting another user's link takes root";
    for (const int kernelRule : {0, 1}) {
        const fx::ProtectedSymlinks setting(kernelRule);
        if (!setting.set() && kernelRule == 1) continue;  // not the test's to set here
        for (const Writer& writer : writers())
            for (const fx::LinkPlacement& planted : fx::sharedLinkPlacements()) {
                SCOPED_TRACE(std::string(writer.name) + ", " + planted.describe() +
                             ", protected_symlinks " + std::to_string(kernelRule));
                fx::TempDir dir;
                const fs::path lib = dir.write("lib.dll", library());
                const fx::LinkScene scene =
                    fx::plantLinkScene(dir.path(), planted, writer.firstFile);
                const auto before = fx::treeOf(scene.victim);
                const Outcome r = writer.run(lib, scene.out);
                EXPECT_NE(r.status, 0) << r.out;
                EXPECT_NE(r.err.find("is a symbolic link"), std::string::npos) << r.err;
                EXPECT_EQ(fx::treeOf(scene.victim), before);
                EXPECT_TRUE(fs::is_symlink(scene.link));
            }
    }
}

// A file another user left at the output's name gives its mode to nothing: the
// writer's file is the caller's, with the mode any new file of the caller's gets.
TEST(WriteSafety, NoWriterTakesTheModeOfAFileAnotherUserLeft) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "giving a file to another user takes root";
    for (const Writer& writer : writers()) {
        SCOPED_TRACE(writer.name);
        fx::TempDir dir;
        const fs::path lib = dir.write("lib.dll", library());
        const fs::path out = dir.path() / "out";
        const fs::path left = out / writer.firstFile;
        fs::create_directories(left.parent_path());
        writeBytes(left, {'o', 'l', 'd'});
        ASSERT_EQ(::chown(left.c_str(), kOther, kOther), 0);
        ASSERT_EQ(::chmod(left.c_str(), 06777), 0);
        const mode_t umask = ::umask(022);
        const Outcome r = writer.run(lib, out);
        ::umask(umask);
        EXPECT_EQ(r.status, 0) << r.err;
        struct stat st {};
        ASSERT_EQ(::lstat(left.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_NE(fx::readWholeFile(left), (fx::Bytes{'o', 'l', 'd'}));
    }
}

namespace {

std::atomic<std::uint64_t> g_killAt{0}, g_steps{0};
void killAtStep(std::uint64_t step) {
    if (step == g_killAt) ::raise(SIGKILL);
}
void countSteps(std::uint64_t step) {
    g_steps = step;
}

}  // namespace

// extract killed at every step that changes the disk leaves each output absent,
// whole and old, or whole and new; the next run completes them.
TEST(WriteSafety, ExtractKilledAtAnyStepLeavesNoPartialFile) {
    fx::TempDir dir;
    const fs::path lib = dir.write("lib.dll", library());
    const fs::path reference = dir.path() / "reference";
    // Made first, as each killed run's folder is: making a folder is a step too.
    fs::create_directory(reference);
    setWriteStepHook(countSteps);
    ASSERT_EQ(extract({"--out", reference.string(), lib.string()}).status, 0);
    setWriteStepHook(nullptr);
    const auto whole = filesIn(reference);
    ASSERT_EQ(whole.size(), 3u);
    const std::uint64_t steps = g_steps;
    ASSERT_GE(steps, whole.size() * 2);  // the bytes and the link of each file at least

    const fx::Bytes old{'o', 'l', 'd'};
    for (bool replacing : {false, true}) {
        for (std::uint64_t at = 1; at <= steps; ++at) {
            const fs::path out =
                dir.path() / ("out-" + std::to_string(replacing) + "-" + std::to_string(at));
            fs::create_directory(out);
            if (replacing)
                for (const auto& [name, bytes] : whole) writeBytes(out / name, old);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                g_killAt = at;
                setWriteStepHook(killAtStep);
                extract({"--out", out.string(), lib.string()});
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "step " << at;
            for (const auto& [name, bytes] : filesIn(out)) {
                if (isTemporaryName(name)) continue;  // hidden, and gone at the next run
                ASSERT_TRUE(whole.count(name)) << name;
                EXPECT_TRUE(bytes == whole.at(name) || (replacing && bytes == old))
                    << name << " is partial after a kill at step " << at;
            }
        }
    }

    // A temporary left by a killed run, once a minute old, goes with the next run
    // into the folder, which completes every output.
    const fs::path out = dir.path() / "out-1-1";
    writeBytes(out / ".pellimar-0123456789.tmp", old);
    int left = 0;
    for (const auto& e : fs::directory_iterator(out))
        if (isTemporaryName(e.path().filename().string())) {
            ++left;
            fs::last_write_time(e.path(),
                                fs::file_time_type::clock::now() - std::chrono::minutes(2));
        }
    // The one planted: a run killed while it wrote left nothing (its file was
    // unnamed until whole).
    EXPECT_EQ(left, 1);
    ASSERT_EQ(extract({"--out", out.string(), lib.string()}).status, 0);
    EXPECT_EQ(filesIn(out), whole);
}

// The thumbnailer killed at every step that changes the disk: an OUT that was
// not there is absent or whole; the caller's own OUT, written in place, holds its
// old bytes or the whole new picture (followed by the rest of the old bytes
// before the last step cuts them off), and is never empty.
TEST(WriteSafety, TheThumbnailerKilledAtAnyStepNeverLeavesOutEmpty) {
    fx::TempDir dir;
    const fs::path lib = dir.write("lib.dll", library());
    const fx::Bytes old(20000, 'o');  // longer than the picture
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "OUT is the caller's own file" : "OUT is not there");
        const fs::path reference = dir.path() / ("reference-" + std::to_string(existing) + ".png");
        if (existing) writeBytes(reference, old);
        setWriteStepHook(countSteps);
        ASSERT_EQ(run(cli::runThumbnailer, {"-s", "48", lib.string(), reference.string()}).status,
                  0);
        setWriteStepHook(nullptr);
        const fx::Bytes whole = fx::readWholeFile(reference);
        ASSERT_LT(whole.size(), old.size());
        const std::uint64_t steps = g_steps;
        ASSERT_GE(steps, existing ? 3u : 2u);  // reserve, write, cut; or write, link
        for (std::uint64_t at = 1; at <= steps; ++at) {
            const fs::path out = dir.path() / ("out-" + std::to_string(existing) + "-" +
                                               std::to_string(at) + ".png");
            if (existing) writeBytes(out, old);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                g_killAt = at;
                setWriteStepHook(killAtStep);
                run(cli::runThumbnailer, {"-s", "48", lib.string(), out.string()});
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "step " << at;
            if (!existing) {
                if (fs::exists(out)) {
                    EXPECT_EQ(fx::readWholeFile(out), whole) << "step " << at;
                }
                continue;
            }
            const fx::Bytes left = fx::readWholeFile(out);
            fx::Bytes newThenOld = whole;
            newThenOld.insert(newThenOld.end(), old.begin() + std::ptrdiff_t(whole.size()),
                              old.end());
            EXPECT_TRUE(left == old || left == whole || left == newThenOld)
                << left.size() << " bytes after a kill at step " << at;
        }
        // No file of the writer's is left beside OUT.
        for (const auto& e : fs::directory_iterator(dir.path()))
            EXPECT_FALSE(isTemporaryName(e.path().filename().string())) << e.path();
    }
}

// The temporaries a killed run left in a theme's folders go with the next run into
// them once they are a minute old, as they do from extract's folder.
TEST(WriteSafety, ThemeRunsRemoveTheTemporariesOfKilledRuns) {
    fx::TempDir dir;
    const fs::path lib = dir.write("lib.dll", library());
    const fs::path apps = dir.path() / "icons" / "hicolor" / "32x32" / "apps";
    fs::create_directories(apps);
    const fs::path left = apps / ".pellimar-0123456789.tmp";
    const fs::path young = apps / ".pellimar-abcdefghij.tmp";
    writeBytes(left, {'o', 'l', 'd'});
    writeBytes(young, {'n', 'e', 'w'});
    fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::minutes(2));
    const Outcome r =
        extract({"--theme", (dir.path() / "icons").string(), "--app-name", "app", lib.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(apps / "app.png"));
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(young));  // may be a run still under way
}

// A 1 MB file whose 257 groups each name its one 1 MB image 255 times would make
// 257 files of 255 MB: the run stops at 256 MB with a note and fails.
TEST(WriteSafety, ExtractStopsAFileAtItsOutputCap) {
    fx::TempDir dir;
    const fs::path file = dir.write("crafted.dll", fx::makeSharedGroupPe(257, 255, 1u << 20));
    const fs::path out = dir.path() / "out";
    const Outcome r = extract({"--out", out.string(), "--json", file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("crafted.dll: extraction stops at icon 1: one input file may make it "
                         "write at most 256 MB"),
              std::string::npos)
        << r.err;
    const std::vector<fs::path> written(fs::directory_iterator(out), fs::directory_iterator{});
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].filename(), "crafted.dll-0.ico");
    EXPECT_EQ(fs::file_size(written[0]), 6u + 255u * (16u + (1u << 20)));
}

// Names are bytes: JSON carries one that is not UTF-8 exactly beside its readable
// form, and plain output quotes one that holds a newline instead of splitting it.
TEST(WriteSafety, FileNamesSurviveTheOutputExactly) {
    fx::TempDir dir;
    const std::string latin1 = "caf\xE9.dll", newline = "two\nlines.dll";
    const fs::path a = dir.write(latin1, library()), b = dir.write(newline, library());
    const fs::path out = dir.path() / "out";
    Outcome r = extract({"--out", out.string(), "--json", a.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string first;
    std::getline(lines, first);
    const std::string hex = "636166e92e646c6c2d302e69636f";  // "caf\xE9.dll-0.ico"
    EXPECT_NE(first.find("\"file_hex\": \""), std::string::npos) << first;
    EXPECT_NE(first.find(hex + "\""), std::string::npos) << first;
    EXPECT_NE(first.find("\"source_hex\": \""), std::string::npos) << first;

    r = extract({"--out", out.string(), b.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_NE(r.out.find("/out/two'$'\\n''lines.dll-0.ico'\n"), std::string::npos) << r.out;

    EXPECT_EQ(cli::quotedName("it's\x01"), "'it'\\''s'$'\\001'");
    EXPECT_EQ(cli::quotedName("plain name"), "plain name");
    EXPECT_EQ(cli::jsonNameMembers("file", "ok \xC3\xA9"), "\"file\": \"ok \xC3\xA9\"");
}
