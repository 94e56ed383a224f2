// Sort keys against the comparison they stand for: for any two names the
// keys must order exactly as nls_fname_cmp does.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "lib/nls.h"
#include "lib/sortkey.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

std::vector<CSortKeys::Key> KeysOf(CSortKeys& keys, const std::vector<std::wstring>& names) {
    std::vector<CSortKeys::Key> out(names.size());
    for (size_t i = 0; i < names.size(); i++) {
        keys.Begin();
        keys.AddName(names[i].c_str());
        EXPECT_TRUE(keys.End(out[i]));
    }
    return out;
}

std::string Shown(const std::wstring& name) {
    std::string out;
    for (wchar_t c : name) out.append(std::to_string(static_cast<int>(c))).append(" ");
    return out;
}

// Characters around every boundary of the codes and of case folding.
const wchar_t kAlphabet[] = {
    L'a', L'A', L'z', L'Z', L'_', L'.', L'0', L'9', L'^', L'`', 0x01, 0x7F,
    0xE9, 0xC9, 0xDF, 0xFB, 0xFC, 0xFF, 0x178, 0x436, 0x416, 0x131, 0xDC80, 0xDCFF,
    0xFFFF, 0x10000, 0x10428, 0x10FFFF, 0x7FFFFFFF, -1, -2, INT_MIN,
};

// Short random names, then the same names in another case, their
// prefixes, with an empty extension, and very long.
std::vector<std::wstring> GeneratedNames() {
    std::mt19937 rng(2024);
    std::vector<std::wstring> names = {L"", L"_", L"a.", L"A"};
    for (int i = 0; i < 400; i++) {
        std::wstring name;
        for (int n = static_cast<int>(rng() % 7); n > 0; n--) name += kAlphabet[rng() % std::size(kAlphabet)];
        names.push_back(name);
    }
    for (size_t i = 4; i < 204; i++) {
        std::wstring other = names[i];
        for (wchar_t& c : other) c = rng() % 2 ? nls_tolower(c) : nls_toupper(c);
        names.push_back(other);
        names.push_back(names[i].substr(0, names[i].size() / 2));
        names.push_back(names[i] + L".");
        names.push_back(std::wstring(300 + rng() % 3, L'x') + names[i]);
    }
    return names;
}

TEST(SortKeyTest, EveryPairOrdersAsTheFileNameComparison) {
    const std::vector<std::wstring> names = GeneratedNames();
    CSortKeys keys;
    const std::vector<CSortKeys::Key> key = KeysOf(keys, names);
    for (size_t i = 0; i < names.size(); i++)
        for (size_t j = 0; j < names.size(); j++)
            ASSERT_EQ(sign(keys.Compare(key[i], key[j])), sign(nls_fname_cmp(names[i].c_str(), names[j].c_str())))
                << Shown(names[i]) << "/ " << Shown(names[j]);

    // A full sort by the keys agrees place by place with one by the comparison.
    std::vector<size_t> by_key(names.size()), by_compare(names.size());
    for (size_t i = 0; i < names.size(); i++) by_key[i] = by_compare[i] = i;
    std::sort(by_key.begin(), by_key.end(), [&](size_t a, size_t b) { return keys.Compare(key[a], key[b]) < 0; });
    std::sort(by_compare.begin(), by_compare.end(),
              [&](size_t a, size_t b) { return nls_fname_cmp(names[a].c_str(), names[b].c_str()) < 0; });
    for (size_t i = 0; i < names.size(); i++)
        EXPECT_EQ(nls_fname_cmp(names[by_key[i]].c_str(), names[by_compare[i]].c_str()), 0) << i;
}

TEST(SortKeyTest, EveryCharacterOfThePlaneTakesItsPlace) {
    // Each character alone and before an "x": sorted by the keys, every
    // neighbour must compare the same way by the file-name comparison.
    std::vector<std::wstring> names;
    for (int c = 1; c < 0x10000; c++) {
        names.push_back(std::wstring(1, static_cast<wchar_t>(c)));
        names.push_back(std::wstring(1, static_cast<wchar_t>(c)) + L"x");
    }
    for (wchar_t c : {0x10000, 0x7FFFFFFF, -1, INT_MIN}) names.push_back(std::wstring(1, c));
    CSortKeys keys;
    const std::vector<CSortKeys::Key> key = KeysOf(keys, names);
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < names.size(); i++) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys.Compare(key[a], key[b]) < 0; });
    for (size_t i = 1; i < order.size(); i++) {
        const std::wstring &a = names[order[i - 1]], &b = names[order[i]];
        ASSERT_EQ(sign(keys.Compare(key[order[i - 1]], key[order[i]])), sign(nls_fname_cmp(a.c_str(), b.c_str())))
            << Shown(a) << "/ " << Shown(b);
    }
}

}  // namespace
