// The user menu as read from its menu file: entries in file order, each
// with a hot key, a title, the command lines it runs and, instead, perhaps
// a submenu of its own.
#pragma once

#include <memory>
#include <vector>

#include "lib/objectstore.h"
#include "lib/stringstore.h"
#include "lib/westring.h"

class CTextFile;
class MenuStore;
struct MenuProblem;

struct MenuEntry {
    int key_code = 0;   // the key that picks the entry (tools/usermenukeytext.h)
    Westring key_text;  // as written, upper-cased
    Westring title;
    WestringStore commands;
    std::unique_ptr<MenuStore> submenu;  // null when the entry runs commands
};

// Identifies a menu file on the system, so that a file including itself is
// recognised whatever names lead to it.
struct MenuFileId {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator==(const MenuFileId& other) const { return device == other.device && inode == other.inode; }
};

class MenuStore : public TObjectStore<MenuEntry> {
public:
    // Appends entry and widens the key column for it; false when the store
    // is full (the entry is then dropped).
    [[nodiscard]] bool Add(std::unique_ptr<MenuEntry> entry);
    // The cells of the widest key text.
    int key_width() const { return key_width_; }
    // The index of the first entry picked by key code, or -1.
    int FindKey(int key_code) const;

    // Reads entries from text_file (opened, named name and known by id)
    // until its end or a "}" at its top level, following its include lines
    // (relative to name's directory; with check_owner only files the user
    // owns and alone may write). The problems met go to problems for the
    // user. Defined in tools/usermenufile.cc.
    void LoadEntries(CTextFile& text_file, const Westring& name, const MenuFileId& id, bool check_owner,
                     std::vector<MenuProblem>& problems);

    // Shows the menu titled title with its left column at x (-1 centres
    // it) and lets the user pick an entry, going into submenus; the entry
    // chosen, or null when the user left. Defined in tools/usermenuchoose.cc.
    const MenuEntry* Choose(const Westring& title, int x);

private:
    int key_width_ = 0;
};
