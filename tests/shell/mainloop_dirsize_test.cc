// Ctrl-Q in the running program: the sizes of the counted directories in
// their rows and in the status line's tagged total, checked against find;
// with SizeCountPause on the figures wait for OK.
#include <unistd.h>

#include <string>

#include "panels/dirtree.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"

namespace {

// The bytes below dir as find sees them: every file, and every link as its
// own length; directories add nothing of their own.
uint64_t find_total(const std::string& dir) {
    return std::stoull(ShellOutput("find '" + dir + "' ! -type d -printf '%s\\n' | awk '{s+=$1} END {printf \"%d\", s}'"));
}

std::string with_commas(uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

class MainLoopDirSizeTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        TreeSet.Clear();
        left_.MakeDir("one");
        left_.MakeDir("one/inner");
        left_.MakeDir("two");
        left_.Write("one/a", std::string(3000, 'a'));
        left_.Write("one/inner/b", std::string(120, 'b'));
        left_.Write("two/c", std::string(150, 'c'));
        left_.Write("file", std::string(77, 'f'));
        right_.Write("big", std::string(1 << 20, 'B'));
        EXPECT_EQ(symlink((right_ / "big").c_str(), (left_ / "one/to-big").c_str()), 0);
        EXPECT_EQ(symlink(left_.path().c_str(), (left_ / "two/up").c_str()), 0);
    }
    void TearDown() override {
        for (int side = 0; side < 2; side++) panel_base[side].tree.Detach();
        TreeSet.Clear();
        MainLoopTest::TearDown();
    }
    static const entry* Entry(const std::string& name) {
        for (int i = 0; i < panel_base[0].num_files; i++)
            if (std::string(Westring(panel_base[0].files[i]->name).ToUTF8().c_str()) == name)
                return panel_base[0].files[i];
        ADD_FAILURE() << name << " is not listed";
        return nullptr;
    }
    // The first recorded screen that shows text, or null.
    const CUiTest::Screen* ScreenShowing(const std::string& text) const {
        for (const CUiTest::Screen& screen : Screens())
            if (screen.Find(text)) return &screen;
        return nullptr;
    }
};

TEST_F(MainLoopDirSizeTest, TwoTaggedDirectoriesShowTheirSizesAndTheTaggedTotal) {
    // Directories come first: one, two, then the file.
    RunKeys("Down Insert Insert Insert Ctrl-Q");
    const entry* one = Entry("one");
    const entry* two = Entry("two");
    const entry* file = Entry("file");
    ASSERT_TRUE(one && two && file);
    ASSERT_TRUE(one->tagged && two->tagged && file->tagged);

    const uint64_t one_total = find_total(left_ / "one");
    const uint64_t two_total = find_total(left_ / "two");
    // The link to the large file counts as a link; the one to a directory is not followed.
    EXPECT_LT(one_total, 1u << 20);
    EXPECT_LT(two_total, 1000u);
    EXPECT_EQ(one->size, one_total);
    EXPECT_TRUE(one->size_known);
    EXPECT_EQ(two->size, two_total);
    EXPECT_TRUE(two->size_known);
    const uint64_t tagged = one_total + two_total + 77;
    EXPECT_EQ(panel_base[0].tagged_size, tagged);

    const CUiTest::Screen* after = ScreenShowing(with_commas(tagged) + " bytes in 3 selected files");
    ASSERT_NE(after, nullptr) << "no screen shows the tagged total " << tagged;
    const int one_row = RowOf(*after, "one", 0);
    const int two_row = RowOf(*after, "two", 0);
    ASSERT_GE(one_row, 0);
    ASSERT_GE(two_row, 0);
    const std::string one_line = after->Text(0, one_row, after->columns / 2);
    const std::string two_line = after->Text(0, two_row, after->columns / 2);
    EXPECT_EQ(one_line.find("SUBDIR"), std::string::npos) << one_line;
    EXPECT_TRUE(one_line.find(std::to_string(one_total)) != std::string::npos ||
                one_line.find(with_commas(one_total)) != std::string::npos)
        << one_line;
    EXPECT_NE(two_line.find(std::to_string(two_total)), std::string::npos) << two_line;
}

TEST_F(MainLoopDirSizeTest, WithSizeCountPauseTheFiguresWaitForOk) {
    Ini("SizeCountPause=on\r\n");
    const std::string total = "Total Size: " + with_commas(find_total(left_ / "one"));
    // Enter closes the figures; without the pause it would open "one". A
    // count this small takes no key off the queue looking for Esc.
    RunKeys("Down Ctrl-Q Enter");
    EXPECT_EQ(Dir(0), left_.path());
    const CUiTest::Screen* paused = ScreenShowing(total);
    ASSERT_NE(paused, nullptr) << total;
    EXPECT_TRUE(paused->Find("Reading Directories"));
    int ok_x = 0, ok_y = 0;
    ASSERT_TRUE(paused->Find("[ OK ]", &ok_x, &ok_y));
    ok_x += 2;  // on the word itself

    // A click on OK closes them too, and the panel keeps its place.
    ui.Keys("Down Ctrl-Q");
    ui.Click(ok_x, ok_y);
    RunKeys("");
    EXPECT_EQ(Dir(0), left_.path());
    EXPECT_EQ(CursorName(0), "one");
    EXPECT_EQ(Entry("one")->size, find_total(left_ / "one"));
}

}  // namespace
