// Scroll Lock and Num Lock are modifiers that the X server locks; the keymap
// says which modifier bit each lock key stands for.
#include "console/gtkkeyboardlocks.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace {

Display* desktop_display() {
    GdkDisplay* display = gdk_display_get_default();
    return display ? GDK_DISPLAY_XDISPLAY(display) : nullptr;
}

// The modifier bits the keymap ties to a lock key's symbol; 0 for none.
unsigned lock_modifiers(Display* display, KeySym symbol) {
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return 0;
    return XkbKeysymToModifiers(display, symbol);
}

}  // namespace

int DesktopScrollLockState() {
    Display* display = desktop_display();
    if (!display) return -1;
    const unsigned mask = lock_modifiers(display, XK_Scroll_Lock);
    if (mask == 0) return -1;
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return -1;
    return (state.locked_mods & mask) != 0 ? 1 : 0;
}

void DesktopNumLockOn() {
    Display* display = desktop_display();
    if (!display) return;
    const unsigned mask = lock_modifiers(display, XK_Num_Lock);
    if (mask == 0) return;
    if (XkbLockModifiers(display, XkbUseCoreKbd, mask, mask)) XFlush(display);
}
