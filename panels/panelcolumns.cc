// The column layout of the panel styles: widths for the screen width, where
// the k-th entry of a page goes, and the frame and separator lines.
#include <algorithm>

#include "panels/paneldisplay.h"
#include "panels/panelgeometry.h"

int16_t col_width[5][5][3] = {
    // brief: three name columns
    {{12, 256, 12}, {12, 256, 12}, {12, 256, 12}, {-1, 0, 0}, {-1, 0, 0}},
    // full: name, size, date, time
    {{13, 256, 13}, {8, 10, 8}, {8, 8, 8}, {6, 6, 6}, {-1, 0, 0}},
    // wide: size, name
    {{8, 10, 8}, {29, 256, 29}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}},
    // briefwide: two name columns
    {{12, 256, 12}, {12, 256, 12}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}},
    // unix: name, size, mode, owner, group
    {{12, 256, 12}, {7, 10, 7}, {9, 9, 9}, {3, 10, 3}, {3, 10, 3}},
};

namespace {

int column_count(int style) {
    int n = 0;
    while (n < 5 && col_width[style][n][COL_MIN] >= 0) n++;
    return n;
}

}  // namespace

void resize_columns() {
    const int inner = panel_inner_width();
    for (int style = 0; style < 5; style++) {
        const int n = column_count(style);
        int spare = inner - (n - 1);
        for (int c = 0; c < n; c++) {
            col_width[style][c][COL_CUR] = col_width[style][c][COL_MIN];
            spare -= col_width[style][c][COL_MIN];
        }
        // Each pass hands out the spare space in proportion to the widths;
        // a pass that gives nothing away (every column at its maximum) ends it.
        while (spare >= 1) {
            const int at_start = spare;
            for (int c = 0; c < n && spare > 0; c++) {
                int16_t* column = col_width[style][c];
                int extra = (at_start * column[COL_CUR] + inner - 1) / inner;
                extra = std::min({extra, spare, column[COL_MAX] - column[COL_CUR]});
                if (extra <= 0) continue;
                column[COL_CUR] = static_cast<int16_t>(column[COL_CUR] + extra);
                spare -= extra;
            }
            if (spare == at_start) break;
        }
    }
}

void ColInfo(int& x, int& y, int& width, paneldetail detail, int k) {
    if (detail == DETAIL_TREE || detail < 0 || detail > DETAIL_TREE) {
        x = 0;
        y = k;
        width = panel_inner_width();
        return;
    }
    if (is_brief(detail)) {
        const int rows = panel_rows();
        const int columns = column_count(detail);
        int column = k / rows;
        column = std::clamp(column, 0, columns - 1);
        y = k - rows * column;
        x = column;
        for (int c = 0; c < column; c++) x += col_width[detail][c][COL_CUR];
        width = col_width[detail][column][COL_CUR];
        return;
    }
    x = 0;
    y = k;
    width = col_width[detail][detail == DETAIL_WIDE ? 1 : 0][COL_CUR];
}

void make_line(paneldetail detail, CellString& line, wchar_t fill, wchar_t sep, wchar_t left, wchar_t right) {
    const int half = panel_width();
    const unsigned char attr = line.default_attr();
    if (fill) {
        line.SetLength(0);
        for (int i = 0; i < half; i++) line += ScreenCell(fill, attr);
    }
    auto put = [&](int pos, wchar_t ch) {
        if (pos < 0) return;
        while (line.length() <= pos) line += ScreenCell(L' ', attr);
        line.Put(pos, ScreenCell(ch, line[pos].attr));
    };
    if (detail >= DETAIL_BRIEF && detail < DETAIL_TREE && sep) {
        const int n = column_count(detail);
        int pos = left ? 1 : 0;
        for (int c = 0; c + 1 < n; c++) {
            pos += col_width[detail][c][COL_CUR];
            if (pos < line.length() && sep == 0x252C && line[pos].ch == 0x2534) put(pos, 0x253C);
            else put(pos, sep);
            pos++;
        }
    }
    if (left) put(0, left);
    if (left) {
        if (right) put(half - 1, right);
        else line.SetLength(std::min(line.length(), half - 1));
    } else if (right) {
        put(panel_inner_width(), right);
    } else {
        line.SetLength(std::min(line.length(), panel_inner_width()));
    }
}
