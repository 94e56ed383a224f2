// The pages of the help file by topic number, and the hook through which any
// dialog or tool shows one (the shell installs it once the help is loaded).
#pragma once

enum HelpTopic : int {
    HELP_INDEX = 0,
    HELP_MAIN_SCREEN = 1,
    HELP_VIEWER = 2,
    HELP_EDITOR = 3,
    HELP_OPTIONS = 4,
    HELP_COMMAND_HISTORY = 5,
    HELP_CONFIRMATIONS = 6,
    HELP_FIND_FILE = 7,
    HELP_ATTRIBUTES = 8,
    HELP_COMPARE = 9,
    HELP_EDITOR_MENU_FILE = 10,
    HELP_EDITOR_CONFIG_FILE = 11,
    HELP_SYNCHRONISE = 12,
    HELP_DIRECTORY_HISTORY = 13,
    HELP_INFO_PANEL = 14,
    HELP_MENU_PANEL = 100,  // the Left and the Right menu
    HELP_MENU_FILES = 101,
    HELP_MENU_COMMANDS = 102,
    HELP_MENU_OPTIONS = 103,
    HELP_END = 30000,  // the last record; shown for a topic the file lacks
};

// Shows a help page; null until the shell installs the help viewer.
extern void (*show_help_hook)(int topic);

// Shows topic through the hook; nothing while there is none.
void ShowHelp(int topic);
