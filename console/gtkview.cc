// The desktop console window, its toolkit thread and cursor-blink thread, and
// the desktop services the console uses: title, icons, bell and clipboard.
#include "console/gtkview.h"

#include <memory>

#include "console/console.h"
#include "console/gtkkeyboardlocks.h"
#include "console/toolkitlock.h"

namespace {

// How long GetClipText waits for the desktop to hand over the clipboard.
constexpr int kClipboardWaitMs = 3000;
// The cursor's blink phase advances this often.
constexpr int kBlinkStepMs = 100;
// Cell metrics reported before the font can be measured.

// Ends the main loop; runs inside it, so the loop is surely running.
gboolean QuitMainLoop(gpointer) {
    gtk_main_quit();
    return FALSE;
}

// The clipboard's text on its way from the toolkit thread to a waiting
// caller. Shared, because a caller that gave up waiting may be gone when
// the text arrives.
struct CClipRequest {
    EventSem arrived;
    Westring text;
};
using ClipRequestRef = std::shared_ptr<CClipRequest>;

void ClipTextArrived(GtkClipboard*, const gchar* text, gpointer data) {
    std::unique_ptr<ClipRequestRef> request(static_cast<ClipRequestRef*>(data));
    if (text) (*request)->text = Westring(text);
    (*request)->arrived.Trigger();
}

// Idle callback in the toolkit thread, with the toolkit lock held.
gboolean RequestClipText(gpointer data) {
    ClipRequestRef* request = static_cast<ClipRequestRef*>(data);
    gtk_clipboard_request_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), ClipTextArrived,
                               new ClipRequestRef(*request));
    return FALSE;
}

void DeleteClipRequest(gpointer data) { delete static_cast<ClipRequestRef*>(data); }

}  // namespace

// ---- the window

CConsoleWindow::CConsoleWindow(CConsole& console) : console_(console), area_(console) {
    add_events(Gdk::KEY_PRESS_MASK | Gdk::KEY_RELEASE_MASK | Gdk::STRUCTURE_MASK | Gdk::FOCUS_CHANGE_MASK);
    add(area_);
}

CConsoleWindow::~CConsoleWindow() {
    if (input_method_) {
        gtk_im_context_set_client_window(input_method_, nullptr);
        g_object_unref(input_method_);
    }
}

void CConsoleWindow::EnsureInputMethod() {
    if (input_method_ || !get_window()) return;
    input_method_ = gtk_im_multicontext_new();
    gtk_im_context_set_client_window(input_method_, get_window()->gobj());
    g_signal_connect(input_method_, "commit", G_CALLBACK(OnCommitThunk), this);
    gtk_im_context_focus_in(input_method_);
}

void CConsoleWindow::OnCommitThunk(GtkIMContext*, const gchar* text, gpointer window) {
    if (text) static_cast<CConsoleWindow*>(window)->console_.OnCommit(text);
}

bool CConsoleWindow::on_key_press_event(GdkEventKey* event) {
    EnsureInputMethod();
    if (!console_.OnKey(event->keyval, event->state, event->hardware_keycode, true) && input_method_)
        gtk_im_context_filter_keypress(input_method_, event);
    return true;
}

bool CConsoleWindow::on_key_release_event(GdkEventKey* event) {
    console_.OnKey(event->keyval, event->state, event->hardware_keycode, false);
    return true;
}

bool CConsoleWindow::on_focus_in_event(GdkEventFocus* event) {
    if (input_method_) gtk_im_context_focus_in(input_method_);
    return Gtk::Window::on_focus_in_event(event);
}

bool CConsoleWindow::on_focus_out_event(GdkEventFocus* event) {
    if (input_method_) gtk_im_context_focus_out(input_method_);
    return Gtk::Window::on_focus_out_event(event);
}

// The close button does not close the window: the program decides.
bool CConsoleWindow::on_delete_event(GdkEventAny*) {
    console_.OnDeleteRequest();
    return true;
}

bool CConsoleWindow::on_map_event(GdkEventAny* event) {
    console_.OnMap();
    return Gtk::Window::on_map_event(event);
}

bool CConsoleWindow::on_unmap_event(GdkEventAny* event) {
    console_.OnUnmap();
    return Gtk::Window::on_unmap_event(event);
}

// ---- the view

CGtkConsoleView::~CGtkConsoleView() {
    Stop();
}

bool CGtkConsoleView::OnToolkitThread() const {
    return toolkit_thread_.Valid() && pthread_equal(pthread_self(), toolkit_thread_.Id());
}

bool CGtkConsoleView::EnsureWindow() {
    if (window_) return true;
    if (!console_) return false;
    CToolkitLock lock;
    window_ = new CConsoleWindow(*console_);
    window_->set_title(title_.ToUTF8().c_str());
    return true;
}

void CGtkConsoleView::DestroyWindow() {
    CToolkitLock lock;
    delete window_;
    window_ = nullptr;
}

