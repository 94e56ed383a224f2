// Reading directories into panels: what is listed, in which order, and what
// survives a re-read; and the order of names alone, on lists built in memory.
#include "panels/directory.h"
#include "panels/sortpanel.h"
#include "tests/panels/panel_test_util.h"

namespace {

using Names = std::vector<std::string>;

class ReadPanelTest : public PanelTest {
protected:
    void Read(const std::string& dir) {
        SetUpPanel(panel, dir);
        read_panel(&panel);
    }
    // Reads dir expecting one message, dismissed with Enter; whether it showed text.
    bool ReadShowing(const std::string& dir, const std::string& text) {
        CUiTest ui;
        ui.Keys("Enter");
        ui.RecordScreens(true);
        ui.RunVoid([&] { Read(dir); });
        EXPECT_EQ(ui.Screens().size(), 1u);
        return ui.Screens().size() == 1 && ui.Screens()[0].Find(text);
    }
    PANEL panel;
};

// The names sorted, as entries of files.
std::vector<std::wstring> SortedNames(const std::vector<std::wstring>& names, sortby sort) {
    std::vector<entry*> list;
    for (const std::wstring& name : names) {
        list.push_back(entry::Create(name.c_str()));
        list.back()->sort_class = 'C';
    }
    sort_panel(L"/", sort, list.data(), static_cast<int>(list.size()));
    std::vector<std::wstring> out;
    for (entry* e : list) {
        out.push_back(e->name);
        entry::Destroy(e);
    }
    return out;
}

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
    for (const char* name : {"main.c", "main.o", "notes.txt"}) Touch(tmp / name);
    MakeDir(tmp / "build.o");
    // An invalid expression hides nothing.
    const std::pair<const wchar_t*, Names> cases[] = {
        {L"*", {"..", "build.o", "main.c", "main.o", "notes.txt"}},
        {L"!*.o", {"..", "build.o", "main.c", "notes.txt"}},
        {L"(*.c", {"..", "build.o", "main.c", "main.o", "notes.txt"}},
    };
    for (const auto& [filter, names] : cases) {
        SetUpPanel(panel, tmp.path());
        panel.filter = filter;
        read_panel(&panel);
        EXPECT_EQ(ListNames(panel), names) << Westring(filter).ToUTF8().c_str();
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
        // No extension first; reversed, the groups stay on top.
        {SORT_EXTENSION, {"..", "other", "Sub", ".e.c", "d", "c.c", "b.txt", "a.zip"}},
        {SORT_REXTENSION, {"..", "Sub", "other", ".e.c", "a.zip", "b.txt", "c.c", "d"}},
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
    for (int i = 0; i < 10000; i++) Touch(tmp / NumberedName("file", i));
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
        EXPECT_EQ(std::filesystem::file_size(path.c_str()), panel.files[i]->size) << path.c_str();
        EXPECT_EQ(unlink(path.c_str()), 0);
    }
    read_panel(&panel);
    EXPECT_EQ(ListNames(panel), (Names{".."}));
}

TEST_F(ReadPanelTest, EscEndsALongRead) {
    CUiTest ui;
    // Esc is looked for every few thousand entries.
    for (int i = 0; i < 2500; i++) Touch(tmp / NumberedName("f", i));
    ui.Keys("Esc");
    Read(tmp.path());
    EXPECT_GT(panel.num_files, 1);
    EXPECT_LT(panel.num_files, 2501);
    EXPECT_EQ(ui.QueueLength(), 0);
    EXPECT_EQ(break_status.load(), 0);
}

TEST_F(ReadPanelTest, NotADirectoryOrTooLongNameCostsOneMessageAndEndsOnTheNearestParent) {
    Touch(tmp / "plain");
    EXPECT_TRUE(ReadShowing(tmp / "plain", "Not a directory"));
    EXPECT_EQ(EncodeFileName(panel.dir).c_str(), tmp.path());
    EXPECT_EQ(ListNames(panel), (Names{"..", "plain"}));

    MakeDir(tmp / "keep");
    // One name too long: its parent exists and is shown.
    EXPECT_TRUE(ReadShowing(tmp / "keep" + "/" + std::string(300, 'n'), "too long"));
    EXPECT_EQ(ListNames(panel), (Names{".."}));
    EXPECT_EQ(EncodeFileName(panel.dir).c_str(), tmp / "keep");
    // From a path of more than a megabyte the panel goes straight to its
    // longest parent the system takes; that one does not exist, so it lists only "..".
    std::string huge = tmp / "keep";
    while (huge.size() < (1u << 20) + 100) huge += "/abcdefghij";
    EXPECT_TRUE(ReadShowing(huge, "too long"));
    EXPECT_EQ(ListNames(panel), (Names{".."}));
    std::string now = EncodeFileName(panel.dir).c_str();
    EXPECT_LT(now.size(), 4096u);
    EXPECT_EQ(now.compare(0, (tmp / "keep").size(), tmp / "keep"), 0);
    EXPECT_EQ(huge.compare(0, now.size() + 1, now + "/"), 0);
}

