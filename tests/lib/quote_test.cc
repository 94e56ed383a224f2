// Shell quoting of names.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "lib/quote.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

TEST(QuoteName, EscapesEveryShellSpecialCharacter) {
    EXPECT_EQ(narrow(QuoteName(L"plain-name_1.txt")), "plain-name_1.txt");
    EXPECT_EQ(narrow(QuoteName(L"a b")), "a\\ b");
    EXPECT_EQ(narrow(QuoteName(L" !$~`[]{}()\\'\"<>&|;#")),
              "\\ \\!\\$\\~\\`\\[\\]\\{\\}\\(\\)\\\\\\'\\\"\\<\\>\\&\\|\\;\\#");
    EXPECT_EQ(narrow(QuoteName(L"\x00e9t\x00e9 *?")), "\xc3\xa9t\xc3\xa9\\ \\*\\?");
    EXPECT_EQ(narrow(QuoteName(L"a=b^c")), "a\\=b\\^c");  // not an assignment
    EXPECT_EQ(narrow(QuoteName(L"")), "");
}

// A backslash before a newline joins lines: names with control characters
// are quoted whole.
TEST(QuoteName, ControlCharactersGoInSingleQuotes) {
    EXPECT_EQ(narrow(QuoteName(L"x\nrm -rf ~")), "'x\nrm -rf ~'");
    EXPECT_EQ(narrow(QuoteName(L"it's\t")), "'it'\\''s\t'");
    EXPECT_EQ(narrow(QuoteName(L"'\x7f'")), "''\\''\x7f'\\'''");
    for (wchar_t ch : {L'\n', L'\t', L'\r', L'\x1b', L'\x7f', L'\x85'}) EXPECT_TRUE(IsShellSpecial(ch));
    for (wchar_t ch : {L'a', L'-', L'.', L'\x00e9', L'\xdcff'}) EXPECT_FALSE(IsShellSpecial(ch));
}

TEST(QuoteArgumentName, ANameLikeAnOptionGetsItsDirectory) {
    EXPECT_EQ(narrow(QuoteArgumentName(L"--checkpoint-action=exec=sh")), "./--checkpoint-action\\=exec\\=sh");
    EXPECT_EQ(narrow(QuoteArgumentName(L"-\n")), "'./-\n'");
    EXPECT_EQ(narrow(QuoteArgumentName(L"a-b")), "a-b");
    EXPECT_EQ(narrow(QuoteArgumentName(L"/abs/-x")), "/abs/-x");
}

TEST(DequoteWord, RemovesEveryKindOfQuoting) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"a\\ b", "a b"},
        {L"'a b'c", "a bc"},
        {L"'it'\\''s'", "it's"},
        {L"'a\\b'", "a\\b"},                  // no escapes in single quotes
        {L"\"a\\$b\\c'\"", "a$b\\c'"},        // in double quotes only $ ` " \ are escaped
        {L"'unclosed sp", "unclosed sp"},
        {L"x\\", "x"},
    };
    for (const auto& [word, expected] : cases) EXPECT_EQ(narrow(DequoteWord(word)), expected) << expected;
}

TEST(QuoteName, DequoteUndoesItForNamesOfAnyLength) {
    for (const wchar_t* name : {L"a b", L"x!y$z", L"back\\slash", L"'\"", L"", L"#;&|"})
        EXPECT_EQ(narrow(DequoteName(QuoteName(name))), narrow(name));
    EXPECT_EQ(narrow(DequoteName(L"a\\\\b\\")), "a\\b");  // a lone final backslash goes
    EXPECT_EQ(narrow(DequoteName(L"\\a\\b")), "ab");
    // Long names are quoted whole.
    Westring name = String(L' ', 1 << 20);
    Westring quoted = QuoteName(name);
    EXPECT_EQ(quoted.strlen(), 2 << 20);
    EXPECT_EQ(DequoteName(quoted).strlen(), 1 << 20);
}

}  // namespace
