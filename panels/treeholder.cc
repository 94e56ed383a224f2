#include "panels/treeholder.h"

#include <vector>

#include "lib/nls.h"

TREENODE::~TREENODE() {
    // The children and the following siblings are freed from a list of
    // their own instead of recursively, so neither a deep tree nor a long
    // list of siblings can exhaust the stack.
    std::vector<TREENODE*> pending;
    for (TREENODE* n : {child, next})
        if (n) pending.push_back(n);
    child = next = nullptr;
    while (!pending.empty()) {
        TREENODE* node = pending.back();
        pending.pop_back();
        for (TREENODE* n : {node->child, node->next})
            if (n) pending.push_back(n);
        node->child = node->next = nullptr;
        delete node;
    }
}

TREENODE* CTreeHolder::Find(const Westring& path) const {
    if (!root_) return nullptr;
    const wchar_t* p = path.c_str();
    // The root matches when the path begins with its name, followed by "/"
    // or the end.
    int root_length = root_->name.strlen();
    if (fncomparen(root_->name.c_str(), p, static_cast<size_t>(root_length)) != 0) return nullptr;
    p += root_length;
    if (*p && *p != L'/' && !(root_length > 0 && p[-1] == L'/')) return nullptr;
    TREENODE* node = root_;
    while (*p) {
        while (*p == L'/') p++;
        if (!*p) break;
        const wchar_t* end = p;
        while (*end && *end != L'/') end++;
        size_t length = static_cast<size_t>(end - p);
        TREENODE* found = nullptr;
        for (TREENODE* c = node->child; c; c = c->next) {
            if (static_cast<size_t>(c->name.strlen()) == length && fncomparen(c->name.c_str(), p, length) == 0) {
                found = c;
                break;
            }
        }
        if (!found) return nullptr;
        node = found;
        p = end;
    }
    return node;
}
