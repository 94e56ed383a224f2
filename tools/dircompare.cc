#include "tools/dircompare.h"

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/config.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/mask.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

// File systems that keep modification times to 2 seconds: a file copied
// there and back may come out up to 2 seconds off without being changed.
bool coarse_times(const PANEL& panel) {
    for (const wchar_t* type : {L"vfat", L"msdos", L"fat", L"umsdos"})
        if (SameChars(panel.fs_type, Westring(type))) return true;
    return false;
}

// <0 when a is earlier than b, >0 when later, 0 when equal (to within the
// tolerance, in nanoseconds).
int compare_times(const TimeStamp& a, const TimeStamp& b, int64_t tolerance_ns) {
    constexpr int64_t kBillion = 1000000000;
    constexpr uint64_t kFarApart = 4;  // seconds: beyond any tolerance, and no product below overflows
    if (a.seconds != b.seconds) {
        // The distance in unsigned arithmetic, exact for any two times.
        const bool later = a.seconds > b.seconds;
        const uint64_t apart = later ? static_cast<uint64_t>(a.seconds) - static_cast<uint64_t>(b.seconds)
                                     : static_cast<uint64_t>(b.seconds) - static_cast<uint64_t>(a.seconds);
        if (apart > kFarApart) return later ? 1 : -1;
    }
    const int64_t difference = (a.seconds - b.seconds) * kBillion + static_cast<int64_t>(a.nanoseconds) -
                               static_cast<int64_t>(b.nanoseconds);
    if (difference > tolerance_ns) return 1;
    if (difference < -tolerance_ns) return -1;
    return 0;
}

// Entries that take part: files that are not reserved names.
bool takes_part(const entry* e) { return !e->is_dir() && !reserved_file(e->name); }

class MaskVerdict {
public:
    explicit MaskVerdict(const Westring& mask) : mask_(mask), everything_(SameChars(mask, Westring(L"*"))) {}
    bool operator()(const entry& e) const { return everything_ || mask_eval(mask_, e) == 1; }

private:
    const Westring& mask_;
    bool everything_;
};

Westring path_in(const PANEL& panel, const entry& e) {
    Westring path = panel.dir;
    const int n = path.strlen();
    if (n == 0 || path.c_str()[n - 1] != L'/') path += L'/';
    path += e.name;
    return path;
}

// The name a symbolic link holds, or empty when it cannot be read.
std::string link_target(const Westring& path) {
    std::string target(4096, '\0');
    const ssize_t n = readlink(EncodeFileName(path).c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return std::string();
    target.resize(static_cast<size_t>(n));
    return target;
}

// The contents verdict on a matched pair. A broken link has no bytes to
// read (opening it would fail and stop the whole compare): it is the same
// as another broken link to the same name and different from anything else.
ContentsVerdict compare_pair(const entry& l, const Westring& left_path, const entry& r, const Westring& right_path,
                             const ContentsComparer& compare_contents) {
    const bool left_broken = l.attr & FA_BROKEN, right_broken = r.attr & FA_BROKEN;
    if (!left_broken && !right_broken) return compare_contents(left_path, right_path);
    if (left_broken != right_broken) return ContentsVerdict::kDifferent;
    const std::string target = link_target(left_path);
    return !target.empty() && target == link_target(right_path) ? ContentsVerdict::kSame : ContentsVerdict::kDifferent;
}

void clear_tags(PANEL& panel) {
    for (int i = 0; i < panel.num_files; i++) panel.files[i]->tagged = 0;
}

// Whether the left and right side of a matched pair are marked as
// different by date and size.
struct Marks {
    bool left = false;
    bool right = false;
};

Marks mark_by_date_and_size(const entry& l, const entry& r, const CompareOptions& options, int64_t tolerance_ns) {
    Marks marks;
    const int order = options.date_mode == 0 ? 0 : compare_times(l.time, r.time, tolerance_ns);
    switch (options.date_mode) {
        case 1: marks.left = order > 0; marks.right = order < 0; break;
        case 2: marks.left = order < 0; marks.right = order > 0; break;
        case 3: marks.left = marks.right = order != 0; break;
        default: break;
    }
    switch (options.size_mode) {
        case 1: marks.left |= l.size > r.size; marks.right |= r.size > l.size; break;
        case 2: marks.left |= l.size < r.size; marks.right |= r.size < l.size; break;
        case 3:
            if (l.size != r.size) marks.left = marks.right = true;
            break;
        default: break;
    }
    return marks;
}

}  // namespace

