// The commands only the pull-down menu sends: the key code is KEY_MENU with
// one of the command codes below.
#pragma once

class CMainLoop;

enum MenuCommand : int {
    // Sorting the left panel: the order of next_sort (shell/screen.h), 0 to
    // 5, is the code less MENU_LEFT_SORT_NAME.
    MENU_LEFT_SORT_NAME = 0x01,
    MENU_LEFT_SORT_EXTENSION = 0x02,
    MENU_LEFT_SORT_TIME = 0x03,
    MENU_LEFT_SORT_SIZE = 0x04,
    MENU_LEFT_UNSORTED = 0x05,
    MENU_LEFT_SORT_REVERSE = 0x06,
    // The same for the right panel.
    MENU_RIGHT_SORT_NAME = 0x07,
    MENU_RIGHT_SORT_EXTENSION = 0x08,
    MENU_RIGHT_SORT_TIME = 0x09,
    MENU_RIGHT_SORT_SIZE = 0x0A,
    MENU_RIGHT_UNSORTED = 0x0B,
    MENU_RIGHT_SORT_REVERSE = 0x0C,

    // Panel styles.
    MENU_LEFT_BRIEF = 0x0D,
    MENU_RIGHT_BRIEF = 0x0E,
    MENU_LEFT_FULL = 0x0F,
    MENU_RIGHT_FULL = 0x10,
    MENU_LEFT_WIDE = 0x14,
    MENU_RIGHT_WIDE = 0x15,
    MENU_LEFT_BRIEFWIDE = 0x18,
    MENU_RIGHT_BRIEFWIDE = 0x19,
    MENU_LEFT_UNIX = 0x1A,
    MENU_RIGHT_UNIX = 0x1B,

    // The panels' filters and reading them again.
    MENU_LEFT_FILTER = 0x12,
    MENU_RIGHT_FILTER = 0x19C,
    MENU_LEFT_REREAD = 0x13,
    MENU_RIGHT_REREAD = 0x19B,

    // The information panel in place of the left or the right panel.
    MENU_LEFT_INFO = 0x00,
    MENU_RIGHT_INFO = 0x193,
    // The tree style.
    MENU_LEFT_TREE = 0x16,
    MENU_RIGHT_TREE = 0x17,

    // Tagging in the current panel, as the grey keypad keys do.
    MENU_SELECT_GROUP = 0x6D,
    MENU_UNSELECT_GROUP = 0x6E,
    MENU_INVERT_SELECTION = 0x6F,
    MENU_RESTORE_SELECTION = 0x72,
    MENU_FILE_DATES = 0x71,

    // The configuration file and the user menu file in the program's editor.
    MENU_EDIT_ASSOCIATIONS = 0xD0,
    MENU_EDIT_USER_MENU = 0xD1,

    // Options.
    MENU_CONFIGURATION = 0x12C,
    MENU_COLOURS = 0x12D,
    MENU_TOGGLE_HIDDEN = 0x12E,
    MENU_TOGGLE_PATH_PROMPT = 0x12F,
    MENU_TOGGLE_FULL_SCREEN = 0x131,
    MENU_TOGGLE_CLOCK = 0x132,
    MENU_TOGGLE_TAG_DIRS = 0x133,
    MENU_SAVE_SETTINGS = 0x134,
    MENU_CONFIRMATIONS = 0x135,
    MENU_TOGGLE_THOUSAND_SEP = 0x136,
    MENU_TOGGLE_RETAIN_COUNT = 0x137,
};

// Runs the menu command of key (KEY_MENU with a MenuCommand). False for
// codes whose commands the program does not have.
[[nodiscard]] bool RunMenuCommand(CMainLoop& loop, int key);
// Whether the program has a command for key (KEY_MENU with a MenuCommand).
bool HasMenuCommand(int key);
