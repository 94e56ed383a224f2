// Reading directories into panels: what is listed, in which order, and what
// survives a re-read.
#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/console.h"
#include "lib/nls.h"
#include "panels/directory.h"
#include "panels/panel.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/uitest.h"

namespace {

using Names = std::vector<std::string>;

class ReadPanelTest : public PanelTest {
protected:
    void Read(const std::string& dir) {
        SetUpPanel(panel, dir);
        read_panel(&panel);
    }
    PANEL panel;
};

}  // namespace

TEST_F(ReadPanelTest, EveryDirectoryButTheRootShowsParentFirst) {
    Read("/");
    ASSERT_GT(panel.num_files, 0);
    EXPECT_EQ(IndexOf(panel, ".."), -1);
    EXPECT_EQ(IndexOf(panel, "."), -1);
    EXPECT_EQ(panel.read_error, 0u);
    // Empty or missing (which is no error): ".." alone.
    for (const std::string& dir : {tmp.path(), tmp / "gone"}) {
        Read(dir);
        EXPECT_EQ(ListNames(panel), (Names{".."}));
        EXPECT_EQ(panel.read_error, 0u);
    }
    Touch(tmp / "a");
    MakeDir(tmp / "z");
    Read(tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "z", "a"}));
    EXPECT_EQ(panel.files[0]->sort_class, '1');
    EXPECT_TRUE(panel.files[0]->is_dir());
}

TEST_F(ReadPanelTest, HiddenSettingDecidesDotNames) {
    Touch(tmp / ".rc");
    Touch(tmp / "visible");
    MakeDir(tmp / ".cache");
    config.Hidden = false;
    Read(tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "visible"}));
    // A hidden directory is still a subdirectory of this one.
    EXPECT_EQ(panel.subdirs.count(), 1);
    config.Hidden = true;
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{"..", ".cache", ".rc", "visible"}));
    EXPECT_EQ(Find(panel, ".rc")->sort_class, 'B');
    EXPECT_EQ(Find(panel, ".cache")->sort_class, 'A');
}

TEST_F(ReadPanelTest, FiltersHideFilesButNeverDirectories) {
    for (const char* name : {"main.c", "main.h", "main.o", "notes.txt"}) Touch(tmp / name);
    MakeDir(tmp / "docs.old");
    const Names all = {"..", "docs.old", "main.c", "main.h", "main.o", "notes.txt"};
    struct Case {
        const wchar_t* filter;
        Names names;
    } cases[] = {
        {L"*", all},
        {L"*.c", {"..", "docs.old", "main.c"}},
        {L"*.c|*.h", {"..", "docs.old", "main.c", "main.h"}},
        {L"!*.o", {"..", "docs.old", "main.c", "main.h", "notes.txt"}},
        {L"*.none", {"..", "docs.old"}},
        // Not valid expressions: nothing is hidden.
        {L"(*.c", all},
        {L"%foo>1", all},
        {L"", all},
    };
    for (const Case& c : cases) {
        Read(tmp.path());
        panel.filter = c.filter;
        read_panel(&panel);
        EXPECT_EQ(ListNames(panel), c.names) << Westring(c.filter).ToUTF8().c_str();
    }
}

TEST_F(ReadPanelTest, SortOrdersWithGroupsOnTop) {
    Touch(tmp / "b.txt", 300, 3000);
    Touch(tmp / "a.zip", 100, 2000);
    Touch(tmp / "c.c", 100, 1000);
    Touch(tmp / "d", 200, 3000);
    Touch(tmp / ".e.c", 1, 10);
    MakeDir(tmp / "Sub");
    MakeDir(tmp / "other");
    struct Case {
        sortby sort;
        Names names;
    } cases[] = {
        {SORT_NAME, {"..", "other", "Sub", ".e.c", "a.zip", "b.txt", "c.c", "d"}},
        {SORT_RNAME, {"..", "Sub", "other", ".e.c", "d", "c.c", "b.txt", "a.zip"}},
        {SORT_EXTENSION, {"..", "other", "Sub", ".e.c", "d", "c.c", "b.txt", "a.zip"}},
        {SORT_REXTENSION, {"..", "Sub", "other", ".e.c", "a.zip", "b.txt", "c.c", "d"}},
        // Later first; equal times by name.
        {SORT_TIME, {"..", "other", "Sub", ".e.c", "b.txt", "d", "a.zip", "c.c"}},
        {SORT_RTIME, {"..", "Sub", "other", ".e.c", "c.c", "a.zip", "d", "b.txt"}},
        // Larger first; equal sizes by name.
        {SORT_SIZE, {"..", "other", "Sub", ".e.c", "b.txt", "d", "a.zip", "c.c"}},
        {SORT_RSIZE, {"..", "Sub", "other", ".e.c", "c.c", "a.zip", "d", "b.txt"}},
    };
    for (const Case& c : cases) {
        Read(tmp.path());
        panel.sort = c.sort;
        read_panel(&panel);
        EXPECT_EQ(ListNames(panel), c.names) << "sort " << c.sort;
    }
}

