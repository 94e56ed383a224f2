// Dialogs driven through the event queue: results, focus order, hot keys,
// buttons, check boxes, radio groups, the mouse, nesting and the colour dialog.
#include <atomic>
#include <cwchar>
#include <limits>
#include <thread>
#include <tuple>
#include <utility>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

using DialogTest = UiFixture;

const Dialog::ButtonDef kYesNo[] = {{'y', "_Yes"}, {'n', "_No"}, {0, nullptr}};

TEST_F(DialogTest, EscapeEnterAndQuitEndDialogsWithoutChoices) {
    EXPECT_EQ(RunDialog("Esc", [](Dialog& d) { d.AddStaticText(1, 1, "Nothing to choose"); }), 27);
    EXPECT_EQ(RunDialog("Enter", [](Dialog& d) { d.AddStaticText(-1, 1, "centred"); }), 13);
    EXPECT_EQ(RunDialog("x Tab Esc", [](Dialog&) {}), 27);  // an empty dialog
    CConsole::TEvent quit;
    quit.type = CConsole::TEvent::Quit;
    ui.Headless().Post(quit);
    EXPECT_EQ(RunDialog("", [](Dialog& d) { d.AddOkCancel(-1, -1, 1); }), 27);  // Quit counts as Escape
}

TEST_F(DialogTest, EnterGivesTheFocusedOrDefaultButtonsValueOr13) {
    auto yes_no = [](Dialog& d) {
        d.AddStaticText(1, 1, "Really?");
        d.AddPushButtonGroup(-1, -1, 1, kYesNo);
    };
    EXPECT_EQ(RunDialog("Right Enter", yes_no), 'n');  // Enter on the focused No button
    EXPECT_EQ(RunDialog("Enter", yes_no), 'y');
    EXPECT_EQ(RunDialog("Tab Enter", yes_no), 'y');  // Tab stays in the only group
    Westring text;
    EXPECT_EQ(RunDialog("Enter", [&](Dialog& d) { d.AddStringField(1, 1, 1, text, 20); }), 13);  // no buttons
    EXPECT_EQ(RunDialog("Enter", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, text, 20);
        d.AddPushButtonGroup(-1, -1, 1, kYesNo);
        d.SetDefault(2);
        d.SetDefault(0);  // not a push button: ignored
    }), 'n');
}

TEST_F(DialogTest, PushButtonGroupLayout) {
    Dialog d(-1, -2, 40, 10, kMessages);
    EXPECT_EQ(d.AddOkCancel(-1, -1, 1), 0);
    // "[ OK ]" and "[ Cancel ]" are 6 + 2 + 10 = 18 wide, centred in 38 columns
    // on the last inner row.
    EXPECT_EQ(ui.Text(kLeft + 10, kTop + 7, 18), "[ OK ]  [ Cancel ]");
    EXPECT_EQ(d.default_result(), 13);
    Dialog::ButtonDef buttons[] = {{1, "_One"}, {2, "T_wo"}, {0, nullptr}};
    d.AddPushButtonGroup(2, 3, 1, buttons);
    EXPECT_EQ(ui.Text(kLeft + 2, kTop + 3, 17), "[ One ]  [ Two ] ");
    EXPECT_EQ(std::make_pair(d.accelerator(2), d.accelerator(3)), std::make_pair(L'o', L'w'));
    Dialog::ButtonDef none[] = {{0, nullptr}};
    EXPECT_EQ(d.AddPushButtonGroup(0, 0, 1, none), -1);
    EXPECT_EQ(d.AddPushButtonGroup(0, 0, 1, nullptr), -1);
}

TEST_F(DialogTest, ButtonColoursAndTheDefaultsBrackets) {
    colours[CLR_INPUT_FIELDS] = 0x30;
    Dialog d(-1, -2, 40, 10, 0x70);
    d.AddPushButton(2, 1, 1, 13, "_OK");
    d.AddPushButton(10, 1, 0, 27, "Cancel");
    d.ChangeFocus(1);  // draws both buttons
    EXPECT_EQ(ui.Text(kLeft + 2, kTop + 1, 6), "[ OK ]");
    // OK is the default and not focused: its brackets and its hot letter O are
    // highlighted; Cancel is focused: the focused-button colour.
    const int hot = hot_attr(0x70);
    EXPECT_EQ(AttrsAt(ui, kTop + 1, {kLeft + 2, kLeft + 7, kLeft + 4, kLeft + 5, kLeft + 10, kLeft + 12}),
              (std::vector<int>{hot, hot, hot, 0x70, 0x30, 0x30}));
    d.ChangeFocus(0);
    EXPECT_EQ(AttrsAt(ui, kTop + 1, {kLeft + 2, kLeft + 4, kLeft + 10}), (std::vector<int>{0x30, hot_attr(0x30), 0x70}));
}

