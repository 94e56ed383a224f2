// The memory an archive of 1,000,000 members takes once read, per member,
// and the time to open and list it against `tar -tf` on the same file.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "archive/archive.h"
#include "bench/archivelisting.h"
#include "bench/harness.h"
#include "bench/tarfile.h"
#include "lib/fsname.h"

namespace {

constexpr int kMembers = 1000000;
constexpr int kFolders = 1000;

// The process's resident memory in bytes.
long resident_bytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbench");
    const std::string tar = dir.path() + "/million.tar";
    if (dir.path().empty() || !WriteEmptyMembersTar(tar, kMembers, kFolders)) {
        std::fprintf(stderr, "archive_memory: cannot write the archive\n");
        return 1;
    }
    const Westring path = DecodeFileName(tar.c_str());
    {
        const long before = resident_bytes();
        Archive archive(path.c_str(), nullptr);
        static_cast<void>(ListArchiveDirectory(archive));
        const long after = resident_bytes();
        if (archive.count() != kMembers + kFolders) {
            std::fprintf(stderr, "archive_memory: %d members read, not %d\n", archive.count(), kMembers + kFolders);
            return 1;
        }
        std::printf("archive_memory: %.0f bytes per member\n", static_cast<double>(after - before) / archive.count());
    }
    Comparison c;
    c.name = "archive_memory";
    c.tool = "tar -tf";
    c.iterations = 2;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            Archive archive(path.c_str(), nullptr);
            static_cast<void>(ListArchiveDirectory(archive));
        }
    };
    const std::string command = "tar -tf '" + tar + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("tar failed");
        }
    };
    return RunComparison(argc, argv, c);
}
