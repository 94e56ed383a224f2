// Drawing a panel: the rows of each style, the frame and separator lines,
// the title, the scroll bar, the status line, the colours and the column
// layout.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileops/query/owners.h"
#include "lib/collapsepath.h"
#include "panels/directory.h"
#include "panels/treeholder.h"
#include "tests/panels/display_test_util.h"

namespace {

using Rows = std::vector<std::string>;

class PanelPaintTest : public DisplayTest {
protected:
    Rows Entries(int n) const {
        Rows rows;
        for (int y = 0; y < n; y++) rows.push_back(Inner(y));
        return rows;
    }
    // Window row y of the left panel with its frame columns (40 cells).
    std::string Whole(int y) const { return ui.Text(0, y + 1, 40); }
    static std::string Utf8(const CellString& cells) {
        Westring text;
        for (int i = 0; i < cells.length(); i++) text += DisplayMap(cells[i].ch);
        return text.ToUTF8().c_str();
    }
};

}  // namespace

TEST_F(PanelPaintTest, FullStyleRowsFrameAndStatus) {
    ShowLeft(MakeFixedFiles());
    EXPECT_EQ(Entries(7), (Rows{
                              "..           │►UP-DIR◄│02/29/24│ 12:00",
                              "gamma        │►SUBDIR◄│06/01/22│  8:30",
                              "a_very_►.text│       5│12/31/23│ 23:59",
                              "alpha.txt    │    1234│03/15/24│ 13:05",
                              "beta.c       │       0│01/01/24│  0:00",
                              "zlink »►.txt@│    1234│03/15/24│ 13:05",
                              "             │        │        │      ",
                          }));
    EXPECT_EQ(Inner(kRows - 1), "             │        │        │      ");
    EXPECT_EQ(Whole(kRows), "╟─────────────┴────────┴────────┴──────╢");
    EXPECT_EQ(Whole(kRows + 2), "╚══════════════════════════════════════╝");
    // The status line of the full style shows the cursor entry's name.
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Status(), "..");
    // The title: the directory centred between the corners, one blank each side.
    const std::string title = " " + tmp / "list" + " ";
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(title, &x, &y)) << ui.Dump();
    EXPECT_EQ(y, 0);
    EXPECT_EQ(x, (40 - static_cast<int>(title.size())) / 2);
    EXPECT_EQ(ui.Char(0, 0), L'╔');
    EXPECT_EQ(ui.Char(39, 0), L'╗');
}

TEST_F(PanelPaintTest, TwelveHourClockAndLongNamesWithoutTheirExtension) {
    config.TimeMode = 12;  // noon and midnight show as twelve
    config.KeepExtVisible = false;
    ShowLeft(MakeFixedFiles());
    Rows times;
    for (int y = 0; y < 6; y++) times.push_back(ui.Text(33, y + 1, 6));
    EXPECT_EQ(times, (Rows{"12:00p", " 8:30a", "11:59p", " 1:05p", "12:00a", " 1:05p"}));
    EXPECT_EQ(ui.Text(1, 3, 14), "a_very_long_►│");
    EXPECT_EQ(ui.Text(1, 6, 14), "zlink » alp►@│");
}

TEST_F(PanelPaintTest, BriefStylesAndTheirLines) {
    const std::string list = MakeFixedFiles();
    ShowLeft(list, DETAIL_BRIEF);
    EXPECT_EQ(Entries(7), (Rows{
                              "..          │            │            ",
                              "gamma       │            │            ",
                              "a_very►.text│            │            ",
                              "alpha.txt   │            │            ",
                              "beta.c      │            │            ",
                              "zlink ►.txt@│            │            ",
                              "            │            │            ",
                          }));
    // The full style's column ends are marked for the status line below.
    EXPECT_EQ(Whole(kRows), "╟────────────┴┬────────┬──┴─────┬──────╢");
    EXPECT_EQ(Whole(kRows + 2), "╚═════════════╧════════╧════════╧══════╝");
    EXPECT_EQ(panel_base[0].page_size, 3 * kRows);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Inner(kRows + 1), "..           │►UP-DIR◄│02/29/24│ 12:00");

    ShowLeft(list, DETAIL_BRIEFWIDE);
    EXPECT_EQ(Entries(6), (Rows{
                              "..                 │                  ",
                              "gamma              │                  ",
                              "a_very_long_f►.text│                  ",
                              "alpha.txt          │                  ",
                              "beta.c             │                  ",
                              "zlink » alpha.txt @│                  ",
                          }));
    EXPECT_EQ(Whole(kRows), "╟─────────────┬─────┴──┬────────┬──────╢");
    EXPECT_EQ(panel_base[0].page_size, 2 * kRows);

    // A font without the joining characters: plain ends, no marks below.
    console_font_joins = false;
    ShowLeft(list, DETAIL_BRIEF);
    EXPECT_EQ(Whole(kRows), "║────────────┴┬────────┬──┴─────┬──────║");
    EXPECT_EQ(Whole(kRows + 2), "╚══════════════════════════════════════╝");
}

