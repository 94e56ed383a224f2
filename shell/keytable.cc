#include "shell/keytable.h"

#include "console/keys.h"
#include "shell/casedatekeys.h"
#include "shell/cmdlinekeys.h"
#include "shell/commandkeys.h"
#include "shell/attribkeys.h"
#include "shell/comparekeys.h"
#include "shell/dirkeys.h"
#include "shell/editfile.h"
#include "shell/filecommands.h"
#include "shell/findkeys.h"
#include "shell/helpviewer.h"
#include "shell/historykeys.h"
#include "shell/infokeys.h"
#include "shell/panelkeys.h"
#include "shell/pathlinkkeys.h"
#include "shell/screenkeys.h"
#include "shell/synckeys.h"
#include "shell/treekeys.h"
#include "shell/usermenukeys.h"
#include "shell/viewfile.h"

const KeyBinding key_bindings[] = {
    // Moving through the file list.
    {KEY_ENTER, run_command_or_entry, "run the command, or open the cursor entry"},
    {KEY_ALT_ENTER, run_command_or_entry, "run the command in a terminal window of its own"},
    {KEY_TAB, switch_panel, "the other panel"},
    {KEY_SHIFT_TAB, switch_panel, "the other panel"},
    {KEY_UP, move_line, "entry up (history with the panels hidden)"},
    {KEY_DOWN, move_line, "entry down (history with the panels hidden)"},
    {KEY_PGUP, page_up, "page up"},
    {KEY_PGDN, page_down, "page down"},
    {KEY_HOME, move_first_last, "first entry"},
    {KEY_END, move_first_last, "last entry"},
    {KEY_LEFT, move_column, "column left"},
    {KEY_RIGHT, move_column, "column right"},
    {KEY_ALT_LEFT, shift_name_left, "long name left"},
    {KEY_CTRL_S, shift_name_left, "long name left"},
    {KEY_ALT_RIGHT, complete_search_or_shift_name, "complete the quick search, or long name right"},
    {KEY_CTRL_D, shift_name_right, "long name right"},
    {KEY_ALT_UP, next_tagged, "previous tagged entry or search match"},
    {KEY_ALT_DOWN, next_tagged, "next tagged entry or search match"},

    // Tagging.
    {KEY_INS, tag_and_move_down, "tag the cursor entry"},
    {KEY_ALT_BACKSPACE, shorten_search, "drop the quick search's last character"},
    {KEY_CTRL_T, tag_matching, "tag by mask"},
    {KEY_SHIFT_CTRL_T, tag_matching, "tag by mask"},
    {KEY_CTRL_Y, tag_matching, "untag by mask"},
    {KEY_SHIFT_CTRL_Y, tag_matching, "untag by mask"},
    {KEY_CTRL_GREY_PLUS, tag_every_entry, "tag all"},
    {KEY_SHIFT_CTRL_GREY_PLUS, tag_every_entry, "tag all"},
    {KEY_CTRL_GREY_MINUS, tag_every_entry, "untag all"},
    {KEY_SHIFT_CTRL_GREY_MINUS, tag_every_entry, "untag all"},

    // Directories.
    {KEY_CTRL_PGDN, enter_directory, "enter the cursor directory"},
    {KEY_CTRL_PGUP, parent_directory, "parent directory"},
    {KEY_CTRL_BACKSLASH, root_or_other_directory, "root directory"},
    {KEY_SHIFT_CTRL_BACKSLASH, root_or_other_directory, "the other panel's directory"},
    {KEY_CTRL_MINUS, previous_directory, "previous directory"},
    {KEY_ALT_HOME, home_directory, "home directory"},
    {KEY_CTRL_G, follow_link, "go to the link's target"},
    {KEY_CTRL_R, reread_or_choose_mount, "read the panel again"},
    {KEY_CTRL_H, toggle_hidden_files, "show or hide hidden files"},
    {KEY_ALT_BACKSLASH, show_directory_history, "the directories left"},
    {KEY_SHIFT_ALT_F8, show_directory_history, "the directories left"},
    {KEY_ALT_F5, stored_paths, "the stored paths"},

    // The command line.
    {KEY_ESC, clear_line, "clear the command line"},
    {KEY_CTRL_RBRACKET, insert_right_directory, "insert the right panel's directory"},
    {KEY_CTRL_ENTER, insert_name_or_search_history, "insert the name, or search the history"},
    {KEY_SHIFT_CTRL_ENTER, insert_name_or_search_history, "copy the name, or search the history back"},
    {KEY_SHIFT_CTRL_J, insert_name_or_search_history, "copy the name to the clipboard"},
    {KEY_CTRL_F, insert_path, "insert the full path"},
    {KEY_SHIFT_CTRL_F, insert_path, "copy the full path to the clipboard"},
    {KEY_CTRL_TAB, complete_file_name, "complete the file name"},
    {KEY_CTRL_INS, copy_line, "copy the command line"},
    {KEY_SHIFT_INS, paste_clipboard, "paste"},
    {KEY_BACKSPACE, delete_left, "delete left"},
    {KEY_CTRL_BACKSPACE, delete_word_left, "delete the word left"},
    {KEY_DEL, delete_right, "delete right"},
    {KEY_CTRL_DEL, delete_word_right, "delete the word right"},
    {KEY_CTRL_LEFT, word_left, "word left"},
    {KEY_CTRL_RIGHT, word_right, "word right"},
    {KEY_CTRL_HOME, line_start, "start of the line"},
    {KEY_CTRL_END, line_end, "end of the line"},
    {KEY_CTRL_E, older_command, "previous command"},
    {KEY_CTRL_UP, older_command, "previous command"},
    {KEY_CTRL_X, newer_command, "next command"},
    {KEY_CTRL_DOWN, newer_command, "next command"},
    {KEY_ALT_F8, show_command_history, "the commands run"},

    // The screen.
    {KEY_CTRL_O, toggle_panels, "hide or show the panels (the commands' output beneath)"},
    {KEY_CTRL_B, show_scrollback, "the scroll-back of the commands' output"},
    {KEY_CTRL_W, open_file_window, "the desktop's file manager on the panel's directory"},
    {KEY_CTRL_U, swap_sides, "swap the panels"},
    {KEY_CTRL_P, toggle_other_panel, "hide or show the other panel"},
    {KEY_CTRL_L, toggle_info_panel, "information about the current panel's directory in the other"},
    {KEY_CTRL_Q, calculate_dir_size, "count the sizes of the tagged directories, or of the cursor's"},
    {KEY_ALT_F10, tree_window, "the directory tree window"},
    {KEY_CTRL_F1, toggle_side_panel, "hide or show the left panel"},
    {KEY_CTRL_F2, toggle_side_panel, "hide or show the right panel"},
    {KEY_ALT_F1, choose_side_mount, "mount point for the left panel"},
    {KEY_ALT_F2, choose_side_mount, "mount point for the right panel"},
    {KEY_CTRL_M, choose_mount, "mount point"},
    {KEY_SHIFT_CTRL_M, choose_mount, "mount point, from all of them"},
    {KEY_F1, show_main_help, "help on the main screen"},
    {KEY_SHIFT_F1, show_manual, "the manual"},
    {KEY_F9, pull_down_menu, "the pull-down menu"},
    {KEY_CTRL_N, pull_down_menu, "the pull-down menu"},
    {KEY_SHIFT_F10, pull_down_menu, "the pull-down menu where it was left"},
    {KEY_SHIFT_F9, save_settings, "save the settings"},
    {KEY_F10, quit, "quit"},
    {KEY_ALT_F9, change_rows, "switch the number of rows"},
    {KEY_SHIFT_ALT_F9, change_width, "switch the number of columns"},
    {KEY_RESIZE, fit_to_window, "fit the screen to the resized window"},
    {KEY_SHIFT_ALT_F1, choose_style, "brief style"},
    {KEY_SHIFT_ALT_F2, choose_style, "full style"},
    {KEY_SHIFT_ALT_F3, choose_style, "wide style"},
    {KEY_SHIFT_ALT_F4, choose_style, "brief wide style"},
    {KEY_SHIFT_ALT_F5, choose_style, "unix style"},

    // Viewing files.
    {KEY_F3, view_cursor_file, "view the cursor file (its viewer association, else the Viewer setting); a directory: its size"},
    {KEY_ALT_F3, view_cursor_file, "view the cursor file with the Viewer2 setting"},
    {KEY_SHIFT_CTRL_F3, view_cursor_file, "view the cursor file with the Viewer2 setting"},
    {KEY_SHIFT_F3, view_named_file, "view a file, asking its name"},

    // Editing files.
    {KEY_F4, edit_cursor_file, "edit the cursor file (its editor association, else the Editor setting)"},
    {KEY_ALT_F4, edit_cursor_file, "edit the cursor file with the Editor2 setting"},
    {KEY_SHIFT_CTRL_F4, edit_cursor_file, "edit the cursor file with the Editor2 setting"},
    {KEY_SHIFT_F4, edit_named_file, "edit a file, asking its name"},

    // File operations.
    {KEY_F5, copy_or_move_files, "copy"},
    {KEY_F6, copy_or_move_files, "move"},
    {KEY_SHIFT_F5, copy_or_move_files, "copy, offering the entry's own name"},
    {KEY_SHIFT_F6, copy_or_move_files, "move or rename, offering the entry's own name"},
    {KEY_F7, make_new_directory, "make a directory"},
    {KEY_SHIFT_F7, make_archive, "make an archive of the tagged files"},
    {KEY_F8, delete_files, "delete"},
    {KEY_SHIFT_F8, delete_files, "delete one file, asking its name"},
    {KEY_ALT_F6, make_launcher_objects, "make launcher objects"},
    {KEY_ALT_F7, find_files, "find files"},
    {KEY_SHIFT_ALT_F7, find_files, "the files found last time"},
    {KEY_CTRL_C, change_file_case, "change the case of the cursor or tagged names"},
    {KEY_CTRL_K, compare_directories, "compare the directories of the two panels, tagging the differences"},
    {KEY_ALT_GREY_PLUS, restore_last_selection, "restore the last selection"},
    {KEY_SHIFT_CTRL_F5, make_symbolic_links, "symbolic links to the cursor file or the tagged files"},
    {KEY_SHIFT_CTRL_F9, synchronize_panels, "synchronize the other panel's directory with this one"},
    {KEY_CTRL_A, change_attributes, "permissions, owner and group of the cursor file or the tagged files"},
    {KEY_CTRL_I, show_file_information, "the status of the cursor file"},

    // The user menu.
    {KEY_F2, show_user_menu, "the user menu (the directory's own menu file first)"},
    {KEY_SHIFT_F2, show_user_menu, "the global user menu"},
};

const int key_binding_count = sizeof key_bindings / sizeof key_bindings[0];

KeyHandler FindKeyHandler(int key) {
    for (const KeyBinding& binding : key_bindings)
        if (binding.key == key) return binding.handler;
    return nullptr;
}
