// Gives keysyms a keycode of their own on the X server, so that xdotool
// types them with a key the keymap already has. Without this xdotool binds a
// spare keycode for each such character and unbinds it straight after the
// key, and a client that reads the keymap late sees a key without a symbol.
// Usage: bind_keysyms <keysym name>...
#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bind_keysyms: cannot open the display\n");
        return 1;
    }
    int min_code = 0, max_code = 0, per_code = 0;
    XDisplayKeycodes(display, &min_code, &max_code);
    KeySym* map = XGetKeyboardMapping(display, min_code, max_code - min_code + 1, &per_code);
    int status = 0;
    int code = max_code;
    for (int i = 1; i < argc; ++i) {
        KeySym wanted = XStringToKeysym(argv[i]);
        if (wanted == NoSymbol) {
            std::fprintf(stderr, "bind_keysyms: no keysym named %s\n", argv[i]);
            status = 2;
            continue;
        }
        if (XKeysymToKeycode(display, wanted) != 0) continue;
        // The highest keycode that has no symbol at all.
        auto empty = [&](int c) {
            for (int k = 0; k < per_code; ++k)
                if (map[(c - min_code) * per_code + k] != NoSymbol) return false;
            return true;
        };
        while (code >= min_code && !empty(code)) --code;
        if (code < min_code) {
            std::fprintf(stderr, "bind_keysyms: no free keycode for %s\n", argv[i]);
            status = 1;
            break;
        }
        KeySym both[2] = {wanted, wanted};
        XChangeKeyboardMapping(display, code, 2, both, 1);
        map[(code - min_code) * per_code] = wanted;
        --code;
    }
    XSync(display, False);
    XFree(map);
    XCloseDisplay(display);
    return status;
}
