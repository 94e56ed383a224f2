// The drawing area of the desktop console: cell metrics, painting cells into
// the back buffer, scrolling its pixels, exposing it, and the mouse.
#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.h"
#include "console/gtkview.h"

namespace {

// A character as the text renderer can take it: a cell holding 0 shows as
// a blank, values that are no Unicode scalar value as the replacement mark.
wchar_t Drawable(wchar_t ch) {
    if (ch == 0) return L' ';
    unsigned u = static_cast<unsigned>(ch);
    if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return 0xFFFD;
    return ch;
}

void AppendUTF8(std::string& out, wchar_t ch) {
    unsigned u = static_cast<unsigned>(ch);
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

unsigned char Swapped(unsigned char attr) { return static_cast<unsigned char>((attr << 4) | (attr >> 4)); }

Gdk::Color ToColor(RGB16 c) {
    Gdk::Color color;
    color.set_rgb(c.r, c.g, c.b);
    return color;
}

// Gives the bytes start..end of a row's text a foreground colour.
void AddForeground(Pango::AttrList& list, RGB16 colour, int start, int end) {
    Pango::AttrColor foreground = Pango::Attribute::create_attr_foreground(colour.r, colour.g, colour.b);
    foreground.set_start_index(start);
    foreground.set_end_index(end);
    list.insert(foreground);
}

// Plain ASCII shows one glyph per character in any monospaced font, so a
// stretch of it may be laid out at once (still measured before trusting it).
bool Batchable(const ScreenCell& cell) { return cell.ch >= 0x20 && cell.ch < 0x7F && cell.mark == 0; }

// A cell that shows nothing of its own: a blank, or the tail of a
// double-width character (which its character's cell draws).
bool ShowsNothing(const ScreenCell& cell) { return is_wide_tail(cell) || (Drawable(cell.ch) == L' ' && !cell.mark); }

// The text a cell adds to a row: its character and mark; nothing for a tail.
void AppendCellText(std::string& out, const ScreenCell& cell) {
    if (is_wide_tail(cell)) return;
    AppendUTF8(out, Drawable(cell.ch));
    if (cell.mark) AppendUTF8(out, Drawable(cell.mark));
}

}  // namespace

CConsoleDrawingArea::CConsoleDrawingArea(CConsole& console) : console_(console) {
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::BUTTON_MOTION_MASK | Gdk::SCROLL_MASK |
               Gdk::EXPOSURE_MASK);
    // Everything is drawn into the back buffer already; a second buffer
    // would only cost a copy.
    set_double_buffered(false);
}

Pango::FontDescription CConsoleDrawingArea::Font() const {
    Pango::FontDescription font;
    font.set_family(console_.font_name().c_str());
    font.set_size(console_.font_size() * PANGO_SCALE);
    return font;
}

void CConsoleDrawingArea::AllocateScreen(int& cell_width, int& cell_height) {
    Pango::FontDescription font = Font();
    int width = 0, height = 0;
    Glib::RefPtr<Pango::Font> loaded = get_pango_context()->load_font(font);
    if (loaded) {
        Pango::Rectangle ink, logical;
        loaded->get_glyph_extents(65, ink, logical);
        width = logical.get_width() / PANGO_SCALE;
        height = logical.get_height() / PANGO_SCALE;
    }
    if (width <= 0 || height <= 0) {
        // No usable glyph: measure a letter laid out by the fallback font.
        Glib::RefPtr<Pango::Layout> layout = create_pango_layout("A");
        layout->set_font_description(font);
        layout->get_pixel_size(width, height);
    }
    if (width <= 0) width = 8;
    if (height <= 0) height = 16;
    cell_width_ = cell_width = width;
    cell_height_ = cell_height = height;
    // The window may grow beyond the screen; the console then fits the
    // screen to it.
    set_size_request(CConsole::kMinColumns * width, CConsole::kMinRows * height);
    Reset();
}

void CConsoleDrawingArea::Reset() {
    back_buffer_.reset();
    gc_.reset();
}