TEST_F(PanelPaintTest, WideAndUnixStyles) {
    const std::string list = MakeFixedFiles();
    ShowLeft(list, DETAIL_WIDE);
    EXPECT_EQ(Entries(6), (Rows{
                              "►UP-DIR◄│..                           ",
                              "►SUBDIR◄│gamma                        ",
                              "       5│a_very_long_file_name.text   ",
                              "    1234│alpha.txt                    ",
                              "       0│beta.c                       ",
                              "    1234│zlink » alpha.txt           @",
                          }));
    EXPECT_EQ(Whole(kRows), "╟────────┴────┬────────┬────────┬──────╢");

    ASSERT_EQ(chmod(tmp.path().c_str(), 0750), 0);
    const std::pair<const char*, mode_t> modes[] = {
        {"gamma", 0711}, {"alpha.txt", 0640}, {"a_very_long_file_name.text", 0644}, {"beta.c", 04755}};
    for (const auto& [name, mode] : modes) ASSERT_EQ(chmod((list + "/" + name).c_str(), mode), 0);
    ShowLeft(list, DETAIL_UNIX);
    const std::string ids = "│" + std::string(UID2Str(getuid()).pad(3).ToUTF8().c_str()) + "│" +
                            std::string(GID2Str(getgid()).pad(3).ToUTF8().c_str());
    EXPECT_EQ(Entries(5), (Rows{
                              "..          │►UP-DIR│rwxr-x---" + ids,
                              "gamma       │►SUBDIR│rwx--x--x" + ids,
                              "a_very►.text│      5│rw-r--r--" + ids,
                              "alpha.txt   │   1234│rw-r-----" + ids,
                              "beta.c      │      0│rwsr-xr-x" + ids,
                          }));
    EXPECT_EQ(Whole(kRows), "╟────────────┴┬──────┴─┬───────┴┬──┴───╢");
}

TEST_F(PanelPaintTest, CompactName) {
    struct Case {
        const wchar_t* name;
        int width;
        bool keep_extension;
        const char* want;
    } cases[] = {
        {L"averylongname.txt", 12, true, "averylo►.txt"}, {L"averylongname.txt", 12, false, "averylongna►"},
        {L"short.txt", 12, true, "short.txt"},            {L"exactly12.ab", 12, true, "exactly12.ab"},
        {L"noextensionatall", 12, true, "noextension►"},
        {L"name.verylongext", 12, true, "name.verylo►"},  // the extension takes more than half
        {L".hiddenrcfile_long", 8, true, ".hidden►"},     // a leading dot is no extension
        {L"abc.def", 1, true, "►"},                       {L"abc", 0, true, ""},
    };
    for (const Case& c : cases) {
        config.KeepExtVisible = c.keep_extension;
        CellString name(c.name, 0x1B);
        compact_name(name, c.width);
        EXPECT_EQ(Utf8(name), c.want) << Westring(c.name).ToUTF8().c_str() << " in " << c.width;
        if (name.length() > 0) {
            EXPECT_EQ(name[name.length() - 1].attr, 0x1B);
        }
    }
    // Far longer than any inline buffer.
    std::wstring huge(2'000'000, L'x');
    CellString name((huge + L".txt").c_str(), 0x07);
    compact_name(name, 30);
    EXPECT_EQ(name.length(), 30);
    EXPECT_EQ(Utf8(name), std::string(25, 'x') + "►.txt");
}

