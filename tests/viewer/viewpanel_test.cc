// Paging through a panel's files in the viewer: a fake viewer plays the
// user's Alt-Up, Alt-Down and Esc, and the panel is a real directory.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "viewer/viewpanel.h"
#include "tests/panels/panel_test_util.h"

namespace {

class ViewPanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        active_ = this;
        saved_viewer_ = internal_viewer;
        saved_pause_ = viewer_pause;
        internal_viewer = &FakeViewer;
        viewer_pause = &RecordPause;
    }
    void TearDown() override {
        internal_viewer = saved_viewer_;
        viewer_pause = saved_pause_;
        active_ = nullptr;
        PanelTest::TearDown();
    }

    // Lists dir_ in panel_base[0] with the cursor on name.
    PANEL& Panel(const std::string& cursor) {
        PANEL& panel = panel_base[0];
        SetUpPanel(panel, dir_.path());
        read_panel(&panel);
        const int index = IndexOf(panel, cursor);
        EXPECT_GE(index, 0) << cursor;
        panel.cur = index;
        return panel;
    }

    // Views the cursor file; the fake viewer ends each view with the next
    // of answers, the last one repeated.
    ViewerExit View(PANEL& panel, std::vector<ViewerExit> answers) {
        answers_ = std::move(answers);
        ViewerExit result = ViewerExit::kClosed;
        ui_.RunVoid([&] { result = view_panel_files(panel); });
        return result;
    }

    static ViewerExit FakeViewer(const wchar_t* file, int64_t offset) {
        ViewPanelTest& test = *active_;
        EXPECT_EQ(offset, -1) << "where the user left the file";
        const std::string path = EncodeFileName(file).c_str();
        test.viewed_.push_back(std::filesystem::path(path).filename());
        if (test.during_) test.during_(path);
        const size_t n = test.viewed_.size() - 1;
        return n < test.answers_.size() ? test.answers_[n] : test.answers_.back();
    }
    static void RecordPause(int milliseconds) {
        ViewPanelTest& test = *active_;
        test.pauses_.push_back(milliseconds);
        test.pause_screens_.push_back(test.ui_.Current());
        test.pause_after_.push_back(test.viewed_.size());
    }

    CUiTest ui_{80, 25};
    CTempDir dir_;
    std::vector<std::string> viewed_;
    std::vector<ViewerExit> answers_;
    std::vector<int> pauses_;
    std::vector<CUiTest::Screen> pause_screens_;
    std::vector<size_t> pause_after_;
    std::function<void(const std::string&)> during_;

private:
    static ViewPanelTest* active_;
    ViewerStarter saved_viewer_ = nullptr;
    void (*saved_pause_)(int) = nullptr;
};

ViewPanelTest* ViewPanelTest::active_ = nullptr;

using Names = std::vector<std::string>;
constexpr ViewerExit kNext = ViewerExit::kNext;
constexpr ViewerExit kPrevious = ViewerExit::kPrevious;
constexpr ViewerExit kClosed = ViewerExit::kClosed;

}  // namespace

TEST_F(ViewPanelTest, AltDownPastTheLastFileSaysNoMoreFilesAndViewsItAgain) {
    Touch(dir_ / "a.txt");
    Touch(dir_ / "b.txt");
    PANEL& panel = Panel("a.txt");
    EXPECT_EQ(View(panel, {kNext, kNext, kNext, kClosed}), kClosed);
    EXPECT_EQ(viewed_, (Names{"a.txt", "b.txt", "b.txt", "b.txt"}));
    // Once after each view that pressed Alt-Down on the last file.
    EXPECT_EQ(pauses_, (std::vector<int>{500, 500}));
    EXPECT_EQ(pause_after_, (std::vector<size_t>{2, 3}));
    ASSERT_EQ(pause_screens_.size(), 2u);
    int x = 0, y = 0;
    ASSERT_TRUE(pause_screens_[0].Find("No more files", &x, &y)) << pause_screens_[0].Dump();
    EXPECT_EQ(pause_screens_[0].Char(x - 3, y - 1), L'╔') << "a framed window\n" << pause_screens_[0].Dump();
    EXPECT_FALSE(ui_.Find("No more files")) << "the window goes after the pause\n" << ui_.Dump();
    EXPECT_EQ(Cursor(panel), "b.txt");
}