TEST_F(ReadPanelTest, CursorAndTagsSurviveAReRead) {
    const char* names[] = {"a", "b", "c", "d", "e", "f", "g"};
    for (int i = 0; i < 7; i++) Touch(tmp / names[i], static_cast<size_t>(10 * (i + 1)));
    Read(tmp.path());
    for (const char* tagged : {"b", "d", "f"}) Find(panel, tagged)->tagged = 1;
    Find(panel, "e")->done = 1;
    panel.num_tagged = 3;
    panel.top = 2;
    panel.cur = 3;  // "e"
    ASSERT_EQ(Cursor(panel), "e");

    unlink((tmp / "d").c_str());
    Touch(tmp / "b2");
    Touch(tmp / "0first");
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{"..", "0first", "a", "b", "b2", "c", "e", "f", "g"}));
    EXPECT_EQ(Cursor(panel), "e");
    EXPECT_EQ(panel.num_tagged, 2);
    EXPECT_EQ(panel.tagged_size, 20u + 60u);
    EXPECT_EQ(Tagged(panel), (Names{"b", "f"}));
    EXPECT_TRUE(Find(panel, "e")->done);
}

TEST_F(ReadPanelTest, CursorOnARemovedFileGoesToTheNearestValidPlace) {
    for (const char* name : {"a", "b", "c", "d"}) Touch(tmp / name);
    Read(tmp.path());
    panel.cur = 4;  // "d", the last
    unlink((tmp / "d").c_str());
    unlink((tmp / "c").c_str());
    read_panel(&panel);
    EXPECT_EQ(Cursor(panel), "b");  // the last entry now
    EXPECT_EQ(panel.top + panel.cur, 2);

    // Tags and the cursor match names exactly.
    Touch(tmp / "B");
    read_panel(&panel);
    Find(panel, "B")->tagged = 1;
    panel.num_tagged = 1;
    goto_fname(&panel, L"B");
    read_panel(&panel);
    EXPECT_EQ(Tagged(panel), (Names{"B"}));
    EXPECT_EQ(panel.num_tagged, 1);
    EXPECT_EQ(Cursor(panel), "B");
}

TEST_F(ReadPanelTest, AnotherDirectoryStartsAtTheTopWithoutTags) {
    MakeDir(tmp / "sub");
    Touch(tmp / "sub/x");
    Touch(tmp / "y");
    Read(tmp.path());
    Find(panel, "y")->tagged = 1;
    panel.num_tagged = 1;
    panel.cur = 2;
    panel.dir = DecodeFileName((tmp / "sub").c_str());
    read_panel(&panel);
    EXPECT_EQ(panel.top + panel.cur, 0);
    EXPECT_EQ(panel.num_tagged, 0);
    EXPECT_EQ(ListNames(panel), (Names{"..", "x"}));
    EXPECT_EQ(EncodeFileName(panel.read_dir).c_str(), tmp / "sub");
}

TEST_F(ReadPanelTest, TenThousandEntriesAreReadWhole) {
    for (int i = 0; i < 10000; i++) Touch(tmp / ("file" + std::to_string(i)));
    Read(tmp.path());
    EXPECT_EQ(panel.num_files, 10001);
    EXPECT_GE(panel.max_files, 10001);
    EXPECT_EQ(ListNames(panel).front(), "..");
    // Re-reading with everything tagged keeps every tag.
    for (int i = 1; i < panel.num_files; i++) panel.files[i]->tagged = 1;
    read_panel(&panel);
    EXPECT_EQ(panel.num_tagged, 10000);
}

