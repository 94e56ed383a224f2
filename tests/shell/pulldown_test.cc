// The pull-down menu run from the main loop: opening on the current panel's
// column, moving over separators, ticks that follow the settings, items the
// program has no command for, the mouse, and the Confirmations dialog.
#include "config/config.h"
#include "console/cells.h"
#include "console/keys.h"
#include "shell/dispatch.h"
#include "shell/configfile.h"
#include "shell/menudata.h"
#include "shell/pulldown.h"
#include "tests/shell/fake_editor.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class PullDownTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        ResetMenuPosition();
    }
    // The screen row of item i of a drop-down, and the column of its tick.
    static int ItemRow(int item) { return 2 + item; }
    static int TickColumn(int column) { return kMenuColumns[column].column + 1; }
    static unsigned char Colour(int item) { return colours[item]; }
};

TEST_F(PullDownTest, F9OpensOnTheCurrentPanelsColumnAndShiftF10ReturnsToTheLastItem) {
    right_.Write("r.txt", "");
    // Right panel: F9 opens on "Right"; Down drops it, two Downs reach
    // "Wide", which is chosen; Shift-F10 comes back there.
    RunKeys("Tab F9 Down Down Down Enter Shift-F10 Esc Esc");
    const CUiTest::Screen& bar = Screens()[2];
    EXPECT_EQ(bar.Attr(42, 0), Colour(CLR_MENU_HIGHLIGHT)) << bar.Dump();
    EXPECT_EQ(bar.Attr(2, 0), Colour(CLR_MENU_BAR));
    EXPECT_EQ(bar.Line(1).find("Brief"), std::string::npos) << "nothing is dropped down yet";
    EXPECT_EQ(panel_base[1].detail, DETAIL_WIDE);

    const CUiTest::Screen& resumed = Screens()[7];
    EXPECT_NE(resumed.Row(ItemRow(2)).find("Wide        AlSh-F3"), std::string::npos) << resumed.Dump();
    EXPECT_EQ(resumed.Attr(45, ItemRow(2)), Colour(CLR_MENU_HIGHLIGHT)) << resumed.Dump();
    EXPECT_EQ(resumed.Attr(45, ItemRow(0)), Colour(CLR_MENU));
}

// Moving between the columns before choosing must not leave the bar on the
// panels' top row once the menu has closed.
TEST_F(PullDownTest, TheBarIsGoneAfterAnItemChosenInAnotherColumn) {
    RunKeys("F9 Right Right Left Down g Esc");
    const CUiTest::Screen& last = Screens().back();
    EXPECT_EQ(last.Line(0).find("Commands"), std::string::npos) << last.Dump();
    EXPECT_NE(last.Line(0).find(left_.path()), std::string::npos) << last.Dump();
}

// A window resized under the open menu lays the program out anew, with the
// menu over it as it was.
TEST_F(PullDownTest, AResizeUnderTheMenuLaysTheScreenOutAgain) {
    ui.Keys("F9 Down Down");
    CConsole::TEvent resize;
    resize.type = CConsole::TEvent::Resize;
    resize.x = 100;
    resize.y = 30;
    ui.Headless().Post(resize);
    RunKeys("Esc Esc");
    const CUiTest::Screen& menu = Screens()[4];
    ASSERT_EQ(menu.columns, 100);
    EXPECT_NE(menu.Row(ItemRow(1)).find("Full        AlSh-F2"), std::string::npos) << menu.Dump();
    EXPECT_EQ(menu.Attr(5, ItemRow(1)), Colour(CLR_MENU_HIGHLIGHT));
    EXPECT_EQ(menu.Line(29).substr(0, 5), "1Help") << "the key bar on the new last row";
}

TEST_F(PullDownTest, UpWrapsAndSkipsSeparatorsAndReverseTicksNameAndReverse) {
    // Up from "Brief" wraps to "Drive", then Filter, Re-Read, and over the
    // separator to "Reverse", which is chosen.
    RunKeys("F9 Down Up Up Up Up Enter F9 Down Esc Esc");
    EXPECT_EQ(panel_base[0].sort, SORT_RNAME);
    const CUiTest::Screen& again = Screens()[9];
    const wchar_t tick = console_font_joins ? L'\x221A' : L'*';
    EXPECT_EQ(again.Char(TickColumn(MENU_COLUMN_LEFT), ItemRow(9)), tick) << again.Dump();    // Name
    EXPECT_EQ(again.Char(TickColumn(MENU_COLUMN_LEFT), ItemRow(14)), tick) << again.Dump();   // Reverse
    EXPECT_EQ(again.Char(TickColumn(MENU_COLUMN_LEFT), ItemRow(10)), L' ');                   // Extension
    EXPECT_EQ(again.Char(TickColumn(MENU_COLUMN_LEFT), ItemRow(1)), tick) << "the Full style";
}