TEST_F(ViewPanelTest, AltUpSkipsDirectoriesAndTheParentAndEscLeavesTheCursorOnTheLastFile) {
    // The list: "..", sub, a.txt, b.txt, c.txt.
    MakeDir(dir_ / "sub");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) Touch(dir_ / name);
    PANEL& panel = Panel("c.txt");
    ASSERT_EQ(ListNames(panel), (Names{"..", "sub", "a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(View(panel, {kPrevious, kPrevious, kPrevious, kNext, kClosed}), kClosed);
    EXPECT_EQ(viewed_, (Names{"c.txt", "b.txt", "a.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(pauses_.size(), 1u) << "sub and \"..\" are never viewed";
    EXPECT_EQ(Cursor(panel), "b.txt");
}

TEST_F(ViewPanelTest, ADirectoryInTheMiddleOfTheListIsSteppedOver) {
    // Sorted directories first, then the order is changed by hand, as a
    // sort by another key could leave it: a.txt, sub, b.txt.
    MakeDir(dir_ / "sub");
    Touch(dir_ / "a.txt");
    Touch(dir_ / "b.txt");
    PANEL& panel = Panel("a.txt");
    std::swap(panel.files[1], panel.files[2]);
    panel.cur = 1;
    ASSERT_EQ(ListNames(panel), (Names{"..", "a.txt", "sub", "b.txt"}));
    EXPECT_EQ(View(panel, {kNext, kPrevious, kClosed}), kClosed);
    EXPECT_EQ(viewed_, (Names{"a.txt", "b.txt", "a.txt"}));
    EXPECT_TRUE(pauses_.empty());
}

TEST_F(ViewPanelTest, NothingIsViewedFromADirectoryTheParentOrAnEmptyList) {
    MakeDir(dir_ / "sub");
    Touch(dir_ / "a.txt");
    for (const char* cursor : {"..", "sub"}) {
        PANEL& panel = Panel(cursor);
        EXPECT_EQ(View(panel, {kNext}), kClosed);
        EXPECT_EQ(Cursor(panel), cursor);
    }
    EXPECT_TRUE(viewed_.empty());
    panel_base[0].FreeEntries();
    EXPECT_EQ(View(panel_base[0], {kNext}), kClosed);
    EXPECT_TRUE(viewed_.empty());
}

TEST_F(ViewPanelTest, TheEntryShowsTheSizeAndTimeTheFileHasAfterViewing) {
    Touch(dir_ / "a.txt", 3, 1000000000);
    Touch(dir_ / "b.txt", 5, 1000000000);
    PANEL& panel = Panel("a.txt");
    panel.files[IndexOf(panel, "b.txt")]->tagged = 1;
    panel.num_tagged = 1;
    panel.tagged_size = 5;
    // The viewer's Alt-F4 edits each file: it grows and gets a new time.
    during_ = [](const std::string& path) {
        WriteFile(path, ReadFile(path) + "grown by the editor");
        SetFileTime(path, 1700000000);
    };
    EXPECT_EQ(View(panel, {kNext, kClosed}), kClosed);
    for (const char* name : {"a.txt", "b.txt"}) {
        const entry* e = Find(panel, name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->size, std::filesystem::file_size(dir_ / name)) << name;
        EXPECT_EQ(e->time.seconds, 1700000000) << name;
    }
    EXPECT_EQ(panel.tagged_size, std::filesystem::file_size(dir_ / "b.txt")) << "the tagged total follows";
}