TEST_F(PanelPaintTest, DirectoryLabelsAndSizes) {
    entry* parent = entry::Create(L"..");
    parent->attr = FA_DIREC;
    entry* dir = entry::Create(L"sub");
    dir->attr = FA_DIREC;
    entry* link = entry::Create(L"ln");
    link->attr = FA_DIREC | FA_LINK;
    entry* file = entry::Create(L"f");
    struct Case {
        entry* e;
        uint64_t size;
        int width;
        const char* want;
    } cases[] = {
        {parent, 0, 8, "►UP-DIR◄"},   {parent, 0, 10, "► UP-DIR ◄"}, {dir, 0, 9, "►SUBDIR◄"},
        {dir, 0, 10, "► SUBDIR ◄"},   {link, 0, 8, "► LINK ◄"},      {link, 0, 10, "►  LINK  ◄"},
        {file, 99999999, 8, "99999999"}, {file, 100000000, 8, "97656K"},  {file, 10240000000, 8, "9765M"},
        {file, uint64_t(1) << 63, 8, ""},
    };
    for (const Case& c : cases) {
        c.e->size = c.size;
        const Westring text = size_text(c.e, c.width);
        Westring shown;
        for (const wchar_t* p = text.c_str(); *p; p++) shown += DisplayMap(*p);
        EXPECT_STREQ(shown.ToUTF8().c_str(), c.want);
    }
    // A directory whose size came from the tree shows the size.
    dir->size = 4096;
    dir->size_known = 1;
    EXPECT_STREQ(size_text(dir, 8).ToUTF8().c_str(), "4096");
    config.ThousandSep = true;
    file->size = 1234567;
    EXPECT_STREQ(size_text(file, 10).ToUTF8().c_str(), "1,234,567");
    for (entry* e : {parent, dir, link, file}) entry::Destroy(e);
}

TEST_F(PanelPaintTest, TaggedDirectoryInSizeOrderKeepsItsLabelUnlessSizedByTheTree) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    panel.sort = SORT_SIZE;
    read_panel(&panel);
    paint_panel(&panel);
    tag(&panel, IndexOf(panel, "gamma"), 1);
    EXPECT_EQ(ui.Text(1, 1 + IndexOf(panel, "gamma"), 22), "gamma        │►SUBDIR◄");
    entry* gamma = Find(panel, "gamma");
    gamma->size = 777;
    gamma->size_known = 1;
    paint_panel(&panel);
    EXPECT_EQ(ui.Text(1, 1 + IndexOf(panel, "gamma"), 22), "gamma        │     777");
}

TEST_F(PanelPaintTest, ColoursOfEntriesCursorLinksAndSeparators) {
    colourAssociations.AddAssociation(L"*.c", L"bright red");
    colourDirAssociations.AddAssociation(L"gam*", L"white");
    const unsigned char c_colour = Str2Attr(L"bright red", colours[CLR_PANEL]);
    const unsigned char dir_colour = Str2Attr(L"white", colours[CLR_DIRECTORIES]);
    ASSERT_NE(c_colour, colours[CLR_PANEL]);
    ASSERT_NE(dir_colour, colours[CLR_DIRECTORIES]);
    PANEL& panel = ShowLeft(MakeFixedFiles());
    ASSERT_EQ(ListNames(panel), (std::vector<std::string>{"..", "gamma", "a_very_long_file_name.text", "alpha.txt",
                                                         "beta.c", "zlink"}));
    // Rows are screen rows 1 on; the name starts at column 1.
    EXPECT_EQ(ui.Attr(1, 1), colours[CLR_DIRECTORIES]);
    EXPECT_EQ(ui.Attr(1, 2), dir_colour);
    EXPECT_EQ(ui.Attr(1, 4), colours[CLR_PANEL]);
    EXPECT_EQ(ui.Attr(1, 5), c_colour);
    EXPECT_EQ(ui.Attr(25, 5), c_colour);  // the date column too
    // The link arrow: the Tagged colour's foreground on the entry's background.
    EXPECT_EQ(ui.Char(7, 6), L'»');
    EXPECT_EQ(ui.Attr(7, 6), (colours[CLR_TAGGED] & 0x0F) | (colours[CLR_PANEL] & 0xF0));
    EXPECT_EQ(ui.Char(13, 6), L'@');

    tag(&panel, 3, 1);
    EXPECT_EQ(ui.Attr(1, 4), colours[CLR_TAGGED]);
    // The cursor: Directory High on a directory, Highlight on a file,
    // Highlight-Tagged on a tagged entry; the separators keep the Panel
    // colour's foreground.
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, 1), colours[CLR_DIRECTORY_HIGH]);
    show_cursor(panel_base, 0, false);
    EXPECT_EQ(ui.Attr(1, 1), colours[CLR_DIRECTORIES]);
    panel.cur = 4;
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, 5), colours[CLR_HIGHLIGHT]);
    EXPECT_EQ(ui.Attr(14, 5), (colours[CLR_PANEL] & 0x0F) | (colours[CLR_HIGHLIGHT] & 0xF0));
    panel.cur = 3;
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, 4), colours[CLR_HIGHLIGHT_TAGGED]);
}

