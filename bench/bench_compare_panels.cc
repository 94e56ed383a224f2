// Comparing two panels of 100,000 entries each by time and size, as Ctrl-K
// does once its options are chosen. No standard tool does this, so the time
// is set against the target of 0.2 s.
#include <chrono>
#include <cstdio>
#include <string>

#include "panels/entry.h"
#include "panels/panel.h"
#include "tools/dircompare.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kRuns = 5;
constexpr double kTargetSeconds = 0.2;

// A panel of kEntries files named as a real directory's might be, sorted by
// name; on the right every tenth file is newer, every twentieth larger and
// every fiftieth has a different name (so it has no partner).
bool fill_panel(PANEL& panel, bool right) {
    panel.visible = 1;
    panel.type = PANEL_FILES;
    panel.detail = DETAIL_FULL;
    panel.dir = right ? L"/right" : L"/left";
    for (int i = 0; i < kEntries; i++) {
        if (panel.num_files == panel.max_files && !IncreaseMaxFiles(&panel)) return false;
        char name[64];
        std::snprintf(name, sizeof name, "%s_%06d.dat", right && i % 50 == 0 ? "renamed" : "document", i);
        const Westring wide(name);
        entry* e = entry::Create(wide.c_str());
        e->size = 1000 + static_cast<uint64_t>(i % 977) + (right && i % 20 == 0 ? 1 : 0);
        e->time = TimeStamp(int64_t{1600000000} + i + (right && i % 10 == 0 ? 60 : 0), 0u);
        panel.files[panel.num_files++] = e;
    }
    return true;
}

// Each side's tags: the renamed files have no partner, and every tenth
// (which holds every twentieth) differs in time.
int expected_tags() {
    int count = 0;
    for (int i = 0; i < kEntries; i++)
        if (i % 50 == 0 || i % 10 == 0) count++;
    return count;
}

}  // namespace

int main() {
    PANEL left, right;
    if (!fill_panel(left, false) || !fill_panel(right, true)) {
        std::fprintf(stderr, "compare_panels: cannot fill the panels\n");
        return 1;
    }
    CompareOptions options;
    options.date_mode = 3;
    options.size_mode = 3;
    options.unmatched = true;
    options.mask = L"*";

    double total = 0;
    for (int run = 0; run < kRuns; run++) {
        const auto start = std::chrono::steady_clock::now();
        const bool completed = tag_differences(left, right, options, nullptr);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!completed || left.num_tagged != expected_tags() || right.num_tagged != expected_tags()) {
            std::fprintf(stderr, "compare_panels: wrong tags (%d left, %d right, %d expected)\n", left.num_tagged,
                         right.num_tagged, expected_tags());
            return 1;
        }
    }
    const double ours = total / kRuns;
    std::printf("compare_panels: ours %.4f s, target %.1f s, ratio %.2f\n", ours, kTargetSeconds, ours / kTargetSeconds);
    return 0;
}
