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
        {L"!*.o", {"..", "docs.old", "main.c", "main.h", "notes.txt"}},
        // Not a valid expression: nothing is hidden.
        {L"(*.c", all},
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
        {SORT_RNAME, {"..", "Sub", "other", ".e.c", "d", "c.c", "b.txt", "a.zip"}},
        // Larger first; equal sizes by name.
        {SORT_SIZE, {"..", "other", "Sub", ".e.c", "b.txt", "d", "a.zip", "c.c"}},
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
    EXPECT_EQ(panel.tagged_size, 20u + 60u);
    EXPECT_EQ(Tagged(panel), (Names{"b", "f"}));
    EXPECT_TRUE(Find(panel, "e")->done);
}

TEST_F(ReadPanelTest, TenThousandEntriesAreReadWhole) {
    for (int i = 0; i < 10000; i++) Touch(tmp / ("file" + std::to_string(i)));
    Read(tmp.path());
    EXPECT_EQ(panel.num_files, 10001);
    // Re-reading with everything tagged keeps every tag.
    for (int i = 1; i < panel.num_files; i++) panel.files[i]->tagged = 1;
    read_panel(&panel);
    EXPECT_EQ(panel.num_tagged, 10000);
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
        EXPECT_EQ(unlink(path.c_str()), 0);
    }
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{".."}));
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

TEST_F(ReadPanelTest, NotADirectoryIsReportedAndThePanelGoesUp) {
    CUiTest ui;
    Touch(tmp / "plain");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    ui.RunVoid([&] { Read(tmp / "plain"); });
    ASSERT_EQ(ui.Screens().size(), 1u);
    EXPECT_TRUE(ui.Screens()[0].Find("Not a directory")) << ui.Screens()[0].Dump();
    EXPECT_EQ(EncodeFileName(panel.dir).c_str(), tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "plain"}));
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
