// Lists of strings in the order they were added, owning their strings.
#pragma once

#include "lib/estring.h"
#include "lib/objectstore.h"
#include "lib/westring.h"

class WestringStore : public TObjectStore<Westring> {
public:
    // Appends a heap copy of s; results as for AddObject.
    int Add(const Westring& s) {
        Westring* copy = new Westring(s);
        if (AddObject(copy) == 0) return 0;
        delete copy;
        return -1;
    }
};

class EstringStore : public TObjectStore<Estring> {
public:
    // Appends a heap copy of s; results as for AddObject.
    int Add(const Estring& s) {
        Estring* copy = new Estring(s);
        if (AddObject(copy) == 0) return 0;
        delete copy;
        return -1;
    }
};
