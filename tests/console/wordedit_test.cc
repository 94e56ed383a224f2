// Word characters, word moves and deletions, and the clipboard of lines.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "console/cliplines.h"
#include "console/wordedit.h"

namespace {

TEST(WordChars, WideCharactersAndBytes) {
    const wchar_t words[] = {L'0', L'Z', L'_', 0xB5, 0xC0, 0x3B1 /* alpha */, 0x4E2D /* CJK */,
                             0x0301 /* combining acute */};
    for (wchar_t c : words) EXPECT_TRUE(iswordchar(c)) << std::hex << int(c);
    const wchar_t others[] = {0, L' ', L'-', L'`', 0xA0, 0xD7 /* times */, 0x3000, 0x10000,
                              static_cast<wchar_t>(-1)};
    for (wchar_t c : others) EXPECT_FALSE(iswordchar(c)) << std::hex << int(c);
    for (auto [b, want] : {std::pair('_', true), {'z', true}, {'\x80', true}, {'\xfe', true}, {'\xff', false},
                           {'@', false}, {'\0', false}})
        EXPECT_EQ(iswordchar(b), want) << int(static_cast<unsigned char>(b));
}

TEST(WordMoves, WordRightAndWordStarts) {
    struct { const wchar_t* text; int to_start, to_end; } cases[] = {
        {L"", 0, 0}, {L"one two", 4, 3},
        {L"  one", 2, 5},  // from blanks: past them, or to the word's end
        {L"x, y", 3, 1}, {L"...", 3, 3},
    };
    for (auto c : cases)
        EXPECT_EQ(std::make_pair(WordRight(c.text, false), WordRight(c.text, true)), std::make_pair(c.to_start, c.to_end))
            << c.text;
    EXPECT_EQ(WordRight(nullptr, true), 0);
    Westring text = L"one  two.three";
    struct { int pos, prev, next; } starts[] = {{3, 0, 5}, {6, 5, 9}, {9, 5, 14}, {-4, 0, 5}, {99, 9, 14}};
    for (auto c : starts)
        EXPECT_EQ(std::make_pair(PrevWordStart(text, c.pos), NextWordStart(text, c.pos)), std::make_pair(c.prev, c.next))
            << c.pos;
}

TEST(WordMoves, DeletionsAndAVeryLongWord) {
    Westring text = L"one two three";
    for (auto [from, to, left] : {std::tuple(13, 8, "one two "), {8, 4, "one "}, {0, 0, "one "}}) {
        EXPECT_EQ(DeleteWordLeft(text, from), to);
        EXPECT_STREQ(text.ToUTF8().c_str(), left);
    }
    text = L"one two three";
    DeleteWordRight(text, 0);
    EXPECT_EQ(text, Westring(L"two three"));
    DeleteWordRight(text, 3);  // from the blank: the blank, the word after it and what follows
    EXPECT_EQ(text, Westring(L"two"));
    DeleteWordRight(text, 3);
    DeleteWordRight(text, 50);  // past the end: nothing
    EXPECT_EQ(DeleteWordLeft(text, -5), 0);
    EXPECT_STREQ(text.ToUTF8().c_str(), "two");
    text = std::wstring(3 << 20, L'w').c_str();  // a very long word
    EXPECT_EQ(WordRight(text.c_str(), true), 3 << 20);
    EXPECT_EQ(PrevWordStart(text, 3 << 20), 0);
    DeleteWordLeft(text, 1 << 20);
    EXPECT_EQ(text.strlen(), 2 << 20);
}

TEST(ClipLines, TextToClipSplitsAtLineFeeds) {
    WestringStore store;
    struct { const wchar_t* text; std::vector<std::wstring> lines; } cases[] = {
        {L"", {}}, {L"one\r\ntwo", {L"one", L"two"}}, {L"a\n\nb\n", {L"a", L"", L"b"}},
        {L"cr\ronly", {L"cr\ronly"}}, {L"x\r\r\n", {L"x\r"}},
    };
    for (const auto& c : cases) {
        store.Add(L"stale");
        TextToClip(c.text, store);
        std::vector<std::wstring> lines;
        for (int i = 0; i < store.count(); i++) lines.push_back(store[i]->c_str());
        EXPECT_EQ(lines, c.lines) << Westring(c.text).ToUTF8().c_str();
    }
}

}  // namespace
