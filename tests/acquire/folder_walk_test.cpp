#include "core/folder_walk.h"
#include "core/file_names.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "acquire/scan_test_tree.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;

const FileKinds kAll{true, true, true, true};

std::vector<std::string> names(const std::vector<fs::path>& paths) {
    std::vector<std::string> out;
    for (const auto& p : paths) out.push_back(p.filename().string());
    return out;
}

TEST(KindTest, ExtensionsCompareWithoutCaseAndFollowTheFlags) {
    const FileKinds exeOnly{true, false, false, false};
    EXPECT_TRUE(passesKindTest("/a/b/x.exe", exeOnly));
    EXPECT_TRUE(passesKindTest("/a/b/X.ExE", exeOnly));
    EXPECT_TRUE(passesKindTest("/a/b/.exe", exeOnly));  // the whole name is the extension
    EXPECT_FALSE(passesKindTest("/a/b/x.dll", exeOnly));
    EXPECT_FALSE(passesKindTest("/a/b/x.exe.bak", exeOnly));
    EXPECT_FALSE(passesKindTest("/a/b.exe/x", exeOnly));  // a dot in the folder part only
    EXPECT_FALSE(passesKindTest("/a/b/exe", exeOnly));
    EXPECT_FALSE(passesKindTest("/a/b/x.ex", exeOnly));

    EXPECT_TRUE(passesKindTest("y.Dll", {false, true, false, false}));
    EXPECT_TRUE(passesKindTest("y.ico", {false, false, true, false}));
    EXPECT_TRUE(passesKindTest("y.ICL", {false, false, false, true}));
    EXPECT_FALSE(passesKindTest("y.ICL", {true, true, true, false}));
    EXPECT_FALSE(passesKindTest("y.exe", {}));
}

TEST(KindTest, DotEntriesNeverPass) {
    EXPECT_FALSE(passesKindTest("/a/.", kAll));
    EXPECT_FALSE(passesKindTest("/a/..", kAll));
    EXPECT_EQ(upperCaseExtension("/a/.."), ".");
    EXPECT_EQ(upperCaseExtension("/a.b/c"), "");
    EXPECT_EQ(upperCaseExtension("/a/c.tar.Gz"), ".GZ");
}

// The expected walk, built from the file system's own listing order.
void expectedWalk(ScratchTree& t, const std::string& rel, std::vector<std::string>& out) {
    for (const std::string& name : t.listingOrder(rel)) {
        if (name == "." || name == "..") continue;
        const std::string child = rel.empty() ? name : rel + "/" + name;
        if (fs::is_directory(t.root() / child))
            expectedWalk(t, child, out);
        else if (passesKindTest(child, kAll))
            out.push_back(child);
    }
}

TEST(CollectFiles, DepthFirstInListingOrderWithSubFolderFilesWhereTheirEntryStood) {
    ScratchTree t;
    for (const char* f : {"a.exe", "m.dll", "z.ico", "notes.txt", "k.icl"}) t.file(f);
    t.folder("sub");
    for (const char* f : {"s1.exe", "s2.EXE", "readme"}) t.file(std::string("sub/") + f);
    t.folder("sub/deeper");
    t.file("sub/deeper/d.dll");
    t.folder("empty");
    t.folder(".hidden");
    t.file(".hidden/h.exe");
    t.file(".dot.exe");

    std::vector<fs::path> list;
    collectFiles(t.root(), kAll, list);
    std::vector<std::string> expected;
    expectedWalk(t, "", expected);
    std::vector<std::string> got;
    for (const auto& p : list) got.push_back(fs::relative(p, t.root()).string());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.size(), 9u);  // hidden ones included; notes.txt, readme left out
    // full paths, built from the folder as given
    EXPECT_EQ(list.front().parent_path().parent_path().string().rfind(t.root().string(), 0), 0u);
}

TEST(CollectFiles, AppendsToWhatTheListHolds) {
    ScratchTree t;
    t.file("a.exe");
    std::vector<fs::path> list{"/already/there.exe"};
    collectFiles(t.root(), kAll, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], "/already/there.exe");
}

