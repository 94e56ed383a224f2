// The order of a panel's entries, on lists built in memory.
#include "panels/sortpanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/panel.h"

namespace {

class SortTest : public ::testing::Test {
protected:
    ~SortTest() override {
        for (entry* e : entries_) entry::Destroy(e);
    }
    entry* Add(const wchar_t* name, char sort_class = 'C', uint64_t size = 0, int64_t seconds = 0) {
        entry* e = entry::Create(name);
        e->sort_class = sort_class;
        e->size = size;
        e->time = TimeStamp(seconds, 0);
        if (sort_class == 'A' || sort_class == '1') e->attr = FA_DIREC;
        entries_.push_back(e);
        return e;
    }
    std::vector<std::wstring> Sorted(sortby sort) {
        std::vector<entry*> list = entries_;
        sort_panel(L"/", sort, list.data(), static_cast<int>(list.size()));
        std::vector<std::wstring> names;
        for (entry* e : list) names.push_back(e->name);
        return names;
    }
    std::vector<entry*> entries_;
};

using Names = std::vector<std::wstring>;

}  // namespace

TEST_F(SortTest, NameOrderIgnoresCaseAndPutsUnderscoreFirst) {
    for (const wchar_t* name : {L"beta", L"Alpha", L"_private", L"alpha2", L"0zero"}) Add(name);
    EXPECT_EQ(Sorted(SORT_NAME), (Names{L"_private", L"0zero", L"Alpha", L"alpha2", L"beta"}));
    EXPECT_EQ(Sorted(SORT_RNAME), (Names{L"beta", L"alpha2", L"Alpha", L"0zero", L"_private"}));
}

TEST_F(SortTest, FarApartCharactersReverseWithoutOverflow) {
    for (const std::wstring& name : {std::wstring(L"\x10FFFF"), std::wstring(L"\x01"),
                                     std::wstring(1, static_cast<wchar_t>(0x7FFFFFFF))})
        Add(name.c_str());
    Names forward = Sorted(SORT_NAME);
    Names reverse = Sorted(SORT_RNAME);
    EXPECT_EQ(forward, (Names{reverse[2], reverse[1], reverse[0]}));
}


TEST_F(SortTest, UnsortedAndTinyListsKeepTheirOrder) {
    for (const wchar_t* name : {L"c", L"a", L"b"}) Add(name);
    EXPECT_EQ(Sorted(SORT_UNSORTED), (Names{L"c", L"a", L"b"}));
    sort_panel(L"/", SORT_NAME, nullptr, 3);
    EXPECT_EQ(entries_[0]->name, std::wstring(L"c"));
}
