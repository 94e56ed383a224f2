// Text and number fields driven through the event queue: editing keys,
// selection, the clipboard, the view, the mouse and the history list.
#include <climits>
#include <cstdint>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

// The dialogs below are 40 x 10, centred: inner origin (21, 8); the field
// sits at (1, 1), on screen column 22, row 9.
constexpr int kLeft = 21, kTop = 8;
constexpr int kFieldX = kLeft + 1, kFieldY = kTop + 1;

class FieldTest : public UiFixture {
protected:
    struct Outcome {
        std::string text;
        int result;
    };

    // Runs a dialog with one text field holding preset, after queueing keys.
    Outcome Edit(const char* preset, const char* keys, int width = 20, int max_length = -1, int history = 13) {
        Westring text(preset);
        ui.Keys(keys);
        int result = ui.Run([&] {
            Dialog d(-1, -2, 40, 10, kMessages);
            d.AddStringField(1, 1, 1, text, width, max_length, history);
            d.AddOkCancel(-1, -1, 1);
            return d.Process();
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
};

TEST_F(FieldTest, EditingKeys) {
    const EditCase cases[] = {
        {"preset", "x Enter", "x"},                 // the first key replaces the preset text
        {"preset", "Right x Enter", "presetx"},     // a move first: typing inserts
        {"preset", "Home x y Enter", "xypreset"},
        {"preset", "Left Left x Enter", "presxet"},
        {"abc", "Home Left x Enter", "xabc"},       // not past the start
        {"abc", "End Right x Enter", "abcx"},       // nor past the end
        {"abc", "BackSpace Enter", "ab"},
        {"abc", "Home BackSpace Enter", "abc"},
        {"abc", "Del Enter", "abc"},
        {"abc", "Home Del Enter", "bc"},
        {"", "a Space b Enter", "a b"},
        {"", "Grey + Grey - Grey * Enter", "+-*"},
        {"", "é ß 中 Enter", "éß中"},
        {"", "Ctrl-q Ctrl-a Ctrl-q Tab Ctrl-q Esc Enter", "\x01\t\x1b"},  // literally
        {"ab", "Ctrl-q Right x Enter", "abx"},      // an extended key is not quoted
        {"one two three", "Ctrl-Left x Enter", "one two xthree"},
        {"one two three", "Ctrl-Left Ctrl-Left x Enter", "one xtwo three"},
        {"one two three", "Home Ctrl-Right x Enter", "onex two three"},  // to the end of the word
        {"one two three", "Ctrl-BackSpace Enter", "one two "},
        {"one two three", "Ctrl-Left Ctrl-BackSpace Enter", "one three"},
        {"one two three", "Home Ctrl-Del Enter", "two three"},
        {"one two three", "Home Right Right Right Ctrl-Del Enter", "onethree"},
        {"one, two", "Ctrl-BackSpace Ctrl-BackSpace Enter", ""},
    };
    for (const EditCase& c : cases) EXPECT_EQ(EditText(c.preset, c.keys), c.want) << c.preset << " / " << c.keys;
}

TEST_F(FieldTest, WordRightFollowsTheSetting) {
    brief_word_right = false;
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right x Enter"), "one xtwo three");
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right Ctrl-Right Ctrl-Right x Enter"), "one two threex");
    brief_word_right = true;
    EXPECT_EQ(EditText("one two three", "Home Ctrl-Right Ctrl-Right x Enter"), "one twox three");
}

TEST_F(FieldTest, SelectionKeys) {
    const EditCase cases[] = {
        {"hello world", "Home Shift-Right Shift-Right x Enter", "xllo world"},
        {"hello world", "Shift-Home BackSpace Enter", ""},
        {"hello world", "Home Shift-End Del Enter", ""},
        {"hello world", "Ctrl-Shift-Left x Enter", "hello x"},
        {"hello world", "Home Ctrl-Shift-Right Del Enter", " world"},
        {"hello", "Home Shift-Right Right x Enter", "hexllo"},           // a plain move ends the selection
        {"hello", "Home Shift-Right Shift-Right Shift-Left x Enter", "xello"},
        {"hello", "Shift-Left Shift-Left Shift-Right Del Enter", "hell"},  // the moving end comes back
        {"hello", "Home Shift-End Ctrl-c x Enter", "x"},                 // Ctrl-C keeps the selection
        {"hello", "Home Shift-End Tab Shift-Tab x Enter", "hellox"},     // leaving the field ends it
    };
    for (const EditCase& c : cases) EXPECT_EQ(EditText(c.preset, c.keys), c.want) << c.preset << " / " << c.keys;
}

TEST_F(FieldTest, SelectedCharactersAreDrawnInverted) {
    colours[CLR_INPUT_FIELDS] = 0x30;
    Westring text = L"abcdef";
    ui.RecordScreens(true);
    ui.Keys("Home Right Shift-Right Shift-Right Esc");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, text, 10);
        return d.Process();
    });
    const CUiTest::Screen& screen = ui.Screens().back();
    EXPECT_EQ(screen.Text(kFieldX, kFieldY, 10), "abcdef    ");
    EXPECT_EQ(screen.Attr(kFieldX, kFieldY), 0x30);
    EXPECT_EQ(screen.Attr(kFieldX + 1, kFieldY), 0x03);
    EXPECT_EQ(screen.Attr(kFieldX + 2, kFieldY), 0x03);
    EXPECT_EQ(screen.Attr(kFieldX + 3, kFieldY), 0x30);
    EXPECT_EQ(screen.Attr(kFieldX + 9, kFieldY), 0x30);  // padding in the field colour
    EXPECT_EQ(screen.cursor_x, kFieldX + 3);
    EXPECT_EQ(screen.cursor_y, kFieldY);
    EXPECT_TRUE(screen.cursor_shown);
}

