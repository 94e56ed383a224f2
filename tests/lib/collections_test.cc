#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lib/objectstore.h"
#include "lib/pathparts.h"
#include "lib/smartptr.h"
#include "lib/sortedcollection.h"
#include "lib/strcoll.h"
#include "lib/stringstore.h"

namespace {

// An element that counts its destructions, so tests can prove each element
// is destroyed exactly once (checked after every test by the fixture).
struct Tracked {
    static std::vector<int> destroyed;  // destructions per id
    static int live;
    static int Times(int id) { return id < static_cast<int>(destroyed.size()) ? destroyed[id] : 0; }
    static std::vector<int> DestroyedIds() {
        std::vector<int> ids;
        for (int id = 0; id < static_cast<int>(destroyed.size()); id++)
            if (destroyed[id]) ids.push_back(id);
        return ids;
    }

    int id;
    int key;
    explicit Tracked(int id_, int key_ = 0) : id(id_), key(key_) { live++; }
    ~Tracked() {
        if (id >= static_cast<int>(destroyed.size())) destroyed.resize(id + 1);
        destroyed[id]++;
        live--;
    }
};
std::vector<int> Tracked::destroyed;
int Tracked::live = 0;

class TrackedTest : public ::testing::Test {
protected:
    void SetUp() override {
        Tracked::destroyed.clear();
        Tracked::live = 0;
    }
    void TearDown() override {
        for (int id = 0; id < static_cast<int>(Tracked::destroyed.size()); id++)
            EXPECT_LE(Tracked::destroyed[id], 1) << "element " << id;
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

std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; i++) v.push_back(i);
    return v;
}

// --- growth ---------------------------------------------------------------

TEST(CollectionGrowth, NextCapacity) {
    struct Case {
        int from, to;
    } cases[] = {  // the ordinary steps are checked by the growth tests below
        {0, 1}, {1, 2}, {2, 3}, {3, 4}, {INT_MAX - 1, INT_MAX}, {2000000000, INT_MAX}, {INT_MAX, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(NextCapacity(c.from), c.to) << c.from;
}

TEST_F(TrackedTest, ObjectStoreGrowsBy13Over10WhenFull) {
    TrackedStore store;
    EXPECT_EQ(store.capacity(), 10);
    std::vector<std::pair<int, int>> growth;  // (count, new capacity)
    for (int i = 0; i < 27; i++) {
        int before = store.capacity();
        store.AddObject(new Tracked(i));
        if (store.capacity() != before) growth.push_back({store.count(), store.capacity()});
    }
    EXPECT_EQ(growth, (std::vector<std::pair<int, int>>{{11, 13}, {14, 16}, {17, 20}, {21, 26}, {27, 33}}));
    EXPECT_EQ(Ids(store), Range(0, 27));

    TrackedStore inserted;  // InsertObject grows too
    for (int i = 100; i < 125; i++) {
        inserted[0];
        inserted.InsertObject(new Tracked(i));
    }
    EXPECT_EQ(inserted.capacity(), 26);
    EXPECT_EQ(Id(inserted[0]), 124);
    EXPECT_EQ(Id(inserted[24]), 100);
}

TEST_F(TrackedTest, SortedCollectionGrowsBy13Over10From100) {
    TrackedCollection c;
    std::vector<int> capacities{c.capacity()};
    for (int i = 0; i < 170; i++) {
        ASSERT_EQ(c.AddItem(new Tracked(i, 169 - i)), 0);
        if (c.capacity() != capacities.back()) capacities.push_back(c.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{100, 130, 169, 219}));
    EXPECT_EQ(Keys(c), Range(0, 170));
}

// --- ObjectStore cursor ---------------------------------------------------

TEST_F(TrackedTest, EmptyContainers) {
    TrackedStore store;
    EXPECT_EQ(store.GetFirst(), nullptr);
    EXPECT_EQ(store.GetLast(), nullptr);
    EXPECT_EQ(store.current(), -1);
    // Braced lists run their calls in order.
    for (Tracked* t : {store.GetNext(), store.GetPrevious(), store.GetCurrent(), store.RemoveCurrent()})
        EXPECT_EQ(t, nullptr);
    store.DestroyCurrent();
    EXPECT_EQ(store.count(), 0);
    TrackedCollection c;
    int key = 1;
    for (Tracked* t : {c.FindItem(&key), c.FindGreaterEqual(&key), c.FindLessEqual(&key), c.FindFirst(), c.FindNext()})
        EXPECT_EQ(t, nullptr);
    c.DestroyCurrent();
    EXPECT_EQ(c.RemoveCurrent(), nullptr);
}

TEST_F(TrackedTest, CursorStopsOneBeyondEitherEnd) {
    TrackedStore store;
    for (int i = 0; i < 3; i++) store.AddObject(new Tracked(i));
    EXPECT_EQ(store.current(), 2);  // AddObject makes the new element current
    EXPECT_EQ(Id(store.GetCurrent()), 2);
    using V = std::vector<int>;
    EXPECT_EQ((V{Id(store.GetLast()), Id(store.GetPrevious()), Id(store.GetPrevious()), Id(store.GetPrevious()),
                 store.current(), Id(store.GetPrevious()), store.current(), Id(store.GetNext())}),
              (V{2, 1, 0, -1, -1, -1, -1, 0}));
    EXPECT_EQ((V{Id(store.GetFirst()), Id(store.GetNext()), Id(store.GetNext()), Id(store.GetNext()), store.current(),
                 Id(store.GetNext()), store.current(), Id(store.GetPrevious())}),
              (V{0, 1, 2, -1, 3, -1, 3, 2}));
}

TEST_F(TrackedTest, IndexOutOfRangeIsNull) {
    TrackedStore store;
    store.AddObject(new Tracked(0));
    store.AddObject(new Tracked(1));
    const TrackedStore& constant = store;
    store.GetFirst();
    for (int i : {-1, 2, INT_MAX}) EXPECT_EQ(constant[i], nullptr) << i;
    EXPECT_EQ(Id(constant[1]), 1);
    EXPECT_EQ(store.current(), 0);  // the constant form leaves the cursor alone
    EXPECT_EQ(Id(store[1]), 1);
    EXPECT_EQ(store.current(), 1);
    EXPECT_EQ(store[INT_MIN], nullptr);
    EXPECT_EQ(store.GetCurrent(), nullptr);
}

TEST_F(TrackedTest, RemoveCurrentHandsBackDestroyCurrentDestroys) {
    Tracked *first, *last, *middle;
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
        EXPECT_EQ(Id(store.GetPrevious()), 3);
        store[1];
        middle = store.RemoveCurrent();
        EXPECT_EQ(Ids(store), (std::vector<int>{1, 3}));
        store.DestroyCurrent();  // destroys only that one
        EXPECT_EQ(Tracked::DestroyedIds(), (std::vector<int>{3}));
        EXPECT_EQ(Ids(store), (std::vector<int>{1}));
        store[10];
        store.DestroyCurrent();  // out of range: nothing happens
        EXPECT_EQ(store.count(), 1);
    }
    // No longer the store's: alive after it, and ours to delete.
    EXPECT_EQ(Tracked::live, 3);
    EXPECT_EQ(Tracked::Times(2), 0);
    EXPECT_EQ(Id(middle), 2);
    delete first;
    delete last;
    delete middle;
}

TEST_F(TrackedTest, InsertObjectAtTheClampedCursor) {
    TrackedStore store;
    store.InsertObject(new Tracked(7));  // into an empty store
    EXPECT_EQ(Ids(store), (std::vector<int>{7}));
    store.AddObject(new Tracked(1));
    store.AddObject(new Tracked(2));
    store[1];
    store.InsertObject(new Tracked(9));
    EXPECT_EQ(Ids(store), (std::vector<int>{7, 9, 1, 2}));
    EXPECT_EQ(store.current(), 1);
    EXPECT_EQ(Id(store.GetCurrent()), 9);
    EXPECT_EQ(store[50], nullptr);
    store.InsertObject(new Tracked(3));  // beyond the end: appends
    EXPECT_EQ(Ids(store), (std::vector<int>{7, 9, 1, 2, 3}));
    EXPECT_EQ(Id(store.GetCurrent()), 3);
    store.GetFirst();
    store.GetPrevious();  // current = -1: inserts in front
    store.InsertObject(new Tracked(4));
    EXPECT_EQ(Ids(store), (std::vector<int>{4, 7, 9, 1, 2, 3}));
    EXPECT_EQ(Id(store.GetCurrent()), 4);
}

// --- ObjectStore ownership --------------------------------------------------

TEST_F(TrackedTest, DestroyAllDestroysEachOnceAndInOrder) {
    static std::vector<int> order;
    order.clear();
    struct Ordered : TObjectStore<Tracked> {
        ~Ordered() override { DestroyAll(); }
        void DestroyObject(Tracked* p) override {
            order.push_back(p->id);
            delete p;
        }
    };
    {
        Ordered store;
        for (int i = 0; i < 30; i++) store.AddObject(new Tracked(i));
        store.DestroyAll();
        EXPECT_EQ(store.count(), 0);
        EXPECT_EQ(store.GetFirst(), nullptr);
        EXPECT_EQ(Tracked::live, 0);
        // Still usable afterwards; the destructor takes the rest.
        store.AddObject(new Tracked(100));
        store.AddObject(new Tracked(101));
    }
    std::vector<int> expected = Range(0, 30);
    expected.insert(expected.end(), {100, 101});
    EXPECT_EQ(order, expected);
    {
        TrackedStore store;
        for (int i = 2000; i < 3000; i++) store.AddObject(new Tracked(i));
        store.AddObject(nullptr);  // a null element is skipped on destruction
    }
    EXPECT_EQ(Tracked::DestroyedIds().size(), 1032u);
}

TEST_F(TrackedTest, RemoveAllAndBorrowingStoresLeaveElementsAlive) {
    Tracked a(1), b(2);
    {
        TrackedStore store;
        store.AddObject(&a);
        store.AddObject(&b);
        store.RemoveAll();
        EXPECT_EQ(store.count(), 0);
    }
    // A store whose elements are not its to delete.
    int calls = 0;
    struct Borrowing : TObjectStore<Tracked> {
        int* calls;
        explicit Borrowing(int* c) : calls(c) {}
        ~Borrowing() override { DestroyAll(); }
        void DestroyObject(Tracked*) override { (*calls)++; }
    };
    {
        Borrowing store(&calls);
        store.AddObject(&a);
        store.AddObject(&b);
    }
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Tracked::live, 2);
}

TEST(StringStore, KeepsInsertionOrder) {
    WestringStore w;
    w.Add(L"b");
    w.Add(L"a");
    w.AddObject(new Westring(L"c"));
    ASSERT_EQ(w.count(), 3);
    EXPECT_TRUE(*w[0] == L"b");
    EXPECT_TRUE(*w[2] == L"c");
    EstringStore e;
    e.Add("x");
    e.Add("x");  // no duplicate check in a store
    EXPECT_EQ(e.count(), 2);
}

// --- SortedCollection -------------------------------------------------------

TEST_F(TrackedTest, AddItemKeepsOrderAndRefusesDuplicatesAndNull) {
    TrackedCollection c;
    int keys[] = {5, 1, 9, 3, 7, 0, 8};
    for (int i = 0; i < 7; i++) EXPECT_EQ(c.AddItem(new Tracked(i, keys[i])), 0);
    EXPECT_EQ(Keys(c), (std::vector<int>{0, 1, 3, 5, 7, 8, 9}));
    Tracked* twin = new Tracked(20, 5);
    EXPECT_EQ(c.AddItem(twin), -1);
    EXPECT_EQ(Tracked::Times(20), 0);  // the caller still owns it
    delete twin;
    EXPECT_EQ(c.AddItem(nullptr), -1);
    c.unsorted = true;
    EXPECT_EQ(c.AddItem(nullptr), -1);
    EXPECT_EQ(c.count(), 7);
}

// With duplicates, a new equal element goes in front of whichever equal
// element the bisection met, and FindItem returns that one.
TEST_F(TrackedTest, DuplicatesGoInFrontOfTheElementBisectionMeets) {
    TrackedCollection c;
    c.duplicates = true;
    EXPECT_EQ(c.AddItem(new Tracked(1, 5)), 0);  // [1]
    EXPECT_EQ(c.AddItem(new Tracked(2, 5)), 0);  // met 1 at 0: [2 1]
    EXPECT_EQ(c.AddItem(new Tracked(3, 5)), 0);  // met 2 at 0: [3 2 1]
    EXPECT_EQ(Ids(c), (std::vector<int>{3, 2, 1}));
    int key = 5;
    EXPECT_EQ(Id(c.FindItem(&key)), 2);  // bisection meets index 1 first
    EXPECT_EQ(c.current(), 1);
    int position = -1;
    EXPECT_EQ(c.FindPosition(position, &key), 0);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(c.AddItem(new Tracked(4, 5)), 0);  // met 2 at 1: [3 4 2 1]
    EXPECT_EQ(Ids(c), (std::vector<int>{3, 4, 2, 1}));

    TrackedCollection mixed;
    mixed.duplicates = true;
    for (int k : {1, 2, 4, 4, 4, 6, 8}) mixed.AddItem(new Tracked(10 + mixed.count(), k));
    EXPECT_EQ(Keys(mixed), (std::vector<int>{1, 2, 4, 4, 4, 6, 8}));
    key = 4;
    EXPECT_EQ(mixed.FindPosition(position, &key), 0);
    EXPECT_EQ(position, 3);  // low 0, high 6: middle 3 is a 4
    EXPECT_EQ(mixed.At(position)->key, 4);
    key = 5;
    EXPECT_EQ(mixed.FindPosition(position, &key), -1);
    EXPECT_EQ(position, 5);
    EXPECT_EQ(mixed.FindLessEqual(&key)->key, 4);
    EXPECT_EQ(mixed.FindGreaterEqual(&key)->key, 6);
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
        {5, -1, 0, 10, -1}, {10, 0, 0, 10, 10}, {15, -1, 1, 20, 10}, {20, 0, 1, 20, 20}, {25, -1, 2, 30, 20},
        {30, 0, 2, 30, 30}, {35, -1, 3, -1, 30}, {INT_MIN, -1, 0, 10, -1}, {INT_MAX, -1, 3, -1, 30},
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
    // FindItem sets current only when found.
    key = 20;
    EXPECT_EQ(Id(c.FindItem(&key)), 20);
    EXPECT_EQ(c.current(), 1);
    key = 25;
    EXPECT_EQ(c.FindItem(&key), nullptr);
    EXPECT_EQ(c.current(), 1);
}

TEST_F(TrackedTest, SortedWalkDestroyAndRemove) {
    TrackedCollection c;
    for (int k : {3, 1, 4, 2}) c.AddItem(new Tracked(k, k));
    std::vector<int> seen;
    for (Tracked* t = c.FindFirst(); t; t = c.FindNext()) seen.push_back(t->key);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(c.current(), 4);
    EXPECT_EQ(c.FindNext(), nullptr);
    EXPECT_EQ(c.current(), 4);

    int key = 2;
    c.FindItem(&key);
    c.DestroyCurrent();
    EXPECT_EQ(Tracked::DestroyedIds(), (std::vector<int>{2}));
    EXPECT_EQ(c.GetCurrent()->key, 3);
    Tracked* taken = c.RemoveCurrent();
    EXPECT_EQ(Id(taken), 3);
    EXPECT_EQ(Keys(c), (std::vector<int>{1, 4}));
    EXPECT_EQ(Tracked::Times(3), 0);
    delete taken;
    EXPECT_EQ(c[1]->key, 4);
    EXPECT_EQ(c.current(), 1);
    EXPECT_EQ(c[2], nullptr);
    EXPECT_EQ(c.At(-1), nullptr);
}

TEST_F(TrackedTest, SortedDestroyAllDestructorAndRemoveAll) {
    {
        TrackedCollection c;
        c.duplicates = true;
        for (int i = 0; i < 500; i++) c.AddItem(new Tracked(i, i % 7));
        c.DestroyAll();
        EXPECT_EQ(c.count(), 0);
        EXPECT_EQ(Tracked::live, 0);
        for (int i = 500; i < 600; i++) c.AddItem(new Tracked(i, i));
    }
    EXPECT_EQ(Tracked::DestroyedIds().size(), 600u);
    Tracked a(1001, 1), b(1002, 2);
    {
        TrackedCollection c;
        c.AddItem(&b);
        c.AddItem(&a);
        EXPECT_EQ(c.FindFirst(), &a);
        c.RemoveAll();
    }
    EXPECT_EQ(Tracked::live, 2);
}

TEST_F(TrackedTest, UnsortedAppendsAndSearchesEveryItem) {
    TrackedCollection c;
    c.unsorted = true;
    for (int k : {5, 1, 5, 3}) EXPECT_EQ(c.AddItem(new Tracked(c.count(), k)), 0);
    EXPECT_EQ(Keys(c), (std::vector<int>{5, 1, 5, 3}));
    int key = 3;
    EXPECT_EQ(Id(c.FindItem(&key)), 3);
    key = 5;
    EXPECT_EQ(Id(c.FindItem(&key)), 0);
    key = 4;
    int position;
    EXPECT_EQ(c.FindPosition(position, &key), -1);
    EXPECT_EQ(position, 4);
}

// --- property tests against the standard containers -------------------------

TEST_F(TrackedTest, UniqueKeysMatchStdSet) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pick(-50000, 50000);
    TrackedCollection c;
    std::set<int> reference;
    for (int i = 0; i < 100000; i++) {
        int k = pick(random);
        Tracked* t = new Tracked(i, k);
        bool inserted = reference.insert(k).second;
        ASSERT_EQ(c.AddItem(t), inserted ? 0 : -1);
        if (!inserted) delete t;
    }
    EXPECT_EQ(Keys(c), std::vector<int>(reference.begin(), reference.end()));
    for (int i = 0; i < 20000; i++) {
        int k = pick(random) + pick(random) % 3;
        auto ge = reference.lower_bound(k);
        Tracked* found_ge = c.FindGreaterEqual(&k);
        ASSERT_EQ(found_ge ? found_ge->key : INT_MIN, ge == reference.end() ? INT_MIN : *ge) << k;
        auto after = reference.upper_bound(k);
        Tracked* found_le = c.FindLessEqual(&k);
        ASSERT_EQ(found_le ? found_le->key : INT_MIN, after == reference.begin() ? INT_MIN : *std::prev(after)) << k;
        EXPECT_EQ(c.FindItem(&k) != nullptr, reference.count(k) == 1);
    }
}