TEST_F(DialogTest, SpaceHotKeysAndTheMousePressButtons) {
    static const Dialog::ButtonDef buttons[] = {{'r', "_Retry"}, {'s', "_Skip"}, {27, "Cancel"}, {0, nullptr}};
    auto group = [](Dialog& d) { d.AddPushButtonGroup(-1, -1, 1, buttons); };
    EXPECT_EQ(RunDialog("Right Space", group), 's');
    EXPECT_EQ(RunDialog("s", group), 's');      // the button's value is its hot key
    EXPECT_EQ(RunDialog("S", group), 's');      // and its upper-case form
    EXPECT_EQ(RunDialog("Alt-r", group), 'r');  // the accelerator with Alt
    EXPECT_EQ(RunDialog("x Esc", group), 27);   // an unknown key does nothing

    static const Dialog::ButtonDef all_none[] = {{'a', "_All"}, {'n', "_None"}, {0, nullptr}};
    auto placed = [](Dialog& d) { d.AddPushButtonGroup(2, 2, 1, all_none); };  // [ All ] 2..8, [ None ] 11..18
    ui.Click(kLeft + 12, kTop + 2);
    EXPECT_EQ(RunDialog("", placed), 'n');
    ui.ButtonDown(kLeft + 12, kTop + 2);  // down focuses only
    ui.ButtonUp(kLeft + 30, kTop + 2);
    EXPECT_EQ(RunDialog("Enter", placed), 'n');
    ui.Click(kLeft + 9, kTop + 2);  // between the buttons
    EXPECT_EQ(RunDialog("Enter", placed), 'a');
}

TEST_F(DialogTest, TabWrapsFromTheLastGroupAndShiftTabGoesBack) {
    Westring a, b;
    bool flag = false;
    struct Case {
        const char* keys;
        int focus;
    } cases[] = {
        {"Esc", 0}, {"Tab Esc", 1}, {"Tab Tab Esc", 2},
        {"Tab Tab Tab Esc", 4},      // the button group, at its first button
        {"Tab Tab Tab Tab Esc", 0},  // wrapped to the first group
        {"Shift-Tab Esc", 4}, {"Shift-Tab Shift-Tab Esc", 2},
        {"Tab Tab Tab Right Esc", 5},  // arrows move inside the group
        {"Tab Tab Tab Right Right Esc", 4}, {"Tab Tab Tab Left Esc", 5},
    };
    for (const Case& c : cases) {
        int focus = -1;
        RunDialog(c.keys, [&](Dialog& d) {
            d.AddStringField(1, 1, 1, a, 20);
            d.AddStringField(1, 2, 1, b, 20);
            d.AddCheckBox(1, 3, 1, flag, "Flag");
            d.AddStaticText(1, 4, "label");  // not focusable
            d.AddOkCancel(-1, -1, 1);
        }, &focus);
        EXPECT_EQ(focus, c.focus) << c.keys;
    }
}

TEST_F(DialogTest, AGroupLedByATextGivesTheFocusToItsFirstControl) {
    Westring text;
    auto labelled = [&](Dialog& d) {
        d.AddStaticText(1, 0, "Name:");  // leads the first group
        d.AddStringField(1, 1, 0, text, 20);
        d.AddOkCancel(-1, -1, 1);
        EXPECT_EQ(d.focus(), 0);
    };
    int focus = -1;
    RunDialog("Tab Esc", labelled, &focus);
    EXPECT_EQ(focus, 2);
    RunDialog("Tab Tab Esc", labelled, &focus);
    EXPECT_EQ(focus, 1);  // back in the first group: its field, not its label
}

