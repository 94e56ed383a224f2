// Drawing a panel: the rows of each style, the frame and separator lines,
// the title, the scroll bar, the status line, the colours and the column
// layout.

#include "fileops/query/owners.h"
#include "panels/directory.h"
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
    EXPECT_EQ(Entries(3), (Rows{
                              "..           │►UP-DIR◄│02/29/24│ 12:00",
                              "gamma        │►SUBDIR◄│06/01/22│  8:30",
                              "a_very_►.text│       5│12/31/23│ 23:59",
                          }));
    EXPECT_EQ(Inner(5), "zlink »►.txt@│    1234│03/15/24│ 13:05");
    EXPECT_EQ(Whole(kRows), "╟─────────────┴────────┴────────┴──────╢");
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Status(), "..");
    // The title: the directory centred between the corners.
    const std::string title = " " + tmp / "list" + " ";
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(title, &x, &y)) << ui.Dump();
    EXPECT_EQ(y, 0);
    EXPECT_EQ(x, (40 - static_cast<int>(title.size())) / 2);
    // A filter is marked in the title, in the current panel's colour.
    panel_base[0].filter = L"*.c";
    make_panel(&panel_base[0], 0);
    ASSERT_TRUE(ui.Find(" " + tmp / "list" + "/? ", &x, &y)) << ui.Dump();
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_HIGHLIGHT]);

    config.TimeMode = 12;  // noon and midnight show as twelve
    paint_panel(&panel_base[0]);
    Rows times;
    for (int y = 0; y < 6; y++) times.push_back(ui.Text(33, y + 1, 6));
    EXPECT_EQ(times, (Rows{"12:00p", " 8:30a", "11:59p", " 1:05p", "12:00a", " 1:05p"}));
}

TEST_F(PanelPaintTest, OtherStyles) {
    const std::string list = MakeFixedFiles();
    ShowLeft(list, DETAIL_BRIEF);
    EXPECT_EQ(Inner(2), "a_very►.text│            │            ");
    EXPECT_EQ(Whole(kRows), "╟────────────┴┬────────┬──┴─────┬──────╢");
    EXPECT_EQ(panel_base[0].page_size, 3 * kRows);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Inner(kRows + 1), "..           │►UP-DIR◄│02/29/24│ 12:00");

    ASSERT_EQ(chmod(tmp.path().c_str(), 0750), 0);
    ASSERT_EQ(chmod((list + "/beta.c").c_str(), 04755), 0);
    ShowLeft(list, DETAIL_UNIX);
    const std::string ids = "│" + std::string(UID2Str(getuid()).pad(3).ToUTF8().c_str()) + "│" +
                            std::string(GID2Str(getgid()).pad(3).ToUTF8().c_str());
    EXPECT_EQ(Inner(0), "..          │►UP-DIR│rwxr-x---" + ids);
    EXPECT_EQ(Inner(4), "beta.c      │      0│rwsr-xr-x" + ids);
}

TEST_F(PanelPaintTest, CompactName) {
    struct Case {
        const wchar_t* name;
        int width;
        bool keep_extension;
        const char* want;
    } cases[] = {
        {L"averylongname.txt", 12, true, "averylo►.txt"}, {L"averylongname.txt", 12, false, "averylongna►"},
        {L"exactly12.ab", 12, true, "exactly12.ab"},
        {L"name.verylongext", 12, true, "name.verylo►"},  // the extension takes more than half
        {L"abc.def", 1, true, "►"},                       {L"abc", 0, true, ""},
    };
    for (const Case& c : cases) {
        config.KeepExtVisible = c.keep_extension;
        CellString name(c.name, 0x1B);
        compact_name(name, c.width);
        EXPECT_EQ(Utf8(name), c.want) << Westring(c.name).ToUTF8().c_str() << " in " << c.width;
    }
    // Far longer than any inline buffer.
    std::wstring huge(2'000'000, L'x');
    CellString name((huge + L".txt").c_str(), 0x07);
    compact_name(name, 30);
    EXPECT_EQ(Utf8(name), std::string(25, 'x') + "►.txt");
}

TEST_F(PanelPaintTest, DirectoryLabelsAndSizes) {
    entry* parent = entry::Create(L"..");
    parent->attr = FA_DIREC;
    entry* link = entry::Create(L"ln");
    link->attr = FA_DIREC | FA_LINK;
    entry* file = entry::Create(L"f");
    struct Case {
        entry* e;
        uint64_t size;
        int width;
        const char* want;
    } cases[] = {
        {parent, 0, 10, "► UP-DIR ◄"}, {link, 0, 8, "► LINK ◄"},         {file, 99999999, 8, "99999999"},
        {file, 100000000, 8, "97656K"}, {file, 10240000000, 8, "9765M"}, {file, uint64_t(1) << 63, 8, ""},
    };
    for (const Case& c : cases) {
        c.e->size = c.size;
        EXPECT_EQ(Utf8(CellString(size_text(c.e, c.width).c_str(), 0x07)), c.want);
    }
    config.ThousandSep = true;
    file->size = 1234567;
    EXPECT_STREQ(size_text(file, 10).ToUTF8().c_str(), "1,234,567");
    for (entry* e : {parent, link, file}) entry::Destroy(e);
}

