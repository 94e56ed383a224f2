// Changing a panel's directory: into a subdirectory, up with the cursor on
// the directory left, straight to a directory, and the histories it keeps.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "exec/chdir.h"
#include "exec/histories.h"
#include "panels/panel.h"
#include "tests/fileops/temp_dir.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

class ChdirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char buffer[4096];
        if (getcwd(buffer, sizeof buffer)) saved_cwd_ = buffer;
        saved_config_ = config;
        config.Hidden = true;
        DirectoryHistory.DestroyAll();
        for (int i = 0; i < 30; i++) dir_.Write("file" + std::to_string(100 + i), "");
        mkdir((dir_ / "sub").c_str(), 0755);
        mkdir((dir_ / "zz_last").c_str(), 0755);
        dir_.Write("sub/inner", "");
        panel_ = panel_base;
        panel_->dir = Westring(dir_.path().c_str());
        panel_->visible = 1;
        panel_->type = PANEL_FILES;
        panel_->detail = DETAIL_FULL;
        panel_->page_size = 10;
        panel_->top = panel_->cur = 0;
        read_panel(panel_);
    }
    void TearDown() override {
        if (!saved_cwd_.empty() && chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE();
        config = saved_config_;
        panel_->FreeEntries();
        panel_->visible = 0;
        panel_->prev_dir = Westring();
        DirectoryHistory.DestroyAll();
    }
    std::string CursorName() const {
        entry* e = panel_->CurrentEntry();
        return e ? narrow(e->name) : std::string();
    }
    static std::string Cwd() {
        char buffer[4096];
        return getcwd(buffer, sizeof buffer) ? buffer : "";
    }

    CTempDir dir_;
    PANEL* panel_ = nullptr;
    CONFIG saved_config_;
    std::string saved_cwd_;
};

TEST_F(ChdirTest, IntoASubdirectoryAndBackUpOntoIt) {
    panel_->read_pos[0] = 0;
    panel_->read_pos[1] = 0;
    change_dir(panel_base, 0, L"sub", 0, -1, -1);
    EXPECT_EQ(narrow(panel_->dir), dir_ / "sub");
    EXPECT_EQ(panel_->top + panel_->cur, 0);
    EXPECT_EQ(narrow(panel_->prev_dir), dir_.path());
    EXPECT_EQ(Cwd(), dir_ / "sub");
    ASSERT_EQ(DirectoryHistory.count(), 1);
    EXPECT_EQ(narrow(*DirectoryHistory[0]), dir_.path());

    change_dir(panel_base, 0, L"..", 0, -1, -1);
    EXPECT_EQ(narrow(panel_->dir), dir_.path());
    EXPECT_EQ(CursorName(), "sub");
    EXPECT_EQ(Cwd(), dir_.path());
}

TEST_F(ChdirTest, GoingUpScrollsSoThatTheDirectoryLeftIsOnThePage) {
    change_dir(panel_base, 0, L"zz_last", 0, -1, -1);  // sorted after every file? no: directories come first
    up_dir(panel_);
    EXPECT_EQ(CursorName(), "zz_last");
    EXPECT_GE(panel_->cur, 0);
    EXPECT_LT(panel_->cur, panel_->page_size);
}

TEST_F(ChdirTest, GoingUpRestoresTheRememberedTop) {
    panel_->page_size = 5;
    // A long list: "..", sub, zz_last, file100 ... Put the page further down first.
    panel_->top = 2;
    panel_->cur = 0;  // the cursor on zz_last, index 2
    ASSERT_EQ(CursorName(), "zz_last");
    change_dir(panel_base, 0, L"zz_last", 0, -1, -1);
    change_dir(panel_base, 0, L"..", 0, -1, -1);
    EXPECT_EQ(panel_->top, 2);
    EXPECT_EQ(CursorName(), "zz_last");
}

TEST_F(ChdirTest, UpFromTheRootDoesNothing) {
    panel_->dir = L"/";
    read_panel(panel_);
    int files = panel_->num_files;
    up_dir(panel_);
    EXPECT_EQ(narrow(panel_->dir), "/");
    EXPECT_EQ(panel_->num_files, files);
}

TEST_F(ChdirTest, TopAndCursorCanBeGiven) {
    change_dir(panel_base, 0, L"", 0, 5, 3);  // a re-read with a position
    EXPECT_EQ(panel_->top, 5);
    EXPECT_EQ(panel_->cur, 3);
    change_dir(panel_base, 0, L"", 0, 1000, 3);  // past the end: the top
    EXPECT_EQ(panel_->top, 0);
}

TEST_F(ChdirTest, GotoDirectoryChecksTheDirectoryFirst) {
    dir_.Write("plain", "");
    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "no_such").c_str())), ENOENT);
    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "plain").c_str())), ENOTDIR);
    EXPECT_EQ(goto_directory(panel_, Westring()), ENOENT);
    EXPECT_EQ(narrow(panel_->dir), dir_.path());
    EXPECT_EQ(DirectoryHistory.count(), 0);

    EXPECT_EQ(goto_directory(panel_, Westring((dir_ / "sub/").c_str()), L"inner"), 0);
    EXPECT_EQ(narrow(panel_->dir), dir_ / "sub");
    EXPECT_EQ(CursorName(), "inner");
    EXPECT_EQ(goto_directory(panel_, L"/"), 0);
    EXPECT_EQ(narrow(panel_->dir), "/");
    EXPECT_EQ(narrow(panel_->prev_dir), dir_ / "sub");
}

TEST(DirectoryHistory, NewestLastEachOnceAtMost100) {
    DirectoryHistory.DestroyAll();
    AddDirectoryHistory(L"/a");
    AddDirectoryHistory(L"/b");
    AddDirectoryHistory(L"/a");
    AddDirectoryHistory(Westring());
    ASSERT_EQ(DirectoryHistory.count(), 2);
    EXPECT_EQ(narrow(*DirectoryHistory[0]), "/b");
    EXPECT_EQ(narrow(*DirectoryHistory[1]), "/a");
    // Case matters for file names.
    AddDirectoryHistory(L"/A");
    EXPECT_EQ(DirectoryHistory.count(), 3);
    for (int i = 0; i < 150; i++) AddDirectoryHistory(Westring(("/d" + std::to_string(i)).c_str()));
    EXPECT_EQ(DirectoryHistory.count(), kMaxDirectoryHistory);
    EXPECT_EQ(narrow(*DirectoryHistory[0]), "/d50");
    EXPECT_EQ(narrow(*DirectoryHistory[99]), "/d149");
    DirectoryHistory.DestroyAll();
}

}  // namespace
