// Text and number fields driven through the event queue: editing keys,
// selection, the clipboard, the view, the mouse and the history list.
#include <climits>
#include <cstdint>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

class FieldTest : public UiFixture {
protected:
    // The field sits at (1, 1) of the dialog: screen column 22, row 9.
    static constexpr int kFieldX = kLeft + 1, kFieldY = kTop + 1;

    struct Outcome { std::string text; int result; };

    // Runs a dialog with one text field holding preset, after queueing keys.
    Outcome Edit(const char* preset, const char* keys, int width = 20, int max_length = -1, int history = 13) {
        Westring text(preset);
        int result = RunDialog(keys, [&](Dialog& d) {
            d.AddStringField(1, 1, 1, text, width, max_length, history);
            d.AddOkCancel(-1, -1, 1);
        });
        return {text.ToUTF8().c_str(), result};
    }
    std::string EditText(const char* preset, const char* keys, int width = 20, int max_length = -1) {
        return Edit(preset, keys, width, max_length).text;
    }
    void SetClipboard(const wchar_t* text) { ui.Headless().View().SetClipText(text); }
    std::string Clipboard() { return ui.Headless().View().ClipText().ToUTF8().c_str(); }
};

struct EditCase { const char* preset; const char* keys; const char* want; int max_length = -1; };

TEST_F(FieldTest, EditingKeys) {
    const EditCase cases[] = {
        {"preset", "x Enter", "x"},              // the first key replaces the preset text
        {"preset", "Right x Enter", "presetx"},  // a move first: typing inserts
        {"abc", "Home Left x Enter", "xabc"},  // not past the start
        {"abc", "End Right x Enter", "abcx"},  // nor past the end
        {"abc", "Home BackSpace Enter", "abc"}, {"abc", "Home Del Enter", "bc"}, {"", "Grey + é 中 Enter", "+é中"},
        {"", "Ctrl-q Ctrl-a Ctrl-q Tab Ctrl-q Esc Enter", "\x01\t\x1b"},  // literally
        {"ab", "Ctrl-q Right x Enter", "abx"},  // an extended key is not quoted
        {"one two three", "Ctrl-Left Ctrl-Left x Enter", "one xtwo three"},
        {"one two three", "Home Ctrl-Right x Enter", "onex two three"},  // to the end of the word
        {"one two three", "Ctrl-Left Ctrl-BackSpace Home Ctrl-Del Enter", "three"},
        // The maximum length refuses more characters.
        {"", "a b c d e Enter", "abc", 3},
        {"abc", "Home Shift-Right x Enter", "xbc", 3},  // replacing a selection fits
        // Selection keys.
        {"hello world", "Ctrl-Shift-Left x Enter", "hello x"},
        {"hello", "Home Shift-Right Right x Enter", "hexllo"},  // a plain move ends the selection
        {"hello", "Shift-Left Shift-Left Shift-Right Del Enter", "hell"},  // the moving end comes back
        {"hello", "Home Shift-End Tab Shift-Tab x Enter", "hellox"},       // leaving the field ends it
    };
    for (const EditCase& c : cases)
        EXPECT_EQ(EditText(c.preset, c.keys, 20, c.max_length), c.want) << c.preset << " / " << c.keys;
    brief_word_right = false;  // word right to the start of the next word
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right x Enter"), "one xtwo three");
}

TEST_F(FieldTest, CopyCutAndPaste) {
    struct Case { const char* preset; const char* keys; const char* want; const char* clipboard; } copies[] = {
        {"hello world", "Shift-Left Shift-Left Ctrl-Ins Enter", "hello world", "ld"},
        {"hello world", "Ctrl-Shift-Left Ctrl-x Enter", "hello ", "world"},
        {"hello world", "Home Shift-Right Shift-Del Enter", "ello world", "h"},
        {"hello", "Ctrl-c Ctrl-x Enter", "hello", "h"},  // nothing selected: nothing happens
    };
    for (const Case& c : copies) {
        EXPECT_EQ(EditText(c.preset, c.keys), c.want) << c.keys;
        EXPECT_EQ(Clipboard(), c.clipboard) << c.keys;
    }

    struct Paste {
        const wchar_t* clipboard;
        const char* preset;
        const char* keys;
        const char* want;
        int max_length = -1;
    } pastes[] = {
        {L"pasted", "preset", "Ctrl-v Enter", "pasted"},  // the first key: replaces everything
        {L"\n\r\nline one\r\n\nline two\n\n", "", "Ctrl-v Enter", "line one  line two"},  // lines joined
        {L"xyz", "abcdef", "Right Ctrl-v Enter", "abcdef", 8},  // would exceed the maximum: nothing
        {L"xyz", "abcde", "Right Ctrl-v Enter", "abcdexyz", 8},
    };
    for (const Paste& p : pastes) {
        SetClipboard(p.clipboard);
        EXPECT_EQ(EditText(p.preset, p.keys, 20, p.max_length), p.want) << p.preset << " / " << p.keys;
    }
    // Without the desktop clipboard the program's own is used.
    clip_use_desktop = false;
    SetClipboard(L"desktop");
    EditText("mine", "Shift-Home Ctrl-c Enter");
    EXPECT_EQ(Clipboard(), "desktop");
    EXPECT_EQ(EditText("x", "Right Ctrl-v Enter"), "xmine");
}

