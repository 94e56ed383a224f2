#include "bench/smalltree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

std::string BenchBaseDirectory() {
    const char* chosen = std::getenv("DV_BENCH_DIR");
    if (chosen && *chosen) return chosen;
    if (access("/dev/shm", W_OK) == 0) return "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

CSmallTree::CSmallTree(int files, int directories) : scratch_("dvtree", BenchBaseDirectory()) {
    if (scratch_.path().empty() || directories <= 0) return;
    const std::string top = tmpl();
    if (mkdir(top.c_str(), 0755) != 0) return;
    std::vector<char> data(4096);
    for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>('a' + i % 26);
    std::string dir;
    for (int d = 0; d < directories; d++) {
        dir.assign(top).append("/d").append(std::to_string(d));
        if (mkdir(dir.c_str(), 0755) != 0) return;
    }
    std::string file;
    for (int i = 0; i < files; i++) {
        file.assign(top).append("/d").append(std::to_string(i % directories)).append("/file").append(std::to_string(i));
        int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) return;
        const size_t size = static_cast<size_t>(i * 2654435761u % 4097u);
        const bool written = size == 0 || write(fd, data.data(), size) == static_cast<ssize_t>(size);
        if (close(fd) != 0 || !written) return;
    }
    ok_ = true;
}

bool CSmallTree::CopyTo(const std::string& path) const {
    Remove(path);
    std::string command;
    command.assign("cp -a '").append(tmpl()).append("' '").append(path).append("'");
    return std::system(command.c_str()) == 0;
}

void CSmallTree::Remove(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
