// Dialogs driven through the event queue: results, focus order, hot keys,
// buttons, check boxes, radio groups, the mouse and the colour dialog.
#include <atomic>
#include <limits>
#include <thread>
#include <utility>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

using DialogTest = UiFixture;

const Dialog::ButtonDef kYesNo[] = {{'y', "_Yes"}, {'n', "_No"}, {0, nullptr}};

TEST_F(DialogTest, EnterGivesTheFocusedOrDefaultButtonsValueOr13EscapeGives27) {
    auto yes_no = [](Dialog& d) {
        d.AddStaticText(1, 1, "Really?");
        d.AddPushButtonGroup(-1, -1, 1, kYesNo);
    };
    EXPECT_EQ(RunDialog("Right Enter", yes_no), 'n');  // Enter on the focused No button
    EXPECT_EQ(RunDialog("Enter", yes_no), 'y');
    EXPECT_EQ(RunDialog("Esc", yes_no), 27);
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
    Dialog::ButtonDef none[] = {{0, nullptr}};
    for (const Dialog::ButtonDef* buttons : {none, static_cast<Dialog::ButtonDef*>(nullptr)})
        EXPECT_EQ(d.AddPushButtonGroup(0, 0, 1, buttons), -1);
}

TEST_F(DialogTest, SpaceHotKeysAndTheMousePressButtons) {
    static const Dialog::ButtonDef buttons[] = {{'r', "_Retry"}, {'s', "_Skip"}, {27, "Cancel"}, {0, nullptr}};
    auto group = [](Dialog& d) { d.AddPushButtonGroup(-1, -1, 1, buttons); };
    EXPECT_EQ(RunDialog("Right Space", group), 's');
    EXPECT_EQ(RunDialog("s", group), 's');      // the button's value is its hot key
    EXPECT_EQ(RunDialog("Alt-r", group), 'r');  // the accelerator with Alt

    static const Dialog::ButtonDef all_none[] = {{'a', "_All"}, {'n', "_None"}, {0, nullptr}};
    auto placed = [](Dialog& d) { d.AddPushButtonGroup(2, 2, 1, all_none); };  // [ All ] 2..8, [ None ] 11..18
    ui.Click(kLeft + 12, kTop + 2);
    EXPECT_EQ(RunDialog("", placed), 'n');
    ui.ButtonDown(kLeft + 12, kTop + 2);  // down focuses only
    ui.ButtonUp(kLeft + 30, kTop + 2);
    EXPECT_EQ(RunDialog("Enter", placed), 'n');
}

TEST_F(DialogTest, TabWrapsFromTheLastGroupAndShiftTabGoesBack) {
    Westring a, b;
    bool flag = false;
    struct Case { const char* keys; int focus; } cases[] = {
        {"Tab Tab Esc", 2},
        {"Tab Tab Tab Tab Esc", 0},  // wrapped to the first group
        {"Shift-Tab Shift-Tab Esc", 2},
        {"Tab Tab Tab Right Right Esc", 4},  // arrows move inside the group and wrap there
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
    EXPECT_EQ(RunDialog("Tab Up Tab Tab Enter", radios, &focus), 13);
    EXPECT_EQ(std::make_pair(choice, focus), std::make_pair(1, 2));
    choice = 0;
    ui.Click(kLeft + 6, kTop + 3);  // on the label of One
    RunDialog("Enter", radios);
    EXPECT_EQ(choice, 1);
    RunDialog("w Alt-w Enter", radios);  // w is typed into the field; Alt-w chooses Two
    EXPECT_EQ(std::make_pair(choice, std::string(text.ToUTF8().c_str())), std::make_pair(2, std::string("w")));
}

TEST_F(DialogTest, CheckBoxKeysAndMouse) {
    bool flag = false;
    struct Case { const char* keys; bool start, end; } cases[] = {
        {"Space Space Enter", false, false}, {"Ins Ins Enter", true, true}, {"Del Enter", true, false},
    };
    for (const Case& c : cases) {
        flag = c.start;
        RunDialog(c.keys, [&](Dialog& d) { d.AddCheckBox(2, 1, 1, flag, "_Hidden files"); });
        EXPECT_EQ(flag, c.end) << c.keys;
    }
    ui.Click(kLeft + 9, kTop + 1);  // on the label
    flag = false;
    RunDialog("Esc", [&](Dialog& d) { d.AddCheckBox(2, 1, 1, flag, "_Hidden files"); });
    EXPECT_TRUE(flag);
}

TEST_F(DialogTest, RightClickActsAsEnterClickOutsideAsEscape) {
    auto build = [](Dialog& d) {
        d.AddStaticText(1, 1, "text");
        d.AddOkCancel(-1, -1, 1);
    };
    ui.RightClick(kLeft + 30, kTop + 2);
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
    EXPECT_EQ(d.count(), Dialog::kMaxElements);
    Dialog::ButtonDef buttons[] = {{1, "_a"}, {0, nullptr}};
    EXPECT_EQ(d.AddPushButtonGroup(0, 0, 1, buttons), -1);
}

TEST_F(DialogTest, DialogsRestoreTheScreenAndHideTheCursor) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    console->SetCursorType(15);
    Westring text = L"abc";
    RunDialog("Esc", [&](Dialog& d) {
        d.AddStringField(1, 1, 1, text, 20);
        d.AddOkCancel(-1, -1, 1);
    });
    EXPECT_EQ(ui.Snapshot(), before);
    EXPECT_FALSE(ui.Current().cursor_shown);
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
    } cases[] = {{0.99, "█████████░"}, {7.5, "██████████"}, {-2, "░░░░░░░░░░"},
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

    for (int bad : {-1, 12, 13}) AddFieldHist(L"x", bad, true);  // bad indexes ignored
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

TEST_F(DialogTest, ColourDialogCancelRestoresConfirmKeeps) {
    unsigned char before[COLOUR_ITEMS];
    std::copy(colours, colours + COLOUR_ITEMS, before);
    ui.RecordScreens(true);
    ui.Keys("f f b Down B Down F Esc");
    EXPECT_EQ(ui.Run([] { return change_colours(); }), -1);
    const CUiTest::Screen& screen = ui.Screens()[0];
    EXPECT_EQ(screen.Text(26, 3, 28), ">Panel" + std::string(21, ' ') + "<");
    EXPECT_EQ(screen.Attr(27, 11), colours[CLR_ERRORS]);  // each name in its own item's colour
    ui.RecordScreens(false);
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