TEST_F(FieldTest, TheViewFollowsTheCursor) {
    Westring text = L"abcdefghijklmnopqrstuvwxyz0123";  // 30 characters in 10 columns
    ui.RecordScreens(true);
    RunDialog("Home Right Right End Left Left Left Left Left Left Left Left Left Left Left Esc",
              [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 10); });
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 16u);
    struct { int screen; const char* view; int cursor; } steps[] = {
        {0, "vwxyz0123 ", 9},   // at the end: as much of the end as fits, the cursor after it
        {1, "abcdefghij", 0},   // Home
        {13, "vwxyz0123 ", 0},  // End, then nine to the left: the first column
        {14, "uvwxyz0123", 0},  // then the view scrolls
    };
    for (const auto& step : steps) {
        EXPECT_EQ(s[step.screen].Text(kFieldX, kFieldY, 10), step.view) << step.screen;
        EXPECT_EQ(s[step.screen].cursor_x, kFieldX + step.cursor) << step.screen;
    }
    EXPECT_EQ(text, Westring(L"abcdefghijklmnopqrstuvwxyz0123"));
}

TEST_F(FieldTest, TheMouseFocusesPlacesTheCursorAndSelects) {
    ui.Click(kFieldX + 2, kFieldY);
    ui.Type("X");
    EXPECT_EQ(EditText("abcdef", "Enter"), "abXcdef");  // the click ended the replace-all state
    ui.ButtonDown(kFieldX + 1, kFieldY);
    ui.Drag(kFieldX + 3, kFieldY);
    ui.ButtonUp(kFieldX + 4, kFieldY);
    ui.Type("Y");
    EXPECT_EQ(EditText("abcdef", "Enter"), "aYef");
    ui.Click(kFieldX + 15, kFieldY);  // past the text: at its end
    ui.Type("Z");
    EXPECT_EQ(EditText("abc", "Enter"), "abcZ");
}

TEST_F(FieldTest, WideCharactersTakeTwoCellsOfTheField) {
    // Right passes a wide character in one step and the cursor two cells.
    Westring text = L"日本語abc";
    ui.RecordScreens(true);
    RunDialog("Home Right Right Right Right Esc", [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 20); });
    const int cursor[] = {9, 0, 2, 4, 6, 7};
    for (int n = 0; n < 6; n++) EXPECT_EQ(ui.Screens()[n].cursor_x, kFieldX + cursor[n]) << n;
    EXPECT_EQ(ui.Screens()[1].Text(kFieldX, kFieldY, 9), "日本語abc");

    // In five cells: Home shows two of them and a blank, not half of the third;
    // moving onto the third scrolls it in whole.
    ui.RecordScreens(true);
    RunDialog("Home Right Right Right Esc", [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 5); });
    struct { int screen; int cell; wchar_t shown; int cursor; } steps[] = {
        {0, 0, L'a', 3},   // at the end: "abc" and the cursor after it
        {1, 0, L'日', 0},  // Home
        {1, 2, L'本', 0},
        {1, 4, L' ', 0},   // the field's last cell
        {3, 0, L'本', 2},  // on 語: the view starts at 本
        {3, 2, L'語', 2},
        {4, 4, L'a', 4},   // on a: no further scroll
    };
    for (const auto& step : steps) {
        const CUiTest::Screen& s = ui.Screens()[step.screen];
        EXPECT_EQ(s.Char(kFieldX + step.cell, kFieldY), step.shown) << step.screen << "\n" << s.Dump();
        EXPECT_EQ(s.cursor_x, kFieldX + step.cursor) << step.screen;
    }

    // A click on either half of a wide character puts the cursor before it.
    ui.Click(kFieldX + 3, kFieldY);
    ui.Type("X");
    EXPECT_EQ(EditText("日本語abc", "Enter"), "日X本語abc");
}

class HistoryTest : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        for (const wchar_t* entry : {L"alpha", L"beta", L"gamma"}) AddFieldHist(entry, 2, true);
    }
};

