// Changing a panel's directory: into a subdirectory, up with the cursor on
// the directory left, straight to a directory, and the histories it keeps.
#include <unistd.h>

#include "exec/chdir.h"
#include "exec/histories.h"
#include "tests/panels/panel_test_util.h"

namespace {

std::string Cwd() { return std::filesystem::current_path(); }

// The left panel on a directory of "..", sub, zz_last and file100 to file129,
// ten entries to a page; the working directory put back afterwards.
class ChdirTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = Cwd();
        DirectoryHistory.DestroyAll();
        for (int i = 0; i < 30; i++) dir_.Write(NumberedName("file", 100 + i), "");
        dir_.MakeDir("sub");
        dir_.MakeDir("zz_last");
        dir_.Write("sub/inner", "");
        SetUpPanel(*panel_, dir_.path());
        panel_->page_size = 10;
        read_panel(panel_);
    }
    void TearDown() override {
        if (!saved_cwd_.empty() && chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE();
        panel_->prev_dir = Westring();
        DirectoryHistory.DestroyAll();
        PanelTest::TearDown();
    }
    std::string CursorName() const { return Cursor(*panel_); }
    void Change(const wchar_t* name) { change_dir(panel_base, 0, name, 0, -1, -1); }

    CTempDir& dir_ = tmp;
    PANEL* panel_ = panel_base;
    std::string saved_cwd_;
};

TEST_F(ChdirTest, IntoASubdirectoryAndBackUpOntoIt) {
    Change(L"sub");
    EXPECT_EQ(std::vector<std::string>({Narrow(panel_->dir), Cwd(), Narrow(panel_->prev_dir)}),
              std::vector<std::string>({dir_ / "sub", dir_ / "sub", dir_.path()}));
    ASSERT_EQ(DirectoryHistory.count(), 1);
    EXPECT_EQ(Narrow(*DirectoryHistory[0]), dir_.path());

    // up_dir puts the directory left on the page, even far down the list.
    Change(L"..");
    Change(L"zz_last");
    up_dir(panel_);
    EXPECT_EQ(Narrow(panel_->dir), dir_.path());
    EXPECT_EQ(CursorName(), "zz_last");
    EXPECT_TRUE(panel_->cur >= 0 && panel_->cur < panel_->page_size) << panel_->cur;

    panel_->dir = L"/";  // up from the root stays there
    read_panel(panel_);
    up_dir(panel_);
    EXPECT_EQ(Narrow(panel_->dir), "/");
}

TEST_F(ChdirTest, GotoDirectoryChecksTheDirectoryFirst) {
    dir_.Write("plain", "");
    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "no_such").c_str())), ENOENT);
    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "plain").c_str())), ENOTDIR);
    EXPECT_EQ(goto_directory(panel_, Westring()), ENOENT);
    EXPECT_EQ(Narrow(panel_->dir), dir_.path());
    EXPECT_EQ(DirectoryHistory.count(), 0);

    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "sub/").c_str()), L"inner"), 0);
    EXPECT_EQ(std::make_pair(Narrow(panel_->dir), CursorName()), std::make_pair(dir_ / "sub", std::string("inner")));
}

TEST(DirectoryHistory, NewestLastEachOnceAtMost100) {
    DirectoryHistory.DestroyAll();
    for (const wchar_t* dir : {L"/a", L"/b", L"/a", L""}) AddDirectoryHistory(dir);
    ASSERT_EQ(DirectoryHistory.count(), 2);
    EXPECT_EQ(Narrow(*DirectoryHistory[0]) + " " + Narrow(*DirectoryHistory[1]), "/b /a");
    for (int i = 0; i < 150; i++) AddDirectoryHistory(Westring(NumberedName("/d", i).c_str()));
    ASSERT_EQ(DirectoryHistory.count(), kMaxDirectoryHistory);
    EXPECT_EQ(Narrow(*DirectoryHistory[0]) + " " + Narrow(*DirectoryHistory[99]), "/d50 /d149");
    DirectoryHistory.DestroyAll();
}

}  // namespace