TEST_F(DialogTest, RadioGroupByKeysMouseAndAccelerator) {
    int choice = 2;
    Westring text;
    auto radios = [&](Dialog& d) {
        d.AddStringField(1, 0, 1, text, 20);
        d.AddRadioButton(1, 2, 2, choice, 0, "_Zero");
        d.AddRadioButton(1, 3, 0, choice, 1, "_One");
        d.AddRadioButton(1, 4, 0, choice, 2, "T_wo");
    };
    int focus = -1;
    // Tab enters at the selected third button, Up chooses the second, and Tab
    // comes back to the chosen button after going round through the field.
    EXPECT_EQ(RunDialog("Tab Up Tab Tab Enter", [&](Dialog& d) {
        radios(d);
        EXPECT_EQ(ui.Text(kLeft + 1, kTop + 4, 7), "(•) Two");
        EXPECT_EQ(ui.Text(kLeft + 1, kTop + 2, 8), "( ) Zero");
    }, &focus), 13);
    EXPECT_EQ(std::make_pair(choice, focus), std::make_pair(1, 2));
    choice = 0;
    ui.Click(kLeft + 6, kTop + 3);  // on the label of One
    RunDialog("Enter", radios, nullptr, [&](Dialog&) {
        EXPECT_EQ(TextsAt(ui, kLeft + 1, kTop + 2, 3, 2), (std::vector<std::string>{"( )", "(•)"}));
    });
    EXPECT_EQ(choice, 1);
    RunDialog("w Alt-w Enter", radios);  // w is typed into the field; Alt-w chooses Two
    EXPECT_EQ(std::make_pair(choice, std::string(text.ToUTF8().c_str())), std::make_pair(2, std::string("w")));
}

TEST_F(DialogTest, CheckBoxKeysLayoutMouseAndAccelerator) {
    bool flag = false;
    struct Case {
        const char* keys;
        bool start, end;
    } cases[] = {
        {"Space Enter", false, true}, {"Space Space Enter", false, false}, {"Ins Enter", false, true},
        {"Ins Ins Enter", true, true}, {"Del Enter", true, false}, {"Del Enter", false, false},
    };
    for (const Case& c : cases) {
        flag = c.start;
        RunDialog(c.keys, [&](Dialog& d) { d.AddCheckBox(2, 1, 1, flag, "_Hidden files"); });
        EXPECT_EQ(flag, c.end) << c.keys;
    }
    {
        Dialog d(-1, -2, 40, 10, kMessages);
        flag = true;
        d.AddCheckBox(2, 1, 1, flag, "_Right label");
        d.AddCheckBox(20, 2, 1, flag, "Left", false);
        EXPECT_EQ(ui.Text(kLeft + 2, kTop + 1, 16), "[X]  Right label");
        EXPECT_EQ(ui.Text(kLeft + 14, kTop + 2, 9), "Left  [X]");  // from x - length - 2
        EXPECT_EQ(ui.Attr(kLeft + 7, kTop + 1), hot_attr(kMessages));
    }
    bool a = false, b = false;
    Westring text;
    int focus = -1;
    ui.Click(kLeft + 9, kTop + 2);  // on the label of the second box
    RunDialog("Alt-f Esc", [&](Dialog& d) {  // the first box's accelerator focuses and toggles it
        d.AddStringField(1, 0, 1, text, 20);
        d.AddCheckBox(2, 1, 1, a, "_First");
        d.AddCheckBox(2, 2, 1, b, "_Second");
    }, &focus);
    EXPECT_EQ(std::make_tuple(a, b, focus), std::make_tuple(true, true, 1));
}

TEST_F(DialogTest, ThreeStateCheckBoxCycles) {
    unsigned char state = 0;
    auto box = [&](Dialog& d) { d.AddCheckBox3S(2, 1, 1, state, "Mixed"); };
    auto shows = [&](const char* mark) {
        return [this, mark](Dialog&) { EXPECT_EQ(ui.Text(kLeft + 2, kTop + 1, 3), mark); };
    };
    RunDialog("Space Enter", [&](Dialog& d) {
        box(d);
        shows("[ ]")(d);
    }, nullptr, shows("[·]"));
    EXPECT_EQ(state, 1);
    RunDialog("Ins Del Enter", box, nullptr, shows("[X]"));
    EXPECT_EQ(state, 2);  // Ins advanced, Del did nothing
    ui.Click(kLeft + 3, kTop + 1);
    RunDialog("Enter", box);
    EXPECT_EQ(state, 0);
}

