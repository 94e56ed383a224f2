// Text and number fields driven through the event queue: editing keys,
// selection, the clipboard, the view, the mouse and the history list.
#include <climits>
#include <cstdint>
#include <tuple>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

class FieldTest : public UiFixture {
protected:
    // The field sits at (1, 1) of the dialog: screen column 22, row 9.
    static constexpr int kFieldX = kLeft + 1, kFieldY = kTop + 1;

    struct Outcome {
        std::string text;
        int result;
    };

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

struct EditCase {
    const char* preset;
    const char* keys;
    const char* want;
    int max_length = -1;
};

TEST_F(FieldTest, EditingKeys) {
    const EditCase cases[] = {
        {"preset", "x Enter", "x"},              // the first key replaces the preset text
        {"preset", "Right x Enter", "presetx"},  // a move first: typing inserts
        {"preset", "Home x y Enter", "xypreset"}, {"preset", "Left Left x Enter", "presxet"},
        {"abc", "Home Left x Enter", "xabc"},  // not past the start
        {"abc", "End Right x Enter", "abcx"},  // nor past the end
        {"abc", "BackSpace Enter", "ab"}, {"abc", "Home BackSpace Enter", "abc"}, {"abc", "Del Enter", "abc"},
        {"abc", "Home Del Enter", "bc"}, {"", "a Space b Enter", "a b"}, {"", "Grey + Grey - Grey * Enter", "+-*"},
        {"", "é ß 中 Enter", "éß中"},
        {"", "Ctrl-q Ctrl-a Ctrl-q Tab Ctrl-q Esc Enter", "\x01\t\x1b"},  // literally
        {"ab", "Ctrl-q Right x Enter", "abx"},  // an extended key is not quoted
        {"one two three", "Ctrl-Left x Enter", "one two xthree"},
        {"one two three", "Ctrl-Left Ctrl-Left x Enter", "one xtwo three"},
        {"one two three", "Home Ctrl-Right x Enter", "onex two three"},  // to the end of the word
        {"one two three", "Home Ctrl-Right Ctrl-Right x Enter", "one twox three"},
        {"one two three", "Ctrl-BackSpace Enter", "one two "},
        {"one two three", "Ctrl-Left Ctrl-BackSpace Enter", "one three"},
        {"one two three", "Home Ctrl-Del Enter", "two three"},
        {"one two three", "Home Right Right Right Ctrl-Del Enter", "onethree"},
        {"one, two", "Ctrl-BackSpace Ctrl-BackSpace Enter", ""},
        // The maximum length refuses more characters.
        {"", "a b c d e Enter", "abc", 3},
        {"abc", "x Enter", "x", 3},  // replacing the whole text fits
        {"abc", "Right x Enter", "abc", 3},
        {"abc", "Home Shift-Right x Enter", "xbc", 3},  // replacing a selection fits
        {"", "a b Enter", "", 0},
        // Selection keys.
        {"hello world", "Home Shift-Right Shift-Right x Enter", "xllo world"},
        {"hello world", "Shift-Home BackSpace Enter", ""}, {"hello world", "Home Shift-End Del Enter", ""},
        {"hello world", "Ctrl-Shift-Left x Enter", "hello x"},
        {"hello world", "Home Ctrl-Shift-Right Del Enter", " world"},
        {"hello", "Home Shift-Right Right x Enter", "hexllo"},  // a plain move ends the selection
        {"hello", "Home Shift-Right Shift-Right Shift-Left x Enter", "xello"},
        {"hello", "Shift-Left Shift-Left Shift-Right Del Enter", "hell"},  // the moving end comes back
        {"hello", "Home Shift-End Ctrl-c x Enter", "x"},                   // Ctrl-C keeps the selection
        {"hello", "Home Shift-End Tab Shift-Tab x Enter", "hellox"},       // leaving the field ends it
    };
    for (const EditCase& c : cases)
        EXPECT_EQ(EditText(c.preset, c.keys, 20, c.max_length), c.want) << c.preset << " / " << c.keys;
    brief_word_right = false;  // word right to the start of the next word
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right x Enter"), "one xtwo three");
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right Ctrl-Right Ctrl-Right x Enter"), "one two threex");
}

TEST_F(FieldTest, SelectedCharactersAreDrawnInverted) {
    colours[CLR_INPUT_FIELDS] = 0x30;
    Westring text = L"abcdef";
    ui.RecordScreens(true);
    RunDialog("Home Right Shift-Right Shift-Right Esc", [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 10); });
    const CUiTest::Screen& screen = ui.Screens().back();
    EXPECT_EQ(screen.Text(kFieldX, kFieldY, 10), "abcdef    ");
    // The padding too in the field colour.
    EXPECT_EQ(AttrsAt(screen, kFieldY, {kFieldX, kFieldX + 1, kFieldX + 2, kFieldX + 3, kFieldX + 9}),
              (std::vector<int>{0x30, 0x03, 0x03, 0x30, 0x30}));
    EXPECT_EQ(std::make_tuple(screen.cursor_x, screen.cursor_y, screen.cursor_shown),
              std::make_tuple(kFieldX + 3, kFieldY, true));
}

