// Names of double-width characters and combining marks in the panels: every
// style keeps its columns, and a name cut at its column shows no half
// character.

#include "tests/panels/display_test_util.h"

namespace {

class PanelWideTest : public DisplayTest {
protected:
    // tmp/wide with CJK, emoji and a decomposed accent among plain names.
    std::string MakeWideNames() {
        const std::string dir = tmp / "wide";
        MakeDir(dir);
        for (const char* name : {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x95\xe3\x82\xa1"
                                 "\xe3\x82\xa4\xe3\x83\xab.txt",   // 日本語のファイル.txt
                                 "emoji_\xf0\x9f\x98\x80_file.txt",  // emoji_😀_file.txt
                                 "cafe\xcc\x81.txt", "plain.txt", "z\xe6\x97\xa5"})
            Touch(dir + "/" + name, 7);
        return dir;
    }

    // The columns of row y that hold a frame or separator line character.
    std::vector<int> LineColumns(int y) const {
        std::vector<int> columns;
        CUiTest::Screen screen = ui.Current();
        for (int x = 0; x < 40; x++) {
            const wchar_t ch = screen.Char(x, y);
            if (ch == 0x2502 || ch == 0x2551) columns.push_back(x);
        }
        return columns;
    }

    // No double-width character of the left panel's rows lacks its tail,
    // and no tail its character.
    void ExpectWholeCharacters() const {
        CUiTest::Screen screen = ui.Current();
        for (int y = 1; y <= kRows; y++) {
            for (int x = 0; x < 40; x++) {
                const ScreenCell& cell = screen.cells[y * screen.columns + x];
                const ScreenCell& next = screen.cells[y * screen.columns + x + 1];
                EXPECT_EQ(is_wide_head(cell), is_wide_tail(next)) << "row " << y << " column " << x;
            }
        }
    }
};

}  // namespace

TEST_F(PanelWideTest, EveryStyleKeepsItsColumns) {
    const std::string dir = MakeWideNames();
    for (paneldetail detail : {DETAIL_FULL, DETAIL_BRIEF, DETAIL_WIDE, DETAIL_BRIEFWIDE, DETAIL_UNIX}) {
        ShowLeft(dir, detail);
        // The separators and the frame of every entry row stand where the
        // row of plain names has them.
        const int plain = 1 + IndexOf(panel_base[0], "plain.txt");
        const std::vector<int> wanted = LineColumns(plain);
        ASSERT_GE(wanted.size(), 2u) << detail << "\n" << ui.Dump();
        for (int y = 1; y <= kRows; y++) EXPECT_EQ(LineColumns(y), wanted) << "style " << detail << " row " << y << "\n" << ui.Dump();
        ExpectWholeCharacters();
    }
}

TEST_F(PanelWideTest, NamesAreCutInCellsAndShownWhole) {
    ShowLeft(MakeWideNames(), DETAIL_FULL);
    int x = -1, y = -1;
    // Twenty cells cut to the thirteen of the name column, keeping ".txt".
    ASSERT_TRUE(ui.Find("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe2\x96\xba.txt\xe2\x94\x82", &x, &y)) << ui.Dump();
    EXPECT_EQ(x, 1);
    ASSERT_TRUE(ui.Find("cafe\xcc\x81.txt", &x, &y) || ui.Find("caf\xc3\xa9.txt", &x, &y)) << ui.Dump();
    EXPECT_EQ(ui.Current().Char(x + 8, y), L' ');  // eight cells: the accent takes none
    // The status line shows the whole name of the entry under the cursor.
    panel_base[0].cur = IndexOf(panel_base[0], "emoji_\xf0\x9f\x98\x80_file.txt");
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Status(), "emoji_\xf0\x9f\x98\x80_file.txt");

    struct Case {
        const wchar_t* name;
        int width;
        bool keep_extension;
        const wchar_t* want;
    } cases[] = {
        {L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u30A4\u30EB.txt", 13, true, L"\u65E5\u672C\u8A9E\u306E\u25BA.txt"},
        {L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u30A4\u30EB", 13, false, L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u25BA"},
        // The marker lands on a tail: the character before it gives way to a blank.
        {L"a\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u30A4", 13, false, L"a\u65E5\u672C\u8A9E\u306E\u30D5 \u25BA"},
    };
    for (const Case& c : cases) {
        config.KeepExtVisible = c.keep_extension;
        CellString name(c.name, 0x1B);
        compact_name(name, c.width);
        EXPECT_EQ(name.length(), c.width);
        std::wstring shown;
        for (int i = 0; i < name.length(); i++)
            if (!is_wide_tail(name[i])) shown += DisplayMap(name[i].ch);
        EXPECT_EQ(shown, c.want);
    }
}
