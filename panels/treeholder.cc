#include "panels/treeholder.h"

#include "lib/nls.h"

TREENODE::~TREENODE() {
    // Siblings are freed one after another instead of recursively, so a long
    // list of siblings cannot exhaust the stack.
    TREENODE* sibling = next;
    next = nullptr;
    while (sibling) {
        TREENODE* following = sibling->next;
        sibling->next = nullptr;
        delete sibling;
        sibling = following;
    }
    delete child;
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
