// extract_zip: F5 from an archive panel on the 100 folders of a ZIP of
// 10,000 small files, Enter in the destination dialog, the other panel's
// empty folder as the destination (the configured unzip run on the
// console's terminal, then the extracted folders moved into place),
// against `unzip -q -o` of the whole archive into a fresh folder.
#include <cstdio>
#include <fstream>
#include <string>

#include "archive/archiveops.h"
#include "bench/archivebench.h"
#include "bench/harness.h"
#include "bench/smalltree.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr long kFiles = kFolders * kFilesPerFolder;

// kFolders folders of kFilesPerFolder files of 200 to 700 bytes each.
bool MakeTree(const std::string& root) {
    std::string text;
    char name[64];
    for (int d = 0; d < kFolders; d++) {
        std::snprintf(name, sizeof name, "/d%03d", d);
        const std::string folder = root + name;
        std::error_code failure;
        if (!std::filesystem::create_directories(folder, failure)) return false;
        for (int f = 0; f < kFilesPerFolder; f++) {
            const int n = d * kFilesPerFolder + f;
            std::snprintf(name, sizeof name, "/file%05d.txt", n);
            text.assign("contents of file ").append(std::to_string(n)).append("\n");
            while (text.size() < static_cast<size_t>(200 + (n * 37) % 500)) text.append("some words of text, ");
            std::ofstream out(folder + name, std::ios::binary);
            out << text;
            if (!out.flush()) return false;
        }
    }
    return true;
}

// An empty folder for run i of side.
std::string FreshFolder(const std::string& base, const char* side, int run) {
    const std::string path = base + "/" + side + std::to_string(run);
    std::filesystem::create_directory(path);
    return path;
}

// Whether out holds every file, then removes it; the shortfall is printed.
bool ExtractedEverything(const std::string& out, const char* side) {
    const long files = CountFilesBelow(out);
    if (files != kFiles) {
        std::fprintf(stderr, "extract_zip: %s left %ld files of %ld in %s\n", side, files, kFiles, out.c_str());
        return false;
    }
    CSmallTree::Remove(out);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch scratch("dv-extract-zip-", BenchBaseDirectory());
    const std::string& base = scratch.path();
    if (base.empty() || !MakeTree(base + "/tree") || !Shell("cd '" + base + "/tree' && zip -qr ../many.zip ."))
        return 1;
    const std::string archive = base + "/many.zip";
    SetUpArchiveBench();
    if (!OpenArchiveInPanel(panel_base[0], base, "many.zip")) {
        std::fprintf(stderr, "extract_zip: cannot open the archive in a panel\n");
        return 1;
    }

    Comparison c;
    c.name = "extract_zip";
    c.tool = "unzip -q -o";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        int run = 0;
        for (auto _ : state) {
            state.PauseTiming();
            const std::string out = FreshFolder(base, "ours", run++);
            SetUpBenchPanel(panel_base[1], out);
            ForgetListing(panel_base[1]);
            read_panel(panel_base + 1);
            panel_base[0].cur = 0;
            if (TagEntries(panel_base[0], [](const entry* e) { return e->is_dir(); }) != kFolders) {
                state.SkipWithError("the archive panel does not list every folder");
                break;
            }
            QueueEnter();
            state.ResumeTiming();
            archive_copy_move(panel_base, 0, false);
            state.PauseTiming();
            if (!ExtractedEverything(out, "ours")) {
                state.SkipWithError("files are missing");
                break;
            }
            state.ResumeTiming();
        }
    };
    c.theirs = [&](benchmark::State& state) {
        int run = 0;
        for (auto _ : state) {
            state.PauseTiming();
            const std::string out = FreshFolder(base, "theirs", run++);
            const std::string command = "unzip -q -o '" + archive + "' -d '" + out + "'";
            state.ResumeTiming();
            if (TimeCommand(command) < 0) state.SkipWithError("unzip failed");
            state.PauseTiming();
            if (!ExtractedEverything(out, "unzip")) {
                state.SkipWithError("files are missing");
                break;
            }
            state.ResumeTiming();
        }
    };
    const int status = RunComparison(argc, argv, c);
    TearDownArchiveBench();
    return status;
}
