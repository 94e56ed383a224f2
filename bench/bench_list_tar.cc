// Listing an uncompressed tar of 100,000 empty members in 1000 folders as a
// panel opens it (the headers read, the members sorted, the top level
// listed), against `tar -tf` on the same file.
#include <cstdio>
#include <string>

#include "archive/archive.h"
#include "bench/archivelisting.h"
#include "bench/harness.h"
#include "bench/tarfile.h"
#include "lib/fsname.h"

namespace {

constexpr int kMembers = 100000;
constexpr int kFolders = 1000;

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbench");
    const std::string tar = dir.path() + "/members.tar";
    if (dir.path().empty() || !WriteEmptyMembersTar(tar, kMembers, kFolders)) {
        std::fprintf(stderr, "list_tar: cannot write the archive\n");
        return 1;
    }
    const Westring path = DecodeFileName(tar.c_str());
    Comparison c;
    c.name = "list_tar";
    c.tool = "tar -tf";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            Archive archive(path.c_str(), nullptr);
            const int listed = ListArchiveDirectory(archive);
            if (archive.count() != kMembers + kFolders || listed != kFolders + 1) state.SkipWithError("listing wrong");
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