TEST_F(TrackedTest, DuplicateKeysMatchStdSort) {
    std::mt19937 random(777);
    std::uniform_int_distribution<int> pick(0, 999);  // many repeats
    TrackedCollection c;
    c.duplicates = true;
    std::vector<int> reference;
    for (int i = 0; i < 60000; i++) {
        int k = pick(random);
        reference.push_back(k);
        ASSERT_EQ(c.AddItem(new Tracked(i, k)), 0);
    }
    std::sort(reference.begin(), reference.end());
    EXPECT_EQ(Keys(c), reference);
    for (int k = -1; k <= 1000; k += 7) {
        Tracked* found = c.FindItem(&k);
        ASSERT_EQ(found != nullptr, std::binary_search(reference.begin(), reference.end(), k)) << k;
        EXPECT_EQ(found ? found->key : k, k);
    }
}

// --- string collections -----------------------------------------------------

TEST(StringCollection, OrderAndDuplicatesIgnoreCase) {
    StringCollection c;
    EXPECT_EQ(c.AddString("alpha"), 1);
    EXPECT_EQ(c.AddString("alpha"), 0);  // the refused copy is freed (checked by the leak checker)
    EXPECT_EQ(c.AddString("ALPHA"), 0);
    for (const char* s : {"b", "A2", "c", "B2", ""}) c.AddString(s);
    std::vector<std::string> texts;
    for (int i = 0; i < c.count(); i++) texts.push_back(c.At(i)->c_str());
    EXPECT_EQ(texts, (std::vector<std::string>{"", "A2", "alpha", "b", "B2", "c"}));
    Estring key("a2");
    ASSERT_NE(c.FindItem(&key), nullptr);
    EXPECT_STREQ(c.FindItem(&key)->c_str(), "A2");

    StringCollection nulls;
    EXPECT_EQ(nulls.AddString(static_cast<const char*>(nullptr)), 1);  // the empty string
    EXPECT_EQ(nulls.AddString(""), 0);
    StringCollection dups;
    dups.duplicates = true;
    EXPECT_EQ(dups.AddString("x"), 1);
    EXPECT_EQ(dups.AddString("X"), 1);
    EXPECT_EQ(dups.count(), 2);
}