bool CConsoleDrawingArea::EnsureBackBuffer() {
    if (back_buffer_) return true;
    for (int tries = 0; !get_window() && tries < 3; tries++) realize();
    Glib::RefPtr<Gdk::Window> window = get_window();
    if (!window) return false;
    int width = console_.columns() * cell_width_, height = console_.rows() * cell_height_;
    if (width <= 0 || height <= 0) return false;
    back_buffer_ = Gdk::Pixmap::create(window, width, height, -1);
    if (!back_buffer_) return false;
    gc_ = Gdk::GC::create(back_buffer_);
    gc_->set_rgb_fg_color(ToColor(RGB16{0, 0, 0}));
    back_buffer_->draw_rectangle(gc_, true, 0, 0, width, height);
    queue_draw();
    return true;
}

void CConsoleDrawingArea::PaintCells(int left, int top, int right, int bottom) {
    // Callers keep to the screen; clamping only guards the cell array.
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > console_.columns()) right = console_.columns();
    if (bottom > console_.rows()) bottom = console_.rows();
    if (left >= right || top >= bottom) return;
    if (!EnsureBackBuffer()) return;
    // A double-width character is drawn whole or not at all.
    int wide_left = left, wide_right = right;
    for (int y = top; y < bottom; y++) {
        if (left > 0 && is_wide_tail(console_.cell(left, y))) wide_left = left - 1;
        if (right < console_.columns() && is_wide_tail(console_.cell(right, y))) wide_right = right + 1;
    }
    left = wide_left;
    right = wide_right;

    Glib::RefPtr<Pango::Layout> layout = create_pango_layout("");
    layout->set_font_description(Font());
    for (int y = top; y < bottom; y++) PaintRow(layout, y, left, right);
    gdk_gc_set_clip_region(gc_->gobj(), nullptr);

    int cursor_x, cursor_y;
    console_.GetCursorCell(cursor_x, cursor_y);
    if (console_.CursorVisible() && cursor_y >= top && cursor_y < bottom && cursor_x >= left && cursor_x < right)
        DrawCursor(cursor_x, cursor_y);

    queue_draw_area(left * cell_width_, top * cell_height_, (right - left) * cell_width_,
                    (bottom - top) * cell_height_);
}

// A row is painted as its backgrounds, one rectangle per run of a colour,
// and then its text. Every cell's glyph is placed at its own column and
// clipped to its cells, so a glyph wider than a cell (CJK, emoji, a fallback
// font) can never move the cells after it. Usually every glyph is one cell
// wide and the row goes as one text; otherwise it goes in runs of a
// foreground colour, and a run that does not fit its cells cell by cell.
void CConsoleDrawingArea::PaintRow(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) {
    gdk_gc_set_clip_region(gc_->gobj(), nullptr);
    for (int x = left; x < right;) {
        int background = attr_background(AttrAt(x, y));
        int end = x + 1;
        while (end < right && attr_background(AttrAt(end, y)) == background) end++;
        gc_->set_rgb_fg_color(ToColor(console_.palette(background)));
        back_buffer_->draw_rectangle(gc_, true, x * cell_width_, y * cell_height_, (end - x) * cell_width_,
                                     cell_height_);
        x = end;
    }

    std::string text;
    text.reserve((right - left) * 2);
    Pango::AttrList colours;
    int run_start = 0, run_colour = -1;
    for (int x = left; x < right; x++) {
        const ScreenCell& cell = console_.cell(x, y);
        int colour = attr_foreground(AttrAt(x, y));
        if (!ShowsNothing(cell) && colour != run_colour) {
            if (run_colour >= 0) AddForeground(colours, console_.palette(run_colour), run_start, text.size());
            run_start = text.size();
            run_colour = colour;
        }
        AppendCellText(text, cell);
    }
    if (run_colour < 0) return;  // only blanks
    AddForeground(colours, console_.palette(run_colour), run_start, text.size());
    layout->set_text(text);
    layout->set_attributes(colours);
    if (FitsCells(layout, y, left, right)) {
        DrawLaidOut(layout, y, left, right);
        return;
    }

    Pango::AttrList no_colours;
    layout->set_attributes(no_colours);
    for (int x = left; x < right;) {
        int colour = attr_foreground(AttrAt(x, y));
        int end = x + 1;
        while (end < right && (attr_foreground(AttrAt(end, y)) == colour || ShowsNothing(console_.cell(end, y))))
            end++;
        PaintRunText(layout, y, x, end, colour);
        x = end;
    }
}