TEST_F(ReadPanelTest, HiddenOrInformationPanelIsOnlyMarked) {
    Touch(tmp / "a");
    SetUpPanel(panel, tmp.path());
    panel.visible = 0;
    read_panel(&panel);
    EXPECT_TRUE(panel.reread);
    EXPECT_EQ(panel.num_files, 0);
    EXPECT_FALSE(panel.changed);
    panel.visible = 1;
    panel.type = PANEL_INFO;
    read_panel(&panel);
    EXPECT_EQ(panel.num_files, 0);
    panel.type = PANEL_FILES;
    read_panel(&panel);
    EXPECT_FALSE(panel.reread);
    EXPECT_TRUE(panel.changed);
    EXPECT_EQ(panel.num_files, 2);
}

TEST_F(ReadPanelTest, SymbolicLinksAreListedByWhatTheyPointAt) {
    Touch(tmp / "file", 42);
    MakeDir(tmp / "dir");
    ASSERT_EQ(symlink("file", (tmp / "l_file").c_str()), 0);
    ASSERT_EQ(symlink("dir", (tmp / "l_dir").c_str()), 0);
    ASSERT_EQ(symlink("missing", (tmp / "l_broken").c_str()), 0);
    Read(tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "dir", "l_dir", "file", "l_broken", "l_file"}));
    EXPECT_EQ(Find(panel, "l_file")->size, 42u);
    EXPECT_EQ(panel.subdirs.count(), 2);
    EXPECT_STREQ(panel.link_targets.GetLinkTarget(DecodeFileName((tmp / "l_dir").c_str())).ToUTF8().c_str(),
                 "dir");
}

TEST_F(ReadPanelTest, NamesThatAreNotTextComeBackAsTheSameBytes) {
    const std::string names[] = {
        std::string("bad\xff\xfe"), std::string("half\xc3"), std::string("new\nline"), "tab\there",
        "-rf", "--help", std::string("\xe2\x82\xac uro"), std::string("mix\x80\xc3\xa9")};
    for (const std::string& name : names) Touch(tmp / name, name.size());
    Read(tmp.path());
    ASSERT_EQ(panel.num_files, 9);
    Westring base = DecodeFileName(tmp.path().c_str());
    for (int i = 1; i < panel.num_files; i++) {
        Estring path = EncodeFileName(base + L"/" + panel.files[i]->name);
        struct stat status;
        ASSERT_EQ(stat(path.c_str(), &status), 0) << path.c_str();
        EXPECT_EQ(static_cast<uint64_t>(status.st_size), panel.files[i]->size);
        int fd = open(path.c_str(), O_RDONLY);
        EXPECT_GE(fd, 0);
        if (fd >= 0) close(fd);
        EXPECT_EQ(unlink(path.c_str()), 0);
    }
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{".."}));
}

TEST_F(ReadPanelTest, CaseFilterFoldsNamesOnListedFileSystems) {
    Touch(tmp / "MixedCase.TXT");
    MakeDir(tmp / "SubDir");
    Read(tmp.path());
    ASSERT_FALSE(panel.fs_type.empty()) << "no file-system type for " << tmp.path();
    config.CaseFilter = Westring(L"vfat,") + panel.fs_type;
    config.CaseFilter.downcase();
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{"..", "SUBDIR", "mixedcase.txt"}));
    // The setting itself is upper-cased on the way.
    Westring upper = config.CaseFilter;
    upper.upcase();
    EXPECT_EQ(fncompare(config.CaseFilter.c_str(), upper.c_str()), 0);
}

// ---------------------------------------------------------------- interruptions

TEST_F(ReadPanelTest, BreakKeepsWhatWasRead) {
    CUiTest ui;
    for (int i = 0; i < 500; i++) Touch(tmp / ("f" + std::to_string(i)));
    static CUiTest* active;
    active = &ui;
    panel_hooks.each_entry = [](PANEL*, int taken) {
        if (taken == 100) {
            EXPECT_EQ(break_status.load(), 1);
            active->Keys("Break");
        }
    };
    Read(tmp.path());
    // 100 entries were taken: "." and ".." may be among them, and a ".." not
    // seen yet is put in front.
    EXPECT_GE(panel.num_files, 99);
    EXPECT_LE(panel.num_files, 101);
    EXPECT_EQ(ListNames(panel).front(), "..");
    EXPECT_EQ(break_status.load(), 0);
}

