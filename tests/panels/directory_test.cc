// The directory enumerator and its wildcard matcher, on real directories.
#include "panels/directory.h"

#include <memory>

#include "tests/panels/panel_test_util.h"

namespace {

struct WildCase {
    const wchar_t* pattern;
    const wchar_t* name;
    bool match;
};

const WildCase kWildCases[] = {
    {L"", L"a", false},         {L"*", L"", true},           {L"?", L"", false},
    {L"a*c", L"abbbcd", false}, {L"*.c", L"main.C", false},  {L"a*b*c", L"acb", false},
    {L"[ab]", L"[ab]", true},   {L"[ab]", L"a", false},      {L"?*?", L"ab", true},
};

TEST(WildSimple, MatchesByTheTable) {
    for (const WildCase& c : kWildCases) {
        EXPECT_EQ(wild_simple(c.pattern, c.name), c.match) << Westring(c.pattern).ToUTF8().c_str() << " / "
                                                           << Westring(c.name).ToUTF8().c_str();
    }
    EXPECT_FALSE(wild_simple(nullptr, L"a"));
    // Many stars on a long name: backtracking over every split would take ages.
    std::wstring name(5000, L'a');
    EXPECT_FALSE(wild_simple(L"*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
    EXPECT_TRUE(wild_simple(L"*a*a*a*a*a*a*a*a*a*a", name.c_str()));
}

class DirectoryTest : public PanelTest {
protected:
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
}

TEST_F(DirectoryTest, EntryRemovedWhileListingIsPassedOver) {
    for (int i = 0; i < 50; i++) Touch(tmp / NumberedName("f", i));
    Directory d(DecodeFileName(tmp.path().c_str()));
    entry* e = nullptr;
    ASSERT_EQ(d.FindFirst(L"f*", FIND_ALLOCATE, &e), 0);
    entry::Destroy(e);
    for (int i = 0; i < 50; i++) unlink((tmp / NumberedName("f", i)).c_str());
    int more = 0;
    while (d.FindNext(&e) == 0) {
        entry::Destroy(e);
        more++;
    }
    // The listing may still name removed files; none of them is delivered
    // once it is gone.
    EXPECT_EQ(more, 0);
}
