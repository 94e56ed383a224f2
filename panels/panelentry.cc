// One panel entry as a row of cells: its colours, the name with its link
// target and marker, shortened or scrolled to its column, and the size,
// date, time, mode and owner columns of the detailed styles.
#include <cstring>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "fileops/query/owners.h"
#include "fileops/query/permissions.h"
#include "lib/numfmt.h"
#include "panels/associations.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelentry.h"
#include "panels/panelgeometry.h"
#include "panels/treeholder.h"

namespace {

constexpr wchar_t kRightTriangle = 16;
constexpr wchar_t kSeparator = 0x2502;    // │
constexpr wchar_t kLinkArrow = 0x00BB;    // »
constexpr wchar_t kHiddenMarker = 0x2591; // ░

unsigned char with_background(unsigned char foreground_of, unsigned char background_of) {
    return static_cast<unsigned char>((foreground_of & 0x0F) | (background_of & 0xF0));
}

// The text in exactly width cells: padded on the left, or cut at the end
// when it does not fit.
void append_right_aligned(CellString& line, const Westring& text, unsigned char attr, int width) {
    if (width <= 0) return;
    CellString cells(text.c_str(), attr);
    for (int i = cells.length(); i < width; i++) line += ScreenCell(L' ', attr);
    line += cells.left(width);
}

// The text in exactly width cells: cut or padded at the end.
void append_left_aligned(CellString& line, const Westring& text, unsigned char attr, int width) {
    if (width <= 0) return;
    CellString cells(text.c_str(), attr);
    line += cells.pad(width);
}

uint64_t power_of_ten(int n) {
    if (n > 19) n = 19;  // the largest power a 64-bit size can be compared with
    uint64_t v = 1;
    while (n-- > 0) v *= 10;
    return v;
}

}  // namespace

unsigned char entry_colour(const entry* e) {
    if (e->tagged) return colours[CLR_TAGGED];
    Westring words;
    if (e->is_dir()) {
        unsigned char base = colours[CLR_DIRECTORIES];
        return colourDirAssociations.FindAssociation(e, words) ? Str2Attr(words, base) : base;
    }
    unsigned char base = colours[CLR_PANEL];
    return colourAssociations.FindAssociation(e, words) ? Str2Attr(words, base) : base;
}

unsigned char cursor_colour(const entry* e) {
    if (e->tagged) return colours[CLR_HIGHLIGHT_TAGGED];
    if (e->is_dir()) return colours[CLR_DIRECTORY_HIGH];
    return colours[CLR_HIGHLIGHT];
}

CellString entry_name_cells(PANEL* panel, const entry* e, unsigned char colour) {
    CellString name(e->name, colour);
    name.set_default_attr(colour);
    // Inside an archive there is nothing on the disk to read a target from.
    if ((e->attr & FA_LINK) && !panel->archive) {
        unsigned char arrow = (e->attr & FA_BROKEN) ? static_cast<unsigned char>((colour & 0xF0) | 12)
                                                    : with_background(colours[CLR_TAGGED], colour);
        name += ScreenCell(L' ', colour);
        name += ScreenCell(kLinkArrow, arrow);
        name += ScreenCell(L' ', colour);
        Westring target = panel->link_targets.GetLinkTarget(panel->dir.AppendBackslash() + e->name);
        name.Append(target.c_str(), colour);
    }
    return name;
}

void compact_name(CellString& name, int width) {
    if (width <= 0) {
        name.SetLength(0);
        return;
    }
    const int length = name.length();
    if (length <= width) return;
    if (config.KeepExtVisible) {
        const int dot = name.rchr(L'.');
        const int extension = dot >= 0 ? length - dot : 0;
        if (dot >= 0 && extension <= width / 2) {
            CellString shortened = name.left(width - extension);
            shortened += name.mid(dot);
            shortened.Put(width - extension - 1, ScreenCell(kRightTriangle, shortened[width - extension - 1].attr));
            name = shortened;
            return;
        }
    }
    name = name.left(width);
    name.Put(width - 1, ScreenCell(kRightTriangle, name[width - 1].attr));
}

// The name column: the name (and link target) in width cells, a marker
// taking the last cell of hidden entries and links to files.
static CellString name_column(PANEL* panel, const entry* e, unsigned char colour, int width, int* shift) {
    const bool link_to_file = (e->attr & FA_LINK) && !e->is_dir();
    wchar_t marker = 0;
    if ((e->attr & FA_HIDDEN) && !link_to_file) marker = kHiddenMarker;
    else if (link_to_file) marker = L'@';
    if (marker) width--;
    if (width < 0) width = 0;

    CellString name = entry_name_cells(panel, e, colour);
    if (shift) {
        while (*shift > 0 && name.length() - *shift < width) (*shift)--;
        if (*shift < 0) *shift = 0;
        name = name.mid(*shift);
    }
    compact_name(name, width);
    name.set_default_attr(colour);
    name = name.pad(width);
    if (marker) name += ScreenCell(marker, colour);
    return name;
}

Westring size_text(const entry* e, int width) {
    if (e->is_dir() && !e->size_known) {
        const bool narrow = width < 10;
        if (e->is_parent()) return narrow ? L"\x10UP-DIR\x11" : L"\x10 UP-DIR \x11";
        if (e->attr & FA_LINK) return narrow ? L"\x10 LINK \x11" : L"\x10  LINK  \x11";
        return narrow ? L"\x10SUBDIR\x11" : L"\x10 SUBDIR \x11";
    }
    if (e->size >= (uint64_t(1) << 63)) return Westring();
    if (config.ThousandSep) return itoa_comma(static_cast<int64_t>(e->size), width);
    if (e->size < power_of_ten(width)) return Westring(IntToStr(static_cast<int64_t>(e->size), 10));
    if (e->size / 1024 < power_of_ten(width - 1))
        return Westring(IntToStr(static_cast<int64_t>(e->size / 1024), 10)) + L"K";
    return Westring(IntToStr(static_cast<int64_t>(e->size / 1048576), 10)) + L"M";
}