TEST_F(FieldTest, CopyCutAndPaste) {
    struct Case {
        const char* preset;
        const char* keys;
        const char* want;
        const char* clipboard;
    } copies[] = {
        {"hello world", "Home Shift-End Ctrl-c Enter", "hello world", "hello world"},
        {"hello world", "Shift-Left Shift-Left Ctrl-Ins Enter", "hello world", "ld"},
        {"hello world", "Ctrl-Shift-Left Ctrl-x Enter", "hello ", "world"},
        {"hello world", "Home Shift-Right Shift-Del Enter", "ello world", "h"},
        {"hello", "Ctrl-c Ctrl-x Enter", "hello", "h"},  // nothing selected: nothing happens
    };
    for (const Case& c : copies) {
        EXPECT_EQ(EditText(c.preset, c.keys), c.want) << c.keys;
        EXPECT_EQ(Clipboard(), c.clipboard) << c.keys;
    }
    ASSERT_EQ(clip.count(), 1);
    EXPECT_EQ(*clip[0], Westring(L"h"));

    struct Paste {
        const wchar_t* clipboard;
        const char* preset;
        const char* keys;
        const char* want;
        int max_length = -1;
    } pastes[] = {
        {L"pasted", "preset", "Ctrl-v Enter", "pasted"},  // the first key: replaces everything
        {L"pasted", "preset", "Right Ctrl-v Enter", "presetpasted"},
        {L"pasted", "preset", "Home Shift-Ins Enter", "pastedpreset"},
        {L"pasted", "preset", "Home Shift-Right Shift-Right Ctrl-v Enter", "pastedeset"},
        {L"\n\r\nline one\r\n\nline two\n\n", "", "Ctrl-v Enter", "line one  line two"},  // lines joined
        {L"", "abc", "Right Ctrl-v Enter", "abc"},
        {L"xyz", "abcdef", "Right Ctrl-v Enter", "abcdef", 8},  // would exceed the maximum: nothing
        {L"xyz", "abcde", "Right Ctrl-v Enter", "abcdexyz", 8},
        {L"xyz", "abcdefgh", "Home Shift-Right Shift-Right Shift-Right Ctrl-v Enter", "xyzdefgh", 8},
    };
    for (const Paste& p : pastes) {
        SetClipboard(p.clipboard);
        EXPECT_EQ(EditText(p.preset, p.keys, 20, p.max_length), p.want) << p.preset << " / " << p.keys;
    }
    // Without the desktop clipboard the program's own is used.
    clip_use_desktop = false;
    SetClipboard(L"desktop");
    EXPECT_EQ(EditText("mine", "Shift-Home Ctrl-c Enter"), "mine");
    EXPECT_EQ(Clipboard(), "desktop");
    EXPECT_EQ(EditText("x", "Right Ctrl-v Enter"), "xmine");
}

TEST_F(FieldTest, KeysTheFieldDoesNotHandleGoToTheDialog) {
    Outcome o = Edit("abc", "F5 Alt-Down Esc");  // no history: Alt-Down is not the field's
    EXPECT_EQ(std::make_pair(o.result, o.text), std::make_pair(27, std::string("abc")));
    EXPECT_EQ(Edit("abc", "Tab Enter").result, 13);
    EXPECT_EQ(Edit("abc", "Tab Right Enter").result, 27);
}

TEST_F(FieldTest, TheViewFollowsTheCursor) {
    Westring text = L"abcdefghijklmnopqrstuvwxyz0123";  // 30 characters in 10 columns
    ui.RecordScreens(true);
    RunDialog("Home Right Right End Left Left Left Left Left Left Left Left Left Left Left Esc",
              [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 10); });
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 16u);
    struct {
        int screen;
        const char* view;
        int cursor;
    } steps[] = {
        {0, "vwxyz0123 ", 9},   // at the end: as much of the end as fits, the cursor after it
        {1, "abcdefghij", 0},   // Home
        {3, "abcdefghij", 2},   {4, "vwxyz0123 ", 9},  // End
        {5, "vwxyz0123 ", 8},   // one to the left: the view stays
        {13, "vwxyz0123 ", 0},  // nine to the left: the first column
        {14, "uvwxyz0123", 0},  // then the view scrolls
        {15, "tuvwxyz012", 0},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(s[step.screen].Text(kFieldX, kFieldY, 10), step.view) << step.screen;
        EXPECT_EQ(s[step.screen].cursor_x, kFieldX + step.cursor) << step.screen;
    }
    EXPECT_EQ(text, Westring(L"abcdefghijklmnopqrstuvwxyz0123"));
}

