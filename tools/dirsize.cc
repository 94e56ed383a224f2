#include "tools/dirsize.h"

#include <memory>
#include <mutex>
#include <vector>

#include "archive/archive.h"
#include "config/config.h"
#include "console/console.h"
#include "console/dialog.h"
#include "fileops/copyseams.h"
#include "fileops/resolvepath.h"
#include "lib/collapsepath.h"
#include "lib/estring.h"
#include "lib/numfmt.h"
#include "panels/dirtree.h"
#include "panels/dirusage.h"
#include "panels/entry.h"
#include "panels/panel.h"
#include "panels/progress.h"
#include "panels/sortpanel.h"
#include "panels/treeupdate.h"

namespace {

constexpr int kRefreshMs = 100;

constexpr int kWidth = 54;
constexpr int kHeight = 8;
constexpr int kTextWidth = 50;

Westring with_commas(uint64_t n) { return addCommas(Westring(IntToStr(static_cast<int64_t>(n), 10)).c_str()); }

std::unique_ptr<Dialog> make_window() {
    auto window = std::make_unique<Dialog>(-1, -3, kWidth, kHeight, colours[CLR_MESSAGES]);
    window->PutCentre(-1, L" Reading Directories ");
    return window;
}

// The rows of the figures: the counts, the total and the directory.
struct FigureRow {
    int row;
    Westring text;
};
std::vector<FigureRow> figure_rows(const DirUsageCount& count, Westring dir) {
    Westring counts = L"Directories: " + with_commas(count.directories.load()) + L"   Files: " +
                      with_commas(count.files.load());
    Westring total = L"Total Size: " + with_commas(count.bytes.load());
    collapse_path(dir, kTextWidth);
    return {{1, counts.pad(kTextWidth)}, {2, total.pad(kTextWidth)}, {4, dir.pad(kTextWidth)}};
}

// The figures of a finished count, kept on the screen until the user has
// read them (Enter, Esc or OK).
void pause_on_figures(const DirUsageCount& count, const Westring& last_dir) {
    if (!console) return;
    std::unique_ptr<Dialog> window = make_window();
    // As static texts they come back when the screen is resized.
    for (const FigureRow& line : figure_rows(count, last_dir)) window->AddStaticText(1, line.row, line.text);
    static const Dialog::ButtonDef kOk[] = {{13, "_OK"}, {0, nullptr}};
    window->AddPushButtonGroup(-1, -1, 1, kOk);
    (void)window->RunOkCancel();  // either key only closes it
}

// Inside an archive its table of contents already holds every size.
uint64_t archive_usage(const Archive& archive, const Westring& name, DirUsageCount& count) {
    uint64_t files = 0, dirs = 0;
    const uint64_t size = archive.du(name, &files, &dirs);
    count.bytes += size;
    count.files += files;
    count.directories += dirs;
    return size;
}

// The " Reading Directories " window, refreshed by its own thread.
class CReadingWindow : public ProgressIndicatorThread {
public:
    explicit CReadingWindow(const DirUsageCount& count) : ProgressIndicatorThread(0, kRefreshMs), count_(count) {
        Start();
    }
    ~CReadingWindow() override { Stop(); }
    void SetDirectory(const Westring& dir) {
        std::lock_guard<std::mutex> lock(mutex_);
        dir_ = dir;
    }
    Westring Directory() {
        std::lock_guard<std::mutex> lock(mutex_);
        return dir_;
    }

protected:
    void Update() override {
        if (!console) return;
        if (!window_) window_ = make_window();
        for (const FigureRow& line : figure_rows(count_, Directory())) window_->puts_at(1, line.row, line.text.c_str());
    }
    void Finish() override { window_.reset(); }

private:
    const DirUsageCount& count_;
    std::mutex mutex_;
    Westring dir_;
    std::unique_ptr<Dialog> window_;
};

}  // namespace

bool du(PANEL* panel, bool quiet) {
    if (!panel || panel->type != PANEL_FILES || panel->num_files == 0) return true;
    CTree* tree = panel->archive ? nullptr : panel_tree(panel);
    DirUsageCount count;
    bool stopped = false;
    Westring last_dir;
    DirUsageEscPacing pacing(count);
    {
        std::unique_ptr<CReadingWindow> window;
        if (!quiet) window = std::make_unique<CReadingWindow>(count);
        for (int i = 0; i < panel->num_files && !stopped; i++) {
            entry* e = panel->files[i];
            const bool wanted = panel->num_tagged > 0 ? e->tagged : i == panel->top + panel->cur;
            // A link to a directory is passed by: its target is counted where it lies.
            if (!wanted || e->is_parent() || !e->is_dir() || (e->attr & FA_LINK)) continue;
            uint64_t size = 0;
            if (panel->archive) {
                size = archive_usage(*panel->archive, Westring(e->name), count);
                last_dir = join_path(panel->dir, e->name);
                if (window) window->SetDirectory(last_dir);
            } else {
                size = dir_usage(tree, join_path(panel->dir, e->name), count, [&](const Westring& dir) {
                    last_dir = dir;
                    if (window) window->SetDirectory(dir);
                    return !(pacing.TimeToLook() && fileops_esc_pending());
                });
            }
            if (size == TREENODE::kUnknownSize) {
                stopped = true;
                break;
            }
            if (e->tagged) panel->tagged_size = panel->tagged_size - e->size + size;
            e->size = size;
            e->size_known = 1;
        }
    }
    if (!stopped && !quiet && config.SizeCountPause) pause_on_figures(count, last_dir);
    if (tree && tree->modified) (void)tree->Write();  // a failure was reported; the sizes stay in memory
    if (panel->sort == SORT_SIZE) sort_panel(panel);
    return !stopped;
}