void recount_tags(PANEL& panel) {
    panel.num_tagged = 0;
    panel.tagged_size = 0;
    for (int i = 0; i < panel.num_files; i++) {
        const entry* e = panel.files[i];
        if (!e->tagged) continue;
        panel.num_tagged++;
        panel.tagged_size += e->size;
    }
}

bool tag_differences(PANEL& left, PANEL& right, const CompareOptions& options,
                     const ContentsComparer& compare_contents) {
    const MaskVerdict accepted(options.mask);
    const int64_t tolerance_ns = coarse_times(left) || coarse_times(right) ? 2000000000 : 0;

    clear_tags(left);
    // Only the right's files can be found as partners; the index holds them
    // in list order, so a name listed twice (inside an archive) finds its first.
    std::vector<entry*> partners;
    partners.reserve(static_cast<size_t>(right.num_files));
    for (int i = 0; i < right.num_files; i++) {
        entry* e = right.files[i];
        e->tagged = options.unmatched && takes_part(e) && accepted(*e);
        if (takes_part(e)) partners.push_back(e);
    }
    const EntryNameIndex index(partners.data(), static_cast<int>(partners.size()));

    bool stopped = false;
    for (int i = 0; i < left.num_files && !stopped; i++) {
        entry* l = left.files[i];
        if (!takes_part(l)) continue;
        entry* r = index.Find(l->name);
        if (!r) {
            l->tagged = options.unmatched && accepted(*l);
            continue;
        }
        r->tagged = 0;
        Marks marks = mark_by_date_and_size(*l, *r, options, tolerance_ns);
        if (options.contents && compare_contents && !(marks.left && marks.right)) {
            if (l->size != r->size) {
                marks.left = marks.right = true;
            } else {
                switch (compare_pair(*l, path_in(left, *l), *r, path_in(right, *r), compare_contents)) {
                    case ContentsVerdict::kDifferent: marks.left = marks.right = true; break;
                    case ContentsVerdict::kStopped: stopped = true; break;
                    case ContentsVerdict::kSame: break;
                }
            }
        }
        if (marks.left) l->tagged = accepted(*l);
        if (marks.right) r->tagged = accepted(*r);
    }
    if (stopped) {
        clear_tags(left);
        clear_tags(right);
    }
    recount_tags(left);
    recount_tags(right);
    return !stopped;
}

namespace {

bool shows_file_list(const PANEL& panel) {
    return panel.visible && panel.type == PANEL_FILES && panel.detail != DETAIL_TREE;
}

void repaint(PANEL& panel) {
    if (panel_hooks.paint) panel_hooks.paint(&panel);
}

}  // namespace

void directory_compare() {
    if (!panel_base) return;
    PANEL& left = panel_base[0];
    PANEL& right = panel_base[1];
    if (!shows_file_list(left) || !shows_file_list(right)) return;

    CompareOptions options = compare_options_from_config();
    // Inside an archive there are no files to read.
    const bool offer_contents = !left.archive && !right.archive;
    if (!ask_compare_options(options, offer_contents)) return;
    // A box that was not offered keeps its setting for the next time.
    const bool contents_setting = config.CMPContents;
    save_compare_options(options);
    if (!offer_contents) config.CMPContents = contents_setting;

    const bool completed = tag_differences(left, right, options, compare_file_contents);
    if (console) console->BeginPaint();
    repaint(left);
    repaint(right);
    if (console) console->EndPaint();
    if (completed && left.num_tagged == 0 && right.num_tagged == 0)
        (void)error(L"No files meet the specified conditions", Westring(), MB_OK | MB_MESSAGE);
}