void CGtkConsoleView::Attach(CConsole* console) {
    console_ = console;
    EnsureWindow();
}

void CGtkConsoleView::Start() {
    if (running_ || !window_) return;  // started once
    {
        CToolkitLock lock;
        window_->show_all();
    }
    toolkit_ended_.Reset();
    toolkit_thread_ = StartThread(ToolkitThreadMain, this);
    running_ = toolkit_thread_.Valid();
}

// Asks the main loop to quit and waits for the toolkit thread. The caller
// must not hold the toolkit lock: the main loop needs it to finish.
void CGtkConsoleView::Stop() {
    if (toolkit_thread_.Valid() && !OnToolkitThread()) {
        running_ = false;
        {
            CToolkitLock lock;
            // Quitting from inside the loop cannot be lost, even when the
            // loop has not started yet.
            gdk_threads_add_idle(QuitMainLoop, nullptr);
        }
        toolkit_thread_.Wait();
    }
    if (window_) DestroyWindow();
}

void CGtkConsoleView::ToolkitThreadMain(void* data) {
    CGtkConsoleView* view = static_cast<CGtkConsoleView*>(data);
    view->cursor_thread_ = StartThread(CursorThreadMain, view);
    gdkLock();
    gtk_main();
    gdkUnlock();
    view->toolkit_ended_.Trigger();
    view->cursor_thread_.Wait();
}

void CGtkConsoleView::CursorThreadMain(void* data) {
    CGtkConsoleView* view = static_cast<CGtkConsoleView*>(data);
    do {
        CToolkitLock lock;
        view->console_->AdvanceBlink();
    } while (view->toolkit_ended_.WaitFor(kBlinkStepMs) != 0);
}

void CGtkConsoleView::AllocateScreen(int& cell_width, int& cell_height) {
    if (!EnsureWindow()) return;
    CConsoleDrawingArea& area = window_->Area();
    area.AllocateScreen(cell_width, cell_height);
    // The window grows and shrinks by whole cells, never below the smallest
    // screen.
    GdkGeometry geometry = {};
    geometry.base_width = 0;
    geometry.base_height = 0;
    geometry.min_width = CConsole::kMinColumns * cell_width;
    geometry.min_height = CConsole::kMinRows * cell_height;
    geometry.width_inc = cell_width;
    geometry.height_inc = cell_height;
    gtk_window_set_geometry_hints(
        window_->gobj(), GTK_WIDGET(area.gobj()), &geometry,
        static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_BASE_SIZE | GDK_HINT_RESIZE_INC));
    window_->resize(console_->columns() * cell_width, console_->rows() * cell_height);
}

void CGtkConsoleView::PaintCells(int left, int top, int right, int bottom) {
    if (window_) window_->Area().PaintCells(left, top, right, bottom);
}

void CGtkConsoleView::ScrollPixels(int x, int y, int width, int height, int lines, bool up) {
    if (window_) window_->Area().ScrollPixels(x, y, width, height, lines, up);
}

void CGtkConsoleView::SetTitle(const Westring& title) {
    title_ = title;
    if (window_) window_->set_title(title.ToUTF8().c_str());
}

// Files that cannot be loaded are left out; with none at all the icon stays.
void CGtkConsoleView::SetIcons(const std::vector<Westring>& files) {
    if (!window_) return;
    GList* icons = nullptr;
    for (const Westring& file : files) {
        GdkPixbuf* icon = gdk_pixbuf_new_from_file(file.ToUTF8().c_str(), nullptr);
        if (icon) icons = g_list_append(icons, icon);
    }
    if (!icons) return;
    gtk_window_set_icon_list(window_->gobj(), icons);
    g_list_free_full(icons, g_object_unref);
}

void CGtkConsoleView::Beep() {
    gdk_beep();
}

void CGtkConsoleView::PutClipText(const Westring& text) {
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.ToUTF8().c_str(), -1);
}

int CGtkConsoleView::ScrollLockState() { return DesktopScrollLockState(); }

void CGtkConsoleView::SwitchNumLockOn() { DesktopNumLockOn(); }

// The clipboard's owner may be another program, so the text comes from the
// toolkit thread's main loop while this thread waits, without the lock.
Westring CGtkConsoleView::GetClipText() {
    if (OnToolkitThread()) {
        // Inside a toolkit handler the main loop can be run nested.
        CToolkitLock lock;
        gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
        Westring result(text);
        g_free(text);
        return result;
    }
    // With the lock held here the toolkit thread could not answer.
    if (!running_ || GdkMutex.IsOwnedByCaller()) return Westring();
    ClipRequestRef request = std::make_shared<CClipRequest>();
    {
        CToolkitLock lock;
        gdk_threads_add_idle_full(G_PRIORITY_DEFAULT_IDLE, RequestClipText, new ClipRequestRef(request),
                                  DeleteClipRequest);
    }
    if (request->arrived.WaitFor(kClipboardWaitMs) != 0) return Westring();
    return request->text;
}