TEST(CollectFiles, LinksBackIntoTheTreeAreWalkedOncePerRealFolder) {
    ScratchTree t;
    t.file("top.exe");
    t.folder("a/b");
    t.file("a/b/deep.exe");
    t.link("a/b/up", "../..");  // back to the root
    t.link("a/self", ".");      // to itself
    t.link("twin", "a/b");      // a second way into a/b
    t.link("loop1", "loop2");   // a chain that never ends in a file
    t.link("loop2", "loop1");
    std::vector<fs::path> list;
    collectFiles(t.root(), kAll, list);
    const auto got = names(list);
    EXPECT_EQ(std::count(got.begin(), got.end(), "top.exe"), 1);
    EXPECT_EQ(std::count(got.begin(), got.end(), "deep.exe"), 1);
    EXPECT_EQ(got.size(), 2u);
}

TEST(CollectFiles, LinksToFoldersAreNotFollowedLinksToFilesAre) {
    ScratchTree outside;
    outside.file("far.dll");
    outside.file("near.exe");
    ScratchTree t;
    t.link("elsewhere", outside.root().string());
    t.link("linked.exe", (outside.root() / "near.exe").string());
    std::vector<fs::path> list;
    collectFiles(t.root(), kAll, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], t.root() / "linked.exe");

    // The folder the user chose may itself be a link.
    ScratchTree viaLink;
    viaLink.link("chosen", outside.root().string());
    list.clear();
    collectFiles(viaLink.root() / "chosen", kAll, list);
    EXPECT_EQ(list.size(), 2u);
}

// The shape of a Wine prefix: the Windows tree under drive_c, and drive letters
// that are links, one of them to the root of the whole file system.
TEST(CollectFiles, WinePrefixIsWalkedWithoutItsDriveLinks) {
    ScratchTree t;
    t.file("drive_c/windows/system32/shell32.dll");
    t.file("drive_c/Program Files/App/app.exe");
    t.file("drive_c/windows/notepad.exe");
    t.file("user.reg");
    t.folder("dosdevices");
    t.link("dosdevices/c:", "../drive_c");
    t.link("dosdevices/z:", "/");
    std::vector<fs::path> list;
    std::size_t lastSeen = 0;
    WalkHooks hooks;
    hooks.progress = [&](std::size_t seen) { lastSeen = seen; };
    collectFiles(t.root(), kAll, list, hooks);
    auto got = names(list);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"app.exe", "notepad.exe", "shell32.dll"}));
    EXPECT_GE(lastSeen, 10u);  // every entry of the tree, links included, was looked at
}

TEST(CollectFiles, PseudoFileSystemsAreNeverEntered) {
    if (!fs::is_directory("/proc/self")) GTEST_SKIP() << "no /proc here";
    EXPECT_TRUE(isPseudoFileSystem("/proc"));
    EXPECT_TRUE(isPseudoFileSystem("/proc/self"));
    EXPECT_FALSE(isPseudoFileSystem(fs::temp_directory_path()));
    // Not one entry is looked at: the walk refuses the folder before listing it
    // (/proc holds no file of a wanted kind, so an empty list alone would prove
    // nothing).
    std::size_t seen = 1234;
    WalkHooks hooks;
    hooks.progress = [&](std::size_t n) { seen = n; };
    std::vector<fs::path> list;
    collectFiles("/proc", kAll, list, hooks);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(seen, 0u);
    if (fs::is_directory("/sys/kernel")) {
        EXPECT_TRUE(isPseudoFileSystem("/sys"));
        seen = 1234;
        EXPECT_TRUE(gatherScanFiles("/sys", kAll, false, hooks).empty());
        EXPECT_EQ(seen, 1234u);  // never listed, so never reported
    }
}

TEST(CollectFiles, AStopRequestEndsTheWalkKeepingWhatWasFound) {
    ScratchTree t;
    for (int i = 0; i < 600; ++i) t.file("f" + std::to_string(i) + ".exe");
    std::atomic<bool> stop{false};
    WalkHooks hooks;
    hooks.stop = &stop;
    hooks.progress = [&](std::size_t) { stop = true; };  // the first report asks to stop
    std::vector<fs::path> list;
    collectFiles(t.root(), kAll, list, hooks);
    EXPECT_GT(list.size(), 0u);
    EXPECT_LT(list.size(), 600u);
}

