// Making, removing and painting a panel window: the entry rows, the
// separator and frame lines, the title, the scroll bar and the status line;
// and the wide rows of the tree window.
#include <algorithm>
#include <cmath>
#include <memory>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "lib/collapsepath.h"
#include "lib/numfmt.h"
#include "panels/directory.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelentry.h"
#include "panels/panelgeometry.h"
#include "panels/treeholder.h"
#include "panels/treeview.h"

bool panel_window_titles = true;
void (*panel_clock_hook)() = nullptr;
void (*paint_info_hook)(PANEL* panel) = nullptr;

namespace {

// Box-drawing characters of the frame and the separators.
constexpr wchar_t kThin = 0x2502;          // │
constexpr wchar_t kThinHorizontal = 0x2500;  // ─
constexpr wchar_t kThinUp = 0x2534;        // ┴
constexpr wchar_t kThinDown = 0x252C;      // ┬
constexpr wchar_t kDouble = 0x2550;        // ═
constexpr wchar_t kDoubleVertical = 0x2551;  // ║
constexpr wchar_t kTopLeft = 0x2554;       // ╔
constexpr wchar_t kTopRight = 0x2557;      // ╗
constexpr wchar_t kTopMark = 0x2564;       // ╤
constexpr wchar_t kBottomLeft = 0x255A;    // ╚
constexpr wchar_t kBottomRight = 0x255D;   // ╝
constexpr wchar_t kBottomMark = 0x2567;    // ╧
constexpr wchar_t kJoinLeft = 0x255F;      // ╟
constexpr wchar_t kJoinRight = 0x2562;     // ╢
constexpr wchar_t kThumbTop = 0x25B2;      // ▲
constexpr wchar_t kThumbBottom = 0x25BC;   // ▼

CellString blank_cells(int width, unsigned char attr) {
    CellString cells;
    cells.set_default_attr(attr);
    return cells.pad(width);
}

// The entry rows of the page.
void draw_entries(PANEL* panel) {
    const int rows = panel_rows();
    const int inner = panel_inner_width();
    const unsigned char attr = colours[CLR_PANEL];
    Win* win = panel->window.get();
    if (is_brief(panel->detail)) {
        const int columns = panel->detail == DETAIL_BRIEF ? 3 : 2;
        for (int y = 0; y < rows; y++) {
            CellString row;
            row.set_default_attr(attr);
            for (int c = 0; c < columns; c++) {
                if (c > 0) row += ScreenCell(kThin, attr);
                const int index = panel->top + c * rows + y;
                if (index < panel->num_files) {
                    CellString cell;
                    print_entry(cell, panel, index, 0, nullptr);
                    row += cell;
                } else {
                    row += blank_cells(col_width[panel->detail][c][COL_CUR], attr);
                }
            }
            win->putcs_at(0, y, row.pad(inner));
        }
        return;
    }
    CellString blank;
    blank.set_default_attr(attr);
    make_line(panel->detail, blank, L' ', kThin, 0, 0);
    for (int y = 0; y < rows; y++) {
        const int index = panel->top + y;
        if (index < panel->num_files) print_entry(0, y, panel, index, 0, nullptr);
        else win->putcs_at(0, y, blank);
    }
}

bool shows_full_marks(const PANEL* panel) {
    return panel->detail != DETAIL_FULL && panel->detail != DETAIL_TREE;
}

// Row R: the separator under the entries, over the frame columns.
void draw_separator(PANEL* panel) {
    const wchar_t left = console_font_joins ? kJoinLeft : kDoubleVertical;
    const wchar_t right = console_font_joins ? kJoinRight : kDoubleVertical;
    CellString line;
    line.set_default_attr(colours[CLR_PANEL]);
    make_line(panel->detail, line, kThinHorizontal, kThinUp, left, right);
    // The status line of these styles shows the cursor entry in the full
    // style's columns: mark where they end.
    if (shows_full_marks(panel)) make_line(DETAIL_FULL, line, 0, kThinDown, left, right);
    panel->window->putcs_at(-1, panel_rows(), line);
}

// Row R + 2: the bottom frame line.
void draw_bottom(PANEL* panel) {
    CellString line;
    line.set_default_attr(colours[CLR_PANEL]);
    make_line(panel->detail, line, kDouble, 0, kBottomLeft, kBottomRight);
    if (console_font_joins && shows_full_marks(panel))
        make_line(DETAIL_FULL, line, 0, kBottomMark, kBottomLeft, kBottomRight);
    panel->window->putcs_at(-1, panel_rows() + 2, line);
}

// Takes the page size of the panel's style and screen. When it changed (a
// new style, panel height or screen size), the first entry shown is chosen
// anew: the cursor stays on the page, and no row or column is left empty
// while entries above are hidden.
void lay_out_page(PANEL* panel) {
    const int old_page = panel->page_size;
    const int page = page_size_of(panel->detail);
    panel->page_size = page;
    const int count = panel->num_files;
    if (page == old_page || count <= 0) return;
    const int index = std::clamp(panel->top + panel->cur, 0, count - 1);
    int top = panel->top;
    if (index >= top + page) top = index - page + 1;
    if (index < top) top = index;
    top = std::max(0, std::min(top, count - page));
    panel->top = top;
    panel->cur = index - top;
}

}  // namespace

