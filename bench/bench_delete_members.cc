// delete_members: F8 in an archive panel on 5,000 tagged files of a ZIP
// that holds a few members more (the configured zip run with a list of
// names on the console's terminal, then the archive read again), against
// `zip -q -d ARCHIVE -@` given the same names on its input, each on a
// fresh copy of the archive.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "archive/archiveops.h"
#include "bench/archivebench.h"
#include "bench/harness.h"
#include "bench/smalltree.h"

namespace {

constexpr int kDeleted = 5000;
// What stays: a few files beside the deleted ones and a folder of three.
const char* const kKept[] = {"keep1.txt", "keep2.txt", "keep3.txt", "kept/", "kept/a.txt", "kept/b.txt", "kept/c.txt"};
constexpr int kKeptCount = sizeof kKept / sizeof kKept[0];

std::string DeletedName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%05d.txt", i);
    return name;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

// The tree zipped: kDeleted files of a few hundred bytes and the kept ones.
bool MakeTree(const std::string& root) {
    std::error_code failure;
    if (!std::filesystem::create_directories(root + "/kept", failure)) return false;
    std::string text;
    for (int i = 0; i < kDeleted; i++) {
        text.assign("contents of file ").append(std::to_string(i)).append("\n");
        while (text.size() < static_cast<size_t>(200 + (i * 37) % 500)) text.append("some words of text, ");
        if (!WriteFile(root + "/" + DeletedName(i), text)) return false;
    }
    for (const char* kept : kKept)
        if (kept[std::strlen(kept) - 1] != '/' && !WriteFile(root + "/" + kept, std::string("kept ") + kept + "\n"))
            return false;
    return true;
}

// What unzip -Z1 lists in archive now is exactly the kept members.
bool OnlyKeptRemain(const std::string& archive, const char* side) {
    const std::string listing = archive + ".left";
    if (!Shell("unzip -Z1 '" + archive + "' | LC_ALL=C sort > '" + listing + "'")) return false;
    std::ifstream in(listing);
    std::string line;
    int n = 0;
    bool right = true;
    while (std::getline(in, line)) right = right && n < kKeptCount && line == kKept[n++];
    if (right && n == kKeptCount) return true;
    std::fprintf(stderr, "delete_members: after %s the archive holds other members (see %s)\n", side, listing.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch scratch("dv-delete-members-", BenchBaseDirectory());
    const std::string& base = scratch.path();
    if (base.empty() || !MakeTree(base + "/tree") || !Shell("cd '" + base + "/tree' && zip -qr ../original.zip ."))
        return 1;
    const std::string names = base + "/names";
    {
        std::ofstream out(names);
        for (int i = 0; i < kDeleted; i++) out << DeletedName(i) << '\n';
        if (!out.flush()) return 1;
    }
    const std::string work = base + "/work";
    std::filesystem::create_directory(work);
    const std::string archive = work + "/members.zip";
    const std::string fresh_copy = "cp '" + base + "/original.zip' '" + archive + "'";
    SetUpArchiveBench();

    Comparison c;
    c.name = "delete_members";
    c.tool = "zip -q -d -@";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!Shell(fresh_copy) || !OpenArchiveInPanel(panel_base[0], work, "members.zip") ||
                TagEntries(panel_base[0], [](const entry* e) { return !e->is_dir() && e->name[0] == L'f'; }) !=
                    kDeleted) {
                state.SkipWithError("the archive panel does not list every member");
                break;
            }
            state.ResumeTiming();
            ArchiveDelete(panel_base);
            state.PauseTiming();
            if (!OnlyKeptRemain(archive, "ours")) {
                state.SkipWithError("the archive is wrong");
                break;
            }
            state.ResumeTiming();
        }
    };
    const std::string command = "zip -q -d '" + archive + "' -@ < '" + names + "'";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!Shell(fresh_copy)) {
                state.SkipWithError("cannot copy the archive");
                break;
            }
            state.ResumeTiming();
            if (TimeCommand(command) < 0) state.SkipWithError("zip failed");
            state.PauseTiming();
            if (!OnlyKeptRemain(archive, "zip")) {
                state.SkipWithError("the archive is wrong");
                break;
            }
            state.ResumeTiming();
        }
    };
    const int status = RunComparison(argc, argv, c);
    TearDownArchiveBench();
    return status;
}