unsigned char CConsoleDrawingArea::AttrAt(int x, int y) const {
    unsigned char attr = console_.cell(x, y).attr;
    return console_.InSelection(x, y) ? Swapped(attr) : attr;
}

// The text of cells left..right-1 of row y in a foreground colour, through a
// layout without colours of its own.
void CConsoleDrawingArea::PaintRunText(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right,
                                       int colour) {
    gc_->set_rgb_fg_color(ToColor(console_.palette(colour)));
    if (DrawText(layout, y, left, right)) return;

    // Some glyph does not fit its cells: stretches of ASCII may still go at
    // once, every other character is drawn by itself, clipped to its cells.
    int x = left;
    while (x < right) {
        int end = x;
        while (end < right && Batchable(console_.cell(end, y))) end++;
        if (end - x > 1 && DrawText(layout, y, x, end)) {
            x = end;
            continue;
        }
        if (end == x) end = x + 1;
        for (; x < end; x++) {
            const ScreenCell& cell = console_.cell(x, y);
            if (ShowsNothing(cell)) continue;
            const int cells = x + 1 < console_.columns() && is_wide_tail(console_.cell(x + 1, y)) ? 2 : 1;
            LayOut(layout, y, x, x + 1);
            DrawLaidOut(layout, y, x, x + cells);
        }
    }
}

void CConsoleDrawingArea::LayOut(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) const {
    std::string text;
    text.reserve(right - left);
    for (int x = left; x < right; x++) AppendCellText(text, console_.cell(x, y));
    layout->set_text(text);
}

// Whether every character of the laid-out text takes exactly one cell:
// ASCII is trusted when the whole is as wide as its cells, anything else is
// checked character by character (a wide glyph and a zero-width one would
// add up to the right width). A line taller than a cell (a fallback font of
// a greater height) would lower the baseline of every glyph in it.
bool CConsoleDrawingArea::FitsCells(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) const {
    int width = 0, height = 0;
    layout->get_pixel_size(width, height);
    if (width != (right - left) * cell_width_ || height > cell_height_) return false;
    bool ascii = true;
    for (int x = left; x < right && ascii; x++) ascii = Batchable(console_.cell(x, y));
    if (ascii) return true;
    // A mark is a character of its own in the text: such cells go one by one.
    for (int x = left; x < right; x++)
        if (console_.cell(x, y).mark) return false;
    PangoLayoutIter* iter = pango_layout_get_iter(layout->gobj());
    bool fits = true;
    for (int x = left; x < right && fits;) {
        const int cells = x + 1 < right && is_wide_tail(console_.cell(x + 1, y)) ? 2 : 1;
        PangoRectangle extents;
        pango_layout_iter_get_char_extents(iter, &extents);
        fits = extents.x == (x - left) * cell_width_ * PANGO_SCALE &&
               extents.width == cells * cell_width_ * PANGO_SCALE;
        x += cells;
        if (fits && x < right) fits = pango_layout_iter_next_char(iter);
    }
    pango_layout_iter_free(iter);
    return fits;
}

// Draws the text of cells left..right-1 from the first cell's column,
// clipped to those cells.
void CConsoleDrawingArea::DrawLaidOut(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) {
    gc_->set_clip_rectangle(Gdk::Rectangle(left * cell_width_, y * cell_height_, (right - left) * cell_width_,
                                           cell_height_));
    back_buffer_->draw_layout(gc_, left * cell_width_, y * cell_height_, layout);
}

// Draws cells left..right-1 as one text when every glyph fits its cell;
// false, with nothing drawn, when not.
bool CConsoleDrawingArea::DrawText(const Glib::RefPtr<Pango::Layout>& layout, int y, int left, int right) {
    LayOut(layout, y, left, right);
    if (!FitsCells(layout, y, left, right)) return false;
    DrawLaidOut(layout, y, left, right);
    return true;
}