TEST(StringCollection, AddCSVAndToCSV) {
    struct Case {
        const char* line;
        int added;
        const char* csv;
    } cases[] = {
        {"x,y,x", 2, "x,y"}, {"", 0, ""}, {"x", 1, "x"}, {"x,", 1, "x"}, {"b,a,B", 2, "a,b"},
        {"\"y,z\",x", 2, "x,y,z"},  // the quoted comma comes back unquoted
        {"x,\"a\"\"b\"", 2, "a\"b,x"},
    };
    for (const Case& t : cases) {
        StringCollection c;
        EXPECT_EQ(c.AddCSV(t.line), t.added) << t.line;
        EXPECT_STREQ(c.ToCSV().c_str(), t.csv) << t.line;
    }
    StringCollection c;  // only new fields count
    EXPECT_EQ(c.AddCSV("a,b"), 2);
    EXPECT_EQ(c.AddCSV("b,c,A"), 1);
    EXPECT_STREQ(c.ToCSV().c_str(), "a,b,c");
    EXPECT_EQ(c.AddCSV(nullptr), 0);
}

TEST(StringCollection, LongCSVLine) {
    // Well past 1 MB: 150,000 distinct fields, in order so each one is appended.
    std::string line;
    char field[32];
    for (int i = 0; i < 150000; i++) {
        std::snprintf(field, sizeof field, "%sfield%07d", i ? "," : "", i);
        line += field;
    }
    ASSERT_GT(line.size(), 1u << 20);
    StringCollection c;
    EXPECT_EQ(c.AddCSV(line.c_str()), 150000);
    EXPECT_EQ(std::string(c.ToCSV().c_str()), line);
}

