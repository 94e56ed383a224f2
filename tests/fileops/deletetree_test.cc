// Deleting wide trees, which two threads share: a failure met on either is
// told once and costs nothing else; Esc stops both and leaves a tree whose
// description files still match what is in it. `find` says what is left.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"

namespace {

class DeleteTreeTest : public FileOpsTest {
protected:
    // dirs directories d000... of files f00.tmp... below tmp/root, and a
    // description file naming each of them in every tenth directory and
    // the root (which describes its directories).
    void Wide(int dirs, int files) {
        MakeDir("root");
        std::string root_lines;
        for (int d = 0; d < dirs; d++) {
            char dir[16];
            std::snprintf(dir, sizeof dir, "d%03d", d);
            MakeDir(std::string("root/") + dir);
            root_lines.append(dir).append(" a directory\r\n");
            std::string lines;
            for (int f = 0; f < files; f++) {
                char file[16];
                std::snprintf(file, sizeof file, "f%02d.tmp", f);
                Write(std::string("root/") + dir + "/" + file, "x");
                lines.append(file).append(" a file\r\n");
            }
            if (d % 10 == 0) Write(std::string("root/") + dir + "/descript.ion", lines);
        }
        Write("root/descript.ion", root_lines);
    }
    // What find lists below tmp/root: relative paths ("./d001/f00.tmp").
    std::set<std::string> Left() const {
        const std::string out = ShellOutput("cd '" + Path("root") + "' && find . -mindepth 1");
        std::set<std::string> paths;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) paths.insert(line);
        return paths;
    }
    // Every description file below tmp/root describes exactly the entries
    // of its directory that are left (the description file aside).
    void ExpectDescriptionsMatch() const {
        for (const auto& item : std::filesystem::recursive_directory_iterator(Path("root"))) {
            if (item.path().filename() != "descript.ion") continue;
            std::set<std::string> described, present;
            std::istringstream lines(ReadFile(item.path().string()));
            for (std::string line; std::getline(lines, line);) described.insert(line.substr(0, line.find(' ')));
            for (const auto& entry : std::filesystem::directory_iterator(item.path().parent_path()))
                if (entry.path().filename() != "descript.ion") present.insert(entry.path().filename().string());
            EXPECT_EQ(described, present) << item.path();
        }
    }
    int DeleteTmp() {
        return ui.Run([&] { return delete_tree2(W(Path("root")).c_str(), L"*.tmp"); });
    }
};

TEST_F(DeleteTreeTest, AFailedUnlinkIsToldOnceAndCostsNothingElse) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
    chmod(tmp.path().c_str(), 0777);
    Wide(60, 10);
    // Directories spread over the tree that the user may not change: their
    // one file cannot go, whichever thread meets it.
    const std::vector<std::string> stuck = {"d005", "d031", "d058"};
    for (const std::string& dir : stuck)
        for (int f = 1; f < 10; f++) std::filesystem::remove(Path("root/" + dir + "/f0" + std::to_string(f) + ".tmp"));
    for (const auto& item : std::filesystem::recursive_directory_iterator(Path("root")))
        ASSERT_EQ(lchown(item.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(lchown(Path("root").c_str(), 65534, 65534), 0);
    for (const std::string& dir : stuck) chmod(Path("root/" + dir).c_str(), 0555);

    const int failures = RunAsNobody([&] {
        Answer("s s s");  // Skip, each time
        int failed = DeleteTmp() == 0 ? 0 : 1;
        if (ui.Screens().size() != stuck.size()) failed |= 2;
        for (const std::string& dir : stuck) {
            const std::string file = dir + "/f00.tmp";
            const auto told = [&](const CUiTest::Screen& screen) { return screen.Find(file); };
            if (std::count_if(ui.Screens().begin(), ui.Screens().end(), told) != 1) failed |= 4;
        }
        return failed;
    });
    EXPECT_EQ(failures, 0);
    // Left: the stuck files and the root's description file, which names
    // their directories. The others lost their last lines and went.
    std::set<std::string> expected = {"./descript.ion"};
    for (const std::string& dir : stuck) expected.insert({"./" + dir, "./" + dir + "/f00.tmp"});
    EXPECT_EQ(Left(), expected);
    ExpectDescriptionsMatch();
}

TEST_F(DeleteTreeTest, EscStopsBothThreadsAndLeavesAConsistentTree) {
    Wide(300, 20);
    const size_t before = Left().size();
    // Esc comes after a few looks: the root's listing, then a few directories.
    static int polls;
    polls = 0;
    copy_seams.esc_pending = [] { return ++polls > 8; };
    EXPECT_NE(DeleteTmp(), 0);
    const std::set<std::string> left = Left();
    EXPECT_LT(left.size(), before);  // some went
    EXPECT_GT(left.size(), 300u);    // most stayed
    // Nothing works on after the call: the tree stays as it was left.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Left(), left);
    ExpectDescriptionsMatch();

    // Started again, it finishes the job.
    copy_seams.esc_pending = [] { return false; };
    EXPECT_EQ(DeleteTmp(), 0);
    // Emptied, the description files went, and so did their directories.
    EXPECT_FALSE(PathExists(Path("root")));
}

TEST_F(DeleteTreeTest, AnAttributeMaskLooksAtEachFile) {
    Files({"t/", "t/sub/", "t/only/", "t/small", "t/big=xx", "t/sub/small", "t/sub/big=xx", "t/only/big=xx"});
    ASSERT_EQ(symlink("big", Path("t/link").c_str()), 0);  // a link has its target's size
    EXPECT_EQ(ui.Run([&] { return delete_tree2(W(Path("t")).c_str(), L"%size>1"); }), 0);
    Expect({"t/small", "!t/big", "t/sub/small", "!t/sub/big", "!t/only", "!t/link"});
}

}  // namespace
