#include "editor/syntaxcontext.h"

#include "editor/syntaxelements.h"

CSyntaxContext::CSyntaxContext(const CSyntaxContext& other) { Set(other.text_.c_str()); }

CSyntaxContext& CSyntaxContext::operator=(const CSyntaxContext& other) {
    if (this != &other) Set(other.text_.c_str());
    return *this;
}

void CSyntaxContext::Set(const char* list) {
    names_.DestroyAll();
    text_ = list;
    // An empty list (or an empty name in it) means the top level.
    at_top_ = text_.trim().empty();
    anywhere_ = false;
    const char* p = text_.c_str();
    while (*p) {
        const char* comma = std::strchr(p, ',');
        int n = comma ? static_cast<int>(comma - p) : static_cast<int>(std::strlen(p));
        Estring name = Estring(p, n).trim();
        if (name.empty()) at_top_ = true;
        else if (std::strcmp(name.c_str(), "*") == 0) anywhere_ = true;
        else {
            auto* item = new Estring(name);
            if (names_.AddItem(item) != 0) delete item;  // a name given twice
        }
        if (!comma) break;
        p = comma + 1;
        if (!*p) at_top_ = true;  // a trailing comma leaves an empty name
    }
}

bool CSyntaxContext::Test(const CSyntaxElement* open_element) const {
    if (anywhere_) return true;
    if (!open_element) return at_top_;
    if (names_.count() == 0) return false;
    int position;
    return names_.FindPosition(position, open_element->name.c_str()) == 0;
}
