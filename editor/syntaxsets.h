// The character and word rules of a syntax definition: symbol sets, the
// word characters, keyword lists and number rules, each with the colour it
// gives and the contexts it applies in.
#pragma once

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "editor/syntaxcontext.h"
#include "lib/sortedcollection.h"
#include "lib/westring.h"

// A set of characters as a 256-entry table, so that every test is one
// index. Characters beyond that range are answered by beyond_table: a
// symbol set holds none of them (looking them up by their low 8 bits would
// make U+012A a '*').
class SyntaxSymbolList {
public:
    SyntaxSymbolList() { std::memset(flags_, 0, sizeof flags_); }
    virtual ~SyntaxSymbolList() = default;

    void Add(const wchar_t* chars) {
        for (; chars && *chars; chars++) Add(*chars);
    }
    void Add(wchar_t c) {
        if (in_table(c)) flags_[c] = true;
    }
    void Remove(wchar_t c) {
        if (in_table(c)) flags_[c] = false;
    }
    bool Test(wchar_t c) const { return in_table(c) ? flags_[c] : beyond_table(c); }

    unsigned char colour = 0;
    CSyntaxContext context;

protected:
    virtual bool beyond_table(wchar_t) const { return false; }

private:
    static bool in_table(wchar_t c) { return c >= 0 && c < 256; }
    bool flags_[256];
};

// The characters words are made of: letters and digits, and whatever a
// definition adds. Beyond the table, the letters and digits of every
// script belong to words.
class CWordChars : public SyntaxSymbolList {
public:
    CWordChars() {
        for (wchar_t c = 'A'; c <= 'Z'; c++) Add(c);
        for (wchar_t c = 'a'; c <= 'z'; c++) Add(c);
        for (wchar_t c = '0'; c <= '9'; c++) Add(c);
    }

protected:
    bool beyond_table(wchar_t c) const override { return std::iswalnum(static_cast<wint_t>(c)) != 0; }
};

// A keyword list, sorted and searched by bisection; compared exactly, or
// without regard to case when ignore_case is set (the words are then kept
// upper-cased).
class SyntaxWordList : public TSortedCollection<Westring, wchar_t> {
public:
    explicit SyntaxWordList(bool ignore_case) : ignore_case_(ignore_case) {}
    ~SyntaxWordList() override { DestroyAll(); }

    const wchar_t* KeyFromItem(const Westring* item) const override { return item->c_str(); }
    int compare(const wchar_t* a, const wchar_t* b) const override { return std::wcscmp(a, b); }

    void AddWord(const wchar_t* word, int n);
    // Whether the n characters at word are in the list.
    bool Contains(const wchar_t* word, int n) const;
    bool ignore_case() const { return ignore_case_; }

    unsigned char colour = 0;
    CSyntaxContext context;

private:
    bool ignore_case_;
    mutable Westring probe_;  // the looked-up word, terminated (and folded)
};
using WordCollection = SyntaxWordList;

// Words that begin with a digit take this colour.
struct SyntaxNumber {
    unsigned char colour = 0;
    CSyntaxContext context;
};