void set_panel_title(const PANEL* panel) {
    if (!console || !panel_window_titles) return;
    Westring dir = panel->dir;
    collapse_path(dir, 50);
    console->SetTitle((Westring(L"DV/L: ") + dir).c_str());
}

void make_panel(PANEL* panel, int side) {
    resize_columns();
    panel->visible = 1;
    lay_out_page(panel);
    if (side == 1 && panel_clock_hook) panel_clock_hook();
    if (!console) {
        if (panel->reread) read_panel(panel);
        return;
    }
    console->BeginPaint();
    panel->window.reset();
    const int width = panel_width();
    const int left = side == 1 ? width : 0;
    panel->window = std::make_unique<Win>(left, 0, left + width - 1, panel_rows() + 3, colours[CLR_PANEL],
                                          colours[CLR_PANEL], true);
    panel->was_hidden = 0;
    topline(panel->dir, side == currpanel, side == 1, panel);
    if (panel->reread) read_panel(panel);
    paint_panel(panel);
    console->EndPaint();
}

void remove_panel(PANEL* panel) {
    if (!panel->visible) return;
    if (side_of(panel) == 1 && panel_clock_hook) panel_clock_hook();
    if (console && panel->window) panel->window->hide(true);
    panel->visible = 0;
}

void install_panel_drawing() {
    if (!panel_hooks.show) panel_hooks.show = make_panel;
    if (!panel_hooks.paint) panel_hooks.paint = paint_panel;
}

void paint_panel(PANEL* panel) {
    lay_out_page(panel);
    if (!panel_shown(panel)) return;
    panel->changed = 0;
    if (panel->type == PANEL_INFO) {
        if (paint_info_hook) paint_info_hook(panel);
        return;
    }
    if (panel->cur >= panel->page_size) {
        panel->top = panel->top + panel->cur - panel->page_size + 1;
        panel->cur = panel->page_size - 1;
    }
    // A list that shrank below the first entry shown shows its last page.
    if (panel->num_files > 0 && panel->top >= panel->num_files)
        panel->top = std::max(0, panel->num_files - panel->page_size);
    if (panel->top < 0 || panel->num_files == 0) panel->top = 0;

    console->BeginPaint();
    draw_entries(panel);
    draw_separator(panel);
    draw_bottom(panel);
    if (panel->top + panel->cur >= panel->num_files) panel->cur = std::max(0, panel->num_files - panel->top - 1);
    if (panel->cur < 0) panel->cur = 0;
    const int side = side_of(panel);
    const bool current = side == currpanel;
    topline(panel->dir, current, side == 1, panel);
    if (current) set_panel_title(panel);
    DrawScrollBar(panel);
    console->EndPaint();
}

void topline(const Westring& path, bool active, bool clock, PANEL* panel) {
    if (!panel_shown(panel)) return;
    const int width = panel_width();
    const bool files = panel->type == PANEL_FILES;
    const bool columns = files && panel->detail < DETAIL_TREE;
    CellString line;
    line.set_default_attr(colours[CLR_PANEL]);
    make_line(columns ? panel->detail : DETAIL_TREE, line, kDouble, console_font_joins ? kTopMark : 0, kTopLeft,
              kTopRight);

    unsigned char title_attr = active ? colours[CLR_HIGHLIGHT] : colours[CLR_PANEL];
    if (panel->archive) title_attr = active ? colours[CLR_HIGHLIGHT_TAGGED] : colours[CLR_TAGGED];

    Westring title;
    int clock_space = 0;
    if (!files) {
        title = L" INFO ";
    } else if (panel->detail == DETAIL_TREE) {
        title = L" TREE ";
    } else {
        Westring text = path;
        if (!panel->filter.empty() && !(panel->filter == L"*")) text = text.AppendBackslash() + L"?";
        if (clock && config.Clock) clock_space = config.TimeMode == 24 ? 5 : 6;
        collapse_path(text, width - clock_space - 4);
        title = Westring(L" ") + text + L" ";
    }
    CellString title_cells(title.c_str(), title_attr);
    const int length = title_cells.length();
    int x = (width - length) / 2;
    if (clock_space > 0 && x + length > width - clock_space - 1) x = width - clock_space - 1 - length;
    if (x < 0) x = 0;
    line.Overlay(x, title_cells);
    panel->window->putcs_at(-1, -1, line);
}

