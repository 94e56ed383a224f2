// Opening a 7z archive of 100,000 small members and listing its top
// directory, against `7z l` on the same file. Packing 100,000 files takes a
// while, so the archive is made once and kept in the benchmark directory
// for later runs.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/archive.h"
#include "bench/archivelisting.h"
#include "bench/harness.h"
#include "bench/smalltree.h"
#include "lib/fsname.h"

namespace {

constexpr int kMembers = 100000;
constexpr int kDirectories = 100;

// Members of a few bytes each in kDirectories directories, packed as 7z
// does by default. True when the archive exists afterwards.
bool MakeArchive(const std::string& archive) {
    if (std::filesystem::exists(archive)) return true;
    CBenchScratch scratch("dvlist7z", BenchBaseDirectory());
    if (scratch.path().empty()) return false;
    const std::string tree = scratch.path() + "/tree";
    for (int d = 0; d < kDirectories; d++) {
        const std::string dir = tree + "/dir" + std::to_string(d);
        std::filesystem::create_directories(dir);
        for (int i = d; i < kMembers; i += kDirectories) {
            FILE* out = std::fopen((dir + "/member_" + std::to_string(i) + ".txt").c_str(), "wb");
            if (!out) return false;
            std::fprintf(out, "%d\n", i);
            std::fclose(out);
        }
    }
    const std::string partial = archive + ".part";
    std::remove(partial.c_str());
    if (std::system(("cd '" + tree + "' && 7z a -bd -y '" + partial + "' . >/dev/null").c_str()) != 0) return false;
    return std::rename(partial.c_str(), archive.c_str()) == 0;
}

// Opens the archive as a panel does and lists its top level; the number
// of entries listed.
int ListTop(const std::string& archive) {
    Archive a(DecodeFileName(archive.c_str()).c_str(), nullptr);
    const int listed = ListArchiveDirectory(a);
    return listed > 0 && a.count() == kMembers + kDirectories ? listed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string archive = BenchBaseDirectory() + "/dvbench-list7z-100000.7z";
    if (!MakeArchive(archive)) {
        std::fprintf(stderr, "list_7z: cannot make %s\n", archive.c_str());
        return 1;
    }
    Comparison c;
    c.name = "list_7z";
    c.tool = "7z l";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (ListTop(archive) < 0) state.SkipWithError("the archive did not list");
        }
    };
    const std::string command = "7z l '" + archive + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("7z l failed");
        }
    };
    return RunComparison(argc, argv, c);
}
