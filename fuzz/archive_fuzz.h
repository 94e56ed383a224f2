// What every archive reader's fuzz target does: the bytes become a file,
// one reader reads it, and whatever it listed must be sound: no member path
// that leaves the archive, no more members than the bytes could describe,
// and every directory can be listed and turned into a tree.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "fuzz/check.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/treeholder.h"

namespace archive_fuzz {

// A scratch file made once; the fuzzer runs with TMPDIR set to a scratch
// directory of its own.
inline const std::string& ScratchPath() {
    static const std::string path = [] {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp").append("/archiveXXXXXX");
        int fd = mkstemp(pattern.data());
        if (fd >= 0) close(fd);
        return pattern;
    }();
    return path;
}

// Whether a kept path is clean: no leading or trailing '/', no empty, "."
// or ".." component.
inline bool CleanPath(const char* path) {
    if (!*path) return true;
    const char* p = path;
    for (;;) {
        const char* end = std::strchr(p, '/');
        size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (n == 0 || (n == 1 && p[0] == '.') || (n == 2 && p[0] == '.' && p[1] == '.')) return false;
        if (!end) return true;
        p = end + 1;
    }
}

// members_per_byte: how many members one byte of the file can describe at
// most (more than 1 where the table of contents is itself compressed).
inline void Check(Archive& archive, size_t size, size_t members_per_byte) {
    fuzz_check(archive.entries.size() <= (size + 1) * members_per_byte, "more members than the bytes could describe");
    for (size_t i = 0; i < archive.entries.size(); i++) {
        const ArchiveEntry* e = archive.entries[i];
        fuzz_check(CleanPath(e->path), "a member path leaves the archive or is not clean");
        fuzz_check(std::strchr(e->name, '/') == nullptr, "a member name holds a '/'");
        fuzz_check(std::strcmp(e->name, "..") != 0 && std::strcmp(e->name, ".") != 0, "a member named . or ..");
        fuzz_check(*e->name || e->is_dir(), "a file member without a name");
        if (i > 0) fuzz_check(ArchiveEntryStore::CompArchEntry(archive.entries[i - 1], e) <= 0, "not sorted");
    }
    if (archive.status != 0) return;
    // The top level and the first few directories list and end.
    std::vector<Westring> dirs{Westring()};
    for (size_t d = 0; d < dirs.size() && d < 8; d++) {
        entry* e = nullptr;
        if (archive.FindFirst(dirs[d], &e) != 0) continue;
        size_t listed = 0;
        do {
            fuzz_check(++listed <= archive.entries.size() + 1, "a listing does not end");
            if (e->is_dir() && !e->is_parent() && dirs.size() < 8) {
                Westring sub = dirs[d].AppendBackslash();
                sub += e->name;
                dirs.push_back(sub);
            }
            entry::Destroy(e);
        } while (archive.FindNext(&e) == 0);
    }
    delete archive.MakeTree();
    int64_t total_size, total_packed;
    archive.GetTotals(total_size, total_packed);
}

// Runs one reader over the bytes.
inline int Run(const uint8_t* data, size_t size, Archive::Reader reader, size_t members_per_byte = 1) {
    const std::string& path = ScratchPath();
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return 0;
    if (size) fwrite(data, 1, size, out);
    fclose(out);
    auto archive = Archive::ReadWith(DecodeFileName(path.c_str()), reader);
    Check(*archive, size, members_per_byte);
    return 0;
}

}  // namespace archive_fuzz
