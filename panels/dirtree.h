// The directory trees of the file systems: one CTree per file system,
// scanned from disk on first use, kept in the tree data file between runs
// and held by the panels that show that file system (CTreeHolder).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "lib/westring.h"
#include "panels/treeholder.h"

class CTree {
public:
    CTree(wchar_t volume, uint32_t fs_id) : volume_(volume), fs_id_(fs_id) {}
    ~CTree() { delete root_; }
    CTree(const CTree&) = delete;
    CTree& operator=(const CTree&) = delete;

    TREENODE* root() const { return root_; }
    uint32_t fs_id() const { return fs_id_; }
    wchar_t volume() const { return volume_; }

    bool valid = false;        // loaded or scanned
    bool modified = false;     // changed since it was written
    bool do_not_save = false;  // never written (a tree that is not the disk's)

    // Loads the tree data file. True when it held this file system's tree;
    // otherwise the tree is a lone root "/" and not valid (a damaged file is
    // reported first).
    bool Load();
    // Builds the tree from the bytes of a tree data file; false (with the
    // reason in error, empty for another file system's file) leaves a lone root.
    bool LoadBytes(std::string_view bytes, std::string& error);
    // The tree data file's bytes for this tree, sorted; nodes deeper than
    // the file can hold are left out.
    std::string Bytes();
    // Sorts and writes the tree when it has a root, is valid and may be
    // saved. False after a write that failed (reported; the old file stays).
    [[nodiscard]] bool Write();
    // Lists every directory below top (the root's name) that lies on top's
    // file system, passing symbolic links by. poll is asked before each
    // directory with the count so far; false from it stops the scan: the
    // tree is then empty and Scan returns false. A full scan is valid and
    // written; it returns false only when the write failed.
    using ScanPoll = std::function<bool(uint64_t directories)>;
    bool Scan(const Westring& top = Westring(L"/"), const ScanPoll& poll = ScanPoll());
    // Orders every node's children by exact name.
    void Sort();

    // The node of a full path, or null.
    TREENODE* Find(const Westring& path, bool ignore_case) const;
    // Depth-first from below the root, the first node named as the first
    // component of relative from which the remaining components can be
    // followed: true with the last node's full path in result. With
    // first_below (a node of this tree), its subtree is searched first.
    bool Search(const Westring& relative, Westring& result, bool ignore_case,
                const TREENODE* first_below = nullptr) const;

    // Makes the tree a lone root named name, expanded. The root node, once
    // made, stays the same object for the tree's life: panels hold it.
    void MakeRoot(const Westring& name);

private:
    wchar_t volume_;
    uint32_t fs_id_;
    TREENODE* root_ = nullptr;
};

// A new node named name, child of parent (null for a root), with the
// expansion the ExpandedTrees setting gives (a root is always expanded). It
// is not linked into parent's children.
TREENODE* NewTreeNode(const Westring& name, TREENODE* parent);
// Sets the depth of node and of everything below it from its parent's.
void RenumberTreeDepths(TREENODE* node);
// Unlinks node from its parent's list of children.
void UnlinkTreeNode(TREENODE* node);

// The tree data file: "dv2tree.dat" in the TreeDir setting's folder when
// that is set, otherwise "vadodu.dat" in ".dvl" in the home directory.
Westring TreeFilePath();
// Shows a message about the tree file; replaced in tests.
extern void (*tree_message)(const Westring& message, const Westring& title);

struct TTreeKey {
    wchar_t volume;
    uint32_t fs_id;
};
// Keys are ordered by identity, then by volume.
bool operator<(const TTreeKey& a, const TTreeKey& b);

class CTreeSet {
public:
    // The tree of a file system, made and loaded from the tree data file
    // when it is new.
    CTree* GetTree(wchar_t volume, uint32_t fs_id);
    // Writes every modified tree; false when a write failed.
    [[nodiscard]] bool WriteModified();
    // Whether root is the root of one of the trees.
    bool Holds(const TREENODE* root) const {
        for (const auto& entry : trees_)
            if (entry.second->root() == root) return true;
        return false;
    }
    // Calls visit with every tree.
    template <class Visit>
    void ForEach(Visit visit) {
        for (auto& entry : trees_) visit(*entry.second);
    }
    // Forgets every tree (panels must detach first).
    void Clear() { trees_.clear(); }

private:
    std::map<TTreeKey, std::unique_ptr<CTree>> trees_;
};
extern CTreeSet TreeSet;