TEST_F(DialogTest, AcceleratorLettersTypeIntoAFocusedFieldAltActivates) {
    Westring text;
    bool flag = false, a = false, b = false;
    RunDialog("h Alt-h Enter", [&](Dialog& d) {
        d.AddStringField(1, 0, 1, text, 20);
        d.AddCheckBox(2, 1, 1, flag, "_Hidden");
    });
    EXPECT_EQ(std::make_pair(std::string(text.ToUTF8().c_str()), flag), std::make_pair(std::string("h"), true));
    // SetAccelerators gives letters by index.
    RunDialog("Alt-s Alt-w Enter", [&](Dialog& d) {
        d.AddStringField(1, 0, 1, text, 20);
        d.AddCheckBox(2, 1, 1, a, "Case Sensitive");
        d.AddCheckBox(2, 2, 1, b, "Whole Word");
        d.SetAccelerators("fsw", 3);
        // Without an underscore the letter is found by the hot-letter rule, the upper-case form first.
        EXPECT_EQ(AttrsAt(ui, kTop + 1, {kLeft + 12, kLeft + 9}), (std::vector<int>{hot_attr(kMessages), kMessages}));
        EXPECT_EQ(ui.Attr(kLeft + 7, kTop + 2), hot_attr(kMessages));
    });
    EXPECT_TRUE(a && b);
}

TEST_F(DialogTest, RightClickActsAsEnterClickOutsideAsEscape) {
    auto build = [](Dialog& d) {
        d.AddStaticText(1, 1, "text");
        d.AddOkCancel(-1, -1, 1);
    };
    ui.RightClick(kLeft + 30, kTop + 2);
    EXPECT_EQ(RunDialog("", build), 13);
    ui.RightClick(2, 2);  // outside too
    EXPECT_EQ(RunDialog("", build), 13);
    ui.Click(2, 2);
    EXPECT_EQ(RunDialog("", build), 27);
    // Inside, on nothing: no result; down outside and up inside: none either.
    ui.Click(kLeft + 30, kTop + 2);
    ui.ButtonDown(2, 2);
    ui.ButtonUp(kLeft + 30, kTop + 2);
    ui.ButtonUp(2, 2);  // an up outside without its down outside
    EXPECT_EQ(RunDialog("Enter", build), 13);
}

TEST_F(DialogTest, ProcessWithATimeOutReturnsZeroAndCanBeCalledAgain) {
    ui.AllowIdle(true);
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddOkCancel(-1, -1, 1);
        EXPECT_EQ(d.Process(0), 0);
        EXPECT_EQ(d.Process(20), 0);
        ui.Keys("Right Enter");
        EXPECT_EQ(d.Process(0), 27);
        EXPECT_EQ(d.result(), 27);
        ui.Keys("Left Enter");
        EXPECT_EQ(d.Process(), 13);  // a new run starts without a result
        return 0;
    });
}

TEST_F(DialogTest, AFullDialogRefusesMoreElements) {
    Dialog d(0, 0, 79, 24, kMessages);
    for (int i = 0; i < Dialog::kMaxElements; i++) ASSERT_EQ(d.AddStaticText(0, i % 20, "x"), i);
    bool flag = false;
    EXPECT_EQ(d.AddCheckBox(0, 0, 1, flag, "_over"), -1);
    EXPECT_EQ(d.AddExitKey(27), -1);
    EXPECT_EQ(d.count(), Dialog::kMaxElements);
    Dialog::ButtonDef buttons[] = {{1, "_a"}, {0, nullptr}};
    EXPECT_EQ(d.AddPushButtonGroup(0, 0, 1, buttons), -1);
}

TEST_F(DialogTest, DialogsRestoreTheScreenNestedInOrderAndHideTheCursor) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    console->SetCursorType(15);
    Westring text = L"abc";
    RunDialog("Esc", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, text, 20);
        d.AddOkCancel(-1, -1, 1);
    });
    EXPECT_EQ(ui.Snapshot(), before);
    EXPECT_FALSE(ui.CursorShown());

    static const Dialog::ButtonDef buttons[] = {{'m', "_More..."}, {13, "_OK"}, {0, nullptr}};
    ui.Keys("Enter");        // More...
    ui.Keys("Space Enter");  // in the inner dialog
    ui.Keys("Right Enter");  // OK in the outer one
    bool inner_flag = false;
    int inner_result = 0;
    int result = ui.Run([&] {
        Dialog outer(-1, -2, 40, 10, kMessages);
        outer.AddStaticText(1, 1, "outer");
        outer.AddPushButtonGroup(-1, -1, 1, buttons);
        int r;
        while ((r = outer.Process()) == 'm') {
            const std::vector<ScreenCell> with_outer = ui.Snapshot();
            {
                Dialog inner(-1, -3, 30, 6, 0x4F);
                inner.AddCheckBox(1, 1, 1, inner_flag, "Inner flag");
                inner_result = inner.Process();
            }
            EXPECT_EQ(ui.Snapshot(), with_outer);
        }
        return r;
    });
    EXPECT_EQ(std::make_tuple(result, inner_result, inner_flag), std::make_tuple(13, 13, true));
    EXPECT_EQ(ui.Snapshot(), before);
}

