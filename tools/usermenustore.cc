#include "tools/usermenustore.h"

#include <algorithm>

#include "lib/cellwidth.h"

bool MenuStore::Add(std::unique_ptr<MenuEntry> entry) {
    const int cells = TextCells(entry->key_text.c_str());
    if (AddObject(entry.get()) != 0) return false;
    entry.release();
    key_width_ = std::max(key_width_, cells);
    return true;
}

int MenuStore::FindKey(int key_code) const {
    for (int i = 0; i < count(); i++)
        if ((*this)[i]->key_code == key_code) return i;
    return -1;
}
