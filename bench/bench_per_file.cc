// per_file: the per-file macro over 1,000 tagged files, `true !t` (one run
// of the command for each file), against a shell `for` loop that starts
// the same program once for each of the same names.
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "exec/environment.h"
#include "exec/run.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kFiles = 1000;

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch scratch("dv-per-file-");
    if (scratch.path().empty()) return 1;
    for (int i = 0; i < kFiles; i++) {
        std::string name = scratch.path() + "/file " + std::to_string(i);
        if (FILE* f = std::fopen(name.c_str(), "w")) std::fclose(f);
    }
    console = new CConsole(new CHeadlessView());
    PANEL* panel = panel_base;
    panel->dir = DecodeFileName(scratch.path().c_str());
    panel_base[1].dir = panel->dir;
    panel->visible = 1;  // a hidden panel is only marked for reading
    SessionEnv.Set("SHELL", "/bin/sh");
    std::printf("per_file: /bin/true for each of %d tagged files\n", kFiles);

    Comparison c;
    c.name = "per_file";
    c.tool = "sh for loop";
    c.iterations = 3;
    c.ours = [panel](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            read_panel(panel);
            tag_all(panel, 1, 0);
            if (panel->num_tagged != kFiles) state.SkipWithError("the files are not tagged");
            state.ResumeTiming();
            if (run_file(L"/bin/true !t", 0, L"", false) != 0) state.SkipWithError("a run failed");
        }
    };
    const std::string loop = "cd '" + scratch.path() + "' && for f in file*; do /bin/true \"$f\"; done";
    c.theirs = [loop](benchmark::State& state) {
        for (auto _ : state)
            if (TimeCommand(loop) < 0) state.SkipWithError("the loop failed");
    };
    int status = RunComparison(argc, argv, c);
    delete console;
    console = nullptr;
    return status;
}