// A dialog that keeps the focus away from one element.
class GuardedDialog : public Dialog {
public:
    GuardedDialog() : Dialog(-1, -2, 40, 10, 0x70) {}
    int refused = -1;
    int changes = 0;
    bool OnFocusChange(int, int& new_focus) override { return new_focus != refused; }
    void PostFocusChange() override { changes++; }
};

TEST_F(DialogTest, OnFocusChangeCanRefuseAndPostFocusChangeFollows) {
    Westring a, b, c;
    for (int refused : {1, -1}) {
        int focus = -1, changes = -1;
        ui.Keys(refused == 1 ? "Tab Esc" : "Tab Tab Esc");
        ui.Run([&] {
            GuardedDialog d;
            for (Westring* field : {&a, &b, &c}) d.AddStringField(1, d.count(), 1, *field, 10);
            d.refused = refused;
            int r = d.Process();
            focus = d.focus();
            changes = d.changes;
            return r;
        });
        // With 1 refused, Tab asked for 1 and stayed.
        EXPECT_EQ(std::make_pair(focus, changes), refused == 1 ? std::make_pair(0, 0) : std::make_pair(2, 2));
    }
}

TEST_F(DialogTest, ExitKeysEndTheDialogWithTheirKey) {
    Westring text;
    EXPECT_EQ(RunDialog("a F3", [&](Dialog& d) {
        d.AddStringField(1, 0, 1, text, 10);
        d.AddExitKey(KEY_F3);
        d.AddExitKey(KEY_F4);
    }), KEY_F3);
    EXPECT_EQ(text, Westring(L"a"));
}

TEST_F(DialogTest, ProgressIndicatorFillsItsShare) {
    Dialog d(-1, -2, 40, 10, kMessages);
    double fraction = 0.5;
    int index = d.AddProgressIndicator(1, 1, 10, fraction);
    EXPECT_EQ(ui.Text(kLeft + 1, kTop + 1, 10), "█████░░░░░");
    struct {
        double fraction;
        const char* bar;
    } cases[] = {{0, "░░░░░░░░░░"}, {0.09, "░░░░░░░░░░"}, {0.99, "█████████░"}, {1, "██████████"},
                 {7.5, "██████████"}, {-2, "░░░░░░░░░░"},
                 {std::numeric_limits<double>::quiet_NaN(), "░░░░░░░░░░"}};  // nothing filled
    for (auto c : cases) {
        fraction = c.fraction;
        d.Draw(index);
        EXPECT_EQ(ui.Text(kLeft + 1, kTop + 1, 10), c.bar) << c.fraction;
    }
}

TEST_F(DialogTest, FieldHistoriesAreSavedUnlessCancelled) {
    std::vector<std::pair<int, std::string>> written;
    static std::vector<std::pair<int, std::string>>* sink;
    sink = &written;
    field_history_added = [](int index, const Westring& value) { sink->push_back({index, value.ToUTF8().c_str()}); };
    Westring text;
    auto run = [&](const wchar_t* value, const char* keys) {
        text = value;
        RunDialog(keys, [&](Dialog& d) { d.AddStringField(1, 0, 1, text, 20, -1, 3); });
    };
    run(L"first", "Enter");
    run(L"first", "Tab Esc");
    run(L"second", "Enter");
    run(L"FIRST", "Enter");  // equal ignoring case: moves to the end, written as typed
    run(L"", "Enter");       // empty values are not kept
    WestringStore& history = Dialog::FieldHistory[3];
    ASSERT_EQ(history.count(), 2);
    EXPECT_EQ(std::string(history[0]->ToUTF8().c_str()), "second");
    EXPECT_EQ(std::string(history[1]->ToUTF8().c_str()), "FIRST");
    EXPECT_EQ(written, (std::vector<std::pair<int, std::string>>{{3, "first"}, {3, "second"}, {3, "FIRST"}}));

    // Each value once, bad indexes ignored.
    for (int bad : {-1, 12, 13}) AddFieldHist(L"x", bad, true);
    AddFieldHist(L"a", 0, true);
    AddFieldHist(L"b", 0, true);
    AddFieldHist(L"A", 0, true);
    ASSERT_EQ(Dialog::FieldHistory[0].count(), 2);
    EXPECT_EQ(*Dialog::FieldHistory[0][0], Westring(L"b"));
    EXPECT_TRUE(std::wcscmp(Dialog::FieldHistory[0][1]->c_str(), L"A") == 0);
}

