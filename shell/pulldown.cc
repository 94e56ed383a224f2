#include "shell/pulldown.h"

#include <cwctype>
#include <memory>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/win.h"
#include "panels/panel.h"
#include "shell/clock.h"
#include "shell/dispatch.h"
#include "shell/menudata.h"

namespace {

// Where the menu was left: kept from one opening to the next.
struct MenuPosition {
    int column = MENU_COLUMN_LEFT;
    int item = 0;
    bool dropped = false;
};
MenuPosition position;

// An item as this opening shows it.
struct ShownItem {
    Westring text;  // empty: a separator
    int quick = 0;
    int code = 0;  // 0: nothing to run (disabled)
    bool ticked = false;
};

bool setting_on(int setting) {
    switch (setting) {
    case SETTING_HIDDEN: return config.Hidden;
    case SETTING_PATH_PROMPT: return config.PathPrompt;
    case SETTING_FULL_SCREEN: return config.FullScreen;
    case SETTING_CLOCK: return config.Clock;
    case SETTING_TAG_DIRS: return config.TagDirs;
    case SETTING_THOUSAND_SEP: return config.ThousandSep;
    case SETTING_RETAIN_COUNT: return config.RetainCount;
    default: return false;
    }
}

// Whether an item's setting is active: the panel's state in the panel
// columns, the configuration's switches in the Options column.
bool is_ticked(const MenuItemDef& def, const PANEL* panel) {
    const bool files = panel && panel->type == PANEL_FILES;
    switch (def.tick) {
    case MenuTick::kStyle: return files && panel->detail == def.tick_value;
    case MenuTick::kInfo: return panel && panel->type == PANEL_INFO;
    case MenuTick::kSortOrder: return panel && panel->sort % 5 == def.tick_value;
    case MenuTick::kReversed: return panel && panel->sort >= 5;
    case MenuTick::kSetting: return setting_on(def.tick_value);
    case MenuTick::kNone: break;
    }
    return false;
}

std::vector<ShownItem> items_of(int column) {
    const MenuColumnDef& def = kMenuColumns[column];
    const bool right = column == MENU_COLUMN_RIGHT;
    const PANEL* panel = column == MENU_COLUMN_LEFT ? panel_base : right ? panel_base + 1 : nullptr;
    std::vector<ShownItem> items;
    for (int i = 0; i < def.count; i++) {
        const MenuItemDef& item = def.items[i];
        ShownItem shown;
        if (item.text) {
            shown.text = Westring(right && item.right_text ? item.right_text : item.text);
            shown.quick = item.quick;
            const int code = right && item.right_code ? item.right_code : item.code;
            // Items whose commands the program lacks are shown disabled.
            shown.code = HasCommand(code) ? code : 0;
            shown.ticked = is_ticked(item, panel);
        }
        items.push_back(shown);
    }
    return items;
}

int help_topic(int column) {
    switch (column) {
    case MENU_COLUMN_FILES: return HELP_MENU_FILES;
    case MENU_COLUMN_COMMANDS: return HELP_MENU_COMMANDS;
    case MENU_COLUMN_OPTIONS: return HELP_MENU_OPTIONS;
    default: return HELP_MENU_PANEL;
    }
}

// The column whose title starts at or before screen column x.
int column_at(int x) {
    int column = MENU_COLUMN_LEFT;
    for (int i = 0; i < MENU_COLUMN_COUNT; i++)
        if (kMenuColumns[i].column <= x) column = i;
    return column;
}

unsigned char with_foreground(unsigned char attr, unsigned char fg_from) {
    return static_cast<unsigned char>((attr & 0xF0) | (fg_from & 0x0F));
}

// One run of the menu: the bar and the open drop-down with their windows.
class PullDown {
public:
    int Run();

private:
    void DrawBar();
    void Drop(int item);
    void Fold();
    void MoveTo(int column);
    void DrawItem(int item);
    void Select(int item);
    // Steps from the current item by delta, over separators, wrapping.
    void Step(int delta);
    int ItemAt(int x, int y) const;
    // The result of a key or mouse event: -1 to go on.
    int OnKey(int key, const _MEVENT& event);
    int OnMouse(const _MEVENT& event);
    int Choose(int item);