TEST_F(PanelPaintTest, MarkersForHiddenEntriesAndLinks) {
    MakeDir(tmp / "m");
    Touch(tmp / "m/.profile");
    MakeDir(tmp / "m/.config");
    ASSERT_EQ(symlink(".profile", (tmp / "m/.plink").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (tmp / "m/broken").c_str()), 0);
    ASSERT_EQ(symlink(".config", (tmp / "m/dirlink").c_str()), 0);
    PANEL& panel = ShowLeft(tmp / "m");
    auto cells = [&](const char* name, int x, int n) { return ui.Text(1 + x, 1 + IndexOf(panel, name), n); };
    EXPECT_EQ(cells(".config", 0, 14), ".config     ░│");  // a hidden directory
    EXPECT_EQ(cells(".profile", 0, 14), ".profile    ░│");
    EXPECT_EQ(cells(".plink", 0, 14), ".plink » .p►@│");   // a hidden link to a file: the link marker
    EXPECT_EQ(cells("dirlink", 0, 14), "dirlink » .c►│");  // a link to a directory has none
    EXPECT_EQ(cells("dirlink", 14, 8), "► LINK ◄");
    // A broken link's arrow is light red.
    const int y = IndexOf(panel, "broken") + 1;
    EXPECT_EQ(ui.Char(8, y), L'»');
    EXPECT_EQ(ui.Attr(8, y), (colours[CLR_PANEL] & 0xF0) | 12);
}

TEST_F(PanelPaintTest, ScrollBarFollowsThePage) {
    PANEL& panel = ShowLeft(MakeManyFiles(60));  // 61 entries with ".."
    auto bar = [&] {
        std::string s;
        for (int y = 1; y <= kRows; y++) s += Westring(String(ui.Char(39, y), 1)).ToUTF8().c_str();
        return s;
    };
    EXPECT_EQ(bar(), "▲││││▼║║║║║║║║║║║║║");
    panel.top = 42;
    panel.cur = 0;
    paint_panel(&panel);
    EXPECT_EQ(bar(), "║║║║║║║║║║║║║▲││││▼");
    // A list that fits shows no thumb.
    ShowLeft(MakeFixedFiles());
    EXPECT_EQ(bar(), std::string("║║║║║║║║║║║║║║║║║║║"));
}

TEST_F(PanelPaintTest, TitleMarksFiltersAndLeavesRoomForTheClock) {
    const std::string list = MakeFixedFiles();
    PANEL& left = panel_base[0];
    SetUpPanel(left, list);
    left.filter = L"*.c";
    read_panel(&left);
    make_panel(&left, 0);
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(" " + list + "/? ", &x, &y)) << ui.Dump();
    EXPECT_EQ(y, 0);
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_HIGHLIGHT]);  // the current panel

    // The right panel with a clock in 12-hour mode: the long title ends one
    // column before the clock's six.
    config.Clock = true;
    config.TimeMode = 12;
    static int clock_hidden;
    clock_hidden = 0;
    panel_clock_hook = [] { clock_hidden++; };
    const std::string deep = tmp / "a_rather_long_directory_name_here";
    MakeDir(deep);
    PANEL& right = panel_base[1];
    SetUpPanel(right, deep);
    read_panel(&right);
    make_panel(&right, 1);
    EXPECT_EQ(clock_hidden, 1);
    Westring collapsed = DecodeFileName(deep.c_str());
    collapse_path(collapsed, 40 - 6 - 4);
    const std::string title = " " + std::string(collapsed.ToUTF8().c_str()) + " ";
    ASSERT_TRUE(ui.Find(title, &x, &y)) << ui.Dump();
    EXPECT_EQ(x + static_cast<int>(title.size()), 80 - 6 - 1);
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_PANEL]);  // not current
    remove_panel(&right);
    EXPECT_EQ(clock_hidden, 2);
    EXPECT_FALSE(right.visible);
    EXPECT_EQ(ui.Char(79, 0), L' ');  // the screen under it is back
}

