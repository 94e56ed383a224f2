// million: the panel's common steps on a directory of 1,000,000 empty
// files: entering it, tagging all, finding a name, sorting by every order,
// re-reading with everything tagged; and the memory an entry takes. Each is
// timed once and printed as "million: STEP X s", after the least any reader
// must do, a bare loop of readdir and fstatat on one thread.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/benchpanel.h"
#include "bench/smalltree.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/sortpanel.h"

namespace {

constexpr int kFiles = 1000000;

double timed(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    CBenchScratch dir("dvmillion", BenchBaseDirectory());
    const auto name = [](int i) {
        return "entry_" + std::to_string(static_cast<long long>(i) * 7919 % kFiles) + (i % 3 ? ".txt" : ".c");
    };
    if (dir.path().empty() || !MakeEmptyFiles(dir.path(), kFiles, name)) return 1;
    PANEL panel;
    SetUpBenchPanel(panel, dir.path());
    std::printf("million: bare readdir+fstatat loop %.3f s\n", timed([&] { BareRead(dir.path()); }));

    struct mallinfo2 before = mallinfo2();
    std::printf("million: entering %.3f s\n", timed([&] { read_panel(&panel); }));
    struct mallinfo2 after = mallinfo2();
    if (panel.num_files != kFiles + 1) {
        std::fprintf(stderr, "million: the panel holds %d entries\n", panel.num_files);
        return 1;
    }
    std::printf("million: memory per entry %.0f bytes\n",
                static_cast<double>(after.uordblks - before.uordblks) / panel.num_files);
    std::printf("million: tagging all %.3f s\n", timed([&] { tag_all(&panel, 1, 0); }));
    std::printf("million: re-reading with all tagged %.3f s\n", timed([&] { read_panel(&panel); }));
    if (panel.num_tagged != kFiles) std::fprintf(stderr, "million: %d tags survived the re-read\n", panel.num_tagged);
    std::printf("million: untagging all %.3f s\n", timed([&] { tag_all(&panel, -1, 0); }));
    const Westring last = panel.files[panel.num_files - 1]->name;
    std::printf("million: finding the last name %.3f s\n", timed([&] { goto_fname(&panel, last.c_str()); }));
    const struct {
        const char* name;
        sortby order;
    } orders[] = {{"extension", SORT_EXTENSION}, {"time", SORT_TIME}, {"size", SORT_SIZE},
                  {"unsorted", SORT_UNSORTED},   {"name", SORT_NAME}, {"name reversed", SORT_RNAME}};
    for (const auto& order : orders) {
        panel.sort = order.order;
        std::printf("million: sorting by %s %.3f s\n", order.name, timed([&] { sort_panel(&panel); }));
    }
    return 0;
}
