#include "shell/menudata.h"

#include "config/panelenums.h"
#include "console/keys.h"
#include "shell/menucommands.h"

namespace {

constexpr int menu(int command) { return KEY_MENU | command; }

const MenuItemDef kPanelItems[] = {
    {"Brief       AlSh-F1", 0, menu(MENU_LEFT_BRIEF), menu(MENU_RIGHT_BRIEF), nullptr, MenuTick::kStyle, DETAIL_BRIEF},
    {"Full        AlSh-F2", 0, menu(MENU_LEFT_FULL), menu(MENU_RIGHT_FULL), nullptr, MenuTick::kStyle, DETAIL_FULL},
    {"Wide        AlSh-F3", 0, menu(MENU_LEFT_WIDE), menu(MENU_RIGHT_WIDE), nullptr, MenuTick::kStyle, DETAIL_WIDE},
    {"Brief-Wide  AlSh-F4", 3, menu(MENU_LEFT_BRIEFWIDE), menu(MENU_RIGHT_BRIEFWIDE), nullptr, MenuTick::kStyle,
     DETAIL_BRIEFWIDE},
    {"Unix detail AlSh-F5", 8, menu(MENU_LEFT_UNIX), menu(MENU_RIGHT_UNIX), nullptr, MenuTick::kStyle, DETAIL_UNIX},
    {"Info        Ctrl-L", 0, menu(MENU_LEFT_INFO), menu(MENU_RIGHT_INFO), nullptr, MenuTick::kInfo},
    {"Tree", 0, menu(MENU_LEFT_TREE), menu(MENU_RIGHT_TREE), nullptr, MenuTick::kStyle, DETAIL_TREE},
    {"On/Off      Ctrl-F1", 0, KEY_CTRL_F1, KEY_CTRL_F2, "On/Off      Ctrl-F2"},
    {nullptr, 0, 0, 0, nullptr},
    {"Name        Ctrl-F3", 0, menu(MENU_LEFT_SORT_NAME), menu(MENU_RIGHT_SORT_NAME), nullptr, MenuTick::kSortOrder,
     SORT_NAME},
    {"Extension   Ctrl-F4", 1, menu(MENU_LEFT_SORT_EXTENSION), menu(MENU_RIGHT_SORT_EXTENSION), nullptr,
     MenuTick::kSortOrder, SORT_EXTENSION},
    {"Time        Ctrl-F5", 2, menu(MENU_LEFT_SORT_TIME), menu(MENU_RIGHT_SORT_TIME), nullptr, MenuTick::kSortOrder,
     SORT_TIME},
    {"Size        Ctrl-F6", 0, menu(MENU_LEFT_SORT_SIZE), menu(MENU_RIGHT_SORT_SIZE), nullptr, MenuTick::kSortOrder,
     SORT_SIZE},
    {"Unsorted    Ctrl-F7", 0, menu(MENU_LEFT_UNSORTED), menu(MENU_RIGHT_UNSORTED), nullptr, MenuTick::kSortOrder,
     SORT_UNSORTED},
    {"Reverse     Ctrl-F8", 2, menu(MENU_LEFT_SORT_REVERSE), menu(MENU_RIGHT_SORT_REVERSE), nullptr,
     MenuTick::kReversed},
    {nullptr, 0, 0, 0, nullptr},
    {"Re-Read     Ctrl-R", 0, menu(MENU_LEFT_REREAD), menu(MENU_RIGHT_REREAD), nullptr},
    {"Filter", 2, menu(MENU_LEFT_FILTER), menu(MENU_RIGHT_FILTER), nullptr},
    {"Drive       Alt-F1", 0, KEY_ALT_F1, KEY_ALT_F2, "Drive       Alt-F2"},
};

const MenuItemDef kFilesItems[] = {
    {"Manual       Shift-F1", 5, KEY_SHIFT_F1, 0, nullptr},
    {"User Menu          F2", 0, KEY_F2, 0, nullptr},
    {"View               F3", 0, KEY_F3, 0, nullptr},
    {"Edit               F4", 0, KEY_F4, 0, nullptr},
    {"Copy               F5", 0, KEY_F5, 0, nullptr},
    {"Rename or Move     F6", 0, KEY_F6, 0, nullptr},
    {"Make Directory     F7", 0, KEY_F7, 0, nullptr},
    {"Delete             F8", 0, KEY_F8, 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"File Attributes    Ctrl-A", 5, KEY_CTRL_A, 0, nullptr},
    {"File Case          Ctrl-C", 0, KEY_CTRL_C, 0, nullptr},
    {"File Date/Time", 10, menu(MENU_FILE_DATES), 0, nullptr},
    {"File Information   Ctrl-I", 8, KEY_CTRL_I, 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"Select Group       Grey +", 7, menu(MENU_SELECT_GROUP), 0, nullptr},
    {"Unselect Group     Grey -", 1, menu(MENU_UNSELECT_GROUP), 0, nullptr},
    {"Invert Sel'n       Grey *", 0, menu(MENU_INVERT_SELECTION), 0, nullptr},
    {"Restore Sel'n  Alt-Grey +", 2, menu(MENU_RESTORE_SELECTION), 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"Quit               F10", 0, KEY_F10, 0, nullptr},
};

const MenuItemDef kCommandsItems[] = {
    {"Tree                 Alt-F10", 0, KEY_ALT_F10, 0, nullptr},
    {"File Find            Alt-F7", 0, KEY_ALT_F7, 0, nullptr},
    {"History              Alt-F8", 0, KEY_ALT_F8, 0, nullptr},
    {"EGA Lines            Alt-F9", 0, KEY_ALT_F9, 0, nullptr},
    {"Directory History    Alt-\\", 1, KEY_ALT_BACKSLASH, 0, nullptr},
    {"Stored Paths         Alt-F5", 7, KEY_ALT_F5, 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"Swap Panels          Ctrl-U", 0, KEY_CTRL_U, 0, nullptr},
    {"Panels On/Off        Ctrl-O", 2, KEY_CTRL_O, 0, nullptr},
    {"Compare Directories  Ctrl-K", 0, KEY_CTRL_K, 0, nullptr},
    {"Synchronize          CtSh-F9", 1, KEY_SHIFT_CTRL_F9, 0, nullptr},
    {"Calculate Dir Size   Ctrl-Q", 10, KEY_CTRL_Q, 0, nullptr},
    {"Open GUI File Window Ctrl-W", 0, KEY_CTRL_W, 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"Edit Associations", 5, menu(MENU_EDIT_ASSOCIATIONS), 0, nullptr},
    {"Edit User Menu", 10, menu(MENU_EDIT_USER_MENU), 0, nullptr},
};

const MenuItemDef kOptionsItems[] = {
    {"Configuration", 0, menu(MENU_CONFIGURATION), 0, nullptr},
    {"Colours", 1, menu(MENU_COLOURS), 0, nullptr},
    {"Confirmations", 2, menu(MENU_CONFIRMATIONS), 0, nullptr},
    {nullptr, 0, 0, 0, nullptr},
    {"Hidden Files    Ctrl-H", 0, menu(MENU_TOGGLE_HIDDEN), 0, nullptr, MenuTick::kSetting, SETTING_HIDDEN},
    {"Path Prompt", 0, menu(MENU_TOGGLE_PATH_PROMPT), 0, nullptr, MenuTick::kSetting, SETTING_PATH_PROMPT},
    {"Full Screen", 0, menu(MENU_TOGGLE_FULL_SCREEN), 0, nullptr, MenuTick::kSetting, SETTING_FULL_SCREEN},
    {"Clock", 1, menu(MENU_TOGGLE_CLOCK), 0, nullptr, MenuTick::kSetting, SETTING_CLOCK},
    {"Tag Directories", 0, menu(MENU_TOGGLE_TAG_DIRS), 0, nullptr, MenuTick::kSetting, SETTING_TAG_DIRS},
    {"Thousand Separator", 3, menu(MENU_TOGGLE_THOUSAND_SEP), 0, nullptr, MenuTick::kSetting,
     SETTING_THOUSAND_SEP},
    {"Retain Dir Count", 0, menu(MENU_TOGGLE_RETAIN_COUNT), 0, nullptr, MenuTick::kSetting, SETTING_RETAIN_COUNT},
    {nullptr, 0, 0, 0, nullptr},
    {"Save Setup      Shft-F9", 0, menu(MENU_SAVE_SETTINGS), 0, nullptr},
};

template <int N>
constexpr int count_of(const MenuItemDef (&)[N]) {
    return N;
}

}  // namespace

const char kMenuBarText[] = "    Left    Files    Commands    Options    Right  ";

const MenuColumnDef kMenuColumns[MENU_COLUMN_COUNT] = {
    {"  Left  ", 2, 'l', 21, kPanelItems, count_of(kPanelItems)},
    {"  Files  ", 10, 'f', 27, kFilesItems, count_of(kFilesItems)},
    {"  Commands  ", 19, 'c', 30, kCommandsItems, count_of(kCommandsItems)},
    {"  Options  ", 31, 'o', 25, kOptionsItems, count_of(kOptionsItems)},
    {"  Right  ", 42, 'r', 21, kPanelItems, count_of(kPanelItems)},
};
