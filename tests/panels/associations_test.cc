// Association sets: the first matching mask wins.
#include "panels/associations.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct EntryDeleter {
    void operator()(entry* e) const { entry::Destroy(e); }
};
using EntryPtr = std::unique_ptr<entry, EntryDeleter>;

EntryPtr Make(const wchar_t* name, uint64_t size = 0, uint16_t attr = 0) {
    EntryPtr e(entry::Create(name));
    e->size = size;
    e->attr = attr;
    e->mode = 0644;
    return e;
}

TEST(AssociationSetTest, FirstMatchWinsInOrder) {
    AssociationSet set;
    ASSERT_EQ(set.AddAssociation(L"*.tar.gz", L"tar tzf !"), 0);
    ASSERT_EQ(set.AddAssociation(L"*.gz", L"zcat !"), 0);
    ASSERT_EQ(set.AddAssociation(L"*.c|*.h", L"vi !"), 0);
    // Masks ignore case.
    for (const auto& [name, expected] : {std::pair(L"a.tar.gz", L"tar tzf !"), std::pair(L"b.gz", L"zcat !"),
                                         std::pair(L"X.H", L"vi !")}) {
        Westring command;
        EXPECT_TRUE(set.FindAssociation(Westring(name), command));
        EXPECT_TRUE(command == expected) << command.ToUTF8().c_str();
    }
    // No match leaves the command alone.
    Westring command(L"before");
    EXPECT_FALSE(set.FindAssociation(Westring(L"a.txt"), command));
    EXPECT_TRUE(command == L"before");
    EXPECT_FALSE(AssociationSet().FindAssociation(Westring(L"a.c"), command));

    // A broken mask matches nothing.
    AssociationSet broken;
    broken.AddAssociation(L"(*.c", L"broken");
    broken.AddAssociation(L"*", L"any");
    EXPECT_FALSE(broken[0]->IsMatch(Westring(L"a.c")));
    EXPECT_TRUE(broken.FindAssociation(Westring(L"a.c"), command));
    EXPECT_TRUE(command == L"any");
}

TEST(AssociationSetTest, EntriesAreMatchedWithTheirAttributes) {
    AssociationSet set;
    set.AddAssociation(L"%attrib=d", L"bright white");
    set.AddAssociation(L"*.log&%size>1k", L"red");
    set.AddAssociation(L"*.log", L"green");
    Westring colour;
    for (const auto& [e, want] : {std::pair(Make(L"src", 0, FA_DIREC), L"bright white"),
                                  std::pair(Make(L"big.log", 5000), L"red"), std::pair(Make(L"small.log", 10), L"green")}) {
        EXPECT_TRUE(set.FindAssociation(e.get(), colour));
        EXPECT_TRUE(colour == want) << colour.ToUTF8().c_str();
    }
    EXPECT_FALSE(set.FindAssociation(static_cast<const entry*>(nullptr), colour));
}

TEST(AssociationSetTest, NarrowResultIsUtf8AndClearEmpties) {
    AssociationSet set;
    set.AddAssociation(L"*.txt", L"l\u00e9ser \u2192 !");
    Estring command;
    ASSERT_TRUE(set.FindAssociation(Westring(L"r\u00e9sum\u00e9.txt"), command));
    EXPECT_STREQ(command.c_str(), "l\xc3\xa9ser \xe2\x86\x92 !");
    set.Clear();
    EXPECT_EQ(set.count(), 0);
    EXPECT_FALSE(set.FindAssociation(Westring(L"a.txt"), command));
}

}  // namespace
