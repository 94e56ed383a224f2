#include "fileops/sizecount.h"

#include <sys/stat.h>

#include <memory>

#include "console/console.h"
#include "console/dialog.h"
#include "fileops/copyseams.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "lib/numfmt.h"
#include "panels/panel.h"
#include "panels/progress.h"

namespace {

constexpr int kProgressIntervalMs = 100;

// The "Counting" window, shown once a count lasts longer than a second.
class CCountProgress : public ProgressIndicatorThread {
public:
    explicit CCountProgress(const SizeCount& count)
        : ProgressIndicatorThread(kFirstDelayMs, kProgressIntervalMs), count_(count) {
        Start();
    }
    ~CCountProgress() override { Stop(); }

protected:
    void Update() override {
        if (!console) return;
        if (!window_) {
            window_ = std::make_unique<Dialog>(-1, -2, 40, 6, colours[CLR_MESSAGES]);
            window_->PutCentre(0, L"Counting");
        }
        Westring files = L"Files: " + addCommas(Westring(IntToStr(count_.files.load(), 10)).c_str());
        Westring bytes = L"Bytes: " + addCommas(Westring(IntToStr(count_.bytes.load(), 10)).c_str());
        window_->puts_at(2, 2, files.pad(34).c_str());
        window_->puts_at(2, 3, bytes.pad(34).c_str());
    }
    void Finish() override { window_.reset(); }

private:
    const SizeCount& count_;
    std::unique_ptr<Dialog> window_;
};

}  // namespace

bool CountPath(const Westring& path, SizeCount& count) {
    struct stat status;
    if (lstat(EncodeFileName(path).c_str(), &status) != 0) return true;  // gone: nothing to count
    if (!S_ISDIR(status.st_mode)) {
        count.bytes += static_cast<uint64_t>(status.st_size);
        count.files++;
        return break_status != 2;
    }
    DirUsageEscPacing pacing(count);
    const uint64_t total = dir_usage(nullptr, path, count, [&pacing](const Westring&) {
        return break_status != 2 && !(pacing.TimeToLook() && fileops_esc_pending());
    });
    return total != TREENODE::kUnknownSize;
}

int64_t du_selection(PANEL* panel) {
    if (!panel || panel->num_files == 0) return 0;
    int saved = break_status;
    break_status = 1;
    SizeCount total;
    bool stopped = false;
    {
        CCountProgress progress(total);
        for (int i = 0; i < panel->num_files && !stopped; i++) {
            entry* e = panel->files[i];
            bool wanted = panel->num_tagged > 0 ? e->tagged : i == panel->top + panel->cur;
            if (!wanted || e->is_parent()) continue;
            if (!e->is_dir() || (e->attr & FA_LINK)) {
                total.bytes += e->size;
                total.files++;
                continue;
            }
            SizeCount one;
            if (!CountPath(join_path(panel->dir, e->name), one)) {
                stopped = true;
                break;
            }
            total.bytes += one.bytes.load();
            total.files += one.files.load();
            total.directories += one.directories.load();
            const uint64_t size = one.bytes.load();
            if (e->tagged) panel->tagged_size = panel->tagged_size - e->size + size;
            e->size = size;
            e->size_known = 1;
        }
    }
    break_status = saved;
    return stopped ? -1 : static_cast<int64_t>(total.bytes.load());
}