TEST_F(FieldTest, CopyAndCutPutTheSelectionOnTheClipboard) {
    EXPECT_EQ(EditText("hello world", "Home Shift-End Ctrl-c Enter"), "hello world");
    EXPECT_EQ(Clipboard(), "hello world");
    EXPECT_EQ(EditText("hello world", "Shift-Left Shift-Left Ctrl-Ins Enter"), "hello world");
    EXPECT_EQ(Clipboard(), "ld");
    EXPECT_EQ(EditText("hello world", "Ctrl-Shift-Left Ctrl-x Enter"), "hello ");
    EXPECT_EQ(Clipboard(), "world");
    EXPECT_EQ(EditText("hello world", "Home Shift-Right Shift-Del Enter"), "ello world");
    EXPECT_EQ(Clipboard(), "h");
    EXPECT_EQ(EditText("hello", "Ctrl-c Ctrl-x Enter"), "hello");  // nothing selected: nothing happens
    EXPECT_EQ(Clipboard(), "h");
    ASSERT_EQ(clip.count(), 1);
    EXPECT_EQ(*clip[0], Westring(L"h"));
}

TEST_F(FieldTest, PasteJoinsTheClipboardsLines) {
    SetClipboard(L"pasted");
    EXPECT_EQ(EditText("preset", "Ctrl-v Enter"), "pasted");  // the first key: replaces everything
    EXPECT_EQ(EditText("preset", "Right Ctrl-v Enter"), "presetpasted");
    EXPECT_EQ(EditText("preset", "Home Shift-Ins Enter"), "pastedpreset");
    EXPECT_EQ(EditText("preset", "Home Shift-Right Shift-Right Ctrl-v Enter"), "pastedeset");
    SetClipboard(L"\n\r\nline one\r\n\nline two\n\n");
    EXPECT_EQ(EditText("", "Ctrl-v Enter"), "line one  line two");
    SetClipboard(L"");
    EXPECT_EQ(EditText("abc", "Right Ctrl-v Enter"), "abc");
}

TEST_F(FieldTest, PasteThatWouldExceedTheMaximumDoesNothing) {
    SetClipboard(L"xyz");
    EXPECT_EQ(EditText("abcdef", "Right Ctrl-v Enter", 20, 8), "abcdef");
    EXPECT_EQ(EditText("abcde", "Right Ctrl-v Enter", 20, 8), "abcdexyz");
    EXPECT_EQ(EditText("abcdefgh", "Home Shift-Right Shift-Right Shift-Right Ctrl-v Enter", 20, 8), "xyzdefgh");
}

