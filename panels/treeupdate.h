// Keeping the directory trees in step with the disk: a panel's read, a
// directory made, removed, moved or renamed. Each change only marks the tree
// modified; the caller writes it once after a whole command.
#pragma once

#include "lib/westring.h"

struct PANEL;
class CTree;
struct TREENODE;

// The tree of the panel's file system, or null for an archive or a
// directory outside the file systems.
CTree* panel_tree(const PANEL* panel);

// Brings the children of the panel's directory's node in line with the
// subdirectories its last read found (names compared exactly), in time
// linear in their number. True when the tree changed; it is then written.
bool check_tree(PANEL* panel);

// The node of the full path, added with any ancestors it needs below a node
// already known (the tree is then marked modified); null when the path lies
// outside the tree.
TREENODE* tree_node_for(CTree* tree, const Westring& path);
// A directory was made: its node, and those of any ancestors it needed
// below a node already known, join the panel's tree.
void tree_add_directory(PANEL* panel, const Westring& path);
// A directory was removed: its node goes from whichever tree holds it.
void tree_remove_directory(const Westring& path);
// A directory moved or was renamed from old_path to new_path (relative
// paths from the panel's directory): its subtree moves along. A directory
// moved where the tree knows no parent leaves the tree.
void graft(PANEL* panel, const Westring& old_path, const Westring& new_path);