// A bar at the bottom of the cell, cursor type percent of the cell high.
void CConsoleDrawingArea::DrawCursor(int x, int y) {
    int height = console_.GetCursorType() * cell_height_ / 100;
    if (height <= 0) return;
    if (height > cell_height_) height = cell_height_;
    bool dark = attr_background(console_.cell(x, y).attr) < 2;
    gc_->set_rgb_fg_color(ToColor(dark ? RGB16{0xFFFF, 0xFFFF, 0xFFFF} : RGB16{0, 0, 0}));
    back_buffer_->draw_rectangle(gc_, true, x * cell_width_, (y + 1) * cell_height_ - height, cell_width_, height);
}

void CConsoleDrawingArea::ScrollPixels(int x, int y, int width, int height, int lines, bool up) {
    if (width <= 0 || height <= 0 || lines <= 0) return;
    if (!back_buffer_) {
        // Nothing drawn yet to move: the cells are already in place.
        PaintCells(x, y, x + width, y + height);
        return;
    }
    if (lines < height) {
        // The window shows the back buffer only when exposed, so moving
        // pixels inside the buffer needs no flush of drawing still queued.
        int from = up ? y + lines : y;
        int to = up ? y : y + lines;
        back_buffer_->draw_drawable(gc_, back_buffer_, x * cell_width_, from * cell_height_, x * cell_width_,
                                    to * cell_height_, width * cell_width_, (height - lines) * cell_height_);
    }
    queue_draw_area(x * cell_width_, y * cell_height_, width * cell_width_, height * cell_height_);
}

void CConsoleDrawingArea::on_size_allocate(Gtk::Allocation& allocation) {
    Gtk::DrawingArea::on_size_allocate(allocation);
    console_.OnAreaResized(allocation.get_width(), allocation.get_height());
}

bool CConsoleDrawingArea::on_expose_event(GdkEventExpose* event) {
    Glib::RefPtr<Gdk::Window> window = get_window();
    if (!window) return true;
    const GdkRectangle& r = event->area;
    // Whatever the back buffer does not cover (all of it before the first
    // paint, the margin below and right of the cells) is black.
    int covered_width = 0, covered_height = 0;
    if (back_buffer_) {
        back_buffer_->get_size(covered_width, covered_height);
        window->draw_drawable(gc_, back_buffer_, r.x, r.y, r.x, r.y, std::min(r.width, covered_width - r.x),
                              std::min(r.height, covered_height - r.y));
    }
    Glib::RefPtr<Gdk::GC> black = Gdk::GC::create(window);
    black->set_rgb_fg_color(ToColor(RGB16{0, 0, 0}));
    if (r.x + r.width > covered_width) {
        int left = std::max(r.x, covered_width);
        window->draw_rectangle(black, true, left, r.y, r.x + r.width - left, r.height);
    }
    if (r.y + r.height > covered_height) {
        int top = std::max(r.y, covered_height);
        window->draw_rectangle(black, true, r.x, top, r.width, r.y + r.height - top);
    }
    return true;
}

bool CConsoleDrawingArea::on_button_press_event(GdkEventButton* event) {
    int px = static_cast<int>(std::floor(event->x)), py = static_cast<int>(std::floor(event->y));
    if (event->type == GDK_BUTTON_PRESS)
        console_.OnButtonPress(px, py, event->button, event->state, false);
    else if (event->type == GDK_2BUTTON_PRESS)
        console_.OnButtonPress(px, py, event->button, event->state, true);
    return true;
}

bool CConsoleDrawingArea::on_button_release_event(GdkEventButton* event) {
    console_.OnButtonRelease(static_cast<int>(std::floor(event->x)), static_cast<int>(std::floor(event->y)),
                             event->button, event->state);
    return true;
}

bool CConsoleDrawingArea::on_motion_notify_event(GdkEventMotion* event) {
    console_.OnMotion(static_cast<int>(std::floor(event->x)), static_cast<int>(std::floor(event->y)), event->state);
    return true;
}

bool CConsoleDrawingArea::on_scroll_event(GdkEventScroll* event) {
    if (event->direction != GDK_SCROLL_UP && event->direction != GDK_SCROLL_DOWN) return true;
    console_.OnScroll(static_cast<int>(std::floor(event->x)), static_cast<int>(std::floor(event->y)),
                      event->direction == GDK_SCROLL_UP, event->state);
    return true;
}
