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

#include "bench/harness.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/sortpanel.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kTagged = 50000;

// A directory of kFiles empty files with names of varied length and case,
// removed when the benchmark ends.
class CBenchDir {
public:
    CBenchDir() : dir_("dvbench") {
        if (dir_.path().empty()) return;
        static const char* stems[] = {"report", "Makefile", "image", "backup", "notes", "README", "data", "photo"};
        static const char* extensions[] = {"", ".txt", ".c", ".h", ".jpg", ".tar.gz", ".md", ".PNG"};
        for (int i = 0; i < kFiles; i++) {
            std::string file = dir_.path() + "/" + stems[i % 8] + "_" + std::to_string(i) + extensions[(i / 8) % 8];
            int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0) {
                std::perror(file.c_str());
                std::exit(1);
            }
            close(fd);
        }
    }
    const std::string& path() const { return dir_.path(); }

private:
    CBenchScratch dir_;
};

// A visible full-style file list of the directory, sorted by name, all files shown.
void set_up(PANEL& panel, const std::string& dir) {
    panel.dir = DecodeFileName(dir.c_str());
    panel.visible = 1;
    panel.type = PANEL_FILES;
    panel.detail = DETAIL_FULL;
    panel.sort = SORT_NAME;
    panel.filter = L"*";
    panel.page_size = 20;
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
    CBenchDir dir;
    if (dir.path().empty()) {
        std::fprintf(stderr, "read_dir: cannot make a temporary directory\n");
        return 1;
    }

    PANEL panel;
    set_up(panel, dir.path());
    Comparison c;
    c.name = "read_dir";
    c.tool = "ls -la";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            // Each pass reads the directory afresh, as entering it would.
            state.PauseTiming();
            panel.FreeEntries();
            panel.read_dir = Westring();
            state.ResumeTiming();
            read_panel(&panel);
            benchmark::DoNotOptimize(panel.files);
        }
        if (panel.num_files != kFiles + 1) state.SkipWithError("the panel does not hold every file");
    };
    const std::string command = "ls -la '" + dir.path() + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("ls failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    if (status != 0) return status;

    // Memory: what the allocator hands out for one read, per entry.
    panel.FreeEntries();
    panel.read_dir = Westring();
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
    // The restore on its own, with the same kept entries the re-read had.
    std::vector<entry*> kept;
    for (int i = 0; i < panel.num_files; i++) {
        if (panel.files[i]->tagged) kept.push_back(entry::Clone(panel.files[i]));
        panel.files[i]->tagged = 0;
    }
    panel.num_tagged = 0;
    panel.tagged_size = 0;
    start = std::chrono::steady_clock::now();
    restore_tags(&panel, kept.data(), static_cast<int>(kept.size()));
    double restore = seconds_since(start);
    for (entry* e : kept) entry::Destroy(e);
    std::printf("read_dir: re-read with 50,000 tags %.4f s (tag restore %.4f s)\n", reread, restore);
    return 0;
}