TEST_F(DialogTest, SendMessageFromAnotherThreadUpdatesAListBox) {
    ui.AllowIdle(true);  // the worker's key arrives later
    const char* items[] = {"one", "two", "three", "four", "five"};
    int selected = 0;
    std::atomic<Dialog*> dialog{nullptr};
    std::thread worker([&] {
        while (!dialog.load()) std::this_thread::yield();
        Event grow;
        grow.type = Event::SetCount;
        grow.key = 5;
        EXPECT_EQ(dialog.load()->SendMessage(0, grow), 1);
        ui.RawKey(KEY_END);
        ui.RawKey(KEY_ENTER);
    });
    int result = RunDialog("", [&](Dialog& d) {
        d.AddListBox(1, 0, 1, 10, 6, items, 2, selected);
        EXPECT_EQ(d.SendMessage(7, Event()), 0);  // no such element
        dialog = &d;
    }, nullptr, [&](Dialog&) { EXPECT_EQ(ui.Text(kLeft + 1, kTop + 4, 10), "five      "); });
    worker.join();
    EXPECT_EQ(std::make_pair(result, selected), std::make_pair(13, 4));
}

TEST_F(DialogTest, ColourDialogLayout) {
    ui.RecordScreens(true);
    ui.Keys("Esc");
    ui.Run([] { return change_colours(); });
    ASSERT_EQ(ui.Screens().size(), 1u);
    const CUiTest::Screen& screen = ui.Screens()[0];
    // 32 x 21, centred, a third of the way down: columns 24-55, rows 1-21.
    struct {
        int y, x, n;
        std::string text;
    } cells[] = {
        {1, 0, 24, std::string(24, ' ')}, {1, 24, 32, "╔════════ DV/L Colours ════════╗"},
        {3, 26, 28, ">Panel" + std::string(21, ' ') + "<"}, {4, 26, 28, " Highlight" + std::string(18, ' ')},
        {15, 26, 28, " Menu Bar" + std::string(19, ' ')}, {16, 26, 28, std::string(28, ' ')},
        {17, 27, 25, "F=Foreground B=Background"}, {18, 27, 26, "Shift-F/B=Change Backwards"},
        {20, 31, 18, "[ OK ]  [ Cancel ]"}, {21, 24, 32, "╚══════════════════════════════╝"},
    };
    for (const auto& c : cells) EXPECT_EQ(screen.Text(c.x, c.y, c.n), c.text) << "row " << c.y;
    // Each name in its own colour item's attribute, the markers in the dialog's.
    EXPECT_EQ(std::vector<int>({screen.Attr(27, 3), screen.Attr(27, 10), screen.Attr(27, 11), screen.Attr(26, 3)}),
              std::vector<int>({colours[CLR_PANEL], colours[CLR_MESSAGES], colours[CLR_ERRORS], colours[CLR_MESSAGES]}));
}

TEST_F(DialogTest, ColourDialogCancelRestoresConfirmKeeps) {
    unsigned char before[COLOUR_ITEMS];
    std::copy(colours, colours + COLOUR_ITEMS, before);
    ui.Keys("f f b Down B Down F Esc");
    EXPECT_EQ(ui.Run([] { return change_colours(); }), -1);
    EXPECT_TRUE(std::equal(colours, colours + COLOUR_ITEMS, before));

    ui.Keys("f f b Down B Enter");
    EXPECT_EQ(ui.Run([] { return change_colours(); }), 0);
    // Panel 0x1B: foreground +2, background +1; Highlight 0x30: background -1.
    EXPECT_EQ(std::vector<int>({colours[CLR_PANEL], colours[CLR_HIGHLIGHT], colours[CLR_MENU_QUICK_KEY]}),
              std::vector<int>({0x2D, 0x20, 0x0E}));
    // Confirming clears the quick key's background; the steps wrap around.
    colours[CLR_MENU_QUICK_KEY] = 0x5E;
    colours[CLR_PANEL] = 0xF0;
    ui.Keys("F b Enter");  // foreground 0 -> 15, background 15 -> 0
    ui.Run([] { return change_colours(); });
    EXPECT_EQ(std::vector<int>({colours[CLR_MENU_QUICK_KEY], colours[CLR_PANEL]}), std::vector<int>({0x0E, 0x0F}));
}

}  // namespace