TEST_F(FieldTest, TheCursorShowsOnlyWhileTheFieldHasTheFocus) {
    Westring text = L"abc";
    ui.RecordScreens(true);
    RunDialog("Tab Esc", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, text, 10);
        d.AddOkCancel(-1, -1, 1);
    });
    ASSERT_EQ(ui.Screens().size(), 2u);
    EXPECT_EQ(std::make_pair(ui.Screens()[0].cursor_shown, ui.Screens()[0].cursor_x), std::make_pair(true, kFieldX + 3));
    EXPECT_FALSE(ui.Screens()[1].cursor_shown);
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

    Westring a = L"first", b = L"second";
    ui.Click(kFieldX + 1, kFieldY + 1);  // on the second field
    ui.Type("!");
    RunDialog("Enter", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, a, 10);
        d.AddStringField(1, 2, 1, b, 10);
    });
    EXPECT_EQ(std::string(a.ToUTF8().c_str()) + " " + b.ToUTF8().c_str(), "first s!econd");
}

class HistoryTest : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        AddFieldHist(L"alpha", 2, true);
        AddFieldHist(L"beta", 2, true);
        AddFieldHist(L"gamma", 2, true);
    }
};

TEST_F(HistoryTest, AltDownChoosesFromTheFieldsHistory) {
    const EditCase cases[] = {
        {"", "Alt-Down Enter Enter", "gamma"},  // the most recent entry first
        {"", "Alt-Down Up Enter Enter", "beta"}, {"", "Alt-Down Home Enter Enter", "alpha"},
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

TEST_F(HistoryTest, TheListOpensJustBelowTheFieldAndTheArrowOpensItToo) {
    Westring text;
    ui.RecordScreens(true);
    ui.Click(kFieldX + 20, kFieldY);  // the arrow column
    RunDialog("Enter Enter", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, text, 20, -1, 2);
        EXPECT_EQ(ui.Text(kFieldX + 20, kFieldY, 1), "↓");
    });
    EXPECT_EQ(text, Westring(L"gamma"));
    ASSERT_GE(ui.Screens().size(), 2u);
    const CUiTest::Screen& list = ui.Screens()[1];
    // A frame from one column left of the field, from the row below it; the
    // list shows the entries oldest first, the cursor on the newest.
    EXPECT_EQ(list.Text(kFieldX - 1, kFieldY + 1, 22), "╔════════════════════╗");
    EXPECT_EQ(TextsAt(list, kFieldX, kFieldY + 2, 20, 3),
              (std::vector<std::string>{"alpha               ", "beta                ", "gamma               "}));
    EXPECT_EQ(std::make_pair(list.Attr(kFieldX, kFieldY + 2), list.Attr(kFieldX, kFieldY + 4)),
              std::make_pair(colours[CLR_MENU], colours[CLR_MENU_HIGHLIGHT]));
    EXPECT_EQ(list.Text(kFieldX - 1, kFieldY + 8, 22), "╚════════════════════╝");
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
        EXPECT_TRUE(ui.Contains("bad "));
        EXPECT_TRUE(ui.Contains("trailing_"));  // an underscore with nothing after it stays
    }), 13);
    EXPECT_TRUE(bad.left(2) == Westring(L"ok") && bad[bad.strlen() - 1] == L'x') << bad.ToUTF8().c_str();
}

// ---- number fields

class IntFieldTest : public FieldTest {
protected:
    int EditInt(int value, const char* keys, int width = 10, bool keep_text = false) {
        RunDialog(keys, [&](Dialog& d) {
            d.AddIntField(1, 1, 1, value, width, keep_text);
            d.AddOkCancel(-1, -1, 1);
        });
        return value;
    }
};

TEST_F(IntFieldTest, OnlyDigitsAreTakenUpToTheWidth) {
    struct {
        int value;
        const char* keys;
        int want;
        int width = 10;
    } cases[] = {
        {42, "7 Enter", 7},
        {42, "a - 5 Enter", 425},  // a and - are refused (a still ends the replace-all state)
        {42, "BackSpace BackSpace Enter", 0}, {42, "Home 1 Enter", 142}, {0, "Grey - 3 Enter", 3}, {-5, "Enter", -5},
        {-5, "Right 1 Enter", -51}, {7, "é 8 Enter", 78},
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

TEST_F(IntFieldTest, TheTextIsRewrittenFromTheNumberUnlessKept) {
    struct {
        const char* keys;
        bool keep;
        int value;
        const char* shown;
    } cases[] = {
        {"Home 0 0 Esc", false, 5, "5   "}, {"Home 0 0 Esc", true, 5, "005 "}, {"BackSpace Esc", false, 0, "0   "},
        {"BackSpace Esc", true, 0, "    "},  // empty reads as 0
    };
    for (auto c : cases) {
        ui.RecordScreens(true);
        EXPECT_EQ(EditInt(5, c.keys, 10, c.keep), c.value) << c.keys;
        EXPECT_EQ(ui.Screens().back().Text(kFieldX, kFieldY, 4), c.shown) << c.keys << " " << c.keep;
    }
}

TEST(IntegerFieldNumber, LeadingNumber) {
    struct {
        const wchar_t* text;
        int64_t want;
    } cases[] = {{L"", 0}, {L"12", 12}, {L"12ab3", 12}, {L"-7", -7}, {L"+7", 7}, {L"x12", 0}, {L"007", 7},
                 {L"99999999999999999999999", INT64_MAX}};
    for (auto c : cases) EXPECT_EQ(IntegerField::LeadingNumber(c.text), c.want);
}

}  // namespace