TEST_F(ReadPanelTest, UnreadableDirectoryAsAnOrdinaryUser) {
    // Root may read anything: a child process reads as an ordinary user.
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to another user";
    ASSERT_EQ(chmod(tmp.path().c_str(), 0755), 0);
    MakeDir(tmp / "locked");
    ASSERT_EQ(chmod((tmp / "locked").c_str(), 0), 0);
    int failures = RunAsNobody([&] {
        return (ReadShowing(tmp / "locked", "Permission denied") ? 0 : 1) |
               (EncodeFileName(panel.dir).c_str() != tmp.path() ? 2 : 0) | (IndexOf(panel, "locked") < 0 ? 4 : 0);
    });
    EXPECT_EQ(failures, 0) << "1: no message, 2: panel not on the parent, 4: parent not listed";
}

TEST(SortPanelTest, EveryOrderKeepsTheOrderOfItsComparison) {
    // Names equal but for case, non-ASCII and odd extensions; few distinct
    // times and sizes (before 1970 and past 2^63 too), so that the names
    // often decide.
    std::vector<std::wstring> names;
    const wchar_t* stems[] = {L"a", L"B", L"_x", L"a.b", L"", L".", L"A", L"\u00E9t\u00E9", L"\u00C9T\u00C9"};
    const wchar_t* extensions[] = {L"", L".c", L".C", L".tar.gz", L".", L"._1", L".\u0416"};
    for (int i = 0; i < 900; i++)
        names.push_back(std::wstring(stems[i % 9]) + std::to_wstring(i % 37) + extensions[(i / 9) % 7]);
    const struct {
        sortby sort;
        int (*compare)(const entry*, const entry*, int);
    } orders[] = {{SORT_NAME, comp_name}, {SORT_EXTENSION, comp_ext}, {SORT_TIME, comp_time}, {SORT_SIZE, comp_size}};
    for (const auto& order : orders) {
        for (int direction : {1, -1}) {
            std::vector<entry*> list;
            for (size_t i = 0; i < names.size(); i++) {
                list.push_back(entry::Create(names[i].c_str()));
                list.back()->sort_class = "ABC"[i % 3];
                list.back()->time = TimeStamp(static_cast<int64_t>(i % 5) - 2, static_cast<uint32_t>(i % 2));
                list.back()->size = i % 4 == 3 ? UINT64_MAX - i % 7 : i % 4;
            }
            std::vector<entry*> expected = list;
            std::sort(expected.begin(), expected.end(), [&](const entry* a, const entry* b) {
                return order.compare(a, b, direction) < 0;
            });
            const sortby sort = direction > 0 ? order.sort : static_cast<sortby>(order.sort + SORT_RNAME);
            sort_panel(L"/", sort, list.data(), static_cast<int>(list.size()));
            for (size_t i = 0; i < list.size(); i++)
                ASSERT_EQ(order.compare(list[i], expected[i], direction), 0) << i << " of order " << sort;
            for (entry* e : list) entry::Destroy(e);
        }
    }
}

TEST(SortPanelTest, NamesIgnoreCaseAndPutUnderscoreFirstAndFarApartCharactersReverse) {
    using Wide = std::vector<std::wstring>;
    const Wide names = {L"beta", L"Alpha", L"_private", L"alpha2", L"0zero"};
    EXPECT_EQ(SortedNames(names, SORT_NAME), (Wide{L"_private", L"0zero", L"Alpha", L"alpha2", L"beta"}));
    EXPECT_EQ(SortedNames(names, SORT_RNAME), (Wide{L"beta", L"alpha2", L"Alpha", L"0zero", L"_private"}));
    EXPECT_EQ(SortedNames({L"c", L"a", L"b"}, SORT_UNSORTED), (Wide{L"c", L"a", L"b"}));
    // Characters far apart compare without overflow either way.
    const Wide far = {L"\x10FFFF", L"\x01", std::wstring(1, static_cast<wchar_t>(0x7FFFFFFF))};
    Wide reverse = SortedNames(far, SORT_RNAME);
    EXPECT_EQ(SortedNames(far, SORT_NAME), Wide(reverse.rbegin(), reverse.rend()));
}
