// Word characters, word moves and deletions, and the clipboard of lines.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "console/cliplines.h"
#include "console/wordedit.h"
#include "tests/support/uitest.h"

namespace {

TEST(WordChars, WideCharactersAndBytes) {
    const wchar_t words[] = {L'0', L'9', L'A', L'Z', L'_', L'a', L'z', 0xAF, 0xB5, 0xC0, 0xD6, 0xD8,
                             0xF6, 0xF8, 0x2C6, 0x3B1 /* alpha */, 0x416 /* Zhe */, 0x5D0 /* alef */,
                             0x4E2D /* CJK */, 0x0301 /* combining acute */, 0xFF21 /* fullwidth A */};
    for (wchar_t c : words) EXPECT_TRUE(iswordchar(c)) << std::hex << int(c);
    const wchar_t others[] = {0, L' ', L'\t', L'-', L'.', L',', L'/', L'@', L'[', L'`', L'{', 0x7F, 0xA0,
                              0xAA, 0xB2, 0xD7 /* times */, 0xF7 /* divide */, 0x2000, 0x2022, 0x3000,
                              0xFFFF, 0x10000, 0x1F600, static_cast<wchar_t>(-1)};
    for (wchar_t c : others) EXPECT_FALSE(iswordchar(c)) << std::hex << int(c);
    for (int b = 0; b < 256; b++) {
        char c = static_cast<char>(b);
        bool want = b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                    (b >= 128 && b <= 254);
        EXPECT_EQ(iswordchar(c), want) << b;
    }
}

TEST(WordMoves, WordRightInBothStyles) {
    struct {
        const wchar_t* text;
        int to_start, to_end;
    } cases[] = {
        {L"", 0, 0},
        {L"one two", 4, 3},
        {L" one", 4, 4},      // from a blank: past it and the word, or to the word's end
        {L"  one", 2, 5},
        {L"a", 1, 1},
        {L"x, y", 3, 1},
        {L"...", 3, 3},
        {L"über alles", 5, 4},
    };
    for (auto c : cases)
        EXPECT_EQ(std::make_pair(WordRight(c.text, false), WordRight(c.text, true)), std::make_pair(c.to_start, c.to_end))
            << c.text;
    EXPECT_EQ(WordRight(nullptr, true), 0);
    for (bool brief : {false, true}) {
        brief_word_right = brief;
        EXPECT_EQ(WordRight(L"one two"), brief ? 3 : 4);
    }
}

TEST(WordMoves, PreviousAndNextWordStart) {
    Westring text = L"one  two.three";
    struct {
        int pos, prev, next;
    } cases[] = {{0, 0, 5}, {3, 0, 5}, {5, 0, 9}, {6, 5, 9}, {8, 5, 14}, {9, 5, 14}, {14, 9, 14}, {-4, 0, 5}, {99, 9, 14}};
    for (auto c : cases)
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
    struct {
        const wchar_t* text;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"", {}},
        {L"one", {L"one"}},
        {L"one\n", {L"one"}},
        {L"one\r\ntwo", {L"one", L"two"}},
        {L"a\n\nb\n", {L"a", L"", L"b"}},
        {L"\n", {L""}},
        {L"cr\ronly", {L"cr\ronly"}},
        {L"x\r\r\n", {L"x\r"}},
    };
    for (const auto& c : cases) {
        store.Add(L"stale");
        TextToClip(c.text, store);
        std::vector<std::wstring> lines;
        for (int i = 0; i < store.count(); i++) lines.push_back(store[i]->c_str());
        EXPECT_EQ(lines, c.lines) << Westring(c.text).ToUTF8().c_str();
    }
}

TEST(ClipLines, OneLineInAndOut) {
    CUiTest ui(40, 5);
    clip_use_desktop = true;
    putclipline(L"shared");
    EXPECT_EQ(ui.Headless().View().ClipText(), Westring(L"shared"));
    ui.Headless().View().SetClipText(L"\n\nfirst\nsecond\n\n");
    EXPECT_EQ(getclipline(), Westring(L"first second"));
    EXPECT_EQ(clip.count(), 5);  // the desktop's lines replaced the store
    ui.Headless().View().SetClipText(L"\n\n");
    EXPECT_EQ(getclipline(), Westring(L""));
    clip_use_desktop = false;
    putclipline(L"private");
    EXPECT_EQ(ui.Headless().View().ClipText(), Westring(L"\n\n"));
    EXPECT_EQ(getclipline(), Westring(L"private"));
    clip_use_desktop = true;
    freeclip(clip);
    EXPECT_EQ(clip.count(), 0);
}

}  // namespace
