// Reading a directory of 100,000 files into a panel (listing, inspecting
// each file, the "*" filter and the sort by name), against `ls -la` on the
// same directory. Also prints the memory an entry takes and what a re-read
// costs when 50,000 entries are tagged.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/benchpanel.h"
#include "bench/harness.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kTagged = 50000;

// Names of varied length and case.
std::string bench_name(int i) {
    static const char* stems[] = {"report", "Makefile", "image", "backup", "notes", "README", "data", "photo"};
    static const char* extensions[] = {"", ".txt", ".c", ".h", ".jpg", ".tar.gz", ".md", ".PNG"};
    return std::string(stems[i % 8]) + "_" + std::to_string(i) + extensions[(i / 8) % 8];
}

double average_name_length(const PANEL& panel) {
    double total = 0;
    for (int i = 0; i < panel.num_files; i++) total += static_cast<double>(std::wcslen(panel.files[i]->name));
    return panel.num_files ? total / panel.num_files : 0;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbench");
    if (dir.path().empty() || !MakeEmptyFiles(dir.path(), kFiles, bench_name)) {
        std::fprintf(stderr, "read_dir: cannot make the directory\n");
        return 1;
    }

    PANEL panel;
    SetUpBenchPanel(panel, dir.path());
    Comparison c;
    c.name = "read_dir";
    c.tool = "ls -la";
    c.ours = FreshReads(panel, kFiles);
    const std::string command = "ls -la '" + dir.path() + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("ls failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    if (status != 0) return status;

    // Memory: what the allocator hands out for one read, per entry.
    ForgetListing(panel);
    struct mallinfo2 before = mallinfo2();
    read_panel(&panel);
    struct mallinfo2 after = mallinfo2();
    double per_entry = static_cast<double>(after.uordblks - before.uordblks) / panel.num_files;
    std::printf("read_dir: memory per entry %.0f bytes (names of %.0f characters on average)\n", per_entry,
                average_name_length(panel));

    // A re-read of the same directory with every other file tagged.
    int tagged = 0;
    for (int i = 1; i < panel.num_files && tagged < kTagged; i += 2, tagged++) panel.files[i]->tagged = 1;
    auto start = std::chrono::steady_clock::now();
    read_panel(&panel);
    double reread = seconds_since(start);
    if (panel.num_tagged != kTagged) {
        std::fprintf(stderr, "read_dir: %d tags survived the re-read, not %d\n", panel.num_tagged, kTagged);
        return 1;
    }
    // The tags' restore on its own: the kept entries indexed by name, and
    // each entry of the panel looked up in the index.
    std::vector<entry*> kept;
    for (int i = 0; i < panel.num_files; i++) {
        if (panel.files[i]->tagged) kept.push_back(entry::Clone(panel.files[i]));
    }
    start = std::chrono::steady_clock::now();
    int found = 0;
    {
        const EntryNameIndex index(kept.data(), static_cast<int>(kept.size()));
        for (int i = 0; i < panel.num_files; i++) found += index.Find(panel.files[i]->name) != nullptr;
    }
    double restore = seconds_since(start);
    if (found != kTagged) std::fprintf(stderr, "read_dir: %d tagged names found again, not %d\n", found, kTagged);
    for (entry* e : kept) entry::Destroy(e);
    std::printf("read_dir: re-read with 50,000 tags %.4f s (tag restore %.4f s)\n", reread, restore);
    return 0;
}
