// Synchronising real trees: the result compared with what rsync makes of a
// copy of the same pair, and the trees built to catch the dangerous
// mistakes (an unreadable source directory, links to directories, file and
// directory conflicts, Esc in the middle).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"
#include "tools/syncplan.h"
#include "tools/syncrun.h"

namespace {

class SyncRun : public FileOpsTest {
protected:
    // Plans and performs source -> target with every choice on.
    SyncPlanResult Sync(const std::string& source, const std::string& target, SyncPlan* plan_out = nullptr,
                        int* last = nullptr) {
        SyncChoices choices;
        choices.delete_extra = true;
        SyncPlan plan;
        SyncPlanResult result = CalcSyncPlan(W(Path(source)), W(Path(target)), choices, SyncScanOptions(), plan);
        if (result.status == SyncPlanStatus::kReady) {
            int code = ui.Run([&] { return PerformSyncPlan(W(Path(source)), W(Path(target)), plan).last; });
            if (last) *last = code;
        }
        if (plan_out) *plan_out = plan;
        return result;
    }
    // The differences diff finds between two trees (links compared by their
    // text, never followed); empty when equal file for file, byte for byte.
    std::string Differences(const std::string& a, const std::string& b) {
        return ShellOutput("diff -r --no-dereference '" + Path(a) + "' '" + Path(b) + "' 2>&1");
    }
    // Every path below dir with its type and, for links, their text.
    std::string Listing(const std::string& dir) {
        return ShellOutput("cd '" + Path(dir) + "' && find . -printf '%p %y %l\\n' | LC_ALL=C sort");
    }
    void Link(const std::string& text, const std::string& leaf) {
        ASSERT_EQ(symlink(text.c_str(), Path(leaf).c_str()), 0) << leaf;
    }
    static bool IsLink(const std::string& path) {
        struct stat status;
        return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
    }
    static void LinkTime(const std::string& path, long seconds) { SetTime(path, seconds, seconds); }
    static bool IsDirectory(const std::string& path) {
        struct stat status;
        return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    // One generated pair: a source tree under "src" and a target under "tgt"
    // that differ in every way synchronisation deals with, chosen by seed.
    void MakePair(unsigned seed) {
        std::mt19937 random(seed);
        auto write = [this](const std::string& leaf, const std::string& content, mode_t mode, long seconds) {
            Write(leaf, content, mode, seconds);
        };
        auto make_dir = [this](const std::string& leaf) { MakeDir(leaf); };
        auto link = [this](const std::string& text, const std::string& leaf, long seconds) {
            Link(text, leaf);
            LinkTime(Path(leaf), seconds);
        };
        auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const long base = 1500000000;
        make_dir("src");
        make_dir("tgt");
        std::vector<std::string> dirs = {""};
        for (int i = 0; i < 6; i++) {
            std::string dir = dirs[static_cast<size_t>(pick(static_cast<int>(dirs.size())))] + "d" + std::to_string(i) + "/";
            dirs.push_back(dir);
            make_dir("src/" + dir);
            // Some directories exist on the source side only.
            if (pick(4) != 0) {
                const std::string parent = dir.substr(0, dir.rfind('/', dir.size() - 2) + 1);
                if (IsDirectory(Path("tgt/" + parent))) make_dir("tgt/" + dir);
            }
        }
        for (int i = 0; i < 30; i++) {
            const std::string& dir = dirs[static_cast<size_t>(pick(static_cast<int>(dirs.size())))];
            const std::string name = dir + "f" + std::to_string(i);
            const std::string content(static_cast<size_t>(pick(3000)), static_cast<char>('a' + pick(26)));
            write("src/" + name, content, 0644, base + pick(1000) * 10);
            if (!IsDirectory(Path("tgt/" + dir))) continue;
            const long source_time = Stat(Path("src/" + name)).st_mtime;
            switch (pick(5)) {
            case 0:  // missing
                break;
            case 1:  // the same
                write("tgt/" + name, content, 0644, source_time);
                break;
            case 2:  // older, and shorter
                write("tgt/" + name, content.substr(0, content.size() / 2), 0644, source_time - 1 - pick(100));
                break;
            case 3:  // newer: kept
                write("tgt/" + name, "changed in the target", 0600, source_time + 1 + pick(100));
                break;
            case 4:  // older and larger
                write("tgt/" + name, content + content + "x", 0644, source_time - 5);
                break;
            }
        }
        // Files and trees the source does not have.
        write("tgt/extra", "x", 0644, base);
        make_dir("tgt/gone");
        make_dir("tgt/gone/deeper");
        write("tgt/gone/deeper/f", "y", 0644, base);
        write("tgt/gone.txt", "z", 0644, base);
        // Names that differ only in case.
        write("src/Name", "upper", 0644, base);
        write("src/name", "lower", 0644, base);
        write("tgt/NAME", "all upper", 0644, base);
        // Links: to a directory, to a file, dangling, the same on both sides,
        // one only in the target (pointing at a tree that must survive), and
        // one whose text changed in the source.
        link("d0", "src/to_dir", base);
        link("f0", "src/to_file", base);
        link("nowhere", "src/dangling", base);
        link("same", "src/same_link", base);
        link("same", "tgt/same_link", base);
        link("../src/d0", "tgt/into_source", base);
        link("new", "src/changed", base + 100);
        link("old", "tgt/changed", base);
    }
};


TEST_F(SyncRun, TargetEqualsWhatRsyncMakesOfTheSamePair) {
    ASSERT_EQ(ShellOutput("command -v rsync >/dev/null && echo y"), "y\n") << "rsync is needed (scripts/deps)";
    for (unsigned seed = 1; seed <= 6; seed++) {
        SCOPED_TRACE(seed);
        ShellOutput("rm -rf '" + Path("src") + "' '" + Path("tgt") + "' '" + Path("oracle") + "'");
        MakePair(seed);
        const std::string source_before = Listing("src");
        ASSERT_EQ(ShellOutput("cp -a '" + Path("tgt") + "' '" + Path("oracle") + "' && rsync -a --update --delete '" +
                              Path("src") + "/' '" + Path("oracle") + "/' && echo ok"),
                  "ok\n");

        SyncPlan plan;
        int last = 1;
        ASSERT_EQ(Sync("src", "tgt", &plan, &last).status, SyncPlanStatus::kReady);
        EXPECT_EQ(last, 0);
        EXPECT_EQ(Differences("tgt", "oracle"), "");
        EXPECT_EQ(Listing("tgt"), Listing("oracle"));
        // The source is never touched, and the tree a deleted link pointed
        // into is still whole.
        EXPECT_EQ(Listing("src"), source_before);
        // A second run finds nothing left to do.
        SyncChoices choices;
        choices.delete_extra = true;
        SyncPlan again;
        ASSERT_EQ(CalcSyncPlan(W(Path("src")), W(Path("tgt")), choices, SyncScanOptions(), again).status,
                  SyncPlanStatus::kReady);
        EXPECT_TRUE(again.ops.empty()) << Narrow(again.ops[0].path);
    }
}

TEST_F(SyncRun, UnreadableSourceDirectoryOrEscInTheScanStopsBeforeAnythingChanges) {
    Files({"src/", "src/keep/", "src/keep/a=1", "src/new=n", "tgt/", "tgt/keep/", "tgt/keep/a=1", "tgt/keep/b=2",
           "tgt/extra=e"});
    const std::string before = Listing("tgt");
    SyncChoices choices;
    choices.delete_extra = true;
    SyncScanOptions hooks;
    // As root a mode of 000 reads all the same, so the listing fails on
    // purpose as well.
    chmod(Path("src/keep").c_str(), 0);
    hooks.list_fault = [](const Westring& relative) { return wcscmp(relative.c_str(), L"keep") == 0 ? EACCES : 0; };
    SyncPlan plan;
    SyncPlanResult result = CalcSyncPlan(W(Path("src")), W(Path("tgt")), choices, hooks, plan);
    chmod(Path("src/keep").c_str(), 0755);
    EXPECT_EQ(result.status, SyncPlanStatus::kUnreadable);
    EXPECT_EQ(Narrow(result.directory), Path("src/keep"));
    EXPECT_EQ(result.error, EACCES);
    EXPECT_TRUE(plan.ops.empty());
    EXPECT_EQ(Listing("tgt"), before);

    // Esc while the trees are listed: no plan, nothing changed.
    SyncScanOptions escape;
    escape.cancel = [] { return true; };
    EXPECT_EQ(CalcSyncPlan(W(Path("src")), W(Path("tgt")), choices, escape, plan).status, SyncPlanStatus::kCancelled);
    EXPECT_TRUE(plan.ops.empty());
    EXPECT_EQ(Listing("tgt"), before);
}

TEST_F(SyncRun, DirectoriesNamedAlikeAreRemovedInAWorkableOrder) {
    Files({"src/", "tgt/", "tgt/x/", "tgt/x/y/", "tgt/x/y/f=1", "tgt/x.a/", "tgt/x.a/g=2", "tgt/x.b/"});
    int last = 1;
    ASSERT_EQ(Sync("src", "tgt", nullptr, &last).status, SyncPlanStatus::kReady);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(ShellOutput("ls -A '" + Path("tgt") + "'"), "");
}

TEST_F(SyncRun, LinksToDirectoriesStayLinksAndAreNeverFollowed) {
    Files({"src/", "src/d/", "src/d/f=data", "tgt/", "outside/", "outside/precious=keep"});
    Link("d", "src/link");
    Link(Path("outside"), "tgt/extra_link");
    int last = 1;
    ASSERT_EQ(Sync("src", "tgt", nullptr, &last).status, SyncPlanStatus::kReady);
    EXPECT_EQ(last, 0);
    EXPECT_TRUE(IsLink(Path("tgt/link")));
    EXPECT_EQ(ShellOutput("readlink '" + Path("tgt/link") + "'"), "d\n");
    EXPECT_FALSE(PathExists(Path("tgt/extra_link")));
    Expect({"tgt/d/f=data", "outside/precious=keep"});
}

TEST_F(SyncRun, FileAgainstDirectoryIsShownAndLeftAlone) {
    Files({"src/", "src/x=file", "src/d/", "src/d/inner=i", "tgt/", "tgt/x/", "tgt/x/old=o", "tgt/d=plain"});
    SyncPlan plan;
    int last = 1;
    ASSERT_EQ(Sync("src", "tgt", &plan, &last).status, SyncPlanStatus::kReady);
    ASSERT_EQ(plan.ops.size(), 2u);
    EXPECT_EQ(plan.ops[0].type, SyncOpType::Conflict);
    EXPECT_EQ(plan.ops[1].type, SyncOpType::Conflict);
    Expect({"tgt/x/old=o", "tgt/d=plain", "src/x=file", "src/d/inner=i"});
}

TEST_F(SyncRun, EscBetweenOperationsLeavesNoFileHalfDone) {
    std::vector<std::string> files = {"src/", "tgt/"};
    for (int i = 0; i < 20; i++) files.push_back(NumberedName("src/f", i) + "=" + Big(50000 + static_cast<size_t>(i)));
    Files(files);
    static int polls;
    polls = 0;
    copy_seams.esc_pending = [] { return ++polls > 5; };
    SyncChoices choices;
    SyncPlan plan;
    ASSERT_EQ(CalcSyncPlan(W(Path("src")), W(Path("tgt")), choices, SyncScanOptions(), plan).status,
              SyncPlanStatus::kReady);
    ASSERT_EQ(plan.ops.size(), 20u);
    SyncRunResult result{};
    ui.AllowIdle(true);
    ui.Run([&] {
        result = PerformSyncPlan(W(Path("src")), W(Path("tgt")), plan);
        return 0;
    });
    EXPECT_TRUE(result.stopped());
    EXPECT_LT(result.performed, 20);
    // Whatever got there is whole, and nothing else (no temporary files).
    int there = 0;
    for (int i = 0; i < 20; i++) {
        const std::string name = NumberedName("f", i);
        if (!PathExists(Path("tgt/" + name))) continue;
        there++;
        EXPECT_EQ(ReadFile(Path("tgt/" + name)), ReadFile(Path("src/" + name))) << name;
    }
    EXPECT_EQ(ShellOutput("ls -A '" + Path("tgt") + "' | wc -l"), std::to_string(there) + "\n");
}

}  // namespace
