// The tree style of a panel: the other panel's directory tree flattened
// into the panel's list, one entry per shown directory, with the branch
// lines drawn from each entry's depth and line mask.
#pragma once

#include <cstdint>

#include "lib/westring.h"

class CellString;
class CTree;
struct PANEL;
struct entry;
struct TREENODE;

// The deepest level the tree style shows.
constexpr int kMaxShownTreeDepth = 63;

// Replaces the panel's list with the nodes of root in pre-order, descending
// only into expanded nodes and to kMaxShownTreeDepth at most. Each entry gets
// the node, its depth (in size_known) and its line mask (in size): bit d set
// when the node's ancestor at depth d, or the node itself at its own depth,
// has a following sibling.
void treenodelist(PANEL* panel, TREENODE* root);
// A tree row of width cells in the wide style: the branch lines four cells
// a level, then the name (print_tree_row draws them two cells a level).
void print_wide_tree_row(CellString& line, const entry* e, int width, unsigned char colour, unsigned char line_colour);
// Expands or collapses node, and with whole every node below it too.
void expand_branch(TREENODE* node, bool expand, bool whole);
// Expands the ancestors of node, lists the tree again and puts the cursor on
// node's line, centred in rows when the list is longer, the last page kept full.
void position_tree(PANEL* tree_panel, TREENODE* root, TREENODE* node, int rows);
// Lists again each tree-style panel that shows the tree of root, after
// nodes of it were deleted or moved: their entries point at the nodes. The
// cursor keeps its line.
void relist_tree_panels(const TREENODE* root);
// Scans the tree again from its root ("/") in a small "Scanning
// directories" window with a running count; Esc stops it. False when stopped (the tree is then empty).
bool scan_tree(CTree* tree);
// Fills a panel in the tree style with the tree of the other panel's file
// system, scanning it first when it is not known yet.
void read_tree(PANEL* panel);
// The full path of the node shown at index of a tree-style panel; empty
// when there is none.
Westring treeFullPath(const PANEL* panel, int index);
