#include "shell/keybar.h"

CFunctionKeyBar* FunctionKeyBar = nullptr;
int key_bar = -1;

// clang-format off
const char* const key_bar_text[8][10] = {
    // none
    {"1Help", "2Menu", "3View", "4Edit", "5Copy", "6RenMov", "7Mkdir", "8Delete", "9PullDn", "10Quit"},
    // Alt
    {"1Left", "2Right", "3View..", "4Edit..", "5DStore", "6Object", "7Find", "8Histry", "9EGA Ln", "10Tree"},
    // Ctrl
    {"1Left", "2Right", "3Name", "4Exten", "5Time", "6Size", "7Unsort", "8Revers", "9", "10"},
    // Alt+Ctrl
    {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
    // Shift
    {"1Manual", "2MnMenu", "3View..", "4Edit..", "5Copy", "6Rename", "7MkArch", "8DelOne", "9SavSet", "10MenuRe"},
    // Shift+Alt
    {"1Brief", "2Full", "3Wide", "4BriefW", "5Unix", "6", "7FindRC", "8DirHst", "9ColChg", "10"},
    // Shift+Ctrl
    {"1", "2", "3View..", "4Edit..", "5SymLnk", "6", "7", "8", "9Sync", "10"},
    // Shift+Ctrl+Alt
    {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
};
// clang-format on

void create_key_bar() {
    delete_key_bar();
    if (!console) return;
    FunctionKeyBar = new CFunctionKeyBar();
    key_bar = -1;
}

void delete_key_bar() {
    delete FunctionKeyBar;
    FunctionKeyBar = nullptr;
    key_bar = -1;
}

void draw_key_bar(int state) {
    state &= 7;
    if (!FunctionKeyBar) return;
    FunctionKeyBar->Show();
    FunctionKeyBar->SetKeys(key_bar_text[state]);
    key_bar = state;
}
