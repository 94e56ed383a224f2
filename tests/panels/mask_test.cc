// File masks and filter expressions, the locale's date format they read, and
// association sets, where the first matching mask wins.
#include "panels/mask.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <clocale>
#include <ctime>
#include <memory>
#include <string>
#include <tuple>

#include "panels/associations.h"
#include "panels/entry.h"
#include "panels/locale_dates.h"
#include "tests/lib/locale_guard.h"

namespace {

struct EntryDeleter {
    void operator()(entry* e) const { entry::Destroy(e); }
};
using EntryPtr = std::unique_ptr<entry, EntryDeleter>;

EntryPtr File(const wchar_t* name, uint64_t size = 0, uint16_t attr = 0) {
    EntryPtr e(entry::Create(name));
    e->size = size;
    e->attr = attr;
    e->mode = 0644;
    e->uid = static_cast<uint32_t>(geteuid());
    e->gid = static_cast<uint32_t>(getegid());
    return e;
}

int64_t LocalTime(int year, int month, int day) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_isdst = -1;
    return mktime(&t);
}

// An expression, what it is matched against (a name or an entry) and the result.
struct NameCase {
    const wchar_t* expression;
    const wchar_t* name;
    int result;
};
struct EntryCase {
    const wchar_t* expression;
    const entry* e;
    int result;
};

// Every date test reads dates as the C locale writes them: 03/15/24.
class MaskTest : public ::testing::Test {
protected:
    static void Check(std::initializer_list<NameCase> cases) {
        for (const NameCase& c : cases)
            EXPECT_EQ(mask_eval(c.expression, c.name), c.result) << c.expression << " / " << c.name;
    }
    static void Check(std::initializer_list<EntryCase> cases) {
        for (const EntryCase& c : cases)
            EXPECT_EQ(mask_eval(c.expression, *c.e), c.result) << c.expression << " / " << c.e->name;
    }
    CLocaleGuard dates_{LC_TIME, "C"};
};

TEST_F(MaskTest, MasksOnNames) {
    Check({
        {L"*.c|*.h", L"main.h", 1},   {L"*.c|*.h", L"main.o", 0},
        {L"*.c *.h", L"main.c", 0},  // one mask with a blank in it
        {L"!(*.o|*.a)", L"lib.a", 0},
        {L"*.C", L"MAIN.c", 1},  // letters without regard to case
        {L"[a-c]*", L"Beta", 1},
        {L"\"a|b\"", L"a|b", 1},  // quoted: the bar is part of the mask
        {L"\"a \"", L"a", 0},  // a quoted blank at the end stays
        // "&" binds tighter than "|"; "!" applies to the next operand only.
        {L"a|b&c", L"a", 1},          {L"(a|b)&c", L"a", 0},
        {L"!a*&*z", L"abz", 0},       {L"!a*&*z", L"bz", 1},
        // Text after a complete expression is ignored.
        {L"(*.c) whatever", L"x.c", 1},
    });
}

TEST_F(MaskTest, SyntaxErrors) {
    const wchar_t* bad[] = {
        L"",     L"   ",     L"%date=", L"(*.c",   L"%foo>1", L"*.c|", L"!",
        L"()",   L"\"\"",    L"%size",  L"%size~5", L"%",      L"a&(b|%x=1)",
    };
    for (const wchar_t* expression : bad) EXPECT_EQ(mask_eval(expression, L"test"), -1) << expression;
    EXPECT_EQ(mask_eval(static_cast<const wchar_t*>(nullptr), L"test"), -1);
}

TEST_F(MaskTest, Size) {
    EntryPtr small = File(L"small.txt", 10), notes = File(L"notes.txt", 2048), exact = File(L"exact", 1024);
    EntryPtr big = File(L"big.iso", 5ull * 1048576), huge = File(L"huge", 3ull * 1073741824);
    Check({
        {L"*.txt&%size>1k", notes.get(), 1}, {L"*.txt&%size>1k", small.get(), 0},
        {L"%size=1k", exact.get(), 1},    {L"%size<1k", exact.get(), 0},    {L"%size!=1k", exact.get(), 0},
        {L"%SIZE=5M", big.get(), 1},      {L"%size=3G", huge.get(), 1},     {L"%size>1.5m", big.get(), 1},
        // Absurd numbers stop growing instead of wrapping around.
        {L"%size<99999999999999999999999999g", huge.get(), 1},
        {L"%size>99999999999999999999999999", huge.get(), 0},
    });
}