TEST_F(PanelPaintTest, StatusLineTexts) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    tag(&panel, IndexOf(panel, "alpha.txt"), 1);
    print_status(&panel);
    EXPECT_EQ(Status(), "    1,234 bytes in 1 selected file");
    tag(&panel, IndexOf(panel, "beta.c"), 1);
    tag(&panel, IndexOf(panel, "a_very_long_file_name.text"), 1);
    print_status(&panel);
    EXPECT_EQ(Status(), "   1,239 bytes in 3 selected files");
    EXPECT_EQ(ui.Attr(10, kRows + 2), colours[CLR_TAGGED]);

    panel.search = L"al";
    print_status(&panel);
    EXPECT_EQ(Status(), "Search: al");
    // A search text longer than the line shows its end.
    panel.search = Westring(std::string(60, 'q').c_str()) + L"END";
    print_status(&panel);
    EXPECT_EQ(Inner(kRows + 1), "Search: " + std::string(27, 'q') + "END");
    panel.search = Westring();

    for (const auto& [error, text] : {std::pair(unsigned(DIR_NO_DISK), " No disk in drive"),
                                      std::pair(5u, " Error reading drive")}) {
        panel.read_error = error;
        print_status(&panel);
        EXPECT_EQ(Status(), text);
    }
    panel.read_error = 0;

    panel.FreeEntries();
    print_status(&panel);
    EXPECT_EQ(Status(), "Directory is empty");
}

TEST_F(PanelPaintTest, ColumnWidthsFillTheInnerWidth) {
    auto widths = [](int style) {
        std::vector<int> w;
        for (int c = 0; c < 5 && col_width[style][c][COL_MIN] >= 0; c++) w.push_back(col_width[style][c][COL_CUR]);
        return w;
    };
    // The widths on 80 columns show in the rows of each style above.
    ASSERT_TRUE(ui.Console().SetSize(132, 25));
    resize_columns();
    EXPECT_EQ(widths(DETAIL_FULL), (std::vector<int>{37, 10, 8, 6}));
    EXPECT_EQ(widths(DETAIL_BRIEF), (std::vector<int>{21, 21, 20}));
    for (int style = 0; style < 5; style++) {
        std::vector<int> w = widths(style);
        int total = static_cast<int>(w.size()) - 1;
        for (int c = 0; c < static_cast<int>(w.size()); c++) {
            total += w[c];
            EXPECT_LE(w[c], col_width[style][c][COL_MAX]);
        }
        EXPECT_EQ(total, 64) << "style " << style;
    }
    // A screen wider than every maximum leaves the rest unused instead of looping.
    ASSERT_TRUE(ui.Console().SetSize(1200, 25));
    resize_columns();
    EXPECT_EQ(widths(DETAIL_FULL), (std::vector<int>{256, 10, 8, 6}));
    ASSERT_TRUE(ui.Console().SetSize(80, 25));
    resize_columns();
}

TEST_F(PanelPaintTest, ColumnPlacesAndLines) {
    struct Case {
        paneldetail detail;
        int k, x, y, width;
    } cases[] = {
        {DETAIL_BRIEF, 0, 0, 0, 12},       {DETAIL_BRIEF, 18, 0, 18, 12}, {DETAIL_BRIEF, 19, 13, 0, 12},
        {DETAIL_BRIEF, 40, 26, 2, 12},     {DETAIL_BRIEFWIDE, 20, 20, 1, 18}, {DETAIL_FULL, 5, 0, 5, 13},
        {DETAIL_WIDE, 3, 0, 3, 29},        {DETAIL_UNIX, 7, 0, 7, 12},     {DETAIL_TREE, 2, 0, 2, 38},
    };
    for (const Case& c : cases) {
        int x = -1, y = -1, width = -1;
        ColInfo(x, y, width, c.detail, c.k);
        EXPECT_EQ(x, c.x) << c.detail << "/" << c.k;
        EXPECT_EQ(y, c.y) << c.detail << "/" << c.k;
        EXPECT_EQ(width, c.width) << c.detail << "/" << c.k;
    }
    CellString line;
    make_line(DETAIL_FULL, line, L'═', L'╤', L'╔', L'╗');
    EXPECT_EQ(Utf8(line), "╔═════════════╤════════╤════════╤══════╗");
    make_line(DETAIL_BRIEF, line, L' ', L'│', 0, 0);
    EXPECT_EQ(Utf8(line), "            │            │            ");
    // '┬' over '┴' joins into '┼'.
    make_line(DETAIL_FULL, line, L'─', L'┴', L'╟', L'╢');
    make_line(DETAIL_FULL, line, 0, L'┬', L'╟', L'╢');
    EXPECT_EQ(Utf8(line), "╟─────────────┼────────┼────────┼──────╢");
    // Without a left end the right one goes at W.
    make_line(DETAIL_WIDE, line, L'-', L'+', 0, L'|');
    EXPECT_EQ(Utf8(line), "--------+-----------------------------|-");
}