TEST(FnStringCollection, ComparesThroughCaseFold) {
    FnStringCollection c;
    WestringCollection w;  // the same comparison as file names
    const std::pair<const wchar_t*, int> added[] = {
        {L"Readme", 1}, {L"README", 0}, {L"\u00c4rger", 1}, {L"\u00e4RGER", 0},  // ä folds onto Ä
        {L"\u0434\u043e\u043c", 1}, {L"\u0414\u041e\u041c", 0}, {L"a", 1}, {L"\u00e9t\u00e9", 1}, {L"\u00c9T\u00c9", 0},
    };
    for (const auto& [text, result] : added) {
        EXPECT_EQ(c.AddString(text), result) << Westring(text).ToUTF8().c_str();
        EXPECT_EQ(w.AddString(text), result) << Westring(text).ToUTF8().c_str();
    }
    EXPECT_EQ(w.AddString(L"b"), 1);
    ASSERT_EQ(c.count(), 5);
    EXPECT_TRUE(*c.At(0) == L"a");
    EXPECT_TRUE(*c.At(1) == L"readme");
    EXPECT_TRUE(*w.At(4) == L"\u00e9t\u00e9");  // a b readme ärger été дом
    Westring key(L"README");
    EXPECT_NE(c.FindItem(&key), nullptr);
}

