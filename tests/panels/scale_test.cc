// A large directory costs no more than n log n in any of the panel's common
// steps: each is timed at n and at 4n entries and the ratio compared, never
// the time itself. Linear work gives about 4, and up to 10 once the larger
// list no longer fits the processor's caches; a quadratic step gives 16 and
// more.
#include <algorithm>
#include <functional>

#include "panels/paneldisplay.h"
#include "panels/sortpanel.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/thread_time.h"

namespace {

constexpr int kSmall = 2500;
constexpr double kMostRatio = 14;

class PanelScaleTest : public PanelTest {
protected:
    // A directory of n empty files, read into panel.
    void MakeAndRead(PANEL& panel, const std::string& dir, int n) {
        MakeDir(dir);
        for (int i = 0; i < n; i++) Touch(NumberedName(dir + "/file_", i));
        SetUpPanel(panel, dir);
        read_panel(&panel);
        ASSERT_EQ(panel.num_files, n + 1);
    }

    // Seconds taken by repeats runs of step.
    static double Time(const std::function<void()>& step, int repeats) {
        const double start = ThreadSeconds();
        for (int i = 0; i < repeats; i++) step();
        return ThreadSeconds() - start;
    }
    // The fastest of three timings, the least disturbed by other work.
    static double Fastest(const std::function<void()>& step, int repeats) {
        return std::min({Time(step, repeats), Time(step, repeats), Time(step, repeats)});
    }

    // How many runs of step on the small panel take about 10 ms, so that the
    // timings stand well above the clock's and the scheduler's noise.
    static int RepeatsFor(const std::function<void()>& step) {
        int repeats = 1;
        while (repeats < 4096 && Time(step, repeats) < 0.01) repeats *= 2;
        return repeats;
    }

    PANEL small_, large_;
};

}  // namespace

TEST_F(PanelScaleTest, NoStepOnALargeDirectoryGrowsFasterThanNLogN) {
    MakeAndRead(small_, tmp / "small", kSmall);
    MakeAndRead(large_, tmp / "large", 4 * kSmall);
    struct Step {
        const char* name;
        std::function<void(PANEL&)> run;
    };
    const std::vector<Step> steps = {
        {"entering", [](PANEL& p) { p.FreeEntries(); p.read_dir = Westring(); read_panel(&p); }},
        {"tagging all", [](PANEL& p) { tag_all(&p, 1, 0); tag_all(&p, -1, 0); }},
        {"re-reading with all tagged", [](PANEL& p) { tag_all(&p, 1, 0); read_panel(&p); tag_all(&p, -1, 0); }},
        {"sorting by name", [](PANEL& p) { p.sort = SORT_NAME; sort_panel(&p); }},
        {"sorting by extension", [](PANEL& p) { p.sort = SORT_EXTENSION; sort_panel(&p); }},
        {"sorting by time", [](PANEL& p) { p.sort = SORT_TIME; sort_panel(&p); }},
        {"sorting by size", [](PANEL& p) { p.sort = SORT_RSIZE; sort_panel(&p); }},
        {"going to the last name and back", [](PANEL& p) {
             const Westring last = p.files[p.num_files - 1]->name;
             goto_fname(&p, last.c_str());
             goto_fname(&p, L"..");
         }},
    };
    for (const Step& step : steps) {
        // Other work on the machine can slow one timing: a ratio too high is
        // measured again, and a step that grows too fast fails every time.
        double small = 0, large = 0;
        for (int attempt = 0; attempt < 3; attempt++) {
            const int repeats = RepeatsFor([&] { step.run(small_); });
            small = Fastest([&] { step.run(small_); }, repeats);
            large = Fastest([&] { step.run(large_); }, repeats);
            if (large / small < kMostRatio) break;
        }
        EXPECT_LT(large / small, kMostRatio) << step.name << ": " << small << " s at " << kSmall << ", " << large
                                             << " s at four times as many";
    }
}
