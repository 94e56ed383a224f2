#include "tools/dirsize.h"

#include <memory>
#include <mutex>

#include "console/console.h"
#include "console/dialog.h"
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

Westring with_commas(uint64_t n) { return addCommas(Westring(IntToStr(static_cast<int64_t>(n), 10)).c_str()); }

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

protected:
    void Update() override {
        if (!console) return;
        if (!window_) {
            window_ = std::make_unique<Dialog>(-1, -3, 54, 8, colours[CLR_MESSAGES]);
            window_->PutCentre(0, L" Reading Directories ");
        }
        Westring counts = L"Directories: " + with_commas(count_.directories.load()) + L"   Files: " +
                          with_commas(count_.files.load());
        Westring total = L"Total Size: " + with_commas(count_.bytes.load());
        Westring dir;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            dir = dir_;
        }
        collapse_path(dir, 50);
        window_->puts_at(1, 2, counts.pad(50).c_str());
        window_->puts_at(1, 3, total.pad(50).c_str());
        window_->puts_at(1, 4, dir.pad(50).c_str());
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
    if (!panel || panel->archive || panel->type != PANEL_FILES || panel->num_files == 0) return true;
    CTree* tree = panel_tree(panel);
    DirUsageCount count;
    bool stopped = false;
    {
        std::unique_ptr<CReadingWindow> window;
        if (!quiet) window = std::make_unique<CReadingWindow>(count);
        for (int i = 0; i < panel->num_files && !stopped; i++) {
            entry* e = panel->files[i];
            const bool wanted = panel->num_tagged > 0 ? e->tagged : i == panel->top + panel->cur;
            // A link to a directory is passed by: its target is counted where it lies.
            if (!wanted || e->is_parent() || !e->is_dir() || (e->attr & FA_LINK)) continue;
            const uint64_t size = dir_usage(tree, join_path(panel->dir, e->name), count, [&](const Westring& dir) {
                if (window) window->SetDirectory(dir);
                return !(console && check_esc());
            });
            if (size == TREENODE::kUnknownSize) {
                stopped = true;
                break;
            }
            if (e->tagged) panel->tagged_size = panel->tagged_size - e->size + size;
            e->size = size;
            e->size_known = 1;
        }
    }
    if (tree && tree->modified) (void)tree->Write();  // a failure was reported; the sizes stay in memory
    if (panel->sort == SORT_SIZE) sort_panel(panel);
    return !stopped;
}
