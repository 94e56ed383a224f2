#include "panels/posstack.h"

#include "lib/nls.h"

int CPosStack::compare(const Westring* a, const Westring* b) const { return fncompare(a->c_str(), b->c_str()); }

void CPosStack::Store(const Westring& dir, int top, const Westring& name) {
    TPanelPosition* position = Find(dir);
    if (!position) {
        position = new TPanelPosition;
        position->dir = dir;
        if (AddItem(position) != 0) {  // the collection is full
            delete position;
            return;
        }
    }
    position->top = top;
    position->name = name;
}
