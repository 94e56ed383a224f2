// The program's Unicode case folding: upper-case forms of the Basic
// Multilingual Plane, built once from the generated case list.
#pragma once

#include <cstdint>

class CUnicodeCaseFold {
public:
    // The one table, built on first use and kept for the life of the program.
    static const CUnicodeCaseFold& Get();

    // Upper case of c; characters above U+FFFF are their own upper case.
    wchar_t toupper(wchar_t c) const {
        return (c >= 0 && c < 0x10000) ? static_cast<wchar_t>(table_[c]) : c;
    }
    void strupr(wchar_t* text) const;

    // The generated case list: (upper, lower) pairs of simple mappings.
    struct Pair {
        uint16_t upper;
        uint16_t lower;
    };
    static const Pair* Pairs();
    static int PairCount();

private:
    CUnicodeCaseFold();
    uint16_t table_[65536];
};

// Case-insensitive comparison of wide texts through the case-fold table
// (the program's own wcscasecmp); the result is the difference of the first
// differing upper-cased characters.
int fold_wcscasecmp(const wchar_t* a, const wchar_t* b);