void DrawScrollBar(PANEL* panel) {
    if (!panel_shown(panel)) return;
    const int rows = panel_rows();
    const int column = panel_inner_width();
    const unsigned char attr = colours[CLR_PANEL];
    CellString bar;
    bar.set_default_attr(attr);
    const int count = panel->num_files;
    int start = rows, length = 0;
    if (count > 0 && panel->page_size < count) {
        const double n = count;
        length = static_cast<int>(std::lround(rows * panel->page_size / n));
        length = std::clamp(length, 2, rows);
        const double above = panel->top / n;
        const double below = (count - rows - panel->top) / n;
        if (below <= above) start = rows - length - static_cast<int>(std::ceil(rows * below));
        else start = static_cast<int>(std::lround(rows * above));
        start = std::clamp(start, 0, rows - 1);
    }
    const int end = std::min(start + length, rows);  // one past the thumb
    for (int y = 0; y < rows; y++) {
        wchar_t ch = kDoubleVertical;
        if (y >= start && y < end) ch = y == start ? kThumbTop : y == end - 1 ? kThumbBottom : kThin;
        panel->window->putcs_at(column, y, CellString(String(ch, 1).c_str(), attr));
    }
}

void print_status(PANEL* panel) {
    if (!panel_shown(panel) || panel->type != PANEL_FILES) return;
    const int inner = panel_inner_width();
    const unsigned char tagged = colours[CLR_TAGGED];
    const unsigned char plain = colours[CLR_PANEL];
    CellString line;
    line.set_default_attr(plain);

    if (panel->read_error) {
        line.set_default_attr(tagged);
        line.Append(panel->read_error == static_cast<uint32_t>(DIR_NO_DISK) ? L" No disk in drive"
                                                                             : L" Error reading drive",
                    tagged);
    } else if (!panel->search.empty()) {
        line.set_default_attr(tagged);
        const int room = std::max(0, inner - 8);
        Westring text = panel->search.strlen() > room ? panel->search.right(room) : panel->search;
        line.Append((Westring(L"Search: ") + text).c_str(), tagged);
    } else if (panel->num_tagged > 0) {
        line.set_default_attr(tagged);
        Westring rest = Westring(L" bytes in ") + Westring(IntToStr(panel->num_tagged, 10)) + L" selected file";
        if (panel->num_tagged > 1) rest += L"s";
        Westring size = itoa_comma(static_cast<int64_t>(panel->tagged_size), panel_width() - rest.strlen() - 4);
        Westring text = size + rest;
        const int indent = std::max(0, (inner - text.strlen()) / 2);
        line.Append((String(L' ', indent) + text).c_str(), tagged);
    } else if (panel->num_files == 0) {
        line.Append(L"Directory is empty", plain);
    } else {
        const int index = std::clamp(panel->top + panel->cur, 0, panel->num_files - 1);
        const entry* e = panel->files[index];
        if (panel->detail == DETAIL_FULL) {
            line.Append(e->name, plain);
            if ((e->attr & FA_LINK) && !panel->archive) {
                line += ScreenCell(L' ', plain);
                line += ScreenCell(0x00BB, tagged);
                line += ScreenCell(L' ', plain);
                Westring target = panel->link_targets.GetLinkTarget(panel->dir.AppendBackslash() + e->name);
                line.Append(target.c_str(), plain);
            }
        } else if (panel->detail == DETAIL_TREE) {
            const TREENODE* node = entry_tree_node(e);
            Westring path = node ? tree_node_path(node) : panel->dir.AppendBackslash() + e->name;
            collapse_path(path, inner);
            line.Append(path.c_str(), plain);
        } else {
            format_entry(line, panel, index, plain, nullptr, DETAIL_FULL, col_width[DETAIL_FULL][0][COL_CUR]);
            line.set_default_attr(plain);
        }
    }
    line = line.pad(inner);
    panel->window->putcs_at(0, panel_rows() + 1, line);
}

void print_wide_tree_row(CellString& line, const entry* e, int width, unsigned char colour, unsigned char line_colour) {
    // Four cells a level where the narrow rows take two: "│   " for an
    // ancestor with siblings still to come, "├── " or "└── " before the name,
    // "├─+ " for a folded branch.
    line.SetLength(0);
    line.set_default_attr(colour);
    const uint64_t mask = e->size;
    const int depth = e->size_known;
    auto bit = [mask](int n) { return n < 64 && ((mask >> n) & 1); };
    const ScreenCell blank(L' ', line_colour);
    for (int level = 1; level < depth && line.length() < width; level++) {
        line += ScreenCell(bit(level) ? kThin : L' ', line_colour);
        line += blank;
        line += blank;
        line += blank;
    }
    if (depth > 0) {
        const TREENODE* node = entry_tree_node(e);
        const bool folded = node && node->child && !node->expanded;
        line += ScreenCell(bit(depth) ? 0x251C : 0x2514, line_colour);  // ├ or └
        line += ScreenCell(kThinHorizontal, line_colour);
        line += ScreenCell(folded ? L'+' : kThinHorizontal, line_colour);
        line += blank;
    }
    line.Append(e->name, colour);
    line = line.pad(width);
    if (line.length() > width) line.SetLength(std::max(width, 0));
}
