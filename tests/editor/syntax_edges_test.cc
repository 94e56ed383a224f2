// How elements open and close across characters and lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/editor/syntax_support.h"

namespace {

class SyntaxEdges : public ::testing::Test {
protected:
    SyntaxScratch dir;
    SyntaxHighlighter h;

    void Load(const std::string& rules, const wchar_t* file = L"a.t") {
        std::string def = dir.Write("s.ini", rules);
        ASSERT_TRUE(h.LoadDef(def.c_str(), file));
        ASSERT_TRUE(h.def.messages().empty()) << h.def.messages().front().ToUTF8().c_str();
    }
};

const char kCLike[] =
    "[t:*.t]\n"
    "blockcomment:green:/*:*/\n"
    "linecomment:cyan:--\n"
    "string:magenta:\":\":\\:\n"
    "words:bright white:if\n";

TEST_F(SyntaxEdges, ABlockCommentColoursEveryLineUntilItCloses) {
    Load(kCLike);
    std::vector<std::wstring> lines = {L"if /* open", L"if middle", L"if \"more\"", L"if */ if"};
    EXPECT_EQ(ColourOf(Colours(h, lines[0].c_str()), 3, 7), Colour("green"));
    EXPECT_EQ(ColourOf(Colours(h, lines[1].c_str()), 0, 9), Colour("green"));
    EXPECT_EQ(ColourOf(Colours(h, lines[2].c_str()), 0, 9), Colour("green"));
    auto last = Colours(h, lines[3].c_str());
    EXPECT_EQ(ColourOf(last, 0, 5), Colour("green"));
    EXPECT_EQ(ColourOf(last, 6, 2), Colour("bright white"));
    EXPECT_EQ(h.depth(), 0);
}

TEST_F(SyntaxEdges, APageScrolledIntoACommentStartsInsideIt) {
    Load(kCLike);
    std::vector<std::wstring> lines(3000, L"if x");
    lines[2500] = L"/* open";
    lines[2503] = L"*/";
    auto text = [&](int line) { return lines[line].c_str(); };
    h.ReestablishSyntaxState(2502, text);
    ASSERT_EQ(h.saved_state.depth(), 1);
    EXPECT_EQ(ColourOf(Colours(h, text(2502)), 0, 4), Colour("green"));
    // The look-back is bounded: a comment opened more than 1000 lines
    // before the page is not seen.
    lines[100] = L"/* far";
    lines[2500] = L"if x";
    lines[2503] = L"if x";
    h.ReestablishSyntaxState(1200, text);
    EXPECT_EQ(h.depth(), 0);
    h.ReestablishSyntaxState(1000, text);
    EXPECT_EQ(h.depth(), 1);
}

TEST_F(SyntaxEdges, AnEscapedClosingCharacterDoesNotEndTheString) {
    Load(kCLike);
    auto cells = Colours(h, L"\"a\\\"b\" if");
    EXPECT_EQ(ColourOf(cells, 0, 6), Colour("magenta"));
    EXPECT_EQ(ColourOf(cells, 7, 2), Colour("bright white"));
    EXPECT_EQ(h.depth(), 0);
    // The default escape character applies to strings without their own.
    Load("[t:*.t]\nescape:!\nstring:magenta:':'\n");
    cells = Colours(h, L"'a!'b' c");
    EXPECT_EQ(ColourOf(cells, 0, 6), Colour("magenta"));
    EXPECT_NE(cells[7], Colour("magenta"));
}

TEST_F(SyntaxEdges, AWordBoundStateEndsAtTheFirstBlank) {
    Load("[t:*.t]\nstate/w:bright green:var:$\nstring:magenta:\":\"\n");
    auto cells = Colours(h, L"$HOME x\"s\"");
    EXPECT_EQ(ColourOf(cells, 0, 5), Colour("bright green"));
    EXPECT_EQ(cells[5], colours[CLR_FILE_VIEWER]);
    EXPECT_EQ(ColourOf(cells, 7, 3), Colour("magenta"));
    // Ending at a character that opens something else: the string starts.
    cells = Colours(h, L"$A\"s\"");
    EXPECT_EQ(ColourOf(cells, 2, 3), Colour("magenta"));
    EXPECT_EQ(h.depth(), 0);
}

TEST_F(SyntaxEdges, ALineCommentEndsWithItsLine) {
    Load(kCLike);
    EXPECT_EQ(ColourOf(Colours(h, L"-- if \"x"), 0, 8), Colour("cyan"));
    EXPECT_EQ(h.depth(), 0);
    EXPECT_EQ(ColourOf(Colours(h, L"if"), 0, 2), Colour("bright white"));
}

TEST_F(SyntaxEdges, TheRulesOfEveryMatchingSectionApply) {
    Load("[one:*.t]\nwords:red:alpha\n[other:*.c]\nwords:green:beta\n[two:a.*]\nwords:blue:beta\n");
    auto cells = Colours(h, L"alpha beta");
    EXPECT_EQ(ColourOf(cells, 0, 5), Colour("red"));
    EXPECT_EQ(ColourOf(cells, 6, 4), Colour("blue"));
}

TEST_F(SyntaxEdges, AnIgnoreCaseListColoursTheWordInAnyCase) {
    Load("[t:*.t]\nwords/i:red:Select\nwords:green:From\n");
    auto cells = Colours(h, L"select SELECT sElEcT from From");
    EXPECT_EQ(ColourOf(cells, 0, 6), Colour("red"));
    EXPECT_EQ(ColourOf(cells, 7, 6), Colour("red"));
    EXPECT_EQ(ColourOf(cells, 14, 6), Colour("red"));
    EXPECT_EQ(cells[21], colours[CLR_FILE_VIEWER]);
    EXPECT_EQ(ColourOf(cells, 26, 4), Colour("green"));
}

TEST_F(SyntaxEdges, ContextsNumbersSymbolsAndWordCharacters) {
    Load("[t:*.t]\n"
         "state:cyan:tag:<:>\n"
         "words(tag):red:b\n"
         "words:green:b\n"
         "number:magenta\n"
         "number(*):bright red\n"
         "symbols(*):white:=\n"
         "wordchars(tag):-\n");
    auto cells = Colours(h, L"b 12 <b a-b=1> a-b");
    EXPECT_EQ(cells[0], Colour("green"));
    EXPECT_EQ(ColourOf(cells, 2, 2), Colour("bright red"));  // the last number rule wins
    EXPECT_EQ(cells[6], Colour("red"));
    EXPECT_EQ(ColourOf(cells, 8, 3), Colour("cyan"));  // one word inside the tag
    EXPECT_EQ(cells[11], Colour("white"));
    EXPECT_EQ(cells[15], colours[CLR_FILE_VIEWER]);
    // A character beyond Latin-1 is no symbol because its low byte is one:
    // U+013D ends in 0x3D, '='.
    cells = Colours(h, L"\u013D=");
    EXPECT_EQ(cells[0], colours[CLR_FILE_VIEWER]);
    EXPECT_EQ(cells[1], Colour("white"));
}

TEST_F(SyntaxEdges, StateChangesPushPopAndSwitch) {
    Load("[t:*.t]\n"
         "state:green:code:{{:}}\n"
         "state:cyan:text:\\:never\n"
         "statechange(*):red:%>:push:code\n"
         "statechange(code):red:%<:pop:\n"
         "statechange(code):red:%~:switch:text\n"
         "statechange(*):red:\\::push:code\n");
    auto cells = Colours(h, L"%>x%<y");
    EXPECT_EQ(cells[2], Colour("green"));
    EXPECT_EQ(cells[5], colours[CLR_FILE_VIEWER]);
    EXPECT_EQ(h.depth(), 0);
    Colours(h, L"%>%~");
    ASSERT_EQ(h.depth(), 1);
    EXPECT_STREQ(h.Top()->name.c_str(), "text");
    h.Clear();
    cells = Colours(h, L"a:b");  // an escaped ':' in the trigger
    EXPECT_EQ(cells[1], Colour("red"));
    EXPECT_EQ(cells[2], Colour("green"));
}

}  // namespace
