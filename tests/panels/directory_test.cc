// The directory enumerator and its wildcard matcher, on real directories.
#include "panels/directory.h"

#include <errno.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "tests/panels/panel_test_util.h"

namespace {

struct WildCase {
    const wchar_t* pattern;
    const wchar_t* name;
    bool match;
};

const WildCase kWildCases[] = {
    {L"", L"", true},           {L"", L"a", false},          {L"*", L"", true},
    {L"*", L"anything", true},  {L"?", L"", false},          {L"?", L"x", true},
    {L"??", L"x", false},       {L"a*c", L"abbbc", true},    {L"a*c", L"abbbcd", false},
    {L"*.c", L"main.c", true},  {L"*.c", L"main.C", false},  {L"*.c", L"main.cc", false},
    {L"a*b*c", L"aXbYc", true}, {L"a*b*c", L"acb", false},   {L"*a*a*a*b", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    {L"**", L"x", true},        {L"x*", L"x", true},         {L"*x", L"abx", true},
    {L"[ab]", L"[ab]", true},   {L"[ab]", L"a", false},      {L"?*?", L"ab", true},
};

TEST(WildSimple, MatchesByTheTable) {
    for (const WildCase& c : kWildCases) {
        EXPECT_EQ(wild_simple(c.pattern, c.name), c.match) << Westring(c.pattern).ToUTF8().c_str() << " / "
                                                           << Westring(c.name).ToUTF8().c_str();
    }
    EXPECT_TRUE(wild_simple(nullptr, nullptr));
    EXPECT_FALSE(wild_simple(nullptr, L"a"));
    // Many stars on a long name: backtracking over every split would take ages.
    std::wstring name(5000, L'a');
    EXPECT_FALSE(wild_simple(L"*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
    EXPECT_TRUE(wild_simple(L"*a*a*a*a*a*a*a*a*a*a", name.c_str()));
}

class DirectoryTest : public PanelTest {
protected:
    // Every name FindFirst/FindNext deliver for pattern and mask.
    std::set<std::string> List(const std::string& dir, const wchar_t* pattern, unsigned mask) {
        std::set<std::string> names;
        Directory d(DecodeFileName(dir.c_str()));
        entry* e = nullptr;
        for (int rc = d.FindFirst(pattern, mask | FIND_ALLOCATE, &e); rc == 0; rc = d.FindNext(&e)) {
            names.insert(EncodeFileName(e->name).c_str());
            entry::Destroy(e);
        }
        EXPECT_EQ(d.error(), DIR_NO_MORE_FILES);
        return names;
    }
    // The entry of one name, listed with everything included.
    std::unique_ptr<entry, void (*)(entry*)> Lookup(const std::string& dir, const std::string& name) {
        Directory d(DecodeFileName(dir.c_str()));
        entry* e = nullptr;
        for (int rc = d.FindFirst(L"*", 0x10037, &e); rc == 0; rc = d.FindNext(&e)) {
            if (EncodeFileName(e->name).c_str() == name) return {e, entry::Destroy};
            entry::Destroy(e);
        }
        return {nullptr, entry::Destroy};
    }
};

}  // namespace

TEST_F(DirectoryTest, MaskChoosesDirectoriesFilesAndDotNames) {
    Touch(tmp / "plain.c");
    Touch(tmp / ".hidden");
    MakeDir(tmp / "sub");
    MakeDir(tmp / ".hiddendir");
    const struct {
        const wchar_t* pattern;
        unsigned mask;
        std::set<std::string> names;
    } cases[] = {
        {L"*", 0, {"plain.c"}},
        {L"*", FIND_HIDDEN, {".hidden", "plain.c"}},
        {L"*", FIND_DIRS, {"..", "plain.c", "sub"}},
        {L"*", FIND_DIRS | FIND_HIDDEN, {".", "..", ".hidden", ".hiddendir", "plain.c", "sub"}},
        {L"*", FIND_DIRS_ONLY, {"..", "sub"}},
        {L"*.c", FIND_DIRS | FIND_HIDDEN, {"plain.c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(List(tmp.path(), c.pattern, c.mask), c.names) << c.mask;
}

TEST_F(DirectoryTest, PatternWithADirectoryPartListsThatDirectory) {
    MakeDir(tmp / "sub");
    Touch(tmp / "sub/a.c");
    Touch(tmp / "sub/b.h");
    Touch(tmp / "top.c");
    EXPECT_EQ(List(tmp.path(), L"sub/*.c", 0), (std::set<std::string>{"a.c"}));
    Directory d(DecodeFileName(tmp.path().c_str()));
    EXPECT_TRUE(d.Find(L"sub/*.h", 0));
    EXPECT_EQ(EncodeFileName(d.listed()).c_str(), tmp / "sub");
    EXPECT_FALSE(d.Find(L"sub/*.x", 0));
    EXPECT_EQ(d.error(), DIR_NO_MORE_FILES);
    // An absolute directory part replaces the directory.
    Directory elsewhere(L"/nonexistent");
    EXPECT_TRUE(elsewhere.Find(DecodeFileName((tmp / "sub/a.*").c_str()), 0));
    EXPECT_EQ(EncodeFileName(elsewhere.listed()).c_str(), tmp / "sub");
    EXPECT_TRUE(elsewhere.Find(L"/*", FIND_DIRS));
    EXPECT_STREQ(elsewhere.listed().ToUTF8().c_str(), "/");
}

TEST_F(DirectoryTest, AttributesFromTheModeAndTheName) {
    Touch(tmp / "data.bin", 1234, 1000000000);
    Touch(tmp / ".profile");
    Touch(tmp / "locked");
    ASSERT_EQ(chmod((tmp / "locked").c_str(), 0444), 0);
    Touch(tmp / "shared");
    ASSERT_EQ(chmod((tmp / "shared").c_str(), 0466), 0);  // others may write
    MakeDir(tmp / "dir");

    auto data = Lookup(tmp.path(), "data.bin");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size, 1234u);
    EXPECT_EQ(data->attr, 0);
    EXPECT_EQ(data->mode & 0777, 0644);
    EXPECT_EQ(data->time.seconds, 1000000000);
    EXPECT_EQ(data->uid, static_cast<uint32_t>(getuid()));
    EXPECT_EQ(data->desc[0], 0xFFFFFFFFu);

    const std::pair<const char*, int> attrs[] = {
        {".profile", FA_HIDDEN}, {"locked", FA_RDONLY}, {"shared", 0}, {"dir", FA_DIREC}, {".", FA_DIREC | FA_HIDDEN}};
    for (const auto& [name, attr] : attrs) EXPECT_EQ(Lookup(tmp.path(), name)->attr, attr) << name;
    EXPECT_EQ(Lookup(tmp.path(), "dir")->size, 0u);
    EXPECT_EQ(Lookup(tmp.path(), "..")->attr & FA_HIDDEN, 0);
}

TEST_F(DirectoryTest, SymbolicLinksShowTheirTargetOrThemselvesWhenBroken) {
    Touch(tmp / "target", 777);
    MakeDir(tmp / "targetdir");
    ASSERT_EQ(symlink("target", (tmp / "to_file").c_str()), 0);
    ASSERT_EQ(symlink("targetdir", (tmp / "to_dir").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (tmp / "broken").c_str()), 0);
    ASSERT_EQ(symlink("loop", (tmp / "loop").c_str()), 0);

    const struct {
        const char* name;
        int attr;
        uint64_t size;
    } links[] = {
        {"to_file", FA_LINK, 777}, {"to_dir", FA_LINK | FA_DIREC, 0},
        {"broken", FA_LINK | FA_BROKEN, 7},  // the link's own size: the length of "nowhere"
        {"loop", FA_LINK | FA_BROKEN, 4},
    };
    for (const auto& l : links) {
        auto e = Lookup(tmp.path(), l.name);
        ASSERT_TRUE(e) << l.name;
        EXPECT_EQ(e->attr, l.attr) << l.name;
        EXPECT_EQ(e->size, l.size) << l.name;
    }
    // Directories only: the link to a directory counts as one.
    EXPECT_EQ(List(tmp.path(), L"*", FIND_DIRS_ONLY), (std::set<std::string>{"..", "targetdir", "to_dir"}));
}

TEST_F(DirectoryTest, CallersRecordIsFilledWithoutAllocating) {
    Touch(tmp / std::string(255, 'n'), 5);
    Directory d(DecodeFileName(tmp.path().c_str()));
    entry* record = Directory::NewRecord();
    entry* given = record;
    ASSERT_EQ(d.FindFirst(L"n*", 0, &record), 0);
    EXPECT_EQ(record, given);
    EXPECT_EQ(std::wcslen(record->name), 255u);
    EXPECT_EQ(record->size, 5u);
    EXPECT_EQ(d.FindNext(&record), DIR_NO_MORE_FILES);
    entry* none = nullptr;
    EXPECT_EQ(d.FindFirst(L"*", 0, &none), EINVAL);
    entry::Destroy(record);
}

TEST_F(DirectoryTest, FirstStepReportsTheSystemsError) {
    Touch(tmp / "file");
    entry* e = nullptr;
    struct Case {
        std::string dir;
        int code;
    } cases[] = {
        {tmp / "missing", ENOENT},
        {tmp / "file", ENOTDIR},
        {tmp / std::string(300, 'x'), ENAMETOOLONG},
    };
    for (const Case& c : cases) {
        Directory d(DecodeFileName(c.dir.c_str()));
        EXPECT_EQ(d.FindFirst(L"*", 0x10037, &e), c.code) << c.dir;
        EXPECT_EQ(d.FindNext(&e), DIR_NO_MORE_FILES);  // nothing open
    }
    // An empty directory has "." and ".." only.
    MakeDir(tmp / "empty");
    Directory d(DecodeFileName((tmp / "empty").c_str()));
    EXPECT_EQ(d.FindFirst(L"*", 0x10000, &e), DIR_NO_MORE_FILES);
}

TEST_F(DirectoryTest, EntryRemovedWhileListingIsPassedOver) {
    for (int i = 0; i < 50; i++) Touch(tmp / ("f" + std::to_string(i)));
    Directory d(DecodeFileName(tmp.path().c_str()));
    entry* e = nullptr;
    ASSERT_EQ(d.FindFirst(L"f*", FIND_ALLOCATE, &e), 0);
    entry::Destroy(e);
    for (int i = 0; i < 50; i++) unlink((tmp / ("f" + std::to_string(i))).c_str());
    int more = 0;
    while (d.FindNext(&e) == 0) {
        entry::Destroy(e);
        more++;
    }
    // The listing may still name removed files; none of them is delivered
    // once it is gone.
    EXPECT_EQ(more, 0);
}
