// The cursor moves of EditModel and the selection they extend.
#include <algorithm>

#include "editor/editmodel.h"
#include "editor/edittext.h"

void EditModel::MoveCursor(Move move, bool extend, int page_rows) {
    TextPos from = cursor_;
    bool vertical = move == Move::kUp || move == Move::kDown || move == Move::kPageUp || move == Move::kPageDown;
    if (vertical && preferred_col_ < 0) preferred_col_ = CursorColumn();
    if (!vertical) preferred_col_ = -1;
    int last = text.LineCount() - 1;
    int line_len = text.LineLength(cursor_.line);
    int rows = std::max(1, page_rows);
    switch (move) {
        case Move::kLeft:
            if (cursor_.pos > 0)
                cursor_.pos--;
            else if (cursor_.line > 0)
                cursor_ = {cursor_.line - 1, text.LineLength(cursor_.line - 1)};
            break;
        case Move::kRight:
            if (cursor_.pos < line_len)
                cursor_.pos++;
            else if (cursor_.line < last)
                cursor_ = {cursor_.line + 1, 0};
            break;
        case Move::kUp: cursor_.line = std::max(0, cursor_.line - 1); break;
        case Move::kDown: cursor_.line = std::min(last, cursor_.line + 1); break;
        case Move::kPageUp:
            cursor_.line = std::max(0, cursor_.line - rows);
            top = std::max(0, top - rows);
            break;
        case Move::kPageDown:
            cursor_.line = std::min(last, cursor_.line + rows);
            top = std::max(0, std::min(top + rows, last - rows + 1));
            break;
        case Move::kHome: cursor_.pos = 0; break;
        case Move::kEnd: cursor_.pos = line_len; break;
        case Move::kTextStart: cursor_ = {0, 0}; break;
        case Move::kTextEnd: cursor_ = text.End(); break;
        case Move::kWordLeft: MoveWordLeft(); break;
        case Move::kWordRight: MoveWordRight(); break;
    }
    if (vertical) {
        std::wstring scratch;
        int col = preferred_col_;
        cursor_.pos = calc_pos(text.Line(cursor_.line, scratch), text.LineLength(cursor_.line), col, 0,
                               settings.tab_width);
    }
    ExtendSelection(from, extend);
}

void EditModel::MoveTo(TextPos to, bool extend) {
    const TextPos from = cursor_;
    cursor_ = text.Clamp(to);
    preferred_col_ = -1;
    ExtendSelection(from, extend);
}

// The selection after the cursor moved from from: with extend it runs from
// the end the cursor left to the new cursor, else it goes.
void EditModel::ExtendSelection(TextPos from, bool extend) {
    if (extend) {
        if (!sel.active || (sel.end != from && sel.start != from)) sel.start = from;
        else if (sel.start == from) sel.start = sel.end;
        sel.end = cursor_;
        sel.active = sel.start != sel.end;
    } else {
        sel.active = false;
    }
}

void EditModel::ScrollToCursor(int rows) {
    rows = std::max(1, rows);
    if (cursor_.line < top) top = cursor_.line;
    if (cursor_.line >= top + rows) top = cursor_.line - rows + 1;
    row = cursor_.line - top;
}