TEST_F(FieldTest, WithoutTheDesktopClipboardTheProgramsOwnIsUsed) {
    clip_use_desktop = false;
    SetClipboard(L"desktop");
    EXPECT_EQ(EditText("mine", "Shift-Home Ctrl-c Enter"), "mine");
    EXPECT_EQ(Clipboard(), "desktop");
    EXPECT_EQ(EditText("x", "Right Ctrl-v Enter"), "xmine");
}

TEST_F(FieldTest, TheMaximumLengthRefusesMoreCharacters) {
    EXPECT_EQ(EditText("", "a b c d e Enter", 20, 3), "abc");
    EXPECT_EQ(EditText("abc", "x Enter", 20, 3), "x");         // replacing the whole text fits
    EXPECT_EQ(EditText("abc", "Right x Enter", 20, 3), "abc");
    EXPECT_EQ(EditText("abc", "Home Shift-Right x Enter", 20, 3), "xbc");  // replacing a selection fits
    EXPECT_EQ(EditText("", "a b Enter", 20, 0), "");
}

TEST_F(FieldTest, KeysTheFieldDoesNotHandleGoToTheDialog) {
    Outcome o = Edit("abc", "F5 Alt-Down Esc");  // no history: Alt-Down is not the field's
    EXPECT_EQ(o.result, 27);
    EXPECT_EQ(o.text, "abc");
    EXPECT_EQ(Edit("abc", "Tab Enter").result, 13);
    EXPECT_EQ(Edit("abc", "Tab Right Enter").result, 27);
}

TEST_F(FieldTest, TheViewFollowsTheCursor) {
    Westring text = L"abcdefghijklmnopqrstuvwxyz0123";  // 30 characters in 10 columns
    ui.RecordScreens(true);
    ui.Keys("Home Right Right End Left Left Left Left Left Left Left Left Left Left Left Esc");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, text, 10);
        return d.Process();
    });
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 16u);
    // At the end: as much of the end as fits, the cursor after it.
    EXPECT_EQ(s[0].Text(kFieldX, kFieldY, 10), "vwxyz0123 ");
    EXPECT_EQ(s[0].cursor_x, kFieldX + 9);
    EXPECT_EQ(s[1].Text(kFieldX, kFieldY, 10), "abcdefghij");  // Home
    EXPECT_EQ(s[1].cursor_x, kFieldX);
    EXPECT_EQ(s[3].cursor_x, kFieldX + 2);
    EXPECT_EQ(s[4].Text(kFieldX, kFieldY, 10), "vwxyz0123 ");  // End
    EXPECT_EQ(s[5].cursor_x, kFieldX + 8);   // one to the left: the view stays
    EXPECT_EQ(s[5].Text(kFieldX, kFieldY, 10), "vwxyz0123 ");
    EXPECT_EQ(s[13].cursor_x, kFieldX);      // nine to the left: the first column
    EXPECT_EQ(s[13].Text(kFieldX, kFieldY, 10), "vwxyz0123 ");
    EXPECT_EQ(s[14].cursor_x, kFieldX);      // then the view scrolls
    EXPECT_EQ(s[14].Text(kFieldX, kFieldY, 10), "uvwxyz0123");
    EXPECT_EQ(s[15].Text(kFieldX, kFieldY, 10), "tuvwxyz012");
    EXPECT_EQ(text, Westring(L"abcdefghijklmnopqrstuvwxyz0123"));
}

TEST_F(FieldTest, TheCursorShowsOnlyWhileTheFieldHasTheFocus) {
    Westring text = L"abc";
    ui.RecordScreens(true);
    ui.Keys("Tab Esc");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, text, 10);
        d.AddOkCancel(-1, -1, 1);
        return d.Process();
    });
    ASSERT_EQ(ui.Screens().size(), 2u);
    EXPECT_TRUE(ui.Screens()[0].cursor_shown);
    EXPECT_EQ(ui.Screens()[0].cursor_x, kFieldX + 3);
    EXPECT_FALSE(ui.Screens()[1].cursor_shown);
}

TEST_F(FieldTest, TheMousePlacesTheCursorAndSelects) {
    ui.Click(kFieldX + 2, kFieldY);
    ui.Type("X");
    ui.Keys("Enter");
    EXPECT_EQ(EditText("abcdef", ""), "abXcdef");  // the click ended the replace-all state
    ui.ButtonDown(kFieldX + 1, kFieldY);
    ui.Drag(kFieldX + 3, kFieldY);
    ui.ButtonUp(kFieldX + 4, kFieldY);
    ui.Type("Y");
    ui.Keys("Enter");
    EXPECT_EQ(EditText("abcdef", ""), "aYef");
    ui.Click(kFieldX + 15, kFieldY);  // past the text: at its end
    ui.Type("Z");
    ui.Keys("Enter");
    EXPECT_EQ(EditText("abc", ""), "abcZ");
}