void format_entry(CellString& line, PANEL* panel, int index, unsigned char colour, int* shift, paneldetail detail,
                  int name_width) {
    line.SetLength(0);
    if (index < 0 || index >= panel->num_files) return;
    const entry* e = panel->files[index];
    if (colour == 0) colour = entry_colour(e);
    line.set_default_attr(colour);

    if (detail == DETAIL_TREE) {
        print_tree_row(line, e, name_width, colour, colours[CLR_PANEL]);
        return;
    }
    CellString name = name_column(panel, e, colour, name_width, shift);
    if (is_brief(detail)) {
        line = name;
        return;
    }

    const ScreenCell separator(kSeparator, with_background(colours[CLR_PANEL], colour));
    const int16_t(*widths)[3] = col_width[detail];
    auto size_column = [&](int column) {
        append_right_aligned(line, size_text(e, widths[column][COL_CUR]), colour, widths[column][COL_CUR]);
    };

    switch (detail) {
    case DETAIL_WIDE:
        size_column(0);
        line += separator;
        line += name;
        break;
    case DETAIL_UNIX:
        line += name;
        line += separator;
        size_column(1);
        line += separator;
        append_left_aligned(line, UnixMode2Str(e->mode), colour, widths[2][COL_CUR]);
        line += separator;
        append_left_aligned(line, UID2Str(e->uid), colour, widths[3][COL_CUR]);
        line += separator;
        append_left_aligned(line, GID2Str(e->gid), colour, widths[4][COL_CUR]);
        break;
    default: {  // full
        line += name;
        line += separator;
        size_column(1);
        line += separator;
        const bool blank = time_unknown(e->time);
        append_left_aligned(line, blank ? Westring() : format_date(e->time), colour, widths[2][COL_CUR]);
        line += separator;
        append_right_aligned(line, blank ? Westring() : format_time(e->time), colour, widths[3][COL_CUR]);
        break;
    }
    }
}

void print_entry(CellString& line, PANEL* panel, int index, unsigned char colour, int* shift) {
    int x = 0, y = 0, width = 0;
    ColInfo(x, y, width, panel->detail, index - panel->top);
    format_entry(line, panel, index, colour, shift, panel->detail, width);
}

void print_entry(int x, int y, PANEL* panel, int index, unsigned char colour, int* shift) {
    if (!panel_shown(panel)) return;
    CellString line;
    print_entry(line, panel, index, colour, shift);
    const int room = panel_inner_width() - x;
    if (room <= 0) return;
    if (!is_brief(panel->detail)) {
        // A single-column row fills the inner width exactly.
        line.set_default_attr(colours[CLR_PANEL]);
        line = line.pad(room);
    } else if (line.length() > room) {
        line.SetLength(room);  // never into the frame or the other panel
    }
    panel->window->putcs_at(x, y, line);
}

void print_entry(PANEL* panel, int index, unsigned char colour, int* shift) {
    const int k = index - panel->top;
    if (k < 0 || k >= panel->page_size || index >= panel->num_files) return;
    int x = 0, y = 0, width = 0;
    ColInfo(x, y, width, panel->detail, k);
    print_entry(x, y, panel, index, colour, shift);
}

// ---- tree rows

TREENODE* entry_tree_node(const entry* e) {
    static_assert(sizeof(TREENODE*) <= sizeof(e->desc), "a node pointer fits the desc words");
    if (e->desc[0] == ~uint32_t(0) && e->desc[1] == ~uint32_t(0)) return nullptr;
    TREENODE* node = nullptr;
    std::memcpy(&node, e->desc, sizeof node);
    return node;
}

void set_entry_tree_node(entry* e, TREENODE* node) {
    e->desc[0] = e->desc[1] = 0;
    std::memcpy(e->desc, &node, sizeof node);
}

void print_tree_row(CellString& line, const entry* e, int width, unsigned char colour, unsigned char line_colour) {
    line.SetLength(0);
    line.set_default_attr(colour);
    const uint64_t mask = e->size;  // 63 levels need 64 bits
    const int depth = e->size_known;
    auto bit = [mask](int n) { return n < 64 && ((mask >> n) & 1); };
    for (int level = 1; level < depth; level++) {
        line += ScreenCell(bit(level) ? kSeparator : L' ', line_colour);
        line += ScreenCell(L' ', line_colour);
    }
    if (depth > 0) {
        line += ScreenCell(bit(depth) ? 0x251C : 0x2514, line_colour);  // ├ or └
        const TREENODE* node = entry_tree_node(e);
        const bool folded = node && node->child && !node->expanded;
        line += ScreenCell(folded ? L'+' : 0x2500, line_colour);
    }
    CellString name(e->name, colour);
    name.set_default_attr(colour);
    line += name.pad(width - 2 * depth);
    if (line.length() > width) line.SetLength(width > 0 ? width : 0);
}

Westring tree_node_path(const TREENODE* node) {
    if (!node) return Westring();
    // Names from the node up to the root, then joined from the root down:
    // a deep tree costs a loop, not a call per level.
    std::vector<const Westring*> names;
    for (; node; node = node->parent) names.push_back(&node->name);
    Westring path = *names.back();
    for (size_t i = names.size() - 1; i-- > 0;) path = path.AppendBackslash() + *names[i];
    return path;
}