// --- exchanging contents --------------------------------------------------

std::vector<std::string> Items(FnStringCollection& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.count(); i++) out.push_back(c.At(i)->ToUTF8().c_str());
    return out;
}

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
    // With itself nothing changes; with an empty one, everything moves.
    b.Swap(b);
    EXPECT_EQ(b.count(), 204);
    FnStringCollection empty;
    b.Swap(empty);
    EXPECT_EQ(b.count(), 0);
    EXPECT_EQ(b.At(0), nullptr);
    EXPECT_EQ(empty.count(), 204);
    EXPECT_STREQ(empty.At(0)->ToUTF8().c_str(), "alpha");
    // Each collection frees the items it holds now (checked by the sanitizer build).
}

// --- CPathParts -------------------------------------------------------------

TEST(CPathParts, Splitting) {
    struct Case {
        const wchar_t* path;
        std::vector<std::wstring> parts;
        const wchar_t* joined;
    } cases[] = {
        {L"/usr/bin", {L"", L"usr", L"bin"}, L"/usr/bin"}, {L"a//b/", {L"a", L"b"}, L"a/b"},
        {L"/", {L""}, L"/"}, {L"", {}, L""}, {L"//x", {L"", L"x"}, L"/x"}, {L"usr/", {L"usr"}, L"usr"},
        {L"/usr/local/", {L"", L"usr", L"local"}, L"/usr/local"}, {L"x", {L"x"}, L"x"}, {L"///", {L""}, L"/"},
        {L"a/ b /c", {L"a", L" b ", L"c"}, L"a/ b /c"},
    };
    for (const Case& t : cases) {
        CPathParts p(t.path);
        std::vector<std::wstring> parts;
        for (int i = 0; i < p.count(); i++) parts.push_back(p[i]->c_str());
        EXPECT_EQ(parts, t.parts) << t.path;
        EXPECT_EQ(std::wstring(p.Path().c_str()), t.joined) << t.path;
    }
    std::wstring text;
    for (int i = 0; i < 100000; i++) text += L"/dir";
    Westring path(text.c_str());
    CPathParts p(path);
    EXPECT_EQ(p.count(), 100001);
    EXPECT_TRUE(p.Path() == path);
    // The root remains after removing the components.
    CPathParts usr(L"/usr");
    usr.GetLast();
    usr.DestroyCurrent();
    EXPECT_TRUE(usr.Path() == L"/");
}

