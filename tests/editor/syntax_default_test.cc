// The shipped definition file: every language in it loads cleanly and
// colours what a user of the language expects.
#include <gtest/gtest.h>

#include "tests/editor/syntax_support.h"

namespace {

struct Sample {
    const wchar_t* file;
    const wchar_t* line;
    int keyword, keyword_len, string, string_len, comment, comment_len;
};

TEST(SyntaxDefaultFile, EveryLanguageLoadsWithoutAMessage) {
    const wchar_t* names[] = {L"main.c",   L"x.hpp",        L"run.sh",         L"tool.py", L"Makefile",
                              L"dv.ini",   L"setup.ini",    L"index.html",     L"a.xml",   L"data.json",
                              L"README.md", L"fix.diff",    L"CMakeLists.txt", L"x.cmake"};
    for (const wchar_t* name : names) {
        SyntaxHighlighter h;
        EXPECT_TRUE(h.LoadDef(Westring(DefaultSyntaxFile().c_str()), name)) << Westring(name).ToUTF8().c_str();
        EXPECT_TRUE(h.def.messages().empty())
            << Westring(name).ToUTF8().c_str() << ": " << h.def.messages().front().ToUTF8().c_str();
    }
    SyntaxHighlighter h;
    EXPECT_FALSE(h.LoadDef(Westring(DefaultSyntaxFile().c_str()), L"photo.jpeg"));
}

TEST(SyntaxDefaultFile, KeywordStringAndCommentInCShellAndPython) {
    const Sample samples[] = {
        {L"a.c", L"return \"hi\"; // done", 0, 6, 7, 4, 13, 7},
        {L"a.sh", L"if echo 'hi' # done", 0, 2, 8, 4, 13, 6},
        {L"a.py", L"def f(): return \"hi\"  # done", 0, 3, 16, 4, 22, 6},
    };
    for (const Sample& s : samples) {
        SyntaxHighlighter h;
        ASSERT_TRUE(h.LoadDef(Westring(DefaultSyntaxFile().c_str()), s.file));
        auto cells = Colours(h, s.line);
        const std::string name = Westring(s.file).ToUTF8().c_str();
        EXPECT_EQ(ColourOf(cells, s.keyword, s.keyword_len), Colour("bright white")) << name;
        EXPECT_EQ(ColourOf(cells, s.string, s.string_len), Colour("bright magenta")) << name;
        EXPECT_EQ(ColourOf(cells, s.comment, s.comment_len), Colour("green")) << name;
        EXPECT_EQ(h.depth(), 0) << name;
    }
}

TEST(SyntaxDefaultFile, CBlockCommentAndPreprocessorLine) {
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(Westring(DefaultSyntaxFile().c_str()), L"a.cc"));
    auto line = Colours(h, L"#include \"a.h\" // x");
    EXPECT_EQ(ColourOf(line, 0, 8), Colour("bright green"));
    EXPECT_EQ(ColourOf(line, 9, 5), Colour("bright magenta"));
    EXPECT_EQ(ColourOf(line, 15, 4), Colour("green"));
    EXPECT_EQ(h.depth(), 0);
    line = Colours(h, L"char c = 'x'; /* x");
    EXPECT_EQ(ColourOf(line, 9, 3), Colour("bright magenta"));
    line = Colours(h, L"int y; */ int z;");
    EXPECT_EQ(ColourOf(line, 0, 9), Colour("green"));
    EXPECT_EQ(ColourOf(line, 10, 3), Colour("bright yellow"));
    EXPECT_EQ(h.depth(), 0);
    // A comment opened on a preprocessor line outlives it; the preprocessor
    // colour does not come back after the comment closes.
    line = Colours(h, L"#define X 1 /* long");
    EXPECT_EQ(ColourOf(line, 12, 7), Colour("green"));
    line = Colours(h, L"comment */ int z;");
    EXPECT_EQ(ColourOf(line, 11, 3), Colour("bright yellow"));
    EXPECT_EQ(h.depth(), 0);
}

TEST(SyntaxDefaultFile, DiffLinesTakeTheColourOfTheirFirstCharacter) {
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(Westring(DefaultSyntaxFile().c_str()), L"x.patch"));
    EXPECT_EQ(ColourOf(Colours(h, L"+a - b"), 0, 6), Colour("bright green"));
    EXPECT_EQ(ColourOf(Colours(h, L"-a + b"), 0, 6), Colour("bright red"));
    // A context line keeps its '+' and '-' from starting a change.
    auto context = Colours(h, L" a + b - c");
    EXPECT_NE(context[3], Colour("bright green"));
    EXPECT_NE(context[7], Colour("bright red"));
}

}  // namespace