TEST_F(PanelPaintTest, ColoursOfEntriesCursorAndMarkers) {
    colourAssociations.AddAssociation(L"*.c", L"bright red");
    const unsigned char c_colour = Str2Attr(L"bright red", colours[CLR_PANEL]);
    ASSERT_NE(c_colour, colours[CLR_PANEL]);
    const std::string list = MakeFixedFiles();
    Touch(list + "/.profile");
    ASSERT_EQ(symlink("nowhere", (list + "/broken").c_str()), 0);
    PANEL& panel = ShowLeft(list);
    auto row = [&](const char* name) { return 1 + IndexOf(panel, name); };
    EXPECT_EQ(ui.Attr(1, row("gamma")), colours[CLR_DIRECTORIES]);
    EXPECT_EQ(ui.Attr(1, row("alpha.txt")), colours[CLR_PANEL]);
    EXPECT_EQ(ui.Attr(25, row("beta.c")), c_colour);  // the date column too
    EXPECT_EQ(ui.Text(1, row(".profile"), 14), ".profile    ░│");  // the hidden marker
    // A link's arrow takes the Tagged colour's foreground; a broken one's is light red.
    EXPECT_EQ(ui.Text(7, row("zlink"), 1), "»");
    EXPECT_EQ(ui.Attr(7, row("zlink")), (colours[CLR_TAGGED] & 0x0F) | (colours[CLR_PANEL] & 0xF0));
    EXPECT_EQ(ui.Text(8, row("broken"), 1), "»");
    EXPECT_EQ(ui.Attr(8, row("broken")), (colours[CLR_PANEL] & 0xF0) | 12);

    // The cursor: Directory High on a directory, Highlight on a file,
    // Highlight-Tagged on a tagged entry.
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, 1), colours[CLR_DIRECTORY_HIGH]);
    panel.cur = IndexOf(panel, "beta.c");
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, row("beta.c")), colours[CLR_HIGHLIGHT]);
    tag(&panel, panel.cur, 1);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(1, row("beta.c")), colours[CLR_HIGHLIGHT_TAGGED]);
}

TEST_F(PanelPaintTest, ScrollBarFollowsThePage) {
    PANEL& panel = ShowLeft(MakeManyFiles(60));  // 61 entries with ".."
    auto bar = [&] {
        std::string s;
        for (int y = 1; y <= kRows; y++) s += ui.Text(39, y, 1);
        return s;
    };
    EXPECT_EQ(bar(), "▲││││▼║║║║║║║║║║║║║");
    panel.top = 42;
    panel.cur = 0;
    paint_panel(&panel);
    EXPECT_EQ(bar(), "║║║║║║║║║║║║║▲││││▼");
}

TEST_F(PanelPaintTest, StatusLineTexts) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    tag(&panel, IndexOf(panel, "alpha.txt"), 1);
    print_status(&panel);
    EXPECT_EQ(Status(), "    1,234 bytes in 1 selected file");

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
    // A screen wider than every maximum leaves the rest unused instead of looping.
    ASSERT_TRUE(ui.Console().SetSize(1200, 25));
    resize_columns();
    EXPECT_EQ(widths(DETAIL_FULL), (std::vector<int>{256, 10, 8, 6}));
    ASSERT_TRUE(ui.Console().SetSize(80, 25));
    resize_columns();
}

TEST_F(PanelPaintTest, UnknownTimesAndTreeRows) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    // An unknown time stamp leaves the date and time blank.
    panel.files[3]->time = TimeStamp(-1, static_cast<uint32_t>(-1));
    paint_panel(&panel);
    EXPECT_EQ(Inner(3), "alpha.txt    │    1234│        │      ");

    TREENODE root(L"/");
    TREENODE* lib = Chain(&root, "/usr/lib/x")->parent;
    lib->expanded = 0;
    EXPECT_STREQ(tree_node_path(lib).ToUTF8().c_str(), "/usr/lib");
    entry* e = entry::Create(L"lib");
    e->size_known = 2;
    e->size = 0x2;  // the level above goes on below, the entry is its parent's last
    set_entry_tree_node(e, lib);
    CellString row;
    print_tree_row(row, e, 12, 0x1A, 0x1B);
    EXPECT_EQ(Utf8(row), "│ └+lib     ");
    EXPECT_EQ(row[0].attr, 0x1B);
    EXPECT_EQ(row[4].attr, 0x1A);
    entry::Destroy(e);
}
