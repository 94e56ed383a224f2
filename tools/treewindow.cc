#include "tools/treewindow.h"

#include <algorithm>
#include <memory>

#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/win.h"
#include "fileops/resolvepath.h"
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
// The width that gets the wide tree style and the Ctrl-Enter hint.
constexpr int kWideWidth = 70;

// The window's state: the flattened tree in a panel record of its own.
class CTreeWindow {
public:
    CTreeWindow(CTree* tree, int width, int rows)
        : tree_(tree), width_(width), rows_(std::max(rows, 1)), wide_(width == kWideWidth) {}
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
    // One line towards direction (-1 up, 1 down); false at the end.
    bool Step(int direction) {
        const int before = Line();
        MoveLine(before + direction);
        return Line() != before;
    }
    // The line shown on row of the list, or -1 for a row past the end.
    int LineAt(int row) const {
        const int line = list_.top + row;
        return row >= 0 && row < rows_ && line < list_.num_files ? line : -1;
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
            if (line < list_.num_files) {
                if (wide_) print_wide_tree_row(text, list_.files[line], width_ + 2, colour, colours[CLR_MENU]);
                else print_tree_row(text, list_.files[line], width_ + 2, colour, colours[CLR_MENU]);
            }
            text.set_default_attr(colour);
            window.putcs_at(1, row, text.pad(width_ + 2));
        }
        Westring status = L"Search: " + search_.pad(kSearchWidth);
        if (wide_) status += L"  Ctrl-Enter for next match";
        window.puts_at(1, rows_ + 1, status.c_str());
        Westring path = tree_node_path(Current());
        collapse_path(path, width_ - 2);
        window.puts_at(1, rows_ + 2, path.pad(width_ + 2).c_str());
    }

private:
    CTree* tree_;
    int width_;
    int rows_;
    bool wide_;
    PANEL list_;
    Westring search_;
};

// Where the window stands on the screen and where its list lies inside.
struct TreeWindowPlace {
    int left, top, right, bottom;
    int list_rows;

    TreeWindowPlace(int width, int height) {
        const int columns = console->columns();
        const int screen_rows = console->rows();
        left = std::max(0, columns - (width + 6));
        right = columns - 1;
        bottom = std::max(8, screen_rows - 4);
        top = height > 0 ? std::max(0, bottom - height + 1) : 2;
        // Inside the frame: the list, a rule, the search field and the path.
        list_rows = std::max(1, bottom - top - 1 - 3);
        bottom = top + list_rows + 4;
    }
    // The screen rows of the list's first and last line.
    int FirstRow() const { return top + 1; }
    int LastRow() const { return top + list_rows; }
    bool InColumns(int x) const { return x >= left && x <= right; }
};

// Why the loop below ends: a choice, Esc, or still going.
enum class Outcome { kGoOn, kChosen, kClosed };

}  // namespace

int tree_popup(PANEL* panel, Westring& result, int width, int height, const Westring& start) {
    CTree* tree = panel_tree(panel);
    if (!tree || !console) return -1;
    if (!tree->valid || !tree->root()->child) {
        if (!scan_tree(tree)) return -1;
    }
    const TreeWindowPlace place(width, height);
    const int list_rows = place.list_rows;
    Win window(place.left, place.top, place.right, place.bottom, colours[CLR_MENU], colours[CLR_MENU]);
    window.PutCentre(-1, L" Directory Tree ");
    CTreeWindow view(tree, width, list_rows);
    // A destination may name a file to be made: then its directory.
    TREENODE* first = start.empty() ? nullptr : tree->Find(start, false);
    if (!first && !start.empty()) first = tree->Find(dir_part(start), false);
    view.MoveTo(first ? first : tree->Find(panel->dir, false));

    // Held beside the list, the button scrolls it: one line at the press,
    // then one each ScrollDelay milliseconds until it is let go or moves
    // onto the list. At either end of the list the loop waits instead.
    int scrolling = 0;
    bool stalled = false;
    auto on_key = [&](int key) {
        switch (key) {
        case KEY_ESC:
        case KEY_QUIT: return Outcome::kClosed;
        case KEY_ENTER:
            if (!view.Current()) return Outcome::kClosed;
            result = tree_node_path(view.Current());
            return Outcome::kChosen;
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
        case KEY_CTRL_R: {
            // An archive's tree is the archive's own: there is no disk to read.
            if (panel->archive) break;
            const Westring here = tree_node_path(view.Current());
            if (!scan_tree(tree)) return Outcome::kClosed;
            TREENODE* again = tree->Find(here, false);
            view.MoveTo(again ? again : tree->Find(panel->dir, false));
            break;
        }
        default:
            if (key >= 32 && key < 0x10000 && key != 127) (void)view.Type(static_cast<wchar_t>(key));
            break;
        }
        return Outcome::kGoOn;
    };
    auto on_mouse = [&](const Event& event) {
        if (event.type == Event::LeftUp || event.type == Event::RightDown) scrolling = 0;
        const bool pressed = event.type == Event::LeftDown || event.type == Event::LeftDrag;
        if (!pressed && event.type != Event::LeftDouble) return Outcome::kGoOn;
        if (!place.InColumns(event.x)) {
            scrolling = 0;
            return Outcome::kGoOn;
        }
        if (event.y < place.FirstRow() || event.y > place.LastRow()) {
            if (!pressed) return Outcome::kGoOn;
            scrolling = event.y < place.FirstRow() ? -1 : 1;
            // A press steps at once; the pauses come between the steps.
            if (event.type == Event::LeftDown) stalled = !view.Step(scrolling);
            return Outcome::kGoOn;
        }
        scrolling = 0;
        const int line = view.LineAt(event.y - place.FirstRow());
        if (line < 0) return Outcome::kGoOn;
        view.MoveLine(line);
        if (event.type != Event::LeftDouble) return Outcome::kGoOn;
        result = tree_node_path(view.Current());
        return Outcome::kChosen;
    };

    for (;;) {
        CellString rule;
        for (int x = 0; x < width + 4; x++) rule += ScreenCell(0x2500, colours[CLR_MENU]);
        window.putcs_at(0, list_rows, rule);
        view.Draw(window);
        Event event;
        event.GetEvent(scrolling != 0 && !stalled ? std::max(0, dialog_scroll_delay) : -1);
        if (event.type == Event::Timeout) {
            stalled = !view.Step(scrolling);
            continue;
        }
        stalled = false;
        const Outcome outcome = event.type == Event::Key ? on_key(event.key) : on_mouse(event);
        if (outcome == Outcome::kChosen) return 0;
        if (outcome == Outcome::kClosed) return -1;
    }
}
