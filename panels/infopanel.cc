#include "panels/infopanel.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "fileops/query/mounts.h"
#include "fileops/query/physmem.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"
#include "lib/estring.h"
#include "lib/numfmt.h"
#include "lib/oserror.h"
#include "lib/version.h"
#include "panels/directory.h"
#include "panels/dirinfo.h"
#include "panels/infofigures.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelgeometry.h"

namespace {

constexpr wchar_t kRule = 0x2500;  // ─

// The rows of the panel that never move.
constexpr int kHeadingRow = 0;
constexpr int kRuleRow = 4;
constexpr int kMemoryRow = 5;
constexpr int kMessageRow = 7;
constexpr int kFiguresRow = 8;

// Per side: whether the panel was hidden when it began to show
// information, so that switching it off hides it again.
bool wasoff[2] = {false, false};

// The column where the labels of the figures begin on a screen columns
// wide (the numbers end in the column before it): 12 on 80 columns, more
// on wider screens up to 25; at least 2.
int label_column(int columns) { return std::max(2, std::min(columns / 2 - 40, 13) + 12); }

// Draws into the information panel's window, never past its inner width
// (the window clips only at the screen's edge).
class InfoPainter {
public:
    explicit InfoPainter(Win* window)
        : window_(window), width_(window->inner_width()), label_x_(label_column(screen_width())) {}

    int width() const { return width_; }

    void Text(int x, int y, const Westring& text, int attr = -1) {
        if (x < 0) x = 0;
        if (x >= width_) return;
        const int fit = CharsThatFit(text.c_str(), width_ - x);
        window_->puts_at(x, y, text.left(fit).c_str(), attr);
    }
    void Centre(int y, const Westring& text, int attr = -1) { Text(CentreOf(text), y, text, attr); }
    int CentreOf(const Westring& text) const { return std::max(0, (width_ - TextCells(text.c_str())) / 2); }

    void Rule(int y) { Text(0, y, String(kRule, width_)); }

    // A number (or the saving's text) ending just before the label column,
    // in the Tagged colour, then its label.
    void Figure(int y, const Westring& number, const wchar_t* label) {
        Text(label_x_ - TextCells(number.c_str()), y, number, colours[CLR_TAGGED]);
        Text(label_x_, y, label);
    }
    void Figure(int y, int64_t value, const wchar_t* label) { Figure(y, Number(value), label); }