TEST_F(HistoryTest, AltDownChoosesFromTheFieldsHistory) {
    const EditCase cases[] = {
        {"", "Alt-Down Enter Enter", "gamma"},  // the most recent entry first
        {"keep", "Alt-Down Esc Enter", "keep"},
        {"", "Alt-Down Up Enter x Enter", "betax"},  // the cursor is at the end, typing inserts
    };
    for (const EditCase& c : cases) {
        SetUp();  // each run saves its text into the history: start afresh
        Outcome o = Edit(c.preset, c.keys, 20, -1, 2);
        EXPECT_EQ(std::make_pair(o.text, o.result), std::make_pair(std::string(c.want), 13)) << c.keys;
    }
    Dialog::FieldHistory[2].DestroyAll();  // a field without entries opens no list
    Outcome o = Edit("x", "Alt-Down Enter", 20, -1, 2);
    EXPECT_EQ(std::make_pair(o.text, o.result), std::make_pair(std::string("x"), 13));
}

TEST_F(HistoryTest, ANearBottomFieldOpensItsListAboveAndLongEntriesStayOnScreen) {
    AddFieldHist(Westring(std::string(200, 'w').c_str()), 2, true);
    Westring text;
    ui.RecordScreens(true);
    ui.Keys("Alt-Down Esc Esc");
    ui.Run([&] {
        Dialog d(0, 20, 79, 24, kMessages);
        d.AddStringField(60, 2, 1, text, 10, -1, 2);  // on screen column 61, row 23
        return d.Process();
    });
    ASSERT_GE(ui.Screens().size(), 2u);
    const CUiTest::Screen& list = ui.Screens()[1];
    // No room below: the list's frame ends on the row above the field; cut at the screen's right edge.
    EXPECT_EQ(list.Text(60, 15, 1) + list.Text(79, 15, 1) + list.Text(60, 22, 1), "╔╗╚");
    EXPECT_EQ(list.Text(61, 19, 18), std::string(18, 'w'));
}

TEST_F(FieldTest, HugeAndInvalidTextsAreEditedWithoutHarm) {
    Westring text(std::string(1 << 20, 'q').c_str());  // far past the default maximum of 32767
    RunDialog("End x BackSpace Home Del Shift-End Ctrl-c Enter", [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 20); });
    EXPECT_EQ(text.strlen(), (1 << 20) - 2);  // x refused; BackSpace and Del each took one
    EXPECT_EQ(ui.Headless().View().ClipText().strlen(), (1 << 20) - 2);

    Westring bad("ok\xff\xfe");
    bool flag = false;
    EXPECT_EQ(RunDialog("End x Enter", [&](Dialog& d) {
        d.AddStaticText(1, 0, "bad \xc3\x28 bytes");
        d.AddStringField(1, 1, 1, bad, 20);
        d.AddCheckBox(1, 2, 1, flag, "_\xe2\x82");
        d.AddCheckBox(1, 3, 1, flag, "trailing_");
        EXPECT_TRUE(ui.Find("bad "));
        EXPECT_TRUE(ui.Find("trailing_"));  // an underscore with nothing after it stays
    }), 13);
    EXPECT_TRUE(bad.left(2) == Westring(L"ok") && bad[bad.strlen() - 1] == L'x') << bad.ToUTF8().c_str();
}

class IntFieldTest : public FieldTest {
protected:
    int EditInt(int value, const char* keys, int width = 10) {
        RunDialog(keys, [&](Dialog& d) {
            d.AddIntField(1, 1, 1, value, width);
            d.AddOkCancel(-1, -1, 1);
        });
        return value;
    }
};

TEST_F(IntFieldTest, OnlyDigitsAreTakenUpToTheWidth) {
    struct { int value; const char* keys; int want; int width = 10; } cases[] = {
        {42, "7 Enter", 7},
        {42, "a - 5 Enter", 425},  // a and - are refused (a still ends the replace-all state)
        {-5, "Right 1 Enter", -51},
        {42, "9 9 Esc", 99},  // the variable follows every key, even when cancelled
        {0, "1 2 3 4 5 Enter", 123, 3},
        {0, "9 9 9 9 9 9 9 9 9 9 9 9 Enter", INT_MAX, 18},  // clamped into an int
    };
    for (auto c : cases) EXPECT_EQ(EditInt(c.value, c.keys, c.width), c.want) << c.keys;
    int64_t big = 0;
    RunDialog("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 9 Enter",
              [&](Dialog& d) { d.AddIntField(1, 1, 1, big, 30); });  // at most 18 digits
    EXPECT_EQ(big, INT64_C(123456789012345678));
}

TEST(IntegerFieldNumber, LeadingNumber) {
    struct { const wchar_t* text; int64_t want; } cases[] = {{L"", 0}, {L"12ab3", 12}, {L"-7", -7}, {L"x12", 0},
                 {L"99999999999999999999999", INT64_MAX}};
    for (auto c : cases) EXPECT_EQ(IntegerField::LeadingNumber(c.text), c.want);
}

}  // namespace