// Every column drawn as the table says: each item's text, the separators,
// and items without a command in the Disabled Menu colour.
TEST_F(PullDownTest, EveryColumnShowsItsItemsAndDisablesThoseWithoutACommand) {
    RunKeys("F9 l Esc f Esc c Esc o Esc r Esc Esc");
    const int kScreenOfColumn[MENU_COLUMN_COUNT] = {2, 4, 6, 8, 10};
    for (int column = 0; column < MENU_COLUMN_COUNT; column++) {
        const CUiTest::Screen& screen = Screens()[kScreenOfColumn[column]];
        const MenuColumnDef& def = kMenuColumns[column];
        const int text_x = def.column + 2;
        for (int i = 0; i < def.count; i++) {
            const MenuItemDef& item = def.items[i];
            const std::string shown = screen.Text(text_x, ItemRow(i), def.width - 1);
            if (!item.text) {
                EXPECT_EQ(screen.Char(text_x, ItemRow(i)), L'\x2500') << def.title << " " << i;
                continue;
            }
            const bool right = column == MENU_COLUMN_RIGHT;
            const std::string text = right && item.right_text ? item.right_text : item.text;
            EXPECT_EQ(shown.substr(0, text.size()), text) << screen.Dump();
            const int code = right && item.right_code ? item.right_code : item.code;
            // A letter that is not the quick key has the item's colour.
            const int fg = screen.Attr(text_x + (item.quick == 0 ? 1 : 0), ItemRow(i)) & 0x0F;
            if (i == 0) continue;  // the current item has the highlight's colours
            if (HasCommand(code)) EXPECT_EQ(fg, Colour(CLR_MENU) & 0x0F) << text;
            else EXPECT_EQ(fg, Colour(CLR_DISABLED_MENU) & 0x0F) << text;
        }
    }
}

// The left menu's "Info" returns the menu flag alone, which is a choice:
// the left panel shows information, and the right menu's item takes it away.
TEST_F(PullDownTest, InfoFromTheLeftMenuIsAChoiceLikeAnyOther) {
    RunKeys("F9 Enter i");
    EXPECT_EQ(panel_base[0].type, PANEL_INFO);
    EXPECT_EQ(panel_base[1].type, PANEL_FILES);
    RunKeys("F9 Enter i F9 Right Right Right Right Enter i");
    EXPECT_EQ(panel_base[0].type, PANEL_FILES);
    EXPECT_EQ(panel_base[1].type, PANEL_INFO);
}

TEST_F(PullDownTest, TheMouseOpensAColumnChoosesAnItemAndCloses) {
    ASSERT_TRUE(config.PathPrompt);
    // A right click on "Options" opens it on release; a click on "Path
    // Prompt" chooses it. Then a click outside the drop-down closes the menu.
    ui.RightClick(33, 0);
    ui.Click(35, ItemRow(5));
    ui.RightClick(3, 0);
    ui.Click(70, 20);
    RunKeys();
    EXPECT_FALSE(config.PathPrompt);
    EXPECT_EQ(CommandLine(Screens().back()), ">");
    EXPECT_EQ(Screens().back().Line(0).find("Options"), std::string::npos) << "the menu is gone";
}

TEST_F(PullDownTest, UncheckingQuitInConfirmationsMakesF10QuitWithoutAsking) {
    ui.Keys("F9 o n");
    ui.Keys("Down Down Down Space Enter F10");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(config.Confirmations & CONFIRM_QUIT);
    EXPECT_FALSE(config.Confirmations & CONFIRM_DELETE_FILE);
    EXPECT_TRUE(Shown(" Confirmations "));
    EXPECT_FALSE(Shown("Are you sure you want to exit"));
}

// "Edit Associations" edits the configuration file in use and reads it
// again, so an association typed there takes effect at once.
TEST_F(PullDownTest, EditAssociationsEditsTheConfigurationInUseAndReadsItAgain) {
    Ini("Clock=off\r\n");
    CFakeEditor editor([](const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fputs("\r\n[Viewer Associations]\r\n*.pdf: evince !\r\n", file);
        std::fclose(file);
    });
    RunKeys("F9 c a");
    ASSERT_EQ(editor.edited(), std::vector<std::string>{ini_});
    Westring command;
    EXPECT_TRUE(viewAssociations.FindAssociation(Westring("a.pdf"), command));
    EXPECT_EQ(command, Westring("evince !"));
}

}  // namespace
