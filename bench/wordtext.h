// The large word texts the search benchmarks read: lines of fourteen words
// from a list of twelve, a common word on every so many lines, and a rare
// word once, 1/64 of the text before its end.
#pragma once

#include <cstdint>
#include <string>

struct WordTextShape {
    int64_t bytes = 0;
    const char* const* words = nullptr;  // twelve of them
    const char* frequent = nullptr;      // null: none
    int frequent_every = 0;              // lines between its occurrences
    const char* rare = nullptr;
};

struct WordText {
    bool written = false;
    long frequent_lines = 0;  // lines holding the common word
    long long rare_at = -1;   // the rare word's byte offset
};

WordText WriteWordText(const std::string& path, const WordTextShape& shape);
