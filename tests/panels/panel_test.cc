// The panel record and its helpers: the cursor, the pair of panels, the
// hooks other modules plug in and the directory tree.
#include "panels/directory.h"
#include "tests/panels/panel_test_util.h"

namespace {

using Names = std::vector<std::string>;

class PanelRecordTest : public PanelTest {
protected:
    // A list of n entries named "e0", "e1", ... built in memory.
    static void Fill(PANEL& panel, int n) {
        panel.FreeEntries();
        for (int i = 0; i < n; i++) {
            if (panel.num_files == panel.max_files) {
                ASSERT_TRUE(IncreaseMaxFiles(&panel));
            }
            panel.files[panel.num_files++] = entry::Create(Westring(NumberedName("e", i).c_str()).c_str());
        }
    }
};

}  // namespace

TEST_F(PanelRecordTest, GotoNameMovesTheCursorAndKeepsItOnThePage) {
    PANEL panel;
    Fill(panel, 100);
    panel.page_size = 10;
    const struct {
        int top, cur;
        const wchar_t* name;
        int want_top, want_cur;
    } cases[] = {
        {0, 0, L"e50", 41, 9},   // below: the page scrolls so it is the last row
        {60, 2, L"e3", 3, 0},    // above: it becomes the first row
        {20, 4, L"E24", 20, 4},  // the name must match exactly: nothing moves
        {0, 15, L"none", 6, 9},  // not found: the cursor is still kept on the page
    };
    for (const auto& c : cases) {
        panel.top = c.top;
        panel.cur = c.cur;
        goto_fname(&panel, c.name);
        EXPECT_EQ(panel.top, c.want_top) << Westring(c.name).ToUTF8().c_str();
        EXPECT_EQ(panel.cur, c.want_cur) << Westring(c.name).ToUTF8().c_str();
    }
}

TEST_F(PanelRecordTest, RefreshReadsFileListsMarksHiddenOnesAndFollowsTheInformationPanel) {
    Touch(tmp / "x");
    PANEL& left = panel_base[0];
    PANEL& right = panel_base[1];
    SetUpPanel(left, tmp.path());
    SetUpPanel(right, tmp.path());
    static std::vector<PANEL*> painted, informed;
    painted.clear();
    informed.clear();
    panel_hooks.paint = [](PANEL* panel) { painted.push_back(panel); };
    panel_hooks.update_info = [](PANEL* info, PANEL*) { informed.push_back(info); };

    panel_refresh();
    EXPECT_EQ(left.num_files, 2);
    EXPECT_EQ(right.num_files, 2);
    EXPECT_EQ(painted, (std::vector<PANEL*>{&left, &right}));

    // The left panel shows information: only the right one is read, and the
    // information panel is told about it.
    left.type = PANEL_INFO;
    painted.clear();
    Touch(tmp / "y");
    panel_refresh();
    EXPECT_EQ(right.num_files, 3);
    EXPECT_EQ(painted, (std::vector<PANEL*>{&right}));
    EXPECT_EQ(informed, (std::vector<PANEL*>{&left}));

    // Hidden panels are marked, not read.
    left.type = PANEL_FILES;
    left.visible = 0;
    right.visible = 0;
    Touch(tmp / "z");
    panel_refresh();
    EXPECT_TRUE(left.reread);
    EXPECT_TRUE(right.reread);
    EXPECT_EQ(right.num_files, 3);
}

// ---------------------------------------------------------------- archives

namespace {

// A pretend archive with two entries, and the hooks that list it.
int archive_listed;
bool archive_valid;
Archive* const kArchive = reinterpret_cast<Archive*>(0x1000);

int archive_next(PANEL*, entry** result) {
    static const wchar_t* names[] = {L"inside.txt", L"folder"};
    if (archive_listed >= 2) return DIR_NO_MORE_FILES;
    entry* e = entry::Create(names[archive_listed]);
    if (archive_listed == 1) e->attr = FA_DIREC;
    archive_listed++;
    *result = e;
    return 0;
}

void install_archive_hooks() {
    archive_listed = 0;
    panel_hooks.archive_current = [](PANEL*) { return archive_valid; };
    panel_hooks.archive_close_innermost = [](PANEL* panel) { panel->archive = nullptr; };
    panel_hooks.archive_find_first = [](PANEL* panel, entry** result) {
        archive_listed = 0;
        return archive_next(panel, result);
    };
    panel_hooks.archive_find_next = archive_next;
    panel_hooks.archive_outer_file = [](const PANEL*) { return Westring(L"/home/u/pack.zip"); };
}

}  // namespace

TEST_F(PanelRecordTest, ArchivePanelListsTheArchiveUnlessItIsStale) {
    install_archive_hooks();
    archive_valid = true;
    PANEL panel;
    SetUpPanel(panel, "/home/u/pack.zip:/");
    panel.archive = kArchive;
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{"..", "folder", "inside.txt"}));
    EXPECT_STREQ(panel.GetWD().ToUTF8().c_str(), "/home/u");  // commands run beside the archive

    // A stale archive is left for the disk.
    archive_valid = false;
    Touch(tmp / "ondisk");
    SetUpPanel(panel, tmp.path());
    panel.archive = kArchive;
    read_panel(&panel);
    EXPECT_EQ(panel.archive, nullptr);
    EXPECT_EQ(ListNames(panel), (Names{"..", "ondisk"}));
}

TEST_F(PanelRecordTest, TreeSizesFillDirectoriesAndTheDirectoryTotal) {
    MakeDir(tmp / "known");
    MakeDir(tmp / "unknown");
    Touch(tmp / "file", 1000);
    TREENODE root(Westring(L"/"));
    TREENODE* here = Chain(&root, tmp.path());
    here->size = 0;
    TREENODE* known = Chain(here, "/known");
    known->size = 5000;
    TREENODE* unknown = Chain(here, "/unknown");
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    panel.tree.Attach(&root);

    config.RetainCount = true;
    read_panel(&panel);
    EXPECT_EQ(Find(panel, "known")->size, 5000u);
    EXPECT_TRUE(Find(panel, "known")->size_known);
    EXPECT_FALSE(Find(panel, "unknown")->size_known);
    // A subdirectory of unknown size leaves the total unknown.
    EXPECT_EQ(here->size, TREENODE::kUnknownSize);

    unknown->size = 70;
    here->size = 0;
    read_panel(&panel);
    EXPECT_EQ(here->size, 1000u + 5000u + 70u);
    panel.tree.Detach();
}