TEST_F(MaskTest, AgeAndDate) {
    int64_t now = time(nullptr);
    EntryPtr recent = File(L"recent"), old = File(L"old"), future = File(L"future"), dated = File(L"dated");
    recent->time = TimeStamp(now - 600, 0);
    old->time = TimeStamp(now - 3 * 86400, 0);
    future->time = TimeStamp(now + 7 * 86400, 0);
    dated->time = TimeStamp(LocalTime(2024, 3, 15) + 14 * 3600 + 30 * 60, 0);
    EntryPtr earliest = File(L"earliest");
    earliest->time.seconds = INT64_MIN;  // a file system may hold it
    Check({
        {L"%age<1h", recent.get(), 1},  {L"%age<1h", old.get(), 0},    {L"%age<1h", future.get(), 1},  // negative age
        {L"%age>2D", old.get(), 1},     {L"%age<500", recent.get(), 0},  // seconds
        {L"%age>1d", earliest.get(), 1},  // the oldest age, not wrapped round
        // Dates in the locale's order.
        {L"%date=3/15/24", dated.get(), 1},    {L"%date>03/14/2024", dated.get(), 1},
        {L"%date<03/15/2024", dated.get(), 0}, {L"%date=15/03/2024", dated.get(), 0},
    });
}

TEST_F(MaskTest, AttributesPermissionsAndOwners) {
    EntryPtr dir = File(L"dir", 0, FA_DIREC), hidden_dir = File(L".git", 0, FA_DIREC | FA_HIDDEN);
    EntryPtr file = File(L"file", 0, FA_RDONLY);
    EntryPtr mine = File(L"mine");  // owned by the user, 0644
    EntryPtr foreign = File(L"foreign");
    foreign->uid = static_cast<uint32_t>(geteuid()) + 1000;
    foreign->gid = 3999999999u;
    foreign->mode = 0705;  // others may read and execute
    EntryPtr root_file = File(L"r"), top_id = File(L"t");
    root_file->uid = root_file->gid = 0;
    top_id->uid = 0xFFFFFFFFu;
    Check({
        {L"%attrib=dh", dir.get(), 0},  // needs both bits
        {L"%attrib=dh", hidden_dir.get(), 1}, {L"%attrib!=d", file.get(), 1},
        {L"%perm=rw", mine.get(), 1},         {L"%perm=rwx", mine.get(), 0},
        {L"%perm=rx", foreign.get(), 1},      {L"%perm=w", foreign.get(), 0},
        {L"%owner=root", root_file.get(), 1},
        // An unknown name matches no file, not even one with the highest id.
        {L"%owner=no-such-user-dv", root_file.get(), 0}, {L"%owner=no-such-user-dv", top_id.get(), 0},
        {L"%group=no_such_group.dv", top_id.get(), 0},
    });
}

TEST_F(MaskTest, LongMasksAndDeepNesting) {
    std::wstring name = std::wstring(400, L'n') + L".txt";
    std::wstring ok = std::wstring(150, L'(') + L"*.c" + std::wstring(150, L')');
    std::wstring nots = std::wstring(150, L'!') + L"*.c";
    // Far deeper than anyone writes: refused, without exhausting the stack.
    std::wstring deep = std::wstring(100000, L'(') + L"*.c" + std::wstring(100000, L')');
    std::wstring many_nots = std::wstring(100000, L'!') + L"*.c";
    std::wstring mixed;
    for (int i = 0; i < 50000; i++) mixed += L"!(a|";
    // Many operands at one level need no nesting at all.
    std::wstring ors, ands;
    for (int i = 0; i < 20000; i++) ors += L"n" + std::to_wstring(i) + L"|";
    ors += L"*.c";
    for (int i = 0; i < 20000; i++) ands += L"(x*|%size>5)&";
    ands += L"*.c";
    // Pending values of "|" and "&" on every level at the deepest nesting allowed.
    std::wstring wide_nest;
    for (int i = 0; i < 190; i++) wide_nest += L"q|q&(";
    wide_nest += L"*.c" + std::wstring(190, L')');
    const std::wstring head = name.substr(0, 300);
    const std::tuple<std::wstring, const wchar_t*, int> cases[] = {
        {name, name.c_str(), 1},  {head + L"*.doc", name.c_str(), 0},
        {ok, L"x.c", 1},  {nots, L"x.c", 1},
        {deep, L"x.c", -1}, {many_nots, L"x.c", -1}, {mixed, L"x.c", -1},
        {ors, L"n19999", 1}, {ors, L"x.h", 0}, {ands, L"x.c", 1}, {ands, L"y.c", 0},
        {wide_nest, L"x.c", 0}, {wide_nest, L"q", 1},
    };
    for (const auto& [expression, text, result] : cases)
        EXPECT_EQ(mask_eval(expression.c_str(), text), result) << expression.substr(0, 40) << " / " << text;
}

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
