// Definitions that are wrong or hostile: each is reported in the message
// list and none can hang the highlighter or grow it without bound.
#include <gtest/gtest.h>

#include <string>

#include "tests/editor/syntax_support.h"

namespace {

bool AnyMessageHas(const SyntaxDef& def, const char* text) {
    for (const Westring& message : def.messages())
        if (std::string(message.ToUTF8().c_str()).find(text) != std::string::npos) return true;
    return false;
}

TEST(SyntaxFaults, EmptyStartTextsAreIgnoredAndTheLineStillEnds) {
    SyntaxScratch dir;
    std::string def = dir.Write("s.ini",
                                "[t:*.t]\n"
                                "linecomment:red:\n"
                                "blockcomment:red::*/\n"
                                "state:red:empty::x\n"
                                "statechange:red::push:empty\n"
                                "string:red::\n"
                                "words:green:abc\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    EXPECT_TRUE(h.def.elements.empty());
    EXPECT_TRUE(h.def.state_changes.empty());
    EXPECT_EQ(h.def.messages().size(), 5u);
    auto cells = Colours(h, L"abc x */ abc");
    ASSERT_EQ(cells.size(), 12u);
    EXPECT_EQ(ColourOf(cells, 9, 3), Colour("green"));
}

TEST(SyntaxFaults, IncludesNestDeeperThanEightAreCutWithAMessage) {
    SyntaxScratch dir;
    for (int i = 0; i < 12; i++) {
        std::string text = "words:green:w" + std::to_string(i) + "\n";
        if (i < 11) text += "!include i" + std::to_string(i + 1) + ".ini\n";
        dir.Write("i" + std::to_string(i) + ".ini", text);
    }
    std::string def = dir.Write("s.ini", "[t:*.t]\n!include i0.ini\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    EXPECT_TRUE(AnyMessageHas(h.def, "nested deeper than 8"));
    // s.ini and i0..i6 are the eight open files.
    EXPECT_EQ(h.def.word_lists.size(), 7u);
}

TEST(SyntaxFaults, AFileIncludingItselfIsReportedAndSkipped) {
    SyntaxScratch dir;
    dir.Write("a.ini", "words:green:a\n!include b.ini\n");
    dir.Write("b.ini", "words:green:b\n!include a.ini\n");
    std::string def = dir.Write("s.ini", "[t:*.t]\n!include s.ini\n!include a.ini\nwords:green:s\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    int loops = 0;
    for (const Westring& message : h.def.messages())
        if (std::string(message.ToUTF8().c_str()).find("includes itself") != std::string::npos) loops++;
    EXPECT_EQ(loops, 2);
    EXPECT_EQ(h.def.word_lists.size(), 3u);
}

TEST(SyntaxFaults, AMissingIncludeIsReportedWithTheSystemMessage) {
    SyntaxScratch dir;
    std::string def = dir.Write("s.ini", "[t:*.t]\n!include nowhere.ini\nwords:green:a\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    EXPECT_TRUE(AnyMessageHas(h.def, "nowhere.ini: No such file or directory"));
    EXPECT_EQ(h.def.word_lists.size(), 1u);
}

TEST(SyntaxFaults, AMissingDefinitionFileLeavesHighlightingOffWithoutAWord) {
    SyntaxScratch dir;
    SyntaxHighlighter h;
    EXPECT_FALSE(h.LoadDef((dir.path() + "/none.ini").c_str(), L"a.c"));
    EXPECT_TRUE(h.def.messages().empty());
    auto cells = Colours(h, L"a\tb");
    EXPECT_EQ(cells.size(), 9u);  // the tab runs to column 8
    EXPECT_EQ(ColourOf(cells, 0, 9), colours[CLR_FILE_VIEWER]);
}

TEST(SyntaxFaults, UnknownColoursAndMalformedLinesAreReportedAndSkipped) {
    SyntaxScratch dir;
    std::string def = dir.Write("s.ini",
                                "[Colour Classes]\n"
                                "Good: bright green\n"
                                "Bad: purple\n"
                                "[t:*.t]\n"
                                "words:Bad:a\n"
                                "words:mauve:b\n"
                                "words(ctx:green:c\n"
                                "no fields here\n"
                                "frobnicate:green:x\n"
                                "words:Good:d\n"
                                "[no mask]\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:3: unknown colour \"purple\""));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:6: unknown colour or colour class \"mauve\""));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:7:"));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:8:"));
    EXPECT_TRUE(AnyMessageHas(h.def, "unknown rule \"frobnicate\""));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:11:"));
    ASSERT_EQ(h.def.word_lists.size(), 1u);
    EXPECT_EQ(h.def.word_lists[0]->colour, Colour("bright green"));
}

TEST(SyntaxFaults, AnOverlongLineIsReportedAndTheNextOnesStillCount) {
    SyntaxScratch dir;
    std::string def = dir.Write("s.ini", "[t:*.t]\nwords:green:" + std::string(3000, 'x') + "\nwords:red:y\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    EXPECT_TRUE(AnyMessageHas(h.def, "s.ini:2: the line is longer than 1024 bytes"));
    ASSERT_EQ(h.def.word_lists.size(), 1u);
    EXPECT_EQ(h.def.word_lists[0]->colour, Colour("red"));
}

TEST(SyntaxFaults, TheStackOfOpenElementsStopsAt64) {
    SyntaxScratch dir;
    std::string def = dir.Write("s.ini", "[t:*.t]\nstate(*):green:paren:(:)\nstatechange(*):red:<:push:paren\n");
    SyntaxHighlighter h;
    ASSERT_TRUE(h.LoadDef(def.c_str(), L"a.t"));
    std::wstring opens(500, L'('), closes(500, L')'), pushes(500, L'<');
    Colours(h, opens.c_str());
    EXPECT_EQ(h.depth(), CContextStack::kMaxDepth);
    Colours(h, pushes.c_str());
    EXPECT_EQ(h.depth(), CContextStack::kMaxDepth);
    Colours(h, closes.c_str());
    EXPECT_EQ(h.depth(), 0);
}

}  // namespace