TEST_F(ReadPanelTest, EscEndsALongRead) {
    CUiTest ui;
    // Esc is looked for every few thousand entries.
    for (int i = 0; i < 2500; i++) Touch(tmp / ("f" + std::to_string(i)));
    ui.Keys("Esc");
    Read(tmp.path());
    EXPECT_GT(panel.num_files, 1);
    EXPECT_LT(panel.num_files, 2501);
    EXPECT_EQ(ui.QueueLength(), 0);
    EXPECT_EQ(break_status.load(), 0);
}

// ---------------------------------------------------------------- directories that cannot be listed

TEST_F(ReadPanelTest, NotADirectoryIsReportedAndThePanelGoesUp) {
    CUiTest ui;
    Touch(tmp / "plain");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    ui.RunVoid([&] { Read(tmp / "plain"); });
    ASSERT_EQ(ui.Screens().size(), 1u);
    EXPECT_TRUE(ui.Screens()[0].Find("Not a directory")) << ui.Screens()[0].Dump();
    EXPECT_TRUE(ui.Screens()[0].Find("plain")) << ui.Screens()[0].Dump();
    EXPECT_EQ(EncodeFileName(panel.dir).c_str(), tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "plain"}));
    EXPECT_EQ(panel.read_error, 0u);
}

TEST_F(ReadPanelTest, TooLongNamesCostOneMessageAndEndOnTheNearestReadableParent) {
    CUiTest ui;
    MakeDir(tmp / "keep");
    // One name too long, and a path of more than a megabyte below it.
    std::string deep = tmp / "keep" + "/" + std::string(300, 'n');
    std::string huge = tmp / "keep";
    while (huge.size() < (1u << 20) + 100) huge += "/abcdefghij";
    for (const std::string& dir : {deep, huge}) {
        ui.Keys("Enter");
        ui.RecordScreens(true);
        ui.RunVoid([&] { Read(dir); });
        ASSERT_EQ(ui.Screens().size(), 1u);
        EXPECT_TRUE(ui.Screens()[0].Find("too long")) << ui.Screens()[0].Dump();
        ui.RecordScreens(false);
        EXPECT_EQ(ListNames(panel), (Names{".."}));
        std::string now = EncodeFileName(panel.dir).c_str();
        if (dir == deep) {
            EXPECT_EQ(now, tmp / "keep");  // the long name's parent exists and is shown
            continue;
        }
        // From the huge path the panel goes straight to its longest parent the
        // system takes; that one does not exist, so it lists only "..".
        EXPECT_LT(now.size(), 4096u);
        EXPECT_EQ(now.compare(0, (tmp / "keep").size(), tmp / "keep"), 0);
        EXPECT_EQ(huge.compare(0, now.size() + 1, now + "/"), 0);
    }
}

TEST_F(ReadPanelTest, UnreadableDirectoryAsAnOrdinaryUser) {
    // Root may read anything: a child process reads as an ordinary user.
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
    ASSERT_EQ(chmod(tmp.path().c_str(), 0755), 0);
    MakeDir(tmp / "locked");
    ASSERT_EQ(chmod((tmp / "locked").c_str(), 0), 0);
    int failures = RunAsNobody([&] {
        CUiTest ui;
        ui.Keys("Enter");
        ui.RecordScreens(true);
        SetUpPanel(panel, tmp / "locked");
        ui.RunVoid([&] { read_panel(&panel); });
        return (ui.Screens().size() != 1 || !ui.Screens()[0].Find("Permission denied") ? 1 : 0) |
               (EncodeFileName(panel.dir).c_str() != tmp.path() ? 2 : 0) | (IndexOf(panel, "locked") < 0 ? 4 : 0);
    });
    EXPECT_EQ(failures, 0) << "1: no message, 2: panel not on the parent, 4: parent not listed";
}
