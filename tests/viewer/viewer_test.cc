// The viewer on a headless console: the text and hex pages as the user
// sees them, moving, searching, going to an offset or line, following a
// growing file, code pages, and the jump into the editor.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "config/config.h"
#include "editor/filestatus.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"
#include "viewer/fileviewer.h"

namespace {

class ViewerTest : public ::testing::Test {
protected:
    ViewerTest() {
        config.ViewerWrap = true;
        config.TabWidth = 8;
        config.TranslateCP = "";
        view_code_page = 0;
        view_code_page_pos = 0;
        viewer_search = ViewerSearch();
    }
    ~ViewerTest() override {
        if (!file_.empty()) FileStatusStore::Global().Remove(Westring(file_.c_str()).c_str());
    }

    // Views file over the queued keys; the screens are recorded.
    ViewerExit View(const std::string& file, int64_t offset = -1) {
        file_ = file;
        ui.RecordScreens(true);
        ViewerExit exit = ViewerExit::kClosed;
        ui.RunVoid([&] { exit = view(Westring(file.c_str()).c_str(), offset); });
        return exit;
    }
    const CUiTest::Screen& Last() const { return ui.Screens().back(); }
    std::string Dump() const { return ui.Screens().empty() ? "" : Last().Dump(); }

    CTempDir dir;
    CUiTest ui{80, 25};
    std::string file_;
};

std::string NumberedLines(int n) {
    std::string text;
    for (int i = 1; i <= n; i++) text += "line " + std::to_string(i) + "\n";
    return text;
}

TEST_F(ViewerTest, TextPageHeadingAndKeyBar) {
    const std::string file = dir.Write("a.txt", "first\n\tsecond\nlast without end");
    ui.Keys("Esc");
    EXPECT_EQ(View(file), ViewerExit::kClosed);
    const CUiTest::Screen& screen = Last();
    EXPECT_EQ(screen.Row(0).substr(0, 6), "View: ") << Dump();
    EXPECT_NE(screen.Row(0).find("UTF-8"), std::string::npos) << Dump();
    EXPECT_NE(screen.Row(0).find("100.00%"), std::string::npos) << Dump();
    EXPECT_EQ(screen.Line(1), "first");
    EXPECT_EQ(screen.Line(2), "        second");
    EXPECT_EQ(screen.Line(3), "last without end");
    EXPECT_TRUE(screen.Find("2Unwrap")) << Dump();
    EXPECT_TRUE(screen.Find("4Hex")) << Dump();
}

TEST_F(ViewerTest, HexPageLaysOutOffsetsBytesAndCharacters) {
    std::string bytes = "ABCDEFGHIJKLMNOP";
    bytes += std::string("\0xyz", 4);
    const std::string file = dir.Write("a.bin", bytes);
    ui.Keys("F4 Esc");
    View(file);
    const CUiTest::Screen& screen = Last();
    EXPECT_EQ(screen.Line(1),
              "00000000 41 42 43 44 \xe2\x94\x82 45 46 47 48 \xe2\x94\x82 49 4A 4B 4C \xe2\x94\x82 4D 4E 4F 50  "
              "ABCDEFGHIJKLMNOP")
        << Dump();
    EXPECT_EQ(screen.Line(2).substr(0, 21), "00000010 00 78 79 7A ") << Dump();
    EXPECT_NE(screen.Line(2).find(".xyz"), std::string::npos) << Dump();
    EXPECT_TRUE(screen.Find("4ASCII")) << Dump();
}

TEST_F(ViewerTest, LongLinesWrapOrEndInAMarkWhenUnwrapped) {
    const std::string file = dir.Write("a.txt", std::string(100, 'x') + "END\nnext\n");
    ui.Keys("F2 Esc");
    View(file);
    // Wrapped first: the line takes two rows.
    const CUiTest::Screen& wrapped = ui.Screens().front();
    EXPECT_EQ(wrapped.Line(2), std::string(20, 'x') + "END") << wrapped.Dump();
    EXPECT_EQ(wrapped.Line(3), "next");
    const CUiTest::Screen& unwrapped = Last();
    EXPECT_EQ(unwrapped.Text(79, 1, 1), "\xc2\xbb") << Dump();
    EXPECT_EQ(unwrapped.Line(2), "next");
}

TEST_F(ViewerTest, AHugeLineIsShownInPiecesThatStartWhereTheyLie) {
    // 30 MB of "0123456789" without a line end, more pieces than rows: the
    // second piece starts at byte 1048576, whose digit is 6, the third at
    // 2097152 (2).
    std::string text;
    while (text.size() < (size_t{30} << 20)) text += "0123456789";
    const std::string file = dir.Write("huge.txt", text);
    config.ViewerWrap = false;
    ui.Keys("Down Down Up Esc");
    View(file);
    const auto& screens = ui.Screens();
    ASSERT_EQ(screens.size(), 4u);
    EXPECT_EQ(screens[0].Line(1).substr(0, 10), "0123456789") << screens[0].Dump();
    EXPECT_EQ(screens[0].Line(2).substr(0, 10), "6789012345") << screens[0].Dump();
    EXPECT_EQ(screens[1].Line(1).substr(0, 10), "6789012345") << screens[1].Dump();
    EXPECT_EQ(screens[2].Line(1).substr(0, 10), "2345678901") << screens[2].Dump();
    EXPECT_EQ(screens[3].Line(1).substr(0, 10), "6789012345") << screens[3].Dump();
}

TEST_F(ViewerTest, EndShowsTheLastPageAndHomeTheFirst) {
    const std::string file = dir.Write("a.txt", NumberedLines(1000));
    ui.Keys("End");
    ui.Keys("Esc");
    View(file);
    EXPECT_EQ(Last().Line(23), "line 1000") << Dump();
    EXPECT_EQ(Last().Line(1), "line 978") << Dump();
    EXPECT_NE(Last().Row(0).find("100.00%"), std::string::npos) << Dump();

    ui.Keys("End Home Down Down PgDn Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "line 26") << Dump();
}

TEST_F(ViewerTest, SearchBothWaysWithCaseAndWholeWords) {
    const std::string file = dir.Write("a.txt", NumberedLines(200) + "Needle here\nneedles\nneedle\n");
    // Plain: the first match at or after the top, any case.
    ui.Keys("F7");
    ui.Type("needle");
    ui.Keys("Enter Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "Needle here") << Dump();

    // Case-sensitive and whole words: only the last line; then back again
    // in the other direction with whole words still on finds the first.
    ui.Keys("F7");
    ui.Type("needle");
    ui.Keys("Tab Space Tab Tab Space Enter");
    ui.Keys("Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "needle") << Dump();

    ui.Keys("F7");
    ui.Type("absent");
    ui.Keys("Enter Enter Esc");
    View(file);
    EXPECT_TRUE(AnyScreenShows(ui, "String not found")) << Dump();
}

TEST_F(ViewerTest, GotoOffsetAndLineAndWhatLiesPastTheEnd) {
    const std::string file = dir.Write("a.txt", "0123456789\nabcdefghij\nlast\n");
    ui.Keys("Alt-o");
    ui.Type("10");
    ui.Keys("Enter Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "abcdefghij") << Dump();

    // Sixteen digits that do not fit a signed number are past the end too.
    ui.Keys("Alt-o");
    ui.Type("FFFFFFFFFFFFFFFF");
    ui.Keys("Enter Enter Esc");
    View(file);
    EXPECT_TRUE(AnyScreenShows(ui, "Only 27 bytes in this file")) << Dump();
    EXPECT_EQ(xtoi("FFFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(xtoi("1f"), 31);

    ui.Keys("Alt-l");
    ui.Type("3");
    ui.Keys("Enter Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "last") << Dump();

    ui.Keys("Alt-l");
    ui.Type("9");
    ui.Keys("Enter Enter Esc");
    View(file);
    EXPECT_TRUE(AnyScreenShows(ui, "Only 3 lines in this file")) << Dump();
}

TEST_F(ViewerTest, FollowShowsWhatIsAppendedAndMovesBackWhenTheFileShrinks) {
    const std::string file = dir.Write("log.txt", NumberedLines(100));
    ui.AllowIdle(true);
    ui.Keys("Alt-f");
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        WriteFile(file, NumberedLines(100) + "appended line\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        WriteFile(file, "rotated\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ui.Keys("Esc Esc");
    });
    View(file);
    writer.join();
    EXPECT_TRUE(AnyScreenShows(ui, "appended line")) << Dump();
    EXPECT_TRUE(AnyScreenShows(ui, "Follow Mode ON - ESC to cancel"));
    EXPECT_EQ(Last().Line(1), "rotated") << Dump();
}

TEST_F(ViewerTest, CodePagesFromTheListChangeHowBytesRead) {
    const std::string file = dir.Write("cp.txt", "\x80\x81\n");
    ui.Keys("Alt-c");
    ui.Type("866,1251");
    ui.Keys("Enter");
    ui.Keys("Alt-t Esc");
    View(file);
    const auto& screens = ui.Screens();
    ASSERT_GE(screens.size(), 2u);
    EXPECT_TRUE(AnyScreenShows(ui, "\xd0\x90\xd0\x91")) << Dump();  // 866: А Б
    EXPECT_EQ(Last().Line(1), "\xd0\x82\xd0\x83") << Dump();         // 1251: Ђ Ѓ

    ui.Keys("Alt-c");
    ui.Type("99999");
    ui.Keys("Enter Enter Esc");
    View(file);
    EXPECT_TRUE(AnyScreenShows(ui, "Invalid code page")) << Dump();
}

TEST_F(ViewerTest, AltF4OpensTheEditorAtTheSamePlace) {
    const std::string file = dir.Write("a.txt", NumberedLines(300));
    ui.Keys("Alt-l");
    ui.Type("150");
    ui.Keys("Enter Alt-F4");
    ui.Type("#");
    ui.Keys("F2 Esc");
    View(file);
    EXPECT_NE(ReadFile(file).find("\n#line 150\n"), std::string::npos);
}

TEST_F(ViewerTest, AFifoIsNamedNotOpened) {
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ui.Keys("Enter");
    EXPECT_EQ(View(fifo), ViewerExit::kClosed);
    EXPECT_TRUE(AnyScreenShows(ui, "pipe is a FIFO (named pipe)")) << Dump();
}

TEST_F(ViewerTest, ARememberedPlacePastTheEndIsClampedIntoTheFile) {
    const std::string file = dir.Write("a.txt", NumberedLines(50));
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    HISTREC record;
    record.name = Westring(file.c_str()).c_str();
    record.size = st.st_size;
    record.mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    record.viewer_pos = int64_t{1} << 40;
    FileStatusStore::Global().Store(record);
    ui.Keys("Esc");
    View(file);
    EXPECT_EQ(Last().Line(1), "line 50") << Dump();
    // And Alt-Up and Alt-Down end the view for the panel to step on.
    ui.Keys("Alt-Down");
    EXPECT_EQ(View(file), ViewerExit::kNext);
}

}  // namespace