TEST_F(FieldTest, AClickFocusesTheField) {
    Westring a = L"first", b = L"second";
    ui.Click(kFieldX + 1, kFieldY + 1);
    ui.Type("!");
    ui.Keys("Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, a, 10);
        d.AddStringField(1, 2, 1, b, 10);
        return d.Process();
    });
    EXPECT_EQ(a, Westring(L"first"));
    EXPECT_EQ(std::string(b.ToUTF8().c_str()), "s!econd");
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
        {"", "Alt-Down Up Enter Enter", "beta"},
        {"", "Alt-Down Home Enter Enter", "alpha"},
        {"keep", "Alt-Down Esc Enter", "keep"},
        {"", "Alt-Down Up Enter x Enter", "betax"},  // the cursor is at the end, typing inserts
    };
    for (const EditCase& c : cases) {
        SetUp();  // each run saves its text into the history: start afresh
        Outcome o = Edit(c.preset, c.keys, 20, -1, 2);
        EXPECT_EQ(o.text, c.want) << c.keys;
        EXPECT_EQ(o.result, 13) << c.keys;
    }
}

TEST_F(HistoryTest, TheListOpensJustBelowTheFieldAndTheArrowOpensItToo) {
    Westring text;
    ui.RecordScreens(true);
    ui.Click(kFieldX + 20, kFieldY);  // the arrow column
    ui.Keys("Enter Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, text, 20, -1, 2);
        EXPECT_EQ(ui.Text(kFieldX + 20, kFieldY, 1), "↓");
        return d.Process();
    });
    EXPECT_EQ(text, Westring(L"gamma"));
    ASSERT_GE(ui.Screens().size(), 2u);
    const CUiTest::Screen& list = ui.Screens()[1];
    // A frame from one column left of the field, from the row below it; the
    // list shows the entries oldest first, the cursor on the newest.
    EXPECT_EQ(list.Text(kFieldX - 1, kFieldY + 1, 22), "╔════════════════════╗");
    EXPECT_EQ(list.Text(kFieldX, kFieldY + 2, 20), "alpha               ");
    EXPECT_EQ(list.Text(kFieldX, kFieldY + 4, 20), "gamma               ");
    EXPECT_EQ(list.Attr(kFieldX, kFieldY + 4), colours[CLR_MENU_HIGHLIGHT]);
    EXPECT_EQ(list.Attr(kFieldX, kFieldY + 2), colours[CLR_MENU]);
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
    // No room below: the list's frame ends on the row above the field.
    EXPECT_EQ(list.Text(60, 15, 1), "╔");
    EXPECT_EQ(list.Text(79, 15, 1), "╗");  // cut at the screen's right edge
    EXPECT_EQ(list.Text(61, 19, 18), std::string(18, 'w'));
    EXPECT_EQ(list.Text(60, 22, 1), "╚");
}

TEST_F(HistoryTest, AFieldWithoutEntriesOpensNoList) {
    Dialog::FieldHistory[2].DestroyAll();
    Outcome o = Edit("x", "Alt-Down Enter", 20, -1, 2);
    EXPECT_EQ(o.result, 13);
    EXPECT_EQ(o.text, "x");
}

TEST_F(FieldTest, AHugeTextIsEditedWithoutHarm) {
    std::string big(1 << 20, 'q');  // far past the default maximum of 32767
    Westring text(big.c_str());
    ui.Keys("End x BackSpace Home Del Shift-End Ctrl-c Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 1, 1, text, 20);
        return d.Process();
    });
    EXPECT_EQ(text.strlen(), (1 << 20) - 2);  // x refused; BackSpace and Del each took one
    EXPECT_EQ(ui.Headless().View().ClipText().strlen(), (1 << 20) - 2);
}

