// Win: a popup rectangle of the screen. Creating it saves the cells it
// covers, clears it and optionally frames it with a double line and casts a
// shadow; destroying it puts the saved cells back, so nested popups unwind in
// the right order by construction.
#pragma once

#include <memory>

#include "console/cells.h"
#include "console/console.h"
#include "lib/westring.h"

// Whether framed windows cast shadows (the configuration sets it: Shadows).
extern bool win_shadows;

// The attribute that highlights a hot letter in text of attribute attr:
// bright yellow (bright white when the text already is bright yellow); on a
// light background bright blue (black or bright white when the text already
// is bright blue). The background stays.
unsigned char hot_attr(unsigned char attr);

// As much of text as fits into cells columns, then blanks up to exactly that
// many cells: a wide character that would be cut in half becomes a blank.
Westring FitCells(const wchar_t* text, int cells);

// Where a view view cells wide over text starts when it starts at first or,
// if needed, further right, so that the cursor before character pos (first <=
// pos) and all of the character under it lie in the view. The view never
// starts on a combining mark.
int ScrollToCursor(const Westring& text, int first, int pos, int view);

class Win {
public:
    // left < 0 centres the window horizontally; right is then its width.
    // top < 0 places it at (rows - height) / -top; bottom is then its height
    // (-1 the bottom of the screen, -2 centred, -3 a third of the way down).
    // attr < 0 leaves the covered cells as they are; frame_attr < 0 draws no
    // frame and no shadow. A window is never larger than the screen.
    Win(int left, int top, int right, int bottom, int attr, int frame_attr, bool no_shadow = false);
    virtual ~Win();
    Win(const Win&) = delete;
    Win& operator=(const Win&) = delete;

    // Window coordinate (0, 0) becomes the screen cell (left + x, top + y).
    void SetOrigin(int x, int y);
    // Moves the window's write position and the console's cursor there.
    void Goto(int x, int y);

    // Text at window position (x, y); narrow text is in the program's code
    // page. attr < 0 means the window's attribute. The write position moves
    // past the cells the text takes. Nothing is written outside the screen.
    void puts_at(int x, int y, const char* text, int attr = -1);
    void puts_at(int x, int y, const wchar_t* text, int attr = -1);
    void puts(const char* text, int attr = -1);
    void puts(const wchar_t* text, int attr = -1);
    // Cells with their own attributes.
    void putcs_at(int x, int y, const ScreenCell* cells);
    void putcs_at(int x, int y, const CellString& cells);
    void putcs(const ScreenCell* cells);
    void putcs(const CellString& cells);
    // Text centred (by the cells it takes) in the window's inner width on row y.
    void PutCentre(int y, const char* text, int attr = -1);
    void PutCentre(int y, const wchar_t* text, int attr = -1);
    // Text whose hot letters (the first occurrence of each, upper case
    // preferred) are highlighted.
    void PutHot(int x, int y, const char* text, const char* hot, int attr = -1);
    void PutHot(int x, int y, const wchar_t* text, const wchar_t* hot, int attr = -1);
    // Word-wraps text (narrow text is UTF-8) into the window from (x, y);
    // later rows start at column 0. Rows are measured in cells and a wide
    // character is never split. Returns the row after the last one written.
    int PutParagraph(int x, int y, const char* text);
    int PutParagraph(int x, int y, const wchar_t* text);
    // A width x height rectangle of cells, row by row, at window position (x, y).
    void PutRect(int x, int y, int width, int height, const CellString& cells);
    // Spaces from the write position to the inner right edge.
    void clreol(int attr = -1);
    // Clears the inner area, or all of it but top_rows at the top and
    // bottom_rows at the bottom.
    void Clear();
    void Clear(int top_rows, int bottom_rows);
    // Scrolls a window rectangle up by lines (down by -lines when negative),
    // filling with the window's attribute.
    void Scroll(int x, int y, int width, int height, int lines);
    // Takes the window off the screen (true) or puts it back (false),
    // keeping what it shows.
    void hide(bool hidden);
    // For a change of the screen's size: Lift takes the window off the
    // screen as closing it would and returns the cells it showed; Land
    // places it again as it was asked for (centred windows centred on the
    // new screen), saves what it then covers and shows those cells there.
    std::unique_ptr<ScreenCell[]> Lift();
    void Land(const ScreenCell* face);
    // Whether the event's cell lies inside the window; either way the event's
    // position becomes window-relative.
    bool click_in_win(_MEVENT& event) const;

    // The cells the window covers (with its shadow's cells), as a new array
    // the caller frees with delete[]; PutWin puts such an array back.
    ScreenCell* GetWin(bool with_shadow) const;
    void PutWin(const ScreenCell* cells, bool with_shadow);
    // Darkens the shadow strips below and right of the window.
    void addshadow();
    // Draws the double-line frame and moves the origin inside it.
    void pu_paint(int frame_attr);
    // The shadow colouring of a row of cells: black background, a normal
    // foreground dark grey, a bright one its normal counterpart.
    static void modcolours(CellString& cells);

    int left() const { return left_; }
    int top() const { return top_; }
    int right() const { return right_; }
    int bottom() const { return bottom_; }
    int width() const { return right_ - left_ + 1; }
    int height() const { return bottom_ - top_ + 1; }
    int origin_x() const { return origin_x_; }
    int origin_y() const { return origin_y_; }
    int cursor_x() const { return cursor_x_; }
    int cursor_y() const { return cursor_y_; }
    unsigned char attr() const { return attr_; }
    void set_attr(unsigned char attr) { attr_ = attr; }
    bool shadowed() const { return shadow_; }
    bool framed() const { return framed_; }
    bool hidden() const { return hidden_; }
    // The width and height inside the frame (the whole window when unframed).
    int inner_width() const { return width() - 2 * (origin_x_ - left_); }
    int inner_height() const { return height() - (framed_ ? 2 : 0); }

protected:
    // Writes count characters of text at screen cell (sx, sy), clipped to the
    // screen; a wide character cut by an edge leaves a blank cell.
    void put_clipped(int sx, int sy, const wchar_t* text, int count, unsigned char attr);
    unsigned char attr_or_default(int attr) const { return attr < 0 ? attr_ : static_cast<unsigned char>(attr); }

private:
    int saved_width(bool with_shadow) const { return width() + (with_shadow && shadow_ ? 2 : 0); }
    int saved_height(bool with_shadow) const { return height() + (with_shadow && shadow_ ? 1 : 0); }
    void shadow_strip(int x, int y, int width, int height);

    // Sets the window's corners from the constructor's arguments on the
    // screen as it is now.
    void Place(int left, int top, int right, int bottom);

    std::unique_ptr<ScreenCell[]> saved_;
    int asked_left_, asked_top_, asked_right_, asked_bottom_;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    int origin_x_ = 0, origin_y_ = 0;
    int cursor_x_ = 0, cursor_y_ = 0;
    unsigned char attr_ = 0;
    bool shadow_ = false;
    bool framed_ = false;
    bool hidden_ = false;
};
