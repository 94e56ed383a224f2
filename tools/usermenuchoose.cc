// The user menu on the screen: a list per menu, a submenu opening beside
// its parent, which stays in view beneath it.
#include <algorithm>
#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/win.h"
#include "lib/cellwidth.h"
#include "tools/usermenukeytext.h"
#include "tools/usermenustore.h"

namespace {

constexpr int kRowsAboveMiddle = 3;
constexpr int kRowsKeptFree = 8;        // screen rows a menu's list leaves free
constexpr int kRightMargin = 3;         // a submenu stays this far from the right edge
constexpr const wchar_t* kSubmenuMark = L">";

// The lines of the list: the key column, one blank wider than the widest
// key, then the title; a submenu's line padded to the widest and marked.
void menu_lines(const MenuStore& menu, WestringStore& lines) {
    const int key_cells = menu.key_width() + 1;
    std::vector<Westring> plain;
    int widest = 0;
    for (int i = 0; i < menu.count(); i++) {
        const MenuEntry* entry = menu[i];
        plain.push_back(FitCells(entry->key_text.c_str(), key_cells) + entry->title);
        widest = std::max(widest, TextCells(plain.back().c_str()));
    }
    for (int i = 0; i < menu.count(); i++) {
        Westring line = menu[i]->submenu ? FitCells(plain[i].c_str(), widest) + kSubmenuMark : plain[i];
        static_cast<void>(lines.Add(line));
    }
}

int widest_line(const WestringStore& lines) {
    int widest = 0;
    for (int i = 0; i < lines.count(); i++) widest = std::max(widest, TextCells(lines[i]->c_str()));
    return widest;
}

// One menu on the screen.
class MenuWindow {
public:
    MenuWindow(const MenuStore& menu, const Westring& title, int x) : menu_(menu) {
        menu_lines(menu, lines_);
        const int columns = console->columns(), rows = console->rows();
        Westring heading = Westring(L" ") + title + L" ";
        // Wide enough for its title too, so that a short menu's title is whole.
        const int wanted = std::max(widest_line(lines_) + 2, TextCells(heading.c_str()));
        const int inner = std::max(3, std::min(wanted, columns - 2));
        const int width = inner + 2;
        const int list_rows = std::max(1, std::min(menu.count(), rows - kRowsKeptFree));
        const int height = list_rows + 2;
        int left = x < 0 ? (columns - width) / 2 : std::min(x, columns - kRightMargin - width);
        left = std::max(0, left);
        const int top = std::max(0, (rows - height) / 2 - kRowsAboveMiddle);
        right_ = left + width - 1;
        dialog_ = std::make_unique<Dialog>(left, top, right_, top + height - 1, colours[CLR_MENU]);
        if (TextCells(heading.c_str()) > inner) heading = FitCells(heading.c_str(), inner);
        dialog_->puts_at(std::max(0, (inner - TextCells(heading.c_str())) / 2), -1, heading.c_str());
        box_ = dialog_->AddListBox(1, 0, 1, inner - 2, list_rows, lines_, selected_, -1);
        dialog_->ChangeFocus(box_);
    }
    // The list box keeps references to the lines and the selection.
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    const MenuStore& menu() const { return menu_; }
    int selected() const { return selected_; }
    int right() const { return right_; }
    int Process() { return dialog_->Process(); }
    void Select(int index) {
        selected_ = index;
        Event event;
        event.type = Event::Redraw;
        dialog_->SendMessage(box_, event);
    }

private:
    const MenuStore& menu_;
    WestringStore lines_;
    int selected_ = 0;
    int right_ = 0;
    std::unique_ptr<Dialog> dialog_;
    int box_ = -1;
};

}  // namespace

const MenuEntry* MenuStore::Choose(const Westring& title, int x) {
    if (!console || count() == 0) return nullptr;
    // The menus open, the top one first; leaving a submenu goes back to
    // the menu beneath.
    std::vector<std::unique_ptr<MenuWindow>> open;
    open.push_back(std::make_unique<MenuWindow>(*this, title, x));
    while (!open.empty()) {
        MenuWindow& window = *open.back();
        const int key = window.Process();
        if (key == KEY_QUIT) return nullptr;
        if (key == KEY_ESC) {
            open.pop_back();
            continue;
        }
        int index = key == KEY_ENTER ? window.selected() : window.menu().FindKey(MenuTypedKey(key));
        if (index >= 0 && key != KEY_ENTER) window.Select(index);
        if (index < 0 && key == KEY_F1) ShowHelp(HELP_EDITOR_MENU_FILE);
        if (index < 0 || index >= window.menu().count()) continue;
        const MenuEntry* entry = window.menu()[index];
        if (!entry->submenu) return entry;
        if (entry->submenu->count() > 0)
            open.push_back(std::make_unique<MenuWindow>(*entry->submenu, entry->title, window.right()));
    }
    return nullptr;
}
