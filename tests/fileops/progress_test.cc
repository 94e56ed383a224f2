// The progress window of the copy and move commands on a screen with both
// panels: nothing draws over it while it is up, and it never draws over a
// prompt.
#include <errno.h>

#include <thread>

#include "console/console.h"
#include "fileops/copycommand.h"
#include "fileops/fserror.h"
#include "lib/timestamp.h"
#include "panels/paneldisplay.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

// The screens taken while the command ran, by the seams below.
CUiTest* watched_ui = nullptr;
std::vector<CUiTest::Screen> taken;
int close_and_take_screen(int fd) {
    taken.push_back(watched_ui->Current());
    return close(fd);
}
int fake_exdev(const char*, const char*) {
    errno = EXDEV;
    return -1;
}
// While a prompt waits for its key, the copy asks for a redraw and gives the
// update thread time to act on it.
copy_status* busy_status = nullptr;
void progress_while_waiting() {
    progressUpdate(busy_status);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// The left panel lists tmp/left, the right one tmp/right, both on the screen.
class ProgressTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        config.panel_rows = 19;
        config.screen_columns = 80;
        config.screen_rows = 25;
        resize_columns();
        install_panel_drawing();
        MakeDir("left");
        MakeDir("right");
        watched_ui = &ui;
        taken.clear();
    }
    void TearDown() override {
        watched_ui = nullptr;
        busy_status = nullptr;
        FileOpsTest::TearDown();
    }
    PANEL& left() { return panel_base[0]; }
    void Show() {
        currpanel = 0;
        SetUpPanel(panel_base[0], Path("left"));
        SetUpPanel(panel_base[1], Path("right"));
        make_panel(&panel_base[0], 0);
        make_panel(&panel_base[1], 1);
    }
    void Command(char flags, const std::string& destination) {
        ui.RunVoid([&] { file_copy_move(panel_base, 0, flags, W(destination).c_str()); });
    }
};

// The progress window is whole: its title, its "to" row and its frame.
bool WindowIntact(const CUiTest::Screen& screen) {
    constexpr wchar_t kSide = 0x2551;
    int x = 0, y = 0, to_x = 0, to_y = 0;
    if (!screen.Find("Copying", &x, &y) || !screen.Find(" to ", &to_x, &to_y) || to_y != y + 2) return false;
    int left = x, right = x;
    while (left > 0 && screen.Char(left, y) != kSide) left--;
    while (right < screen.columns - 1 && screen.Char(right, y) != kSide) right++;
    for (int row = y; row < y + 7; row++)
        if (screen.Char(left, row) != kSide || screen.Char(right, row) != kSide) return false;
    return screen.Char(left, y - 1) == 0x2554 && screen.Char(right, y - 1) == 0x2557 &&
           screen.Char(left, y + 7) == 0x255A && screen.Char(right, y + 7) == 0x255D;
}

TEST_F(ProgressTest, FinishedFilesAreNotDrawnOverTheWindow) {
    for (int i = 0; i < 24; i++) Write(NumberedName(i < 10 ? "left/f0" : "left/f", i), Big(1000));
    Show();
    for (int i = 0; i < 24; i++) Tag(left(), NumberedName(i < 10 ? "f0" : "f", i));
    paint_panel(&left());
    print_status(&left());
    ASSERT_TRUE(ui.Find("24,000 bytes in 24 selected files")) << ui.Dump();
    copy_seams.close = &close_and_take_screen;
    Command(0, Path("right") + "/");
    ASSERT_EQ(taken.size(), 24u);
    for (size_t i = 0; i < taken.size(); i++) ASSERT_TRUE(WindowIntact(taken[i])) << i << "\n" << taken[i].Dump();
    EXPECT_EQ(left().num_tagged, 0);
    EXPECT_EQ(left().tagged_size, 0u);
    EXPECT_FALSE(ui.Find("selected file")) << ui.Dump();
}

TEST_F(ProgressTest, PromptsAreNotDrawnOver) {
    // A move across devices whose source cannot be removed: the copy is
    // made, then the deletion fails while the progress is being drawn.
    chmod(tmp.path().c_str(), 0777);
    MakeDir("locked");
    std::string src = Write("locked/src", Big(200000));
    chmod(Path("locked").c_str(), 0555);
    copy_seams.rename = &fake_exdev;
    int result = RunAsNobody([&] {
        copy_seams.esc_pending = [] { return false; };
        copy_status status;
        status.total_bytes = 200000;
        status.start_time = TimeStamp::GetRelativeTime();
        busy_status = &status;
        console_hooks.update_clock = &progress_while_waiting;
        Answer("s");
        DescBatch d;
        int moved = ui.Run([&] { return move_file(W(src).c_str(), W(Path("dst")).c_str(), 1, 1, &status, d, true); });
        EndCopyProgress(&status);
        bool shown = FirstShows("Access Denied");
        if (!shown) std::fprintf(stderr, "%s", FirstScreen().c_str());
        return moved == RESULT_SKIPPED && shown ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(src), Big(200000));
}

TEST_F(ProgressTest, RefusedMoveShowsItsPaths) {
    Files({"a/", "a/f=f"});
    Answer("Enter");
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), true), -1);
    const std::string screen = FirstScreen();
    EXPECT_TRUE(FirstShows("Moving")) << screen;
    EXPECT_TRUE(FirstShows("Directory cannot be moved into itself")) << screen;
    EXPECT_TRUE(FirstShows(Path("a") + " ")) << screen;
    EXPECT_FALSE(FirstShows("copied")) << screen;
    Expect({"a/f=f", "!a/inner"});
}

}  // namespace
