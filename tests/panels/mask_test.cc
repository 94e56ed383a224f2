// File masks and filter expressions, and the locale's date format they read.
#include "panels/mask.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <clocale>
#include <ctime>
#include <memory>
#include <string>

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

int64_t LocalTime(int year, int month, int day, int hour, int minute) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return mktime(&t);
}

// Every date test reads dates as the C locale writes them: 03/15/24.
class MaskTest : public ::testing::Test {
protected:
    CLocaleGuard dates_{LC_TIME, "C"};
};

TEST_F(MaskTest, MasksOnNames) {
    struct Case {
        const wchar_t* expression;
        const wchar_t* name;
        int result;
    } cases[] = {
        {L"*", L"anything", 1},
        {L"*.c|*.h", L"main.c", 1},
        {L"*.c|*.h", L"main.h", 1},
        {L"*.c|*.h", L"main.o", 0},
        {L"*.c *.h", L"main.c", 0},  // one mask with a blank in it
        {L"*.c *.h", L"a.c b.h", 1},
        {L"!*.o", L"main.o", 0},
        {L"!*.o", L"main.c", 1},
        {L"!(*.o|*.a)", L"lib.a", 0},
        {L"!(*.o|*.a)", L"main.o", 0},
        {L"!(*.o|*.a)", L"main.c", 1},
        {L"!!*.o", L"main.o", 1},
        {L"*.C", L"MAIN.c", 1},  // letters without regard to case
        {L"*.{c,h}", L"x.h", 1},
        {L"[a-c]*", L"Beta", 1},
        {L"  *.c  ", L"x.c", 1},  // blanks around a mask are not part of it
        {L"\"a|b\"", L"a|b", 1},  // quoted: the bar is part of the mask
        {L"\"a|b\"", L"a", 0},
        {L"a|b", L"a", 1},
        {L"\"x&y)\"", L"x&y)", 1},
        {L"\"a \"", L"a ", 1},  // a quoted blank at the end stays
        {L"\"a \"", L"a", 0},
        {L"a\"|\"b", L"a|b", 1},  // quotes may cover part of a mask
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mask_eval(c.expression, c.name), c.result) << c.expression << " / " << c.name;
    }
}

TEST_F(MaskTest, AndBindsTighterThanOr) {
    // a|b&c is a|(b&c).
    EXPECT_EQ(mask_eval(L"a|b&c", L"a"), 1);
    EXPECT_EQ(mask_eval(L"(a|b)&c", L"a"), 0);
    EXPECT_EQ(mask_eval(L"b&c|a", L"a"), 1);
    EXPECT_EQ(mask_eval(L"a*&*z|q", L"abz"), 1);
    EXPECT_EQ(mask_eval(L"a*&(*z|q)", L"abz"), 1);
    EXPECT_EQ(mask_eval(L"a*&(*y|q)", L"abz"), 0);
    EXPECT_EQ(mask_eval(L"!a*&*z", L"abz"), 0);  // ! applies to the next operand only
    EXPECT_EQ(mask_eval(L"!a*&*z", L"bz"), 1);
    EXPECT_EQ(mask_eval(L"( a* | b* ) & ! *z", L"bz"), 0);
    EXPECT_EQ(mask_eval(L"( a* | b* ) & ! *z", L"by"), 1);
}

TEST_F(MaskTest, SyntaxErrors) {
    const wchar_t* bad[] = {
        L"",          L"   ",       L"%date=",  L"(*.c",   L"(*.c|*.h", L"%foo>1",   L"*.c|",
        L"|*.c",      L"*.c&",      L"!",       L"()",     L"\"\"",     L"%size",    L"%size>",
        L"%size~5",   L"%size!5",   L"%size 5", L"%",      L"%size>>5", L"a&(b|%x=1)", L"a|()",
    };
    for (const wchar_t* expression : bad) EXPECT_EQ(mask_eval(expression, L"test"), -1) << expression;
    EXPECT_EQ(mask_eval(static_cast<const wchar_t*>(nullptr), L"test"), -1);
}

TEST_F(MaskTest, TextAfterACompleteExpressionIsIgnored) {
    EXPECT_EQ(mask_eval(L"(*.c) whatever", L"x.c"), 1);
    EXPECT_EQ(mask_eval(L"*.c)", L"x.c"), 1);
    EXPECT_EQ(mask_eval(L"%size<5 junk", L"x"), 1);
}

