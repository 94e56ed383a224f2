#include "exec/tmpfiles.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "lib/fsname.h"

namespace {

struct TmpState {
    std::mutex lock;
    bool tried = false;
    Westring dir;
    std::string dir_bytes;
    std::set<std::string> made;  // paths this process created and has not deleted
    std::set<std::string> kept;
};

TmpState& state() {
    static TmpState instance;
    return instance;
}

std::string base_directory() {
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
        const char* value = std::getenv(name);
        if (value && *value == '/') return value;
    }
    return "/tmp";
}

// Makes the private directory; the caller holds the lock.
void make_directory(TmpState& s) {
    if (s.tried) return;
    s.tried = true;
    std::string pattern = base_directory();
    while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
    pattern.append("/dv-");
    pattern.append(std::to_string(getpid()));
    pattern.append("-XXXXXX");
    if (!mkdtemp(pattern.data())) return;
    s.dir_bytes = pattern;
    s.dir = DecodeFileName(pattern.c_str());
}

}  // namespace

const Westring& TmpDir() {
    TmpState& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    make_directory(s);
    return s.dir;
}

int TmpFileName(Westring& out, const wchar_t* dir, int* fd) {
    TmpState& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    std::string path;
    if (dir && *dir) {
        path = EncodeFileName(dir).c_str();
    } else {
        make_directory(s);
        if (s.dir_bytes.empty()) return EACCES;
        path = s.dir_bytes;
    }
    if (path.empty() || path.back() != '/') path.push_back('/');
    path.append("DV#");
    path.append(std::to_string(getpid()));
    path.append(".XXXXXX");
    int made = mkostemp(path.data(), O_CLOEXEC);
    if (made < 0) return errno;
    if (fd) *fd = made;
    else close(made);
    s.made.insert(path);
    out = DecodeFileName(path.c_str());
    return 0;
}

void KeepTmpFiles() {
    TmpState& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    s.kept.insert(s.made.begin(), s.made.end());
}

void CleanupTmpFiles() {
    TmpState& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    for (auto it = s.made.begin(); it != s.made.end();) {
        if (s.kept.count(*it)) {
            ++it;
            continue;
        }
        // A file already gone (the command deleted it) is as good as deleted.
        unlink(it->c_str());
        it = s.made.erase(it);
    }
}

void RemoveTmpDir() {
    CleanupTmpFiles();
    TmpState& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.dir_bytes.empty() || !s.made.empty()) return;
    // Fails harmlessly when something else put a file there.
    rmdir(s.dir_bytes.c_str());
    s.dir_bytes.clear();
    s.dir = Westring();
    s.tried = false;
}