TEST(CPathParts, Common) {
    struct Case {
        const wchar_t *a, *b;
        int common;
    } cases[] = {
        {L"a/b/c", L"a/b/d", 2}, {L"/usr/bin", L"/usr/lib", 2}, {L"/usr", L"usr", 0}, {L"a/B", L"a/b", 1},
        {L"/a/b", L"/a/b", 3}, {L"", L"", 0}, {L"/a", L"/a/b/c", 2}, {L"/", L"/x", 1},
    };
    for (const Case& t : cases) {
        CPathParts a(t.a), b(t.b);
        EXPECT_EQ(a.Common(b), t.common) << t.a << " " << t.b;
        EXPECT_EQ(b.Common(a), t.common) << t.b << " " << t.a;
    }
}

// --- TSmartPtr --------------------------------------------------------------

TEST_F(TrackedTest, SmartPtrDeletesItsPointerUnlessReleased) {
    {
        TSmartPtr<Tracked> p;
        EXPECT_FALSE(p);
        EXPECT_EQ(p.get(), nullptr);
        p = new Tracked(1);
        EXPECT_TRUE(p);
        EXPECT_EQ(p->id, 1);
        EXPECT_EQ((*p).id, 1);
        p = new Tracked(2);  // the first is deleted
        EXPECT_EQ(Tracked::Times(1), 1);
        p.reset(p.get());  // the same pointer again: kept
        EXPECT_EQ(Tracked::live, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
    Tracked* t;
    {
        TSmartPtr<Tracked> p(new Tracked(3));
        t = p.release();
        EXPECT_FALSE(p);
    }
    EXPECT_EQ(Tracked::live, 1);
    delete t;
}

}  // namespace
