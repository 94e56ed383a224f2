// Deleting what is hard to delete: symbolic links (looping, dangling, to
// directories, to files the user may not write), trees deeper than the path
// limit, and directories that cannot be read.
#include "fileops/deletecmd.h"
#include "lib/atpath.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

constexpr int kNoDeleteQuestions = CONFIRM_DELETE_FILE | CONFIRM_DELETE_TAGGED | CONFIRM_DELETE_DIR;

class DeleteHardTest : public FileOpsTest {
protected:
    void Link(const std::string& target, const std::string& leaf) {
        ASSERT_EQ(symlink(target.c_str(), Path(leaf).c_str()), 0) << leaf;
    }
    // Looping, dangling and directory links in dir, with the directory
    // "target" they point to beside it.
    void OddLinks(const std::string& dir) {
        Link("loopB", dir + "/loopA");
        Link("loopA", dir + "/loopB");
        Link("nowhere", dir + "/dangling");
        Link(Path("target"), dir + "/dirlink");
    }
    std::vector<std::string> Gone(const std::string& dir) const {
        return {"!" + dir + "/loopA", "!" + dir + "/loopB", "!" + dir + "/dangling", "!" + dir + "/dirlink",
                "target/inside=i"};
    }
    void SetUp() override {
        FileOpsTest::SetUp();
        Files({"target/", "target/inside=i"});
        config.Confirmations = kNoDeleteQuestions;
    }
};

TEST_F(DeleteHardTest, LinksAreDeletedAsThemselvesWithoutQuestions) {
    Files({"one/", "tagged/", "tagged/file", "tree/", "tree/sub/"});
    OddLinks("one");
    for (const char* name : {"loopA", "loopB", "dangling", "dirlink"})
        EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("one/") + name).c_str(), DELETE_BATCH); }), 1) << name;
    Expect(Gone("one"));

    OddLinks("tagged");
    SetUpPanel(panel_base[0], Path("tagged"));
    SetUpPanel(panel_base[1], Path("tagged"));
    for (const char* name : {"loopA", "loopB", "dangling", "dirlink", "file"}) Tag(panel_base[0], name);
    ui.RunVoid([&] { file_delete(&panel_base[0]); });
    Expect(Gone("tagged"));
    Expect({"!tagged/file"});

    OddLinks("tree/sub");
    EXPECT_EQ(ui.Run([&] { return delete_dir(W(Path("tree")).c_str()); }), 1);
    Expect({"!tree", "target/inside=i"});
}

TEST_F(DeleteHardTest, LinkToWhatTheUserMayNotWriteIsNotReadOnly) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
    chmod(tmp.path().c_str(), 0777);
    MakeDir("mine", 0777);
    Link("/etc", "mine/etc");
    Link("/etc/passwd", "mine/passwd");
    int failures = RunAsNobody([&] {
        ui.RecordScreens(true);
        int deleted = ui.Run([&] {
            return delete_file(W(Path("mine/etc")).c_str(), DELETE_BATCH) +
                   delete_file(W(Path("mine/passwd")).c_str(), DELETE_BATCH);
        });
        return (deleted == 2 ? 0 : 1) | (ui.Screens().empty() ? 0 : 2);
    });
    EXPECT_EQ(failures, 0);
    Expect({"!mine/etc", "!mine/passwd"});
}

TEST_F(DeleteHardTest, TreePastThePathLimit) {
    std::string deep = tmp.MakeDeepDirs("deep", 40, 120);
    ASSERT_GT(deep.size(), 4096u);
    for (const char* name : {"/f1", "/.f2"}) {
        AtPath file((deep + name).c_str());
        int fd = openat(file.dir(), file.leaf(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0) << name;
        close(fd);
    }
    // Esc half-way down stops the whole deletion.
    copy_seams.esc_pending = [] {
        static int polls = 0;
        return ++polls > 20;
    };
    EXPECT_EQ(ui.Run([&] { return delete_dir(W(Path("deep")).c_str()); }), -1);
    EXPECT_EQ(faccessat(AtPath((deep + "/f1").c_str()).dir(), "f1", F_OK, 0), 0);

    copy_seams.esc_pending = [] { return false; };
    EXPECT_EQ(ui.Run([&] { return delete_dir(W(Path("deep")).c_str()); }), 1);
    EXPECT_FALSE(PathExists(Path("deep")));
}

TEST_F(DeleteHardTest, UnreadableDirectoryIsReported) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
    chmod(tmp.path().c_str(), 0777);
    Files({"d/", "d/sub/", "d/sub/f", "d/other"});
    for (const char* leaf : {"d", "d/sub", "d/sub/f", "d/other"}) ASSERT_EQ(lchown(Path(leaf).c_str(), 65534, 65534), 0);
    chmod(Path("d/sub").c_str(), 0);
    // Skip leaves it and deletes the rest; Cancel aborts.
    auto run = [&](const char* keys, bool aborts) {
        return RunAsNobody([&] {
            Answer(keys);
            int result = ui.Run([&] { return delete_dir(W(Path("d")).c_str()); });
            bool told = ui.Screens().size() == 1 && FirstShows("Access Denied") && FirstShows(Path("d/sub"));
            return ((result == -1) == aborts ? 0 : 1) | (told ? 0 : 2);
        });
    };
    EXPECT_EQ(run("s", false), 0);
    Expect({"d/sub/f", "!d/other"});
    EXPECT_EQ(run("Esc", true), 0);
    Expect({"d/sub/f"});
}

}  // namespace
