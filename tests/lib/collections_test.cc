#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
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

// --- growth ---------------------------------------------------------------

TEST(CollectionGrowth, NextCapacity) {
    struct Case {
        int from, to;
    } cases[] = {
        {0, 1}, {3, 4}, {10, 13}, {100, 130}, {2000000000, INT_MAX}, {INT_MAX, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(NextCapacity(c.from), c.to) << c.from;
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
    TrackedCollection c;
    int key = 1;
    for (Tracked* t : {c.FindItem(&key), c.FindGreaterEqual(&key), c.FindLessEqual(&key), c.FindFirst(), c.FindNext()})
        EXPECT_EQ(t, nullptr);
    c.DestroyCurrent();
    EXPECT_EQ(c.RemoveCurrent(), nullptr);
}

TEST_F(TrackedTest, IndexOutOfRangeIsNull) {
    TrackedStore store;
    store.AddObject(new Tracked(0));
    store.AddObject(new Tracked(1));
    const TrackedStore& constant = store;
    store.GetFirst();
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
        EXPECT_EQ(Tracked::DestroyedIds(), (std::vector<int>{2}));
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

// --- ObjectStore ownership --------------------------------------------------

TEST_F(TrackedTest, DestroyAllDestroysEachOnce) {
    {
        TrackedStore store;
        for (int i = 0; i < 30; i++) store.AddObject(new Tracked(i));
        store.DestroyAll();
        EXPECT_EQ(store.count(), 0);
        EXPECT_EQ(store.GetFirst(), nullptr);
        EXPECT_EQ(Tracked::live, 0);
        // Still usable afterwards; the destructor takes the rest.
        store.AddObject(new Tracked(100));
    }
    EXPECT_EQ(Tracked::DestroyedIds().size(), 31u);
}

TEST_F(TrackedTest, RemoveAllLeavesElementsAlive) {
    Tracked a(1), b(2);
    {
        TrackedStore store;
        store.AddObject(&a);
        store.AddObject(&b);
        store.RemoveAll();
        EXPECT_EQ(store.count(), 0);
        store.AddObject(nullptr);  // a null element is skipped on destruction
    }
    EXPECT_EQ(Tracked::live, 2);
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

// --- string collections -----------------------------------------------------

TEST(StringCollection, OrderAndDuplicatesIgnoreCase) {
    StringCollection c;
    EXPECT_EQ(c.AddString("alpha"), 1);
    EXPECT_EQ(c.AddString("alpha"), 0);  // the refused copy is freed (checked by the leak checker)
    EXPECT_EQ(c.AddString("ALPHA"), 0);
    for (const char* s : {"b", "A2", ""}) c.AddString(s);
    EXPECT_STREQ(c.ToCSV().c_str(), ",A2,alpha,b");

    StringCollection nulls;
    EXPECT_EQ(nulls.AddString(static_cast<const char*>(nullptr)), 1);  // the empty string
    EXPECT_EQ(nulls.AddString(""), 0);
}

TEST(StringCollection, AddCSVAndToCSV) {
    struct Case {
        const char* line;
        int added;
        const char* csv;
    } cases[] = {
        {"x,y,x", 2, "x,y"}, {"", 0, ""}, {"x,", 1, "x"}, {"b,a,B", 2, "a,b"},
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
        {L"\u0434\u043e\u043c", 1}, {L"\u0414\u041e\u041c", 0}, {L"a", 1}, {L"\u00e9t\u00e9", 1},
    };
    for (const auto& [text, result] : added) {
        EXPECT_EQ(c.AddString(text), result) << Westring(text).ToUTF8().c_str();
        EXPECT_EQ(w.AddString(text), result) << Westring(text).ToUTF8().c_str();
    }
    EXPECT_EQ(w.AddString(L"b"), 1);
    ASSERT_EQ(c.count(), 5);
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
    char name[16];
    for (int i = 0; i < 150; i++) {
        std::snprintf(name, sizeof name, "n%d", 1000 + i);
        b.AddString(Westring(name));
    }
    b.duplicates = true;
    (void)b[42];  // cursor of b on item 42
    const int capacity_a = a.capacity();
    a.Swap(b);
    EXPECT_EQ(a.count(), 150);
    EXPECT_EQ(b.capacity(), capacity_a);
    EXPECT_EQ(a.current(), 42);
    EXPECT_TRUE(a.duplicates);
    EXPECT_EQ(Items(b), (std::vector<std::string>{"alpha", "charlie", "delta"}));

    // Both still search and grow after the exchange.
    Westring key(L"N1100");
    ASSERT_NE(a.FindItem(&key), nullptr);
    for (int i = 0; i < 200; i++) {
        std::snprintf(name, sizeof name, "x%d", i);
        b.AddString(Westring(name));
    }
    b.Swap(b);  // with itself nothing changes
    EXPECT_EQ(b.count(), 203);
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
        {L"/", {L""}, L"/"}, {L"", {}, L""}, {L"///", {L""}, L"/"}, {L"a/ b /c", {L"a", L" b ", L"c"}, L"a/ b /c"},
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
        {L"/usr/bin", L"/usr/lib", 2}, {L"/usr", L"usr", 0}, {L"a/B", L"a/b", 1}, {L"/a", L"/a/b/c", 2}, {L"", L"", 0},
    };
    for (const Case& t : cases) {
        CPathParts a(t.a), b(t.b);
        EXPECT_EQ(a.Common(b), t.common) << t.a << " " << t.b;
        EXPECT_EQ(b.Common(a), t.common) << t.b << " " << t.a;
    }
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

// --- TSmartPtr --------------------------------------------------------------

TEST_F(TrackedTest, SmartPtrDeletesItsPointerUnlessReleased) {
    {
        TSmartPtr<Tracked> p;
        EXPECT_FALSE(p);
        EXPECT_EQ(p.get(), nullptr);
        p = new Tracked(1);
        p = new Tracked(2);  // the first is deleted
        EXPECT_EQ(Tracked::Times(1), 1);
        p.reset(p.get());  // the same pointer again: kept
    }
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
