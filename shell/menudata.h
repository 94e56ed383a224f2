// What the pull-down menu offers: its five columns in bar order, each with
// its title, drop-down width and items. An item names the key code it
// returns; the Left and the Right column share their items and differ only
// in the codes (and two key names) of the panel they act on.
#pragma once

enum MenuColumnIndex { MENU_COLUMN_LEFT = 0, MENU_COLUMN_FILES, MENU_COLUMN_COMMANDS, MENU_COLUMN_OPTIONS,
                       MENU_COLUMN_RIGHT, MENU_COLUMN_COUNT };

// What decides an item's tick mark when the menu opens.
enum class MenuTick {
    kNone,
    kStyle,        // the panel's style is `value` (a paneldetail)
    kInfo,         // the panel shows information
    kSortOrder,    // the panel's order, reversed or not, is `value` (a sortby)
    kReversed,     // the panel's order is reversed
    kSetting,      // the configuration's switch `value` (a MenuSetting) is on
};

// The switches of the Options column.
enum MenuSetting { SETTING_HIDDEN, SETTING_PATH_PROMPT, SETTING_FULL_SCREEN, SETTING_CLOCK, SETTING_TAG_DIRS,
                   SETTING_THOUSAND_SEP, SETTING_RETAIN_COUNT };

struct MenuItemDef {
    const char* text;        // null: a separator line
    int quick;               // index of the quick-key letter in text
    int code;                // the key code (the left panel's in the panel columns)
    int right_code;          // the right panel's code; 0: the same as code
    const char* right_text;  // the Right column's text when it differs; null: text
    MenuTick tick = MenuTick::kNone;
    int tick_value = 0;
};

struct MenuColumnDef {
    const char* title;  // as drawn on the bar, with its blanks
    int column;         // where the title starts on the bar
    char quick;         // the letter that opens the column
    int width;          // the drop-down's inner width
    const MenuItemDef* items;
    int count;
};

// The bar's text, drawn from column 0 of the top row.
extern const char kMenuBarText[];
// The columns in bar order (MenuColumnIndex).
extern const MenuColumnDef kMenuColumns[MENU_COLUMN_COUNT];
// Where the last title ends on the bar.
constexpr int kMenuBarEnd = 51;
