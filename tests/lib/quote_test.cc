// Shell quoting of names.
#include <gtest/gtest.h>

#include <string>

#include "lib/quote.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

TEST(QuoteName, EscapesEveryShellSpecialCharacter) {
    EXPECT_EQ(narrow(QuoteName(L"plain-name_1.txt")), "plain-name_1.txt");
    EXPECT_EQ(narrow(QuoteName(L"a b")), "a\\ b");
    EXPECT_EQ(narrow(QuoteName(L" !$~`[]{}()\\'\"<>&|;#")),
              "\\ \\!\\$\\~\\`\\[\\]\\{\\}\\(\\)\\\\\\'\\\"\\<\\>\\&\\|\\;\\#");
    EXPECT_EQ(narrow(QuoteName(L"\x00e9t\x00e9 *?")), "\xc3\xa9t\xc3\xa9\\ *?");  // wildcards stay
    EXPECT_EQ(narrow(QuoteName(L"")), "");
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