TEST_F(MaskTest, Size) {
    EntryPtr small = File(L"small.txt", 10);
    EntryPtr notes = File(L"notes.txt", 2048);
    EntryPtr exact = File(L"exact", 1024);
    EntryPtr big = File(L"big.iso", 5ull * 1048576);
    EntryPtr huge = File(L"huge", 3ull * 1073741824);

    EXPECT_EQ(mask_eval(L"*.txt&%size>1k", *notes), 1);
    EXPECT_EQ(mask_eval(L"*.txt&%size>1k", *small), 0);
    EXPECT_EQ(mask_eval(L"%size>1k&*.txt", *notes), 1);
    EXPECT_EQ(mask_eval(L"%size>1k&*.txt", *small), 0);
    EXPECT_EQ(mask_eval(L"%size>1k&*.txt", *big), 0);
    EXPECT_EQ(mask_eval(L"%SIZE>1K", *notes), mask_eval(L"%size>1k", *notes));
    EXPECT_EQ(mask_eval(L"%SIZE>1K", *small), mask_eval(L"%size>1k", *small));

    struct Case {
        const wchar_t* expression;
        const entry* e;
        int result;
    } cases[] = {
        {L"%size=1k", exact.get(), 1},    {L"%size==1024", exact.get(), 1}, {L"%size>=1k", exact.get(), 1},
        {L"%size<=1k", exact.get(), 1},   {L"%size<1k", exact.get(), 0},    {L"%size>1k", exact.get(), 0},
        {L"%size!=1k", exact.get(), 0},   {L"%size!=1k", small.get(), 1},   {L"%size>=1k", small.get(), 0},
        {L"%size=5m", big.get(), 1},      {L"%size=5M", big.get(), 1},      {L"%size>4m", big.get(), 1},
        {L"%size<1g", big.get(), 1},      {L"%size>2g", huge.get(), 1},     {L"%size=3G", huge.get(), 1},
        {L"%size > 9", small.get(), 1},   {L"%size <= 9", small.get(), 0},  {L"%size>1.5m", big.get(), 1},
        // Absurd numbers stop growing instead of wrapping around.
        {L"%size<99999999999999999999999999g", huge.get(), 1},
        {L"%size>99999999999999999999999999", huge.get(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(mask_eval(c.expression, *c.e), c.result) << c.expression;
}

TEST_F(MaskTest, Age) {
    int64_t now = time(nullptr);
    EntryPtr recent = File(L"recent");
    recent->time = TimeStamp(now - 600, 0);
    EntryPtr old = File(L"old");
    old->time = TimeStamp(now - 3 * 86400, 0);
    EntryPtr future = File(L"future");
    future->time = TimeStamp(now + 7 * 86400, 0);

    EXPECT_EQ(mask_eval(L"%age<1h", *recent), 1);
    EXPECT_EQ(mask_eval(L"%age<1h", *old), 0);
    EXPECT_EQ(mask_eval(L"%age<1h", *future), 1);  // negative age
    EXPECT_EQ(mask_eval(L"%age<2d", *recent), 1);
    EXPECT_EQ(mask_eval(L"%age<2d", *old), 0);
    EXPECT_EQ(mask_eval(L"%age>2D", *old), 1);
    EXPECT_EQ(mask_eval(L"%age>5m", *recent), 1);
    EXPECT_EQ(mask_eval(L"%age<15M", *recent), 1);
    EXPECT_EQ(mask_eval(L"%age>500", *recent), 1);  // seconds
    EXPECT_EQ(mask_eval(L"%age<500", *recent), 0);
}

TEST_F(MaskTest, DateInTheLocaleOrder) {
    EntryPtr e = File(L"dated");
    e->time = TimeStamp(LocalTime(2024, 3, 15, 14, 30), 0);
    struct Case {
        const wchar_t* expression;
        int result;
    } cases[] = {
        {L"%date=03/15/2024", 1}, {L"%date=3/15/24", 1},   {L"%date==03/15/2024", 1},
        {L"%date>03/14/2024", 1}, {L"%date<03/16/24", 1},  {L"%date>=03/15/2024", 1},
        {L"%date<03/15/2024", 0}, {L"%date=15/03/2024", 0}, {L"%date!=03/15/2024", 0},
        {L"%date>12/31/99", 1},   {L"%date<1/1/71", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(mask_eval(c.expression, *e), c.result) << c.expression;
}

TEST_F(MaskTest, DateValues) {
    EXPECT_EQ(str2unixtime(L"03/15/2024"), LocalTime(2024, 3, 15, 0, 0));
    EXPECT_EQ(str2unixtime(L"3/15/24"), LocalTime(2024, 3, 15, 0, 0));
    EXPECT_EQ(str2unixtime(L"12/31/99"), LocalTime(1999, 12, 31, 0, 0));
    EXPECT_EQ(str2unixtime(L"1/1/71"), LocalTime(1971, 1, 1, 0, 0));
    EXPECT_EQ(str2unixtime(L"1/1/70"), LocalTime(2070, 1, 1, 0, 0));
    EXPECT_EQ(str2unixtime(L"1/1/100"), LocalTime(100, 1, 1, 0, 0));
    // Without a separator left, the last number is read again.
    EXPECT_EQ(str2unixtime(L"5/7"), LocalTime(2007, 5, 7, 0, 0));
    // Nonsense gives some time, never a crash.
    str2unixtime(L"");
    str2unixtime(nullptr);
    str2unixtime(L"99999999999999999999/99999999999999/9999999999999");
}

TEST_F(MaskTest, Attributes) {
    EntryPtr dir = File(L"dir", 0, FA_DIREC);
    EntryPtr hidden_dir = File(L".git", 0, FA_DIREC | FA_HIDDEN);
    EntryPtr file = File(L"file", 0, FA_RDONLY | FA_ARCH);
    EXPECT_EQ(mask_eval(L"%attrib=d", *dir), 1);
    EXPECT_EQ(mask_eval(L"%attrib=d", *file), 0);
    EXPECT_EQ(mask_eval(L"%attrib=D", *dir), 1);
    EXPECT_EQ(mask_eval(L"%attrib=dh", *dir), 0);  // needs both bits
    EXPECT_EQ(mask_eval(L"%attrib=dh", *hidden_dir), 1);
    EXPECT_EQ(mask_eval(L"%attrib=ra", *file), 1);
    EXPECT_EQ(mask_eval(L"%attrib=rs", *file), 0);
    EXPECT_EQ(mask_eval(L"%attrib!=d", *file), 1);
    EXPECT_EQ(mask_eval(L"%attrib=d|*.c", *dir), 1);
}

TEST_F(MaskTest, Permissions) {
    EntryPtr mine = File(L"mine");  // owned by the user, 0644
    EXPECT_EQ(mask_eval(L"%perm=rw", *mine), 1);
    EXPECT_EQ(mask_eval(L"%perm=r", *mine), 1);
    EXPECT_EQ(mask_eval(L"%perm=x", *mine), 0);
    EXPECT_EQ(mask_eval(L"%perm=rwx", *mine), 0);
    EntryPtr foreign = File(L"foreign");
    foreign->uid = static_cast<uint32_t>(geteuid()) + 1000;
    foreign->gid = 3999999999u;
    foreign->mode = 0705;  // others may read and execute
    EXPECT_EQ(mask_eval(L"%perm=rx", *foreign), 1);
    EXPECT_EQ(mask_eval(L"%perm=w", *foreign), 0);
}

TEST_F(MaskTest, OwnerAndGroup) {
    EntryPtr root_file = File(L"r");
    root_file->uid = 0;
    root_file->gid = 0;
    EXPECT_EQ(mask_eval(L"%owner=root", *root_file), 1);
    EXPECT_EQ(mask_eval(L"%group=root", *root_file), 1);
    EXPECT_EQ(mask_eval(L"%owner!=root", *root_file), 0);
    // An unknown name matches no file, not even one with the highest id.
    EXPECT_EQ(mask_eval(L"%owner=no-such-user-dv", *root_file), 0);
    root_file->uid = 0xFFFFFFFFu;
    EXPECT_EQ(mask_eval(L"%owner=no-such-user-dv", *root_file), 0);
    EXPECT_EQ(mask_eval(L"%group=no_such_group.dv", *root_file), 0);
}

TEST_F(MaskTest, LongMasks) {
    std::wstring name(400, L'n');
    name += L".txt";
    EXPECT_EQ(mask_eval(name.c_str(), name.c_str()), 1);
    EXPECT_EQ(mask_eval((L"*" + name.substr(100)).c_str(), name.c_str()), 1);
    EXPECT_EQ(mask_eval((name.substr(0, 300) + L"*.txt").c_str(), name.c_str()), 1);
    EXPECT_EQ(mask_eval((name.substr(0, 300) + L"*.doc").c_str(), name.c_str()), 0);
}

TEST_F(MaskTest, DeepNesting) {
    std::wstring ok = std::wstring(150, L'(') + L"*.c" + std::wstring(150, L')');
    EXPECT_EQ(mask_eval(ok.c_str(), L"x.c"), 1);
    EXPECT_EQ(mask_eval(ok.c_str(), L"x.h"), 0);
    std::wstring nots = std::wstring(150, L'!') + L"*.c";
    EXPECT_EQ(mask_eval(nots.c_str(), L"x.c"), 1);

    // Far deeper than anyone writes: refused, without exhausting the stack.
    std::wstring deep = std::wstring(100000, L'(') + L"*.c" + std::wstring(100000, L')');
    EXPECT_EQ(mask_eval(deep.c_str(), L"x.c"), -1);
    std::wstring many_nots = std::wstring(100000, L'!') + L"*.c";
    EXPECT_EQ(mask_eval(many_nots.c_str(), L"x.c"), -1);
    std::wstring mixed;
    for (int i = 0; i < 50000; i++) mixed += L"!(a|";
    EXPECT_EQ(mask_eval(mixed.c_str(), L"x.c"), -1);
}

TEST_F(MaskTest, LongExpressions) {
    // Many operands at one level need no nesting at all.
    std::wstring ors;
    for (int i = 0; i < 20000; i++) ors += L"n" + std::to_wstring(i) + L"|";
    ors += L"*.c";
    EXPECT_EQ(mask_eval(ors.c_str(), L"x.c"), 1);
    EXPECT_EQ(mask_eval(ors.c_str(), L"n19999"), 1);
    EXPECT_EQ(mask_eval(ors.c_str(), L"x.h"), 0);

    std::wstring ands;
    for (int i = 0; i < 20000; i++) ands += L"(x*|%size>5)&";
    ands += L"*.c";
    EXPECT_EQ(mask_eval(ands.c_str(), L"x.c"), 1);
    EXPECT_EQ(mask_eval(ands.c_str(), L"y.c"), 0);

    // Pending values of "|" and "&" on every level at the deepest nesting allowed.
    std::wstring wide_nest;
    for (int i = 0; i < 190; i++) wide_nest += L"q|q&(";
    wide_nest += L"*.c" + std::wstring(190, L')');
    EXPECT_EQ(mask_eval(wide_nest.c_str(), L"x.c"), 0);
    EXPECT_EQ(mask_eval(wide_nest.c_str(), L"q"), 1);
}

// ---- The locale's date format -----------------------------------------------

TEST(LocaleDatesTest, Formats) {
    struct Case {
        const char* format;
        wchar_t separator;
        const char* order;
    } cases[] = {
        {"%m/%d/%y", L'/', "mdy"}, {"%d.%m.%Y", L'.', "dmy"},  {"%Y-%m-%d", L'-', "ymd"},
        {"%D", L'/', "mdy"},       {"%F", L'-', "ymd"},        {"%e/%m/%Y", L'/', "dmy"},
        {"%d/%m/%y", L'/', "dmy"}, {"%Y/%m/%d", L'/', "ymd"},  {"%-d.%-m.%Y", L'.', "dmy"},
        {"%Ey", L'/', "ymd"},      {"", L'/', "mdy"},          {"%H:%M", L'/', "mdy"},
        {"%", L'/', "mdy"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(date_separator_of(c.format), c.separator) << c.format;
        EXPECT_STREQ(date_order_of(c.format), c.order) << c.format;
    }
    EXPECT_EQ(date_separator_of(nullptr), L'/');
    EXPECT_STREQ(date_order_of(nullptr), "mdy");
}

TEST(LocaleDatesTest, CLocale) {
    CLocaleGuard guard(LC_TIME, "C");
    EXPECT_EQ(date_separator(), L'/');
    EXPECT_STREQ(date_order(), "mdy");
}

}  // namespace