    Westring Number(int64_t value) const { return itoa_comma(value, label_x_ - 1); }

private:
    Win* window_;
    int width_;
    int label_x_;
};

int64_t as_signed(uint64_t value) { return value > INT64_MAX ? INT64_MAX : static_cast<int64_t>(value); }

Westring read_error_text(uint32_t code) {
    if (code == static_cast<uint32_t>(DIR_NO_DISK)) return Westring(L"No disk in drive");
    return GetOSErrorMessage(static_cast<int>(code));
}

// What the panel shows of an archive, asked for once a drawing.
struct ArchiveFacts {
    int64_t unpacked = -1;  // -1: unknown
    int64_t packed = -1;
    Westring type_name;
    Westring file_name;
};

ArchiveFacts archive_facts(PANEL* described) {
    ArchiveFacts facts;
    if (panel_hooks.archive_totals)
        panel_hooks.archive_totals(described, facts.unpacked, facts.packed, facts.type_name, facts.file_name);
    return facts;
}

// The archive's figures from row 8 on; the row the directory section
// starts on.
int draw_archive_figures(InfoPainter& paint, const ArchiveFacts& facts) {
    int row = kFiguresRow;
    if (facts.unpacked >= 0) paint.Figure(row++, facts.unpacked, L" total uncompressed");
    if (facts.packed >= 0) paint.Figure(row++, facts.packed, L" total compressed");
    if (facts.unpacked >= 0 && facts.packed >= 0)
        paint.Figure(row++, SavingText(facts.unpacked, facts.packed), L" total compression");
    return row + 1;
}

// The file system's figures on rows 8 to 10; false (the panel then says
// so) when its statistics cannot be read.
bool draw_disk_figures(InfoPainter& paint, const PANEL* described) {
    long long total = 0, free = 0;
    unsigned long unit = 0;
    if (dvGetDiskSpace(described->dir, total, free, unit) != 0) {
        paint.Centre(kFiguresRow + 1, Westring(L"Cannot read drive"));
        return false;
    }
    paint.Figure(kFiguresRow, total, L" total bytes");
    paint.Figure(kFiguresRow + 1, free, L" bytes free");

    const int count = described->num_files;
    const int64_t used = AllocatedBytes(described->files, count, unit);
    Westring line(IntToStr(count, 10).c_str());
    line += count == 1 ? L" file uses " : L" files use ";
    line += paint.Number(used);
    line += L" bytes in";
    paint.Centre(kFiguresRow + 2, line);
    return true;
}

// The lines under the directory's name that say where it lies.
std::vector<Westring> location_lines(const PANEL* described, const ArchiveFacts& facts) {
    std::vector<Westring> lines;
    if (described->archive) {
        Westring name = facts.file_name;
        collapse_path(name, 25);
        lines.push_back(Westring(L"Archive : ") + name);
        lines.push_back(Westring(L"Type    : ") + facts.type_name);
        return lines;
    }
    if (!described->fs_label.empty()) lines.push_back(Westring(L"Label       : ") + described->fs_label);
    else if (!described->mount_point.empty()) lines.push_back(Westring(L"Mount Point : ") + described->mount_point);
    if (!described->fs_type.empty()) lines.push_back(Westring(L"File System : ") + described->fs_type);
    if (described->fs_id != 0)
        lines.push_back(Westring(esprintf("Serial No   : %X", static_cast<unsigned>(described->fs_id)).c_str()));
    return lines;
}

void draw_info(PANEL* info, PANEL* described) {
    if (!described || !panel_shown(info)) return;
    Win* window = info->window.get();
    console->BeginPaint();
    window->Clear();
    info->dirinfo_row = -1;
    InfoPainter paint(window);
    // Rows from here on are drawn only inside the frame.
    const int end_row = panel_rows() + 2;

    paint.Centre(kHeadingRow, Westring(kProgramNameAndVersion));
    paint.Rule(kRuleRow);
    if (described->read_error) {
        window->PutParagraph(0, kMessageRow, read_error_text(described->read_error).c_str());
        console->EndPaint();
        return;
    }
    paint.Figure(kMemoryRow, as_signed(QueryTotalPhysicalMem()), L" total physical memory");
    paint.Figure(kMemoryRow + 1, as_signed(QueryAvailPhysicalMem()), L" free physical memory");

    int row = kFiguresRow + 3;
    ArchiveFacts facts;
    if (described->archive) {
        facts = archive_facts(described);
        row = draw_archive_figures(paint, facts);
    } else if (!draw_disk_figures(paint, described)) {
        console->EndPaint();
        return;
    }

    if (row < end_row) {
        Westring dir = described->dir;
        collapse_path(dir, paint.width() - 2);
        paint.Centre(row, dir);
    }
    // The lines stand left-aligned where the widest of them is centred.
    const std::vector<Westring> lines = location_lines(described, facts);
    int x = paint.width();
    for (const Westring& line : lines) x = std::min(x, paint.CentreOf(line));
    for (const Westring& line : lines) {
        if (row + 1 >= end_row) break;
        paint.Text(x, ++row, line);
    }

    info->dirinfo_row = row + 2;
    if (info->dirinfo_row < end_row) paint.Rule(info->dirinfo_row);
    ShowDirInfo(window, described->dir, info->dirinfo_row);
    console->EndPaint();
}

void paint_info(PANEL* panel) { draw_info(panel, other_panel(panel)); }

void update_info(PANEL* info, PANEL* source) {
    if (info->type == PANEL_INFO) draw_info(info, source);
}

// Puts back the frame a file list drew its column marks into, and the title.
void redraw_frame(PANEL* panel, int side) {
    if (!panel_shown(panel)) return;
    panel->window->pu_paint(colours[CLR_PANEL]);
    topline(panel->dir, side == currpanel, side == 1, panel);
}

// Makes an information panel list files again: hidden again when it was
// hidden before it showed information, else read when it is due and drawn.
void switch_off(PANEL* panel, int side) {
    panel->type = PANEL_FILES;
    panel->dirinfo_row = -1;
    if (!panel->visible) {
        panel->reread = 1;
        return;
    }
    if (wasoff[side]) {
        wasoff[side] = false;
        remove_panel(panel);
        panel->was_hidden = 1;  // Ctrl-O leaves it hidden too
        return;
    }
    if (panel->reread) read_panel(panel);
    if (console) console->BeginPaint();
    redraw_frame(panel, side);
    paint_panel(panel);
    print_status(panel);
    if (console) console->EndPaint();
}

}  // namespace

void info_panel(PANEL* panels, int side) {
    if (side != 0 && side != 1) return;
    const int target_side = 1 - side;
    PANEL* target = panels + target_side;
    PANEL* source = panels + side;
    if (source->type == PANEL_INFO && target->type != PANEL_INFO) switch_off(source, side);

    if (!target->visible) {
        wasoff[target_side] = true;
        target->type = PANEL_INFO;
        target->reread = 1;
        make_panel(target, target_side);
        // With both panels hidden, mouse selection had the whole screen.
        if (console) console->ResetSelectionZone();
    } else if (target->type == PANEL_INFO) {
        switch_off(target, target_side);
    } else {
        wasoff[target_side] = false;
        target->type = PANEL_INFO;
        // Its list may be stale by the time it shows files again.
        target->reread = 1;
        if (console) console->BeginPaint();
        redraw_frame(target, target_side);
        draw_info(target, source);
        if (console) console->EndPaint();
    }
}

void info_panel_update(bool left) {
    PANEL* described = panel_base + (left ? 0 : 1);
    PANEL* info = panel_base + (left ? 1 : 0);
    if (info->type == PANEL_INFO) draw_info(info, described);
}

void install_info_panel() {
    // A run starts with no panel shown for the information alone.
    wasoff[0] = wasoff[1] = false;
    paint_info_hook = paint_info;
    panel_hooks.update_info = update_info;
}