TEST_F(PanelPaintTest, TreeStyleArchiveTitlesUnknownTimesAndTheInformationPanel) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    // An unknown time stamp leaves the date and time blank.
    panel.files[3]->time = TimeStamp(-1, static_cast<uint32_t>(-1));
    paint_panel(&panel);
    EXPECT_EQ(Inner(3), "alpha.txt    │    1234│        │      ");

    // While the panel shows an archive its title takes the tagged colours.
    static int archive_marker;
    panel.archive = reinterpret_cast<Archive*>(&archive_marker);
    paint_panel(&panel);
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(" " + tmp / "list" + " ", &x, &y));
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_HIGHLIGHT_TAGGED]);
    currpanel = 1;
    paint_panel(&panel);
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_TAGGED]);
    currpanel = 0;
    panel.archive = nullptr;

    // The tree style: its rows, " TREE " for a title, the full path below.
    TREENODE root(L"/");
    TREENODE* lib = Chain(&root, "/usr/lib/x")->parent;
    TREENODE* usr = lib->parent;
    lib->expanded = 0;
    EXPECT_STREQ(tree_node_path(lib).ToUTF8().c_str(), "/usr/lib");
    EXPECT_STREQ(tree_node_path(&root).ToUTF8().c_str(), "/");
    entry* e = entry::Create(L"lib");
    e->size_known = 2;
    e->size = 0x2;  // the level above goes on below, the entry is its parent's last
    set_entry_tree_node(e, lib);
    EXPECT_EQ(entry_tree_node(e), lib);
    CellString row;
    print_tree_row(row, e, 12, 0x1A, 0x1B);
    EXPECT_EQ(Utf8(row), "│ └+lib     ");
    EXPECT_EQ(row[0].attr, 0x1B);
    EXPECT_EQ(row[4].attr, 0x1A);
    e->size = 0x4;  // a sibling follows; the folded node is open now
    lib->expanded = 1;
    print_tree_row(row, e, 6, 0x1A, 0x1B);
    EXPECT_EQ(Utf8(row), "  ├─li");
    entry::Destroy(e);
    panel.FreeEntries();
    entry* top = entry::Create(L"/");
    top->size_known = 0;
    EXPECT_EQ(entry_tree_node(top), nullptr);  // desc is all ones
    print_tree_row(row, top, 4, 0x1A, 0x1B);
    EXPECT_EQ(Utf8(row), "/   ");
    set_entry_tree_node(top, &root);
    entry* child = entry::Create(L"usr");
    child->size_known = 1;
    child->size = 0;
    set_entry_tree_node(child, usr);
    panel.files[panel.num_files++] = top;
    panel.files[panel.num_files++] = child;
    panel.detail = DETAIL_TREE;
    panel.cur = 1;
    paint_panel(&panel);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(InnerTrim(0), "/");
    EXPECT_EQ(InnerTrim(1), "└─usr");
    EXPECT_EQ(InnerTrim(2), "");
    EXPECT_TRUE(ui.Find("═ TREE ═")) << ui.Dump();
    EXPECT_EQ(Status(), "/usr");
    EXPECT_EQ(Whole(kRows), "╟──────────────────────────────────────╢");  // no column marks

    // An information panel is drawn by its own painter.
    static PANEL* painted;
    painted = nullptr;
    paint_info_hook = [](PANEL* p) { painted = p; };
    panel.type = PANEL_INFO;
    paint_panel(&panel);
    EXPECT_EQ(painted, &panel);
    paint_info_hook = nullptr;
}
