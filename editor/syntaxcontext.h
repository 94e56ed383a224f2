// The contexts a syntax rule applies in: the names of the open elements
// inside which it is tried, the top level (no element open) or everywhere.
#pragma once

#include <cstring>

#include "lib/estring.h"
#include "lib/sortedcollection.h"

class CSyntaxElement;

// Element names in byte order, compared exactly: a context names an element
// as the definition spells it.
class CSyntaxNameSet : public TSortedCollection<Estring, char> {
public:
    const char* KeyFromItem(const Estring* item) const override { return item->c_str(); }
    int compare(const char* a, const char* b) const override { return std::strcmp(a, b); }
};

class CSyntaxContext {
public:
    CSyntaxContext() = default;
    // The names of a comma-separated list, each trimmed.
    explicit CSyntaxContext(const char* list) { Set(list); }
    CSyntaxContext(const CSyntaxContext& other);
    CSyntaxContext& operator=(const CSyntaxContext& other);

    void Set(const char* list);
    // Whether a rule with this context applies with open_element open (null:
    // at the top level).
    bool Test(const CSyntaxElement* open_element) const;

    bool at_top() const { return at_top_; }
    bool anywhere() const { return anywhere_; }
    // The list as it was given, which tells equal contexts apart.
    const Estring& text() const { return text_; }

private:
    CSyntaxNameSet names_;
    Estring text_;
    bool at_top_ = true;
    bool anywhere_ = false;
};
