#include <gtest/gtest.h>

#include "console/msgbox.h"
#include "tests/console/ui_fixture.h"

namespace {

class MessageBoxTest : public UiFixture {
protected:
    int Show(const wchar_t* message, const wchar_t* title, int flags) {
        ui.RecordScreens(true);
        return ui.Run([&] { return error(Westring(message), Westring(title), flags); });
    }
    const CUiTest::Screen& Shown() { return ui.Screens().front(); }
};

}  // namespace

TEST_F(MessageBoxTest, KeysOfEachStyle) {
    struct { const char* keys; int flags, result; } cases[] = {
        {"Enter", MB_OKCANCEL, 'y'}, {"Esc", MB_OKCANCEL, 27}, {"r", MB_RETRY, 'r'},
        {"a", MB_SKIPALL, 'a'}, {"D", MB_SKIPALLOLDER, 'd'}, {"o", MB_SKIPALL, 'y'},
        {"Right Right Right Right Right Enter", MB_SKIPALLOLDER, 'd'},
    };
    for (auto c : cases) {
        ui.Keys(c.keys);
        EXPECT_EQ(Show(L"Overwrite?", L"/tmp/x", c.flags), c.result) << c.keys;
    }
    ui.RawKey(KEY_QUIT);  // closing the window cancels
    EXPECT_EQ(Show(L"Quit?", L"", MB_OKCANCEL), 27);
}

TEST_F(MessageBoxTest, LayoutIsCentredWithTitleAndButtons) {
    ui.Keys("Enter");
    Show(L"Disk full", L"/home/u/file", MB_OK);
    const CUiTest::Screen& s = Shown();
    int x = 0, y = 0;
    ASSERT_TRUE(s.Find("Disk full", &x, &y)) << s.Dump();
    EXPECT_TRUE(s.Row(y + 1).find("/home/u/file") != std::string::npos) << s.Dump();
    EXPECT_TRUE(s.Row(y + 2).find("OK") != std::string::npos) << s.Dump();
    // Errors colour unless the message bit asks for the Messages colour.
    EXPECT_EQ(s.Attr(x, y), colours[CLR_ERRORS]);
    ui.Keys("Enter");
    Show(L"Saved", L"", MB_OK | MB_MESSAGE);
    ASSERT_TRUE(Shown().Find("Saved", &x, &y));
    EXPECT_EQ(Shown().Attr(x, y), colours[CLR_MESSAGES]);
}

TEST_F(MessageBoxTest, LongMessagesWrapAndLongTitlesCollapse) {
    std::wstring words;
    for (int i = 0; i < 40; i++) words += L"word" + std::to_wstring(i) + L" ";
    std::wstring title = L"/very";
    for (int i = 0; i < 20; i++) title += L"/directory" + std::to_wstring(i);
    ui.Keys("Enter");
    Show(words.c_str(), title.c_str(), MB_OK);
    const CUiTest::Screen& s = Shown();
    int x = 0, y = 0;
    ASSERT_TRUE(s.Find("word0 ", &x, &y)) << s.Dump();
    EXPECT_TRUE(s.Find("word39")) << s.Dump();
    EXPECT_TRUE(s.Find("/very/...")) << s.Dump();
    // Nothing is written past the screen width less the box's margins.
    for (int row = 0; row < s.rows; row++) EXPECT_EQ(s.Char(0, row), L' ') << s.Dump();
}

TEST_F(MessageBoxTest, AWideLineWidensTheBoxByItsCells) {
    // Eleven characters in 22 cells: the frame closes two cells after them.
    ui.Keys("Enter");
    Show(L"日本語のメッセージです", L"", MB_OK);
    int x = 0, y = 0;
    ASSERT_TRUE(Shown().Find("日本語のメッセージです", &x, &y)) << Shown().Dump();
    EXPECT_EQ(Shown().Char(x - 2, y), 0x2551) << Shown().Dump();
    EXPECT_EQ(Shown().Char(x + 23, y), 0x2551) << Shown().Dump();
}
