// The directory tree that belongs to a panel's file system: a panel finds
// the node of a directory in it, reads and writes directory sizes through
// it, and keeps it attached while it shows that file system.
#pragma once

#include <cstdint>

#include "lib/westring.h"

// One directory of a tree. A node owns its first child and its next sibling.
struct TREENODE {
    static constexpr uint64_t kUnknownSize = ~uint64_t(0);

    Westring name;                 // the directory's name; the root's is its path ("/")
    TREENODE* next = nullptr;      // next sibling
    TREENODE* child = nullptr;     // first child
    TREENODE* parent = nullptr;    // null for the root
    int8_t depth = 0;              // 0 for the root
    uint64_t size = kUnknownSize;  // bytes below this directory, all ones when not known
    uint8_t expanded = 1;          // children are shown in tree views

    TREENODE() = default;
    explicit TREENODE(const Westring& node_name) : name(node_name) {}
    // Frees the children and the following siblings.
    ~TREENODE();
    TREENODE(const TREENODE&) = delete;
    TREENODE& operator=(const TREENODE&) = delete;
};

// A panel's hold on a tree. The tree itself belongs to the program-wide set
// of trees; the holder only points at its root.
class CTreeHolder {
public:
    CTreeHolder() = default;
    CTreeHolder(const CTreeHolder&) = delete;
    CTreeHolder& operator=(const CTreeHolder&) = delete;

    // Attaches the tree whose root is given (null detaches).
    void Attach(TREENODE* root) { root_ = root; }
    void Detach() { root_ = nullptr; }
    bool Attached() const { return root_ != nullptr; }
    TREENODE* Root() const { return root_; }

    // The node of a full path such as "/usr/lib", compared exactly; null when
    // no tree is attached or the path has no node.
    TREENODE* Find(const Westring& path) const;

    // A node's size: all ones when it is not known (or node is null).
    static uint64_t NodeSize(const TREENODE* node) { return node ? node->size : TREENODE::kUnknownSize; }
    // A node's first child; the others follow through next.
    static TREENODE* FirstChild(const TREENODE* node) { return node ? node->child : nullptr; }

private:
    TREENODE* root_ = nullptr;
};
