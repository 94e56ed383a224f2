// The desktop front end of the console: a GTK window with a drawing area that
// keeps the drawn cells in an off-screen back buffer, and the toolkit and
// cursor-blink threads. Only the console's own sources include this header;
// the rest of the program reaches it through console/gtkstartup.h.
#pragma once

#include <gtk/gtk.h>
#include <gtkmm.h>

#include <atomic>
#include <vector>

#include "console/consoleview.h"
#include "lib/eventsem.h"
#include "lib/thread.h"
#include "lib/westring.h"

class CConsole;

// The widget that shows the cells. All drawing goes into the back buffer;
// exposing copies the exposed rectangle from there to the window.
class CConsoleDrawingArea : public Gtk::DrawingArea {
public:
    explicit CConsoleDrawingArea(CConsole& console);

    // Measures a cell of the console's font and lets the widget shrink to
    // the smallest screen; the back buffer is dropped.
    void AllocateScreen(int& cell_width, int& cell_height);
    // Draws the cells of columns left..right-1, rows top..bottom-1.
    void PaintCells(int left, int top, int right, int bottom);
    // Moves the drawn pixels of a rectangle of cells up or down by lines rows.
    void ScrollPixels(int x, int y, int width, int height, int lines, bool up);
    // Forgets the back buffer (the screen size changed).
    void Reset();

protected:
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_expose_event(GdkEventExpose* event) override;
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_button_release_event(GdkEventButton* event) override;
    bool on_motion_notify_event(GdkEventMotion* event) override;
    bool on_scroll_event(GdkEventScroll* event) override;

private:
    bool EnsureBackBuffer();
    void PaintRow(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right);
    void PaintRunText(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right, int colour);
    [[nodiscard]] bool DrawText(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right);
    void LayOut(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) const;
    [[nodiscard]] bool FitsCells(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) const;
    void DrawLaidOut(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right);
    unsigned char AttrAt(int x, int y) const;
    void DrawCursor(int x, int y);
    Pango::FontDescription Font() const;

    CConsole& console_;
    Glib::RefPtr<Gdk::Pixmap> back_buffer_;
    Glib::RefPtr<Gdk::GC> gc_;
    int cell_width_ = 8, cell_height_ = 16;
};

// The console's top-level window: keys, the input method, the close button
// and minimising.
class CConsoleWindow : public Gtk::Window {
public:
    explicit CConsoleWindow(CConsole& console);
    ~CConsoleWindow() override;

    CConsoleDrawingArea& Area() { return area_; }

protected:
    bool on_key_press_event(GdkEventKey* event) override;
    bool on_key_release_event(GdkEventKey* event) override;
    bool on_focus_in_event(GdkEventFocus* event) override;
    bool on_focus_out_event(GdkEventFocus* event) override;
    bool on_delete_event(GdkEventAny* event) override;
    bool on_map_event(GdkEventAny* event) override;
    bool on_unmap_event(GdkEventAny* event) override;

private:
    void EnsureInputMethod();
    static void OnCommitThunk(GtkIMContext* context, const gchar* text, gpointer window);

    CConsole& console_;
    CConsoleDrawingArea area_;
    GtkIMContext* input_method_ = nullptr;
};

class CGtkConsoleView : public CConsoleView {
public:
    CGtkConsoleView() = default;
    ~CGtkConsoleView() override;
    CGtkConsoleView(const CGtkConsoleView&) = delete;
    CGtkConsoleView& operator=(const CGtkConsoleView&) = delete;

    void Attach(CConsole* console) override;
    void Start() override;
    void Stop() override;

    void AllocateScreen(int& cell_width, int& cell_height) override;
    void PaintCells(int left, int top, int right, int bottom) override;
    void ScrollPixels(int x, int y, int width, int height, int lines, bool up) override;
    void SetTitle(const Westring& title) override;
    void SetIcons(const std::vector<Westring>& files) override;
    void Beep() override;
    void PutClipText(const Westring& text) override;
    Westring GetClipText() override;
    int ScrollLockState() override;
    void SwitchNumLockOn() override;

private:
    bool EnsureWindow();
    void DestroyWindow();
    bool OnToolkitThread() const;
    static void ToolkitThreadMain(void* view);
    static void CursorThreadMain(void* view);

    CConsole* console_ = nullptr;
    CConsoleWindow* window_ = nullptr;  // owned; destroyed under the toolkit lock
    Westring title_;                    // kept until the window exists
    ThreadHandle toolkit_thread_;
    ThreadHandle cursor_thread_;
    EventSem toolkit_ended_;
    std::atomic<bool> running_{false};
};