TEST_F(FieldTest, InvalidUtf8LabelsAndTextsAreShownWithoutHarm) {
    Westring text("ok\xff\xfe");
    ui.Keys("End x Enter");
    int result = ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStaticText(1, 0, "bad \xc3\x28 bytes");
        d.AddStringField(1, 1, 1, text, 20);
        bool flag = false;
        d.AddCheckBox(1, 2, 1, flag, "_\xe2\x82");
        d.AddCheckBox(1, 3, 1, flag, "trailing_");
        EXPECT_TRUE(ui.Contains("bad "));
        EXPECT_TRUE(ui.Contains("trailing_"));  // an underscore with nothing after it stays
        return d.Process();
    });
    EXPECT_EQ(result, 13);
    EXPECT_EQ(text.left(2), Westring(L"ok"));
    EXPECT_EQ(text[text.strlen() - 1], L'x');
}

// ---- number fields

class IntFieldTest : public UiFixture {
protected:
    int EditInt(int value, const char* keys, int width = 10, bool keep_text = false, int* result = nullptr) {
        ui.Keys(keys);
        int r = ui.Run([&] {
            Dialog d(-1, -2, 40, 10, kMessages);
            d.AddIntField(1, 1, 1, value, width, keep_text);
            d.AddOkCancel(-1, -1, 1);
            return d.Process();
        });
        if (result) *result = r;
        return value;
    }
};

TEST_F(IntFieldTest, OnlyDigitsAreTaken) {
    struct {
        int value;
        const char* keys;
        int want;
    } cases[] = {
        {42, "7 Enter", 7},
        {42, "a - 5 Enter", 425},  // a and - are refused (a still ends the replace-all state)
        {42, "BackSpace BackSpace Enter", 0},
        {42, "Home 1 Enter", 142},
        {0, "Grey - 3 Enter", 3},
        {-5, "Enter", -5},
        {-5, "Right 1 Enter", -51},
        {7, "é 8 Enter", 78},
    };
    for (auto c : cases) EXPECT_EQ(EditInt(c.value, c.keys), c.want) << c.keys;
}

TEST_F(IntFieldTest, TheVariableFollowsEveryKey) {
    int result = 0;
    EXPECT_EQ(EditInt(42, "9 9 Esc", 10, false, &result), 99);
    EXPECT_EQ(result, 27);
}

TEST_F(IntFieldTest, WidthLimitsTheDigits) {
    EXPECT_EQ(EditInt(0, "1 2 3 4 5 Enter", 3), 123);
    int64_t big = 0;
    ui.Keys("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 9 Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddIntField(1, 1, 1, big, 30);  // at most 18 digits
        return d.Process();
    });
    EXPECT_EQ(big, INT64_C(123456789012345678));
    EXPECT_EQ(EditInt(0, "9 9 9 9 9 9 9 9 9 9 9 9 Enter", 18), INT_MAX);  // clamped into an int
}

TEST_F(IntFieldTest, TheTextIsRewrittenFromTheNumberUnlessKept) {
    ui.RecordScreens(true);
    EXPECT_EQ(EditInt(5, "Home 0 0 Esc"), 5);
    EXPECT_EQ(ui.Screens().back().Text(kFieldX, kFieldY, 4), "5   ");
    ui.RecordScreens(true);
    EXPECT_EQ(EditInt(5, "Home 0 0 Esc", 10, true), 5);
    EXPECT_EQ(ui.Screens().back().Text(kFieldX, kFieldY, 4), "005 ");
    ui.RecordScreens(true);
    EXPECT_EQ(EditInt(5, "BackSpace Esc"), 0);
    EXPECT_EQ(ui.Screens().back().Text(kFieldX, kFieldY, 4), "0   ");
    ui.RecordScreens(true);
    EXPECT_EQ(EditInt(5, "BackSpace Esc", 10, true), 0);
    EXPECT_EQ(ui.Screens().back().Text(kFieldX, kFieldY, 4), "    ");  // empty reads as 0
}

TEST(IntegerFieldNumber, LeadingNumber) {
    struct {
        const wchar_t* text;
        int64_t want;
    } cases[] = {
        {L"", 0}, {L"12", 12}, {L"12ab3", 12}, {L"-7", -7}, {L"+7", 7}, {L"x12", 0}, {L"007", 7},
        {L"99999999999999999999999", INT64_MAX},
    };
    for (auto c : cases) EXPECT_EQ(IntegerField::LeadingNumber(c.text), c.want);
}

}  // namespace
