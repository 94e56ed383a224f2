// The panel record and its helpers: the cursor, the capacity, the pair of
// panels, the hooks later parts plug in, the remembered positions, the link
// cache and the directory tree.
#include "panels/panel.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/nls.h"
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
            panel.files[panel.num_files++] = entry::Create(Westring(("e" + std::to_string(i)).c_str()).c_str());
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
        {0, 0, L"e5", 0, 5},     // on the page
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
    // A panel not laid out yet counts as one row.
    panel.page_size = 0;
    panel.top = panel.cur = 0;
    goto_fname(&panel, L"e7");
    EXPECT_EQ(panel.top + panel.cur, 7);
    EXPECT_EQ(panel.cur, 0);
}

TEST_F(PanelRecordTest, ParentDirectoryIsReadAfterGoingUp) {
    MakeDir(tmp / "sub");
    Touch(tmp / "sibling");
    PANEL panel;
    SetUpPanel(panel, tmp / "sub");
    read_parent_dir(&panel);
    EXPECT_EQ(EncodeFileName(panel.dir).c_str(), tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "sub", "sibling"}));
    panel.dir = L"/tmp/";
    read_parent_dir(&panel);
    EXPECT_STREQ(panel.dir.ToUTF8().c_str(), "/");
}

TEST_F(PanelRecordTest, InitialisationTakesTheSideSettingsAndShowsThePanel) {
    Touch(tmp / "a.c");
    Touch(tmp / "b.h");
    config.RightSort = SORT_RNAME;
    config.RightStyle = DETAIL_BRIEF;
    config.RightFilter = L"*.c";
    config.RightShowing = true;
    config.panel_rows = 20;
    static int shown_side;
    static paneldetail detail_when_shown;
    shown_side = -1;
    panel_hooks.show = [](PANEL* panel, int side) {
        shown_side = side;
        detail_when_shown = panel->detail;
    };
    PANEL& right = panel_base[1];
    right.dir = DecodeFileName(tmp.path().c_str());
    init_panel(&right, 1);
    EXPECT_EQ(shown_side, 1);
    EXPECT_EQ(detail_when_shown, DETAIL_BRIEF);
    EXPECT_EQ(right.sort, SORT_RNAME);
    EXPECT_EQ(right.page_size, 60);
    EXPECT_EQ(right.name_shift_index, -1);
    EXPECT_EQ(ListNames(right), (Names{"..", "a.c"}));

    // A tree-style panel is read as a file list but not shown here; a side
    // that is not showing is only marked for reading.
    config.LeftStyle = DETAIL_TREE;
    config.LeftShowing = true;
    PANEL& left = panel_base[0];
    left.dir = DecodeFileName(tmp.path().c_str());
    shown_side = -1;
    init_panel(&left, 0);
    EXPECT_EQ(shown_side, -1);
    EXPECT_EQ(left.detail, DETAIL_TREE);
    EXPECT_EQ(left.num_files, 3);
    config.LeftStyle = DETAIL_FULL;
    config.LeftShowing = false;
    left.FreeEntries();
    init_panel(&left, 0);
    EXPECT_EQ(shown_side, -1);
    EXPECT_EQ(left.num_files, 0);
    EXPECT_TRUE(left.reread);
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

    // The tree style asks for the tree instead.
    static int tree_reads;
    tree_reads = 0;
    panel_hooks.read_tree = [](PANEL*) { tree_reads++; };
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    panel.detail = DETAIL_TREE;
    read_panel(&panel);
    EXPECT_EQ(tree_reads, 1);
    EXPECT_EQ(panel.num_files, 0);
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
    EXPECT_TRUE(panel.fs_type.empty());
    EXPECT_STREQ(panel.GetWD().ToUTF8().c_str(), "/home/u");
    panel.archive = nullptr;
    EXPECT_STREQ(panel.GetWD().ToUTF8().c_str(), "/home/u/pack.zip:/");

    // A stale archive is left for the disk.
    archive_valid = false;
    Touch(tmp / "ondisk");
    SetUpPanel(panel, tmp.path());
    panel.archive = kArchive;
    read_panel(&panel);
    EXPECT_EQ(panel.archive, nullptr);
    EXPECT_EQ(ListNames(panel), (Names{"..", "ondisk"}));
}

// ---------------------------------------------------------------- positions, links, tree

TEST_F(PanelRecordTest, PositionsAndLinkTargetsAreKept) {
    CPosStack stack;
    stack.Store(L"/usr", 5, L"lib");
    stack.Store(L"/USR", 1, L"X");
    stack.Store(L"/usr", 7, L"share");
    EXPECT_EQ(stack.count(), 2);
    TPanelPosition* usr = stack.Find(L"/usr");
    ASSERT_NE(usr, nullptr);
    EXPECT_EQ(usr->top, 7);
    EXPECT_STREQ(usr->name.ToUTF8().c_str(), "share");
    EXPECT_EQ(stack.Find(L"/var"), nullptr);

    // Link targets are read once until the next read.
    ASSERT_EQ(symlink("first", (tmp / "link").c_str()), 0);
    CLinkTargetCache cache;
    Westring link = DecodeFileName((tmp / "link").c_str());
    EXPECT_STREQ(cache.GetLinkTarget(link).ToUTF8().c_str(), "first");
    unlink((tmp / "link").c_str());
    ASSERT_EQ(symlink("second", (tmp / "link").c_str()), 0);
    EXPECT_STREQ(cache.GetLinkTarget(link).ToUTF8().c_str(), "first");
    EXPECT_TRUE(cache.GetLinkTarget(DecodeFileName((tmp / "nolink").c_str())).empty());
    cache.DestroyAll();
    EXPECT_STREQ(cache.GetLinkTarget(link).ToUTF8().c_str(), "second");
}

TEST(TreeHolder, FindsNodesByExactPath) {
    TREENODE root(Westring(L"/"));
    TREENODE* lib = Chain(&root, "/usr/lib");
    Chain(&root, "/usr/share");
    CTreeHolder holder;
    EXPECT_EQ(holder.Find(L"/usr/lib"), nullptr);  // nothing attached
    holder.Attach(&root);
    EXPECT_EQ(holder.Find(L"/usr/lib"), lib);
    EXPECT_EQ(holder.Find(L"/usr/lib/"), lib);
    EXPECT_EQ(holder.Find(L"/"), &root);
    for (const wchar_t* missing : {L"/USR/lib", L"/usr/li", L"relative"}) EXPECT_EQ(holder.Find(missing), nullptr);
    EXPECT_EQ(CTreeHolder::NodeSize(nullptr), TREENODE::kUnknownSize);
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

    config.RetainCount = false;
    read_panel(&panel);
    EXPECT_FALSE(Find(panel, "known")->size_known);
    EXPECT_EQ(Find(panel, "known")->size, 0u);
    panel.tree.Detach();
}
