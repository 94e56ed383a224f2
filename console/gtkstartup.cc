#include "console/gtkstartup.h"

#include <gtk/gtk.h>
#include <gtkmm.h>

#include "console/gtkview.h"
#include "console/keytable.h"
#include "console/toolkitlock.h"

// The toolkit knows the character of every key symbol (Cyrillic, Greek, ...).
static wchar_t toolkit_keysym_unicode(unsigned keyval) {
    return static_cast<wchar_t>(gdk_keyval_to_unicode(keyval));
}

bool InitToolkit(int& argc, char**& argv) {
    static bool lock_installed = false;
    static Gtk::Main* toolkit = nullptr;  // lives as long as the program
    if (!lock_installed) {
#if !GLIB_CHECK_VERSION(2, 32, 0)
        if (!g_thread_supported()) g_thread_init(nullptr);
#endif
        // The toolkit's main loop and our own paints take the same lock.
        gdk_threads_set_lock_functions(G_CALLBACK(gdkLock), G_CALLBACK(gdkUnlock));
        gdk_threads_init();
        lock_installed = true;
    }
    if (toolkit) return true;
    // Checked first: the toolkit's own start would end the program without
    // a display.
    if (!gtk_init_check(&argc, &argv)) return false;
    toolkit = new Gtk::Main(argc, argv);
    keysym_unicode_hook = toolkit_keysym_unicode;
    return true;
}

CConsoleView* CreateDesktopView() {
    return new CGtkConsoleView();
}
