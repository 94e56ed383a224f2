// Association sets: the first matching mask wins.
#include "panels/associations.h"

#include <gtest/gtest.h>

namespace {

TEST(AssociationSetTest, FirstMatchWinsInOrder) {
    AssociationSet set;
    ASSERT_EQ(set.AddAssociation(L"*.tar.gz", L"tar tzf !"), 0);
    ASSERT_EQ(set.AddAssociation(L"*.gz", L"zcat !"), 0);
    ASSERT_EQ(set.AddAssociation(L"*.c|*.h", L"vi !"), 0);
    // Masks ignore case.
    for (const auto& [name, expected] : {std::pair(L"a.tar.gz", L"tar tzf !"), std::pair(L"X.H", L"vi !")}) {
        Westring command;
        EXPECT_TRUE(set.FindAssociation(Westring(name), command));
        EXPECT_TRUE(command == expected) << command.ToUTF8().c_str();
    }
    // No match leaves the command alone.
    Westring command(L"before");
    EXPECT_FALSE(set.FindAssociation(Westring(L"a.txt"), command));
    EXPECT_TRUE(command == L"before");
    EXPECT_FALSE(AssociationSet().FindAssociation(Westring(L"a.c"), command));
    EXPECT_FALSE(set.FindAssociation(static_cast<const entry*>(nullptr), command));

    // A broken mask matches nothing.
    AssociationSet broken;
    broken.AddAssociation(L"(*.c", L"broken");
    broken.AddAssociation(L"*", L"any");
    EXPECT_TRUE(broken.FindAssociation(Westring(L"a.c"), command));
    EXPECT_TRUE(command == L"any");
}

TEST(AssociationSetTest, NarrowResultIsUtf8) {
    AssociationSet set;
    set.AddAssociation(L"*.txt", L"l\u00e9ser \u2192 !");
    Estring command;
    ASSERT_TRUE(set.FindAssociation(Westring(L"r\u00e9sum\u00e9.txt"), command));
    EXPECT_STREQ(command.c_str(), "l\xc3\xa9ser \xe2\x86\x92 !");
}

}  // namespace