TEST(CollectFiles, FoldersThatCannotBeReadAreSkipped) {
    ScratchTree t;
    t.file("a.exe");
    t.folder("goes");
    t.file("goes/lost.exe");
    t.folder("stays");
    t.file("stays/kept.exe");
    t.link("dangling", "nowhere");      // a link to a folder that is not there
    t.link("dangling.exe", "nowhere");  // a dangling link with a wanted name is a file
    // "goes" is listed by its parent, then removed before the walk opens it.
    std::vector<fs::path> list;
    WalkHooks hooks;
    hooks.beforeOpen = [&](const fs::path& folder) {
        if (folder == t.root()) return;
        std::error_code ec;
        fs::remove_all(t.root() / "goes", ec);
    };
    collectFiles(t.root(), kAll, list, hooks);
    auto got = names(list);
    std::sort(got.begin(), got.end());
    // A dangling link leads to no file, whatever its name.
    EXPECT_EQ(got, (std::vector<std::string>{"a.exe", "kept.exe"}));

    std::vector<fs::path> none;
    collectFiles(t.root() / "missing", kAll, none);
    EXPECT_TRUE(none.empty());
}

// What a walk found and left out, each as a line, for a walk in another process.
std::string walkLines(const fs::path& root) {
    std::vector<fs::path> list;
    std::string lines;
    WalkHooks hooks;
    hooks.skipped = [&](const SkippedFolder& s) {
        lines += "skipped " + s.path.filename().string() + ": " + skippedFolderReason(s) + "\n";
    };
    collectFiles(root, kAll, list, hooks);
    for (const auto& p : list) lines += "found " + p.filename().string() + "\n";
    return lines;
}

// The walk's lines as user 1001 sees the tree (root reads every folder, and the
// tests run as root), or nothing when this process cannot take another user.
std::optional<std::string> walkLinesAsAnotherUser(const fs::path& root) {
    if (::geteuid() != 0) return std::nullopt;
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        int status = 1;
        if (::setgroups(0, nullptr) == 0 && ::setresgid(1001, 1001, 1001) == 0 &&
            ::setresuid(1001, 1001, 1001) == 0) {
            const std::string lines = walkLines(root);
            status = ::write(out[1], lines.data(), lines.size()) == ssize_t(lines.size()) ? 0 : 1;
        }
        ::_exit(status);
    }
    ::close(out[1]);
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) got.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    return got;
}

