#include "exec/histories.h"

#include "lib/nls.h"

WestringStore history;
WestringStore DirectoryHistory;
void (*command_history_added)(const Westring& command) = nullptr;

void RestoreCommandHistory(const Westring& command) {
    if (command.empty()) return;
    for (int i = history.count() - 1; i >= 0; i--)
        if (SameChars(*history[i], command)) history.DestroyCurrent();  // [i] made it current
    history.Add(command);
}

void AddCommandHistory(const Westring& command) {
    if (command.empty()) return;
    RestoreCommandHistory(command);
    if (command_history_added) command_history_added(command);
}

void AddDirectoryHistory(const Westring& dir) {
    if (dir.empty()) return;
    for (int i = DirectoryHistory.count() - 1; i >= 0; i--) {
        if (fncompare(DirectoryHistory[i]->c_str(), dir.c_str()) == 0) DirectoryHistory.DestroyCurrent();
    }
    DirectoryHistory.Add(dir);
    while (DirectoryHistory.count() > kMaxDirectoryHistory) {
        DirectoryHistory.GetFirst();
        DirectoryHistory.DestroyCurrent();
    }
}
