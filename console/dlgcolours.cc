// The colour dialog.
#include <cstring>

#include "console/dialog.h"

int change_colours() {
    unsigned char before[COLOUR_ITEMS];
    std::memcpy(before, colours, sizeof before);
    int selected = 0;
    int result;
    {
        Dialog dialog(-1, -3, 32, 21, colours[CLR_MESSAGES]);
        dialog.PutCentre(-1, L" DV/L Colours ");
        dialog.AddColourSelector(1, 1, 1, 28, 13, colour_names, colours, COLOUR_ITEMS, selected, 0);
        dialog.AddStaticText(-1, 15, "F=Foreground B=Background");
        dialog.AddStaticText(-1, 16, "Shift-F/B=Change Backwards");
        dialog.AddPushButton(6, 18, 1, 13, "_OK");
        dialog.AddPushButton(14, 18, 0, 27, "Cancel");
        result = dialog.Process();
    }
    if (result == 27) {
        std::memcpy(colours, before, sizeof before);
        return -1;
    }
    // Only the foreground of the quick-key colour is used.
    colours[CLR_MENU_QUICK_KEY] &= 0x0F;
    return 0;
}
