// Quick search: narrowing by typed characters, searching again, completing
// the text, and the search that stays open with StickyAlt.
#include "console/keys.h"
#include "tests/panels/display_test_util.h"

namespace {

class QuickSearchTest : public DisplayTest {
protected:
    // "..", apple, apricot, banana, Blueberry, cherry.
    PANEL& Fruit() {
        const std::string dir = tmp / "s";
        MakeDir(dir);
        for (const char* name : {"apple", "apricot", "banana", "Blueberry", "cherry"}) Touch(dir + "/" + name);
        PANEL& panel = ShowLeft(dir);
        EXPECT_EQ(ListNames(panel), (std::vector<std::string>{"..", "apple", "apricot", "banana", "Blueberry",
                                                             "cherry"}));
        return panel;
    }
    // One search step as the main loop starts it.
    bool Seek(PANEL& panel, int key, int step = 1) {
        _MEVENT event;
        key_out = -2;
        return name_seek(key, &panel, key_out, event, step);
    }
    // The same with keys queued for a search that stays open.
    bool SeekWithKeys(PANEL& panel, int key, const std::string& keys) {
        ui.Keys(keys);
        return ui.Run([&] { return Seek(panel, key) ? 1 : 0; }) == 1;
    }
    static std::string Search(const PANEL& panel) { return panel.search.ToUTF8().c_str(); }

    int key_out = 0;
};

}  // namespace

TEST_F(QuickSearchTest, TypedCharactersNarrowTheSearch) {
    PANEL& panel = Fruit();
    EXPECT_FALSE(Seek(panel, 'b'));
    EXPECT_EQ(key_out, 'b');
    EXPECT_EQ(Cursor(panel), "banana");
    EXPECT_EQ(Status(), "Search: b");
    Seek(panel, 'L');  // without regard to case
    EXPECT_EQ(Cursor(panel), "Blueberry");
    EXPECT_EQ(Search(panel), "bL");
    // A character no name continues with is dropped again.
    Seek(panel, 'x');
    EXPECT_EQ(Search(panel), "bL");
    EXPECT_EQ(Cursor(panel), "Blueberry");

    // Once the cursor is on a name without the text, the text starts
    // afresh; the search goes round to the start of the list.
    move_cursor(&panel, 1);
    ASSERT_EQ(Cursor(panel), "cherry");
    Seek(panel, 'a');
    EXPECT_EQ(Search(panel), "a");
    EXPECT_EQ(Cursor(panel), "apple");
    Seek(panel, 'p');
    Seek(panel, 'z');
    EXPECT_EQ(Search(panel), "ap");  // the longest beginning that still matches
}

TEST_F(QuickSearchTest, SearchingAgainForwardsAndBackwards) {
    PANEL& panel = Fruit();
    Seek(panel, 'b');
    Seek(panel, 0, 1);
    EXPECT_EQ(Cursor(panel), "Blueberry");
    Seek(panel, 0, 1);  // nothing further on: it stays
    EXPECT_EQ(Cursor(panel), "Blueberry");
    Seek(panel, 0, -1);
    EXPECT_EQ(Cursor(panel), "banana");
    panel.FreeEntries();
    EXPECT_FALSE(Seek(panel, 'a'));
    EXPECT_EQ(key_out, 'a');
}

TEST_F(QuickSearchTest, StickyAltKeepsTheSearchOpen) {
    config.StickyAlt = true;
    PANEL& panel = Fruit();
    ui.RecordScreens(true);
    // Plain letters go on searching; another key ends it and is handed back.
    EXPECT_TRUE(SeekWithKeys(panel, 'a', "p r Down"));
    EXPECT_EQ(key_out, KEY_DOWN);
    EXPECT_EQ(Cursor(panel), "apricot");
    EXPECT_EQ(Search(panel), "");
    ASSERT_GE(ui.Screens().size(), 2u);
    const CUiTest::Screen& open = ui.Screens()[1];
    EXPECT_EQ(open.Text(1, kRows + 2, 10), "Search: ap") << open.Dump();
    EXPECT_TRUE(open.cursor_shown);

    // Esc ends it with nothing to hand on.
    EXPECT_FALSE(SeekWithKeys(panel, 'b', "Esc"));
    EXPECT_EQ(key_out, KEY_ESC);
    EXPECT_EQ(Cursor(panel), "banana");

    // Alt and a letter counts as the letter; Alt-Down and Alt-Up search again.
    EXPECT_TRUE(SeekWithKeys(panel, 'b', "Alt-l Alt-Up Alt-Down Enter"));
    EXPECT_EQ(key_out, KEY_ENTER);
    EXPECT_EQ(Cursor(panel), "Blueberry");

    // BackSpace takes the text back to nothing, which ends the search.
    EXPECT_FALSE(SeekWithKeys(panel, 'c', "BackSpace"));
    EXPECT_EQ(key_out, KEY_BACKSPACE);
    EXPECT_EQ(Search(panel), "");
    EXPECT_EQ(ui.QueueLength(), 0);
}

TEST_F(QuickSearchTest, AutoFillExtendsToTheCommonBeginning) {
    PANEL& panel = Fruit();
    for (const auto& [typed, want] : {std::pair("a", "ap"), std::pair("apr", "apricot"), std::pair("b", "b")}) {
        panel.search = Westring();
        for (const char* p = typed; *p; p++) Seek(panel, *p);
        AutoFillSeek(&panel);
        EXPECT_EQ(Search(panel), want) << typed;
    }
}
