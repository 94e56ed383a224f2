// Exchanging the contents of two sorted collections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/sortedcollection.h"
#include "lib/strcoll.h"

namespace {

std::vector<std::string> Items(FnStringCollection& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.count(); i++) out.push_back(c.At(i)->ToUTF8().c_str());
    return out;
}

}  // namespace

TEST(SortedCollectionSwap, ExchangesItemsCursorsAndFlags) {
    FnStringCollection a, b;
    for (const wchar_t* name : {L"delta", L"alpha", L"charlie"}) a.AddString(name);
    // More items than the first array holds, so the capacities differ too.
    for (int i = 0; i < 150; i++) b.AddString(Westring(("n" + std::to_string(1000 + i)).c_str()));
    b.duplicates = true;
    a.unsorted = false;
    (void)a[1];   // cursor of a on "charlie"
    (void)b[42];  // cursor of b on item 42
    const int capacity_a = a.capacity(), capacity_b = b.capacity();
    ASSERT_NE(capacity_a, capacity_b);

    a.Swap(b);
    EXPECT_EQ(a.count(), 150);
    EXPECT_EQ(b.count(), 3);
    EXPECT_EQ(a.capacity(), capacity_b);
    EXPECT_EQ(b.capacity(), capacity_a);
    EXPECT_EQ(a.current(), 42);
    EXPECT_EQ(b.current(), 1);
    EXPECT_TRUE(a.duplicates);
    EXPECT_FALSE(b.duplicates);
    EXPECT_EQ(Items(b), (std::vector<std::string>{"alpha", "charlie", "delta"}));

    // Both still search and grow after the exchange.
    Westring key(L"N1100");
    ASSERT_NE(a.FindItem(&key), nullptr);
    EXPECT_EQ(b.AddString(L"bravo"), 1);
    EXPECT_EQ(Items(b), (std::vector<std::string>{"alpha", "bravo", "charlie", "delta"}));
    for (int i = 0; i < 200; i++) b.AddString(Westring(("x" + std::to_string(i)).c_str()));
    EXPECT_EQ(b.count(), 204);
    // Each collection frees the items it holds now (checked by the sanitizer build).
}

TEST(SortedCollectionSwap, WithItselfAndWithAnEmptyOne) {
    FnStringCollection a, empty;
    a.AddString(L"one");
    a.Swap(a);
    EXPECT_EQ(a.count(), 1);
    a.Swap(empty);
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(empty.count(), 1);
    EXPECT_EQ(a.At(0), nullptr);
    a.Swap(empty);
    EXPECT_EQ(a.count(), 1);
    EXPECT_STREQ(a.At(0)->ToUTF8().c_str(), "one");
}
