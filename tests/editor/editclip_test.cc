// The editor's clipboard of lines and its word characters: copying and
// appending selections, the one-line form, the desktop round trip and the
// characters words are made of.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/editclip.h"
#include "editor/wordchars.h"
#include "tests/support/uitest.h"

namespace {

std::vector<std::string> Lines(const WestringStore& store) {
    std::vector<std::string> out;
    for (int i = 0; i < store.count(); i++) out.emplace_back(store[i]->ToUTF8().c_str());
    return out;
}

class EditClipTest : public ::testing::Test {
protected:
    void SetUp() override { saved_desktop_ = clip_use_desktop; }
    void TearDown() override {
        clip_use_desktop = saved_desktop_;
        freeclip(clip);
    }
    ClipLineSource Source() {
        return [this](int i) { return Westring(text_.at(static_cast<size_t>(i)).c_str()); };
    }
    std::string Desktop() { return ui.Headless().View().ClipText().ToUTF8().c_str(); }

    CUiTest ui;
    std::vector<std::string> text_ = {"first line", "second", "", "last line"};
    bool saved_desktop_ = true;
};

TEST_F(EditClipTest, CopyTakesTheSelectedPartsOfEachLine) {
    clip_use_desktop = false;
    WestringStore store;
    clipcopy(Source(), {0, 6, 3, 4}, store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"line", "second", "", "last"}));
    // Within one line; ends given backwards; a position past the end stops there.
    clipcopy(Source(), {1, 4, 1, 1}, store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"eco"}));
    clipcopy(Source(), {1, 3, 2, 99}, store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"ond", ""}));
    // An empty selection leaves one empty line, not the old contents.
    clipcopy(Source(), {0, 2, 0, 2}, store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{""}));
}

TEST_F(EditClipTest, AppendJoinsTheFirstLineToTheLastStoredLine) {
    clip_use_desktop = false;
    WestringStore store;
    clipappend(Source(), {1, 0, 1, 3}, store);  // onto an empty store
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"sec"}));
    clipappend(Source(), {0, 5, 1, 2}, store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"sec line", "se"}));
}

TEST_F(EditClipTest, TextToClipAndTheOneLineForm) {
    clip_use_desktop = false;
    WestringStore store;
    TextToClip(L"a\r\nb\n\r\nc\rd\n", store);
    EXPECT_EQ(Lines(store), (std::vector<std::string>{"a", "b", "", "c\rd"}));
    TextToClip(L"\n\nx\n\ny\n\n", clip);
    EXPECT_EQ(std::string(getclipline().ToUTF8().c_str()), "x  y");
    putclipline("één");
    EXPECT_EQ(Lines(clip), (std::vector<std::string>{"één"}));
}

TEST_F(EditClipTest, DesktopRoundTripOnlyWhenShared) {
    clip_use_desktop = true;
    clipcopy(Source(), {0, 6, 1, 3}, clip);
    EXPECT_EQ(Desktop(), "line\nsec");
    clipappend(Source(), {3, 0, 3, 4}, clip);
    EXPECT_EQ(Desktop(), "line\nseclast");
    ui.Headless().View().SetClipText(L"from\r\nthe desktop");
    GetGlobalClip(clip);
    EXPECT_EQ(Lines(clip), (std::vector<std::string>{"from", "the desktop"}));

    clip_use_desktop = false;
    clipcopy(Source(), {1, 0, 1, 6}, clip);
    EXPECT_EQ(Desktop(), "from\r\nthe desktop");  // the desktop is left alone
    GetGlobalClip(clip);
    EXPECT_EQ(Lines(clip), (std::vector<std::string>{"second"}));
}

TEST(EditWordChars, ListedRangesAndOtherScripts) {
    struct Range { wchar_t low, high; };
    const Range words[] = {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}, {0xAF, 0xAF},
                           {0xB5, 0xB5}, {0xC0, 0xD6}, {0xD8, 0xF6}, {0xF8, 0x2C6}};
    for (const Range& r : words) {
        EXPECT_TRUE(iswordchar(r.low)) << std::hex << int(r.low);
        EXPECT_TRUE(iswordchar(r.high)) << std::hex << int(r.high);
    }
    // The neighbours of those ranges, and characters of no word.
    for (wchar_t c : {L'/', L':', L'@', L'[', L'^', L'`', L'{', L'\xAE', L'\xB0', L'\xB4', L'\xB6', L'\xBF', L'\xD7',
                      L'\xF7', L' ', L'-', L'\xA0', L'\x3000', wchar_t(0x10000)})
        EXPECT_FALSE(iswordchar(c)) << std::hex << int(c);
    // Greek, Cyrillic, Hebrew, Arabic-Indic digits, Devanagari, CJK, Hangul, fullwidth.
    for (wchar_t c : {L'\x3B1', L'\x416', L'\x5D0', L'\x663', L'\x915', L'\x4E2D', L'\xAC00', L'\xFF21'})
        EXPECT_TRUE(iswordchar(c)) << std::hex << int(c);
    EXPECT_TRUE(iswordchar('_'));
    EXPECT_TRUE(iswordchar(static_cast<char>(200)));
    EXPECT_FALSE(iswordchar(static_cast<char>(255)));
    EXPECT_FALSE(iswordchar('-'));
}

}  // namespace