TEST(CollectFiles, FolderWithoutReadPermissionIsSkipped) {
    ScratchTree t;
    t.folder("closed");
    t.file("closed/x.exe");
    t.file("open.exe");
    fs::permissions(t.root(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(t.root() / "closed", fs::perms::none);
    std::optional<std::string> seen;
    if (::geteuid() == 0) {
        seen = walkLinesAsAnotherUser(t.root());
        ASSERT_TRUE(seen) << "the walk as user 1001 did not run";
    } else {
        seen = walkLines(t.root());
    }
    fs::permissions(t.root() / "closed", fs::perms::owner_all);
    EXPECT_EQ(*seen, "skipped closed: cannot open: Permission denied\nfound open.exe\n");
}

// A folder listed as a folder and swapped for a link to another before the walk
// opens it is refused as every link to a folder is: never entered, and told.
TEST(CollectFiles, AFolderSwappedForALinkDuringTheWalkIsNotEntered) {
    ScratchTree outside;
    outside.file("outside.exe");
    ScratchTree t;
    t.file("sub/inside.exe");
    t.file("top.exe");
    t.link("plain", outside.root().string());  // a link to a folder from the start
    std::vector<fs::path> list;
    std::vector<SkippedFolder> skipped;
    WalkHooks hooks;
    hooks.beforeOpen = [&](const fs::path& folder) {
        if (folder != t.root() / "sub") return;
        fs::rename(folder, t.root() / "moved");
        fs::create_directory_symlink(outside.root(), folder);
    };
    hooks.skipped = [&](const SkippedFolder& s) { skipped.push_back(s); };
    collectFiles(t.root(), kAll, list, hooks);
    EXPECT_EQ(names(list), std::vector<std::string>{"top.exe"});
    ASSERT_EQ(skipped.size(), 2u);
    std::sort(skipped.begin(), skipped.end(),
              [](const SkippedFolder& a, const SkippedFolder& b) { return a.path < b.path; });
    EXPECT_EQ(skipped[0].path, t.root() / "plain");
    EXPECT_EQ(skipped[1].path, t.root() / "sub");
    for (const SkippedFolder& s : skipped) {
        EXPECT_EQ(s.why, FolderSkip::Link) << s.path;
        EXPECT_EQ(skippedFolderReason(s), "a link to a folder: not followed");
    }
}

// The walk comes back up from a folder through "..", and takes what it finds
// there only when it is the folder it left: a folder moved while the walk is
// inside it does not lead the walk elsewhere, and one replaced is told.
TEST(CollectFiles, FoldersMovedWhileTheWalkIsInsideThemLeadItNowhereElse) {
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "a replaced" : "a/b moved out of a");
        ScratchTree t;
        for (int i = 0; i < 8; ++i) t.file("a/before" + std::to_string(i) + ".exe");
        t.file("a/b/c/deep.exe");
        for (int i = 0; i < 8; ++i) {
            t.file("a/after" + std::to_string(i) + ".exe");
            t.file("a/later" + std::to_string(i) + "/in" + std::to_string(i) + ".exe");
        }
        t.file("top.exe");
        // The files of a listed after b, and those in its folders listed after b:
        // the walk reaches them on its way back from b, the folders by a's own
        // descriptor.
        std::set<std::string> afterB, rest{"deep.exe", "top.exe"};
        bool pastB = false, folderAfterB = false;
        for (const std::string& name : t.listingOrder("a")) {
            if (name == "b") pastB = true;
            std::string file = name;
            if (name.starts_with("later")) {
                file = "in" + name.substr(5) + ".exe";
                folderAfterB |= pastB;
            }
            if (file.ends_with(".exe")) (pastB ? afterB : rest).insert(file);
        }
        ASSERT_TRUE(folderAfterB);
        std::vector<fs::path> list;
        std::vector<SkippedFolder> skipped;
        WalkHooks hooks;
        hooks.beforeOpen = [&](const fs::path& folder) {
            if (folder != t.root() / "a/b/c") return;
            fs::rename(t.root() / "a/b", t.root() / "b2");  // b's ".." is now the root
            if (!replaced) return;
            fs::rename(t.root() / "a", t.root() / "a-old");
            fs::create_directory(t.root() / "a");
        };
        hooks.skipped = [&](const SkippedFolder& s) { skipped.push_back(s); };
        collectFiles(t.root(), kAll, list, hooks);
        const auto got = names(list);
        std::set<std::string> expected = rest;
        if (!replaced) expected.insert(afterB.begin(), afterB.end());
        EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expected);
        EXPECT_EQ(got.size(), expected.size());
        if (replaced) {
            ASSERT_EQ(skipped.size(), 1u);
            EXPECT_EQ(skipped[0].path, t.root() / "a");
            EXPECT_EQ(skipped[0].why, FolderSkip::Changed);
        } else {
            EXPECT_TRUE(skipped.empty());
        }
    }
}

TEST(CollectFiles, NoDepthLimit) {
    ScratchTree t;
    std::string path;
    for (int i = 0; i < 1000; ++i) path += "d/";
    t.folder(path);
    t.file(path + "x.exe");
    std::vector<fs::path> list;
    collectFiles(t.root(), kAll, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], t.root() / (path + "x.exe"));
}

TEST(GatherScanFiles, OnlyRegularFilesPassWithOrWithoutSubFolders) {
    ScratchTree t;
    t.file("a.exe");
    t.file("b.txt");
    t.folder("x.exe");
    t.file("x.exe/inside.exe");
    t.folder("sub");
    t.file("sub/s.exe");
    t.file("c.exe");
    t.link("linked.exe", "c.exe");
    t.link("dangling.exe", "nowhere");
    t.link("folderlink.exe", "sub");
    ASSERT_EQ(::mkfifo((t.root() / "pipe.exe").c_str(), 0600), 0);  // would block a reader
    const FileKinds exe{true, false, false, false};

    auto flat = names(gatherScanFiles(t.root(), exe, false));
    std::vector<std::string> expected;
    for (const auto& n : t.listingOrder(""))
        if (n == "a.exe" || n == "c.exe" || n == "linked.exe") expected.push_back(n);
    EXPECT_EQ(flat, expected);

    auto deep = names(gatherScanFiles(t.root(), exe, true));
    std::sort(deep.begin(), deep.end());
    EXPECT_EQ(deep,
              (std::vector<std::string>{"a.exe", "c.exe", "inside.exe", "linked.exe", "s.exe"}));
}

}  // namespace
}  // namespace pellimar
