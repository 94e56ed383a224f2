// Copying a tree of 2,000 files of mixed sizes (about 200 MB in all) plus
// one 100 MB file with the program's copy routine (no user interface),
// against `cp -r` of the same tree into a fresh directory. The tree lives in
// memory (/dev/shm) when it can, so that the disk's write-back does not
// drown the difference; DV_BENCH_DIR chooses another place.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "bench/smalltree.h"
#include "fileops/copyfile.h"
#include "fileops/descbatch.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 2000;
constexpr int kDirectories = 20;
constexpr size_t kLargeFile = 100u << 20;

bool write_file(const std::string& path, const std::vector<char>& data, size_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        size_t chunk = std::min(data.size(), size - done);
        ssize_t n = write(fd, data.data(), chunk);
        if (n <= 0) {
            close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return close(fd) == 0;
}

// The source tree, removed with every copy when the benchmark ends.
class CBenchTree {
public:
    CBenchTree() : root_("dvcopy", BenchBaseDirectory()) {
        if (root_.path().empty()) return;
        std::vector<char> data(1 << 20);
        for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
        std::string src = source();
        mkdir(src.c_str(), 0755);
        for (int d = 0; d < kDirectories; d++) mkdir((src + "/dir" + std::to_string(d)).c_str(), 0755);
        for (int i = 0; i < kFiles; i++) {
            // Every tenth file about 900 KB, the others between 1 and 21 KB.
            size_t size = i % 10 == 0 ? 900000 + static_cast<size_t>(i) : 1024 + static_cast<size_t>(i * 7919) % 20480;
            total_ += size;
            std::string file = src + "/dir" + std::to_string(i % kDirectories) + "/file" + std::to_string(i);
            if (!write_file(file, data, size)) return;
        }
        if (!write_file(src + "/large", data, kLargeFile)) return;
        total_ += kLargeFile;
        ok_ = true;
    }
    CBenchTree(const CBenchTree&) = delete;
    CBenchTree& operator=(const CBenchTree&) = delete;

    bool ok() const { return ok_; }
    std::string source() const { return root_.path() + "/source"; }
    std::string target() const { return root_.path() + "/copy"; }
    size_t total() const { return total_; }
    void RemoveCopy() const {
        std::error_code ignored;
        std::filesystem::remove_all(target(), ignored);
        sync();  // each run starts without the last one's writes pending
    }

private:
    CBenchScratch root_;
    size_t total_ = 0;
    bool ok_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    CBenchTree tree;
    if (!tree.ok()) {
        std::fprintf(stderr, "copy: cannot make the source tree\n");
        return 1;
    }
    std::printf("copy: %d files and one of 100 MB, %.0f MB in all, in %s\n", kFiles, tree.total() / 1048576.0,
                BenchBaseDirectory().c_str());
    const Westring source = DecodeFileName(tree.source().c_str());
    const Westring target = DecodeFileName(tree.target().c_str());

    Comparison c;
    c.name = "copy";
    c.tool = "cp -r";
    c.iterations = 5;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            tree.RemoveCopy();
            state.ResumeTiming();
            DescBatch descriptions;
            if (copyfile(source.c_str(), target.c_str(), false, false, nullptr, descriptions, 0).code != 0)
                state.SkipWithError("the copy failed");
        }
    };
    const std::string command = "cp -r '" + tree.source() + "' '" + tree.target() + "'";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            tree.RemoveCopy();
            state.ResumeTiming();
            if (TimeCommand(command) < 0) state.SkipWithError("cp failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    tree.RemoveCopy();
    return status;
}
