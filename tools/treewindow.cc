#include "tools/treewindow.h"

#include <algorithm>
#include <memory>

#include "console/cells.h"
#include "console/console.h"
#include "console/keys.h"
#include "console/win.h"
#include "lib/casefold.h"
#include "lib/collapsepath.h"
#include "panels/dirtree.h"
#include "panels/entry.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/treeupdate.h"
#include "panels/treeview.h"

namespace {

constexpr int kSearchWidth = 20;

// The window's state: the flattened tree in a panel record of its own.
class CTreeWindow {
public:
    CTreeWindow(CTree* tree, int width, int rows) : tree_(tree), width_(width), rows_(std::max(rows, 1)) {}
    ~CTreeWindow() { list_.FreeEntries(); }

    void MoveTo(TREENODE* node) { position_tree(&list_, tree_->root(), node, rows_); }
    int Line() const { return list_.top + list_.cur; }
    TREENODE* Node(int line) const {
        return line >= 0 && line < list_.num_files ? entry_tree_node(list_.files[line]) : nullptr;
    }
    TREENODE* Current() const { return Node(Line()); }
    void MoveLine(int line) {
        if (list_.num_files == 0) return;
        line = std::clamp(line, 0, list_.num_files - 1);
        if (line < list_.top) list_.top = line;
        if (line >= list_.top + rows_) list_.top = line - rows_ + 1;
        list_.cur = line - list_.top;
    }
    // The next node of the same depth, not passing a shallower one.
    void MoveSameDepth(int step) {
        const TREENODE* here = Current();
        if (!here) return;
        for (int line = Line() + step; line >= 0 && line < list_.num_files; line += step) {
            const TREENODE* node = Node(line);
            if (node->depth < here->depth) return;
            if (node->depth == here->depth) return MoveLine(line);
        }
    }
    void Expand(bool expand, bool whole) {
        TREENODE* node = Current();
        expand_branch(node, expand, whole);
        MoveTo(node);
    }
    // The first node from line on (wrapping when asked) whose name begins
    // with the search text, ignoring case; false when none does.
    bool Seek(int from, bool wrap) {
        const int count = list_.num_files;
        for (int k = 0; k < count; k++) {
            const int line = from + k;
            if (line >= count && !wrap) return false;
            const TREENODE* node = Node(line % count);
            const Westring head = node->name.left(search_.strlen());
            if (head.strlen() == search_.strlen() && fold_wcscasecmp(head.c_str(), search_.c_str()) == 0) {
                MoveLine(line % count);
                return true;
            }
        }
        return false;
    }
    bool Type(wchar_t ch) {
        if (search_.strlen() >= kSearchWidth) return false;
        const Westring before = search_;
        search_ += Westring(&ch, 1);
        if (Seek(Line(), true)) return true;
        search_ = before;
        return false;
    }
    void Erase() {
        if (search_.strlen() > 0) search_ = search_.left(search_.strlen() - 1);
    }
    void Next() {
        if (search_.strlen() > 0) (void)Seek(Line() + 1, true);
    }
    void Draw(Win& window) const {
        for (int row = 0; row < rows_; row++) {
            const int line = list_.top + row;
            CellString text;
            const bool cursor = line == Line();
            const unsigned char colour = cursor ? colours[CLR_MENU_HIGHLIGHT] : colours[CLR_MENU];
            if (line < list_.num_files) print_tree_row(text, list_.files[line], width_ + 2, colour, colours[CLR_MENU]);
            text.set_default_attr(colour);
            window.putcs_at(1, row, text.pad(width_ + 2));
        }
        Westring status = L"Search: " + search_.pad(kSearchWidth);
        window.puts_at(1, rows_ + 1, status.c_str());
        Westring path = tree_node_path(Current());
        collapse_path(path, width_ - 2);
        window.puts_at(1, rows_ + 2, path.pad(width_ + 2).c_str());
    }

private:
    CTree* tree_;
    int width_;
    int rows_;
    PANEL list_;
    Westring search_;
};

}  // namespace

int tree_popup(PANEL* panel, Westring& result, int width) {
    CTree* tree = panel_tree(panel);
    if (!tree || !console) return -1;
    if (!tree->valid || !tree->root()->child) {
        if (!scan_tree(tree)) return -1;
    }
    const int columns = console->columns();
    const int screen_rows = console->rows();
    const int left = std::max(0, columns - (width + 6));
    const int top = 2;
    const int bottom = std::max(top + 6, screen_rows - 4);
    // Inside the frame: the list, a rule, the search field and the path.
    const int list_rows = bottom - top - 1 - 3;
    Win window(left, top, columns - 1, bottom, colours[CLR_MENU], colours[CLR_MENU]);
    window.PutCentre(-1, L" Directory Tree ");
    CTreeWindow view(tree, width, list_rows);
    view.MoveTo(tree->Find(panel->dir, false));
    for (;;) {
        CellString rule;
        for (int x = 0; x < width + 4; x++) rule += ScreenCell(0x2500, colours[CLR_MENU]);
        window.putcs_at(0, list_rows, rule);
        view.Draw(window);
        _MEVENT event{};
        const int key = getkey(&event, -1);
        switch (key) {
        case KEY_ESC: return -1;
        case KEY_ENTER:
            if (!view.Current()) return -1;
            result = tree_node_path(view.Current());
            return 0;
        case KEY_UP: view.MoveLine(view.Line() - 1); break;
        case KEY_DOWN: view.MoveLine(view.Line() + 1); break;
        case KEY_PGUP: view.MoveLine(view.Line() - list_rows); break;
        case KEY_PGDN: view.MoveLine(view.Line() + list_rows); break;
        case KEY_HOME: view.MoveLine(0); break;
        case KEY_END: view.MoveLine(1 << 30); break;
        case KEY_ALT_UP: view.MoveSameDepth(-1); break;
        case KEY_ALT_DOWN: view.MoveSameDepth(1); break;
        case KEY_GREY_PLUS: view.Expand(true, false); break;
        case KEY_GREY_MINUS: view.Expand(false, false); break;
        case KEY_CTRL_GREY_PLUS: view.Expand(true, true); break;
        case KEY_CTRL_GREY_MINUS: view.Expand(false, true); break;
        case KEY_BACKSPACE: view.Erase(); break;
        case KEY_CTRL_ENTER: view.Next(); break;
        case KEY_CTRL_R:
            if (!scan_tree(tree)) return -1;
            view.MoveTo(tree->Find(panel->dir, false));
            break;
        default:
            if (key >= 32 && key < 0x10000 && key != 127) (void)view.Type(static_cast<wchar_t>(key));
            break;
        }
    }
}
