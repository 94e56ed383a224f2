// Sorted sets of strings: byte strings ignoring case, and wide strings (file
// names) ignoring case through the program's case-fold table.
#pragma once

#include "lib/estring.h"
#include "lib/sortedcollection.h"
#include "lib/westring.h"

class StringCollection : public TSortedCollection<Estring, Estring> {
public:
    const Estring* KeyFromItem(const Estring* item) const override { return item; }
    // The C library's case-insensitive byte comparison.
    int compare(const Estring* a, const Estring* b) const override;

    // Adds a heap copy of text: 1 when added, 0 when refused (the copy is
    // deleted).
    int AddString(const Estring& text);
    // Adds every field of a comma-separated line (double quotes and
    // backslash escapes as in ParseCSVField); the number of fields added.
    int AddCSV(const char* text);
    // The items in order joined with ",", without any quoting.
    Estring ToCSV() const;
};

// File names, compared ignoring case through the case-fold table.
class FnStringCollection : public TSortedCollection<Westring, Westring> {
public:
    const Westring* KeyFromItem(const Westring* item) const override { return item; }
    int compare(const Westring* a, const Westring* b) const override;

    // 1 when a heap copy of text was added, 0 when refused.
    int AddString(const Westring& text);
};

// Wide strings, compared as FnStringCollection compares file names.
class WestringCollection : public TSortedCollection<Westring, Westring> {
public:
    const Westring* KeyFromItem(const Westring* item) const override { return item; }
    int compare(const Westring* a, const Westring* b) const override;

    // 1 when a heap copy of text was added, 0 when refused.
    int AddString(const Westring& text);
};