    std::unique_ptr<Win> bar_;
    std::unique_ptr<Win> drop_;
    std::vector<ShownItem> items_;
};

void PullDown::DrawBar() {
    const int columns = console->columns();
    // One window for the bar's whole life: a second one would save the first
    // bar as the screen beneath it and put it back when the menu closes.
    if (!bar_) bar_ = std::make_unique<Win>(0, 0, columns - 1, 0, colours[CLR_MENU_BAR], -1, true);
    bar_->puts_at(0, 0, kMenuBarText);
    bar_->puts_at(kMenuColumns[position.column].column, 0, kMenuColumns[position.column].title,
                  colours[CLR_MENU_HIGHLIGHT]);
}

void PullDown::Drop(int item) {
    drop_.reset();
    const MenuColumnDef& def = kMenuColumns[position.column];
    items_ = items_of(position.column);
    drop_ = std::make_unique<Win>(def.column, 1, def.column + def.width + 1, def.count + 2, colours[CLR_MENU],
                                  colours[CLR_MENU_BAR]);
    position.dropped = true;
    position.item = item;
    for (int i = 0; i < static_cast<int>(items_.size()); i++) DrawItem(i);
}

void PullDown::Fold() {
    drop_.reset();
    position.dropped = false;
}

void PullDown::MoveTo(int column) {
    const bool dropped = position.dropped;
    Fold();
    position.column = (column + MENU_COLUMN_COUNT) % MENU_COLUMN_COUNT;
    position.item = 0;
    DrawBar();
    if (dropped) Drop(0);
}

void PullDown::DrawItem(int item) {
    const ShownItem& shown = items_[item];
    const int width = kMenuColumns[position.column].width;
    if (shown.text.empty()) {
        const Westring line = Westring().pad(width - 2, L'\x2500');
        drop_->puts_at(1, item, line.c_str(), colours[CLR_MENU_BAR]);
        drop_->puts_at(0, item, L" ", colours[CLR_MENU]);
        drop_->puts_at(width - 1, item, L" ", colours[CLR_MENU]);
        return;
    }
    const unsigned char base = colours[item == position.item ? CLR_MENU_HIGHLIGHT : CLR_MENU];
    const unsigned char text_attr = shown.code ? base : with_foreground(base, colours[CLR_DISABLED_MENU]);
    const wchar_t tick[2] = {shown.ticked ? (console_font_joins ? L'\x221A' : L'*') : L' ', 0};
    drop_->puts_at(0, item, tick, text_attr);
    drop_->puts_at(1, item, shown.text.pad(width - 1).c_str(), text_attr);
    // A disabled item's letter chooses nothing, so it is not picked out.
    if (shown.code && shown.quick < shown.text.strlen()) {
        const wchar_t quick[2] = {shown.text[shown.quick], 0};
        drop_->puts_at(1 + shown.quick, item, quick, with_foreground(base, colours[CLR_MENU_QUICK_KEY]));
    }
}

void PullDown::Select(int item) {
    if (item == position.item || items_[item].text.empty()) return;
    const int previous = position.item;
    position.item = item;
    DrawItem(previous);
    DrawItem(item);
}

void PullDown::Step(int delta) {
    const int count = static_cast<int>(items_.size());
    int item = position.item;
    do item = (item + delta + count) % count;
    while (items_[item].text.empty());
    Select(item);
}

int PullDown::ItemAt(int x, int y) const {
    if (!drop_) return -1;
    const MenuColumnDef& def = kMenuColumns[position.column];
    const int item = y - 2;
    if (x <= def.column || x > def.column + def.width || item < 0 || item >= static_cast<int>(items_.size()))
        return -1;
    return item;
}

int PullDown::Choose(int item) {
    const ShownItem& shown = items_[item];
    if (shown.text.empty() || !shown.code) return -1;  // a disabled item does nothing
    Select(item);
    return shown.code;
}

int PullDown::OnKey(int key, const _MEVENT& event) {
    const bool dropped = position.dropped;
    switch (key) {
    case KEY_QUIT: return KEY_QUIT;  // the window is closing: the main loop ends the program
    case KEY_ENTER:
        if (!dropped) Drop(0);
        else return Choose(position.item);
        return -1;
    case KEY_ESC:
        if (!dropped) return 0;
        Fold();
        return -1;
    case KEY_DOWN:
        if (!dropped) Drop(0);
        else Step(1);
        return -1;
    case KEY_UP:
        if (dropped) Step(-1);
        return -1;
    case KEY_HOME:
    case KEY_END:
        if (dropped) {
            Select(key == KEY_HOME ? 0 : static_cast<int>(items_.size()) - 1);
            if (items_[position.item].text.empty()) Step(key == KEY_HOME ? 1 : -1);
        }
        return -1;
    case KEY_RESIZE: {
        // The program beneath is laid out for the new size, then the menu
        // comes back as it was.
        const int item = position.item;
        drop_.reset();
        bar_.reset();
        Dialog::RefitScreen(event.x, event.y);
        DrawBar();
        if (dropped) Drop(item);
        return -1;
    }
    case KEY_LEFT: MoveTo(position.column - 1); return -1;
    case KEY_RIGHT: MoveTo(position.column + 1); return -1;
    case KEY_F1: ShowHelp(help_topic(position.column)); return -1;
    default: break;
    }
    // A letter typed with Alt counts as the letter.
    const int ch = key < KEY_EXTENDED ? key : un_alt(key, &event);
    if (ch <= ' ' || ch >= KEY_EXTENDED) return -1;
    const wint_t letter = std::towlower(static_cast<wint_t>(ch));
    if (!dropped) {
        for (int column = 0; column < MENU_COLUMN_COUNT; column++) {
            if (static_cast<wint_t>(kMenuColumns[column].quick) != letter) continue;
            MoveTo(column);
            Drop(0);
            break;
        }
        return -1;
    }
    for (int i = 0; i < static_cast<int>(items_.size()); i++) {
        const ShownItem& shown = items_[i];
        if (!shown.text.empty() && std::towlower(static_cast<wint_t>(shown.text[shown.quick])) == letter)
            return Choose(i);
    }
    return -1;
}

int PullDown::OnMouse(const _MEVENT& event) {
    const int kind = event.kind;
    const bool release = kind == _MEVENT::LeftUp || kind == _MEVENT::RightUp;
    const bool press_or_drag = kind == _MEVENT::LeftDown || kind == _MEVENT::RightDown ||
                               kind == _MEVENT::LeftDrag || kind == _MEVENT::RightDrag;
    const int item = ItemAt(event.x, event.y);
    if (release) {
        if (!position.dropped) {
            Drop(0);
            return -1;
        }
        if (item >= 0) return items_[item].text.empty() ? -1 : Choose(item);
        return 0;
    }
    if (!press_or_drag) return -1;
    if (event.y == 0) {
        const int column = column_at(event.x);
        if (column != position.column || position.dropped) {
            Fold();
            position.column = column;
            position.item = 0;
            DrawBar();
        }
    } else if (!position.dropped) {
        if (kind == _MEVENT::LeftDrag || kind == _MEVENT::RightDrag) Drop(0);
    } else if (item >= 0) {
        Select(item);
    }
    return -1;
}

int PullDown::Run() {
    DrawBar();
    if (position.dropped) Drop(position.item);
    for (;;) {
        _MEVENT event;
        const int key = getkey(&event, -1);
        const int result = key == KEY_MOUSE ? OnMouse(event) : OnKey(key, event);
        if (result >= 0) return result;
    }
}

}  // namespace

int menu(int side, MenuOpening how, int click_x) {
    if (!console) return 0;
    switch (how) {
    case MenuOpening::kStart:
        position = MenuPosition();
        position.column = side == 0 ? MENU_COLUMN_LEFT : MENU_COLUMN_RIGHT;
        break;
    case MenuOpening::kClick:
        position = MenuPosition();
        position.column = column_at(click_x);
        break;
    case MenuOpening::kResume: break;
    }
    // The clock shares the top row with the bar.
    hide_clock();
    PullDown pull_down;
    return pull_down.Run();
}

void ResetMenuPosition() { position = MenuPosition(); }
