#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "lib/objectstore.h"
#include "lib/pathparts.h"
#include "lib/sortedcollection.h"
#include "lib/strcoll.h"
#include "lib/stringstore.h"
#include "tests/support/temp_dir.h"

namespace {

// An element that counts its destructions, so tests can prove each element
// is destroyed exactly once (checked after every test by the fixture).
struct Tracked {
    static std::map<int, int> destroyed;  // destructions per id
    static int live;
    int id, key;
    explicit Tracked(int id_, int key_ = 0) : id(id_), key(key_) { live++; }
    ~Tracked() {
        destroyed[id]++;
        live--;
    }
};
std::map<int, int> Tracked::destroyed;
int Tracked::live = 0;

class TrackedTest : public ::testing::Test {
protected:
    void SetUp() override {
        Tracked::destroyed.clear();
        Tracked::live = 0;
    }
    void TearDown() override {
        for (auto [id, times] : Tracked::destroyed) EXPECT_LE(times, 1) << "element " << id;
        EXPECT_EQ(Tracked::live, 0);
    }
};

using TrackedStore = TObjectStore<Tracked>;

int Id(const Tracked* t) { return t ? t->id : -1; }

// Sorted by key; the id tells equal keys apart.
class TrackedCollection : public TSortedCollection<Tracked, int> {
public:
    const int* KeyFromItem(const Tracked* item) const override { return &item->key; }
    int compare(const int* a, const int* b) const override { return (*a > *b) - (*a < *b); }
};

const Tracked* At(const TrackedStore& c, int i) { return c[i]; }
const Tracked* At(const TrackedCollection& c, int i) { return c.At(i); }

// The ids or keys of every element, in order.
template <class C>
std::vector<int> Ids(const C& c, int Tracked::*field = &Tracked::id) {
    std::vector<int> out;
    for (int i = 0; i < c.count(); i++) out.push_back(At(c, i) ? At(c, i)->*field : -1);
    return out;
}
std::vector<int> Keys(const TrackedCollection& c) { return Ids(c, &Tracked::key); }

TEST(CollectionGrowth, NextCapacity) {
    struct Case { int from, to; } cases[] = {
        {0, 1}, {3, 4}, {10, 13}, {100, 130}, {2000000000, INT_MAX}, {INT_MAX, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(NextCapacity(c.from), c.to) << c.from;
}

TEST_F(TrackedTest, EmptyContainersAndIndexesOutOfRangeGiveNull) {
    TrackedStore store;
    TrackedCollection c;
    int key = 1;
    // Braced lists run their calls in order.
    for (Tracked* t : {store.GetFirst(), store.GetLast(), store.GetNext(), store.GetPrevious(),
                       store.RemoveCurrent(), c.FindItem(&key), c.FindGreaterEqual(&key), c.FindLessEqual(&key),
                       c.FindNext(), c.RemoveCurrent()})
        EXPECT_EQ(t, nullptr);
    store.DestroyCurrent();
    c.DestroyCurrent();
    store.AddObject(new Tracked(0));
    store.AddObject(new Tracked(1));
    store.GetFirst();
    const TrackedStore& constant = store;
    for (int i : {-1, 2, INT_MAX}) EXPECT_EQ(constant[i], nullptr) << i;
    EXPECT_EQ(store.current(), 0);  // the constant form leaves the cursor alone
    EXPECT_EQ(store[INT_MIN], nullptr);
    EXPECT_EQ(store.GetCurrent(), nullptr);
}

TEST_F(TrackedTest, RemoveCurrentHandsBackDestroyCurrentDestroys) {
    Tracked *first, *last;
    {
        TrackedStore store;
        for (int i = 0; i < 5; i++) store.AddObject(new Tracked(i));
        store.GetFirst();
        first = store.RemoveCurrent();
        EXPECT_EQ(Id(first), 0);
        EXPECT_EQ(Id(store.GetCurrent()), 1);  // the one after it
        store.GetLast();
        last = store.RemoveCurrent();
        EXPECT_EQ(Id(last), 4);
        EXPECT_EQ(store.GetCurrent(), nullptr);  // past the end
        store[1];
        store.DestroyCurrent();  // destroys only that one
        EXPECT_EQ(Tracked::destroyed, (std::map<int, int>{{2, 1}}));
        EXPECT_EQ(Ids(store), (std::vector<int>{1, 3}));
        store[10];
        store.DestroyCurrent();  // out of range: nothing happens
        EXPECT_EQ(store.count(), 2);
    }
    // No longer the store's: alive after it, and ours to delete.
    EXPECT_EQ(Tracked::live, 2);
    delete first;
    delete last;
}

TEST_F(TrackedTest, DestroyAllDestroysEachOnceRemoveAllLeavesThemAlive) {
    Tracked a(100), b(101);
    {
        TrackedStore store;
        for (int i = 0; i < 30; i++) store.AddObject(new Tracked(i));
        store.DestroyAll();
        EXPECT_EQ(store.GetFirst(), nullptr);
        EXPECT_EQ(Tracked::live, 2);
        store.AddObject(&a);  // still usable afterwards
        store.AddObject(&b);
        store.RemoveAll();
        EXPECT_EQ(store.count(), 0);
        store.AddObject(nullptr);  // a null element is skipped on destruction
    }
    EXPECT_EQ(Tracked::destroyed.size(), 30u);
    EXPECT_EQ(Tracked::live, 2);
}

TEST_F(TrackedTest, AddItemKeepsOrderAndRefusesDuplicatesAndNull) {
    TrackedCollection c;
    int keys[] = {5, 1, 9, 3, 7, 0, 8};
    for (int i = 0; i < 7; i++) EXPECT_EQ(c.AddItem(new Tracked(i, keys[i])), 0);
    EXPECT_EQ(Keys(c), (std::vector<int>{0, 1, 3, 5, 7, 8, 9}));
    Tracked twin(20, 5);
    EXPECT_EQ(c.AddItem(&twin), -1);  // the caller still owns it (destroyed twice otherwise)
    EXPECT_EQ(c.AddItem(nullptr), -1);
    c.unsorted = true;
    EXPECT_EQ(c.AddItem(nullptr), -1);
    EXPECT_EQ(c.count(), 7);
}

// With duplicates, a new equal element goes in front of whichever equal
// element the bisection met, and FindItem returns that one.
TEST_F(TrackedTest, DuplicatesAllowedWhenAsked) {
    TrackedCollection c;
    c.duplicates = true;
    for (int i = 1; i <= 3; i++) EXPECT_EQ(c.AddItem(new Tracked(i, 5)), 0);
    EXPECT_EQ(Ids(c), (std::vector<int>{3, 2, 1}));  // each goes in front of the one bisection meets
}

TEST_F(TrackedTest, FindPositionAndOrderedSearches) {
    TrackedCollection c;
    int position = 99;
    int key = 3;
    EXPECT_EQ(c.FindPosition(position, &key), -1);
    EXPECT_EQ(position, 0);
    for (int k : {10, 20, 30}) c.AddItem(new Tracked(k, k));
    struct Case {
        int key, result, position, greater_equal, less_equal;  // expected keys, -1 for null
    } cases[] = {
        {15, -1, 1, 20, 10}, {20, 0, 1, 20, 20}, {INT_MIN, -1, 0, 10, -1}, {INT_MAX, -1, 3, -1, 30},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.key);
        EXPECT_EQ(c.FindPosition(position, &t.key), t.result);
        EXPECT_EQ(position, t.position);
        Tracked* ge = c.FindGreaterEqual(&t.key);
        EXPECT_EQ(ge ? ge->key : -1, t.greater_equal);
        EXPECT_EQ(c.GetCurrent(), ge);
        Tracked* le = c.FindLessEqual(&t.key);
        EXPECT_EQ(le ? le->key : -1, t.less_equal);
        EXPECT_EQ(c.GetCurrent(), le);
    }
}

TEST_F(TrackedTest, UnsortedAppendsAndSearchesEveryItem) {
    TrackedCollection c;
    c.unsorted = true;
    for (int k : {5, 1, 5, 3}) EXPECT_EQ(c.AddItem(new Tracked(c.count(), k)), 0);
    EXPECT_EQ(Keys(c), (std::vector<int>{5, 1, 5, 3}));
    int key = 5;
    EXPECT_EQ(Id(c.FindItem(&key)), 0);
    key = 4;
    int position;
    EXPECT_EQ(c.FindPosition(position, &key), -1);
    EXPECT_EQ(position, 4);
}

TEST(StringCollection, OrderAndDuplicatesIgnoreCase) {
    StringCollection c;
    // Refused copies are freed (checked by the leak checker); null is the empty string.
    for (auto [text, added] : {std::pair<const char*, int>{"alpha", 1}, {"ALPHA", 0}, {nullptr, 1}, {"", 0}})
        EXPECT_EQ(c.AddString(text), added) << (text ? text : "null");
    for (const char* s : {"b", "A2"}) c.AddString(s);
    EXPECT_STREQ(c.ToCSV().c_str(), ",A2,alpha,b");
}

TEST(FnStringCollection, ComparesThroughCaseFold) {
    FnStringCollection c;
    const std::pair<const wchar_t*, int> added[] = {
        {L"Readme", 1}, {L"README", 0}, {L"\u00c4rger", 1}, {L"\u00e4RGER", 0},  // ä folds onto Ä
        {L"\u0434\u043e\u043c", 1}, {L"\u0414\u041e\u041c", 0}, {L"a", 1}, {L"\u00e9t\u00e9", 1},
    };
    for (const auto& [text, result] : added) EXPECT_EQ(c.AddString(text), result) << Westring(text).ToUTF8().c_str();
    EXPECT_TRUE(*c.At(3) == L"\u00e9t\u00e9");  // a readme ärger été дом
    Westring key(L"README");
    EXPECT_NE(c.FindItem(&key), nullptr);
}

TEST(SortedCollectionSwap, ExchangesItemsCursorsAndFlags) {
    FnStringCollection a, b;
    for (const wchar_t* name : {L"delta", L"alpha", L"charlie"}) a.AddString(name);
    // More items than the first array holds, so the capacities differ too.
    for (int i = 0; i < 150; i++) b.AddString(Westring(NumberedName("n", 1000 + i).c_str()));
    b.duplicates = true;
    (void)b[42];  // cursor of b on item 42
    const int capacity_a = a.capacity();
    a.Swap(b);
    EXPECT_EQ(std::vector<int>({a.count(), a.current(), a.duplicates, b.capacity()}),
              std::vector<int>({150, 42, 1, capacity_a}));
    EXPECT_TRUE(*b.At(0) == L"alpha" && *b.At(2) == L"delta");
    // Both still search and grow after the exchange (the sanitizer build checks the memory).
    Westring key(L"N1100");
    ASSERT_NE(a.FindItem(&key), nullptr);
    for (int i = 0; i < 200; i++) b.AddString(Westring(NumberedName("x", i).c_str()));
    b.Swap(b);  // with itself nothing changes
    EXPECT_EQ(b.count(), 203);
}

TEST(ParentDirectory, TrailingSlashesAndRelativePaths) {
    const struct {
        const wchar_t *path, *parent;
    } cases[] = {
        {L"/", L"/"}, {L"", L"/"}, {L"//", L"/"}, {L"/a", L"/"}, {L"/a/", L"/"}, {L"/a/b", L"/a"},
        {L"/a/b/", L"/a"}, {L"/a//b//", L"/a"}, {L"a", L"."}, {L"a/", L"."}, {L"a/b/", L"a"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(ParentDirectory(c.path).c_str()), c.parent) << c.path;
}

}  // namespace
