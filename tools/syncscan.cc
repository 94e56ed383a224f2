#include "tools/syncscan.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "lib/atpath.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/mask.h"

int SyncPathCompare(const Westring& a, const Westring& b) {
    const wchar_t* p = a.c_str();
    const wchar_t* q = b.c_str();
    while (*p && *p == *q) {
        p++;
        q++;
    }
    if (*p == *q) return 0;
    // The end of a path sorts first, then "/", then everything else, so
    // that "x", "x/..." and "x.a" come in that order.
    auto rank = [](wchar_t c) -> int64_t { return c == 0 ? -2 : c == L'/' ? -1 : static_cast<int64_t>(c); };
    return rank(*p) < rank(*q) ? -1 : 1;
}

bool SyncPathInside(const Westring& dir, const Westring& path) {
    const int n = dir.strlen();
    return n > 0 && path.strlen() > n && path[n] == L'/' && wcsncmp(dir.c_str(), path.c_str(), n) == 0;
}

namespace {

// A filter expression decided once: empty or "*" lets everything through
// without building an entry; a name-only expression needs just the name.
class ItemFilter {
public:
    explicit ItemFilter(const Westring& expression)
        : expression_(expression),
          all_(expression.empty() || wcscmp(expression.c_str(), L"*") == 0 || wcscmp(expression.c_str(), L"*.*") == 0),
          name_only_(all_ || mask_tests_name_only(expression.c_str())) {}

    bool Valid() const { return all_ || mask_eval(expression_.c_str(), L"test") >= 0; }

    bool Passes(const Westring& name, const struct stat& st, bool directory) const {
        if (all_) return true;
        if (name_only_) return mask_eval(expression_.c_str(), name.c_str()) == 1;
        entry* e = entry::Create(name.c_str());
        e->size = static_cast<uint64_t>(st.st_size);
        e->mode = static_cast<uint16_t>(st.st_mode);
        e->uid = st.st_uid;
        e->gid = st.st_gid;
        e->time = TimeStamp(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
        if (directory) e->attr |= FA_DIREC;
        if (S_ISLNK(st.st_mode)) e->attr |= FA_LINK;
        if (name[0] == L'.') e->attr |= FA_HIDDEN;
        const bool passes = mask_eval(expression_.c_str(), *e) == 1;
        entry::Destroy(e);
        return passes;
    }

private:
    Westring expression_;
    bool all_;
    bool name_only_;
};

struct PendingDirectory {
    Westring relative;  // empty for the root
    std::string system_path;
};

SyncKind KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return SyncKind::Directory;
    if (S_ISLNK(mode)) return SyncKind::Link;
    if (S_ISREG(mode)) return SyncKind::File;
    return SyncKind::Special;
}

SyncScanResult Unreadable(const Westring& root, const Westring& relative, int error) {
    SyncScanResult result;
    result.status = SyncScanStatus::kUnreadable;
    result.directory = relative.empty() ? root : root.AppendBackslash() + relative;
    result.error = error;
    return result;
}

}  // namespace

SyncScanResult ScanSyncTree(const Westring& root, const SyncScanOptions& options, std::vector<SyncItem>& items) {
    items.clear();
    const ItemFilter file_filter(options.file_filter);
    const ItemFilter directory_filter(options.directory_filter);
    if (!file_filter.Valid() || !directory_filter.Valid()) return SyncScanResult{SyncScanStatus::kBadFilter, {}, 0};

    std::vector<PendingDirectory> pending;
    pending.push_back(PendingDirectory{Westring(), std::string(EncodeFileName(root).c_str())});
    int64_t seen = 0;
    while (!pending.empty()) {
        if (options.cancel && options.cancel()) return SyncScanResult{SyncScanStatus::kCancelled, {}, 0};
        PendingDirectory current = std::move(pending.back());
        pending.pop_back();

        if (options.list_fault)
            if (int fault = options.list_fault(current.relative)) return Unreadable(root, current.relative, fault);
        AtPath at(current.system_path.c_str());
        if (at.error()) return Unreadable(root, current.relative, at.error());
        // The root may be reached through a link (the panel's path); below
        // it nothing is followed.
        const int fd = at.OpenDirectory(current.relative.empty());
        if (fd < 0) return Unreadable(root, current.relative, errno);
        DIR* dir = fdopendir(fd);
        if (!dir) {
            const int error = errno;
            close(fd);
            return Unreadable(root, current.relative, error);
        }
        for (;;) {
            errno = 0;
            const dirent* d = readdir(dir);
            if (!d) {
                const int error = errno;
                closedir(dir);
                if (error) return Unreadable(root, current.relative, error);
                break;
            }
            seen++;
            if (d->d_name[0] == '.' && (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0))) continue;
            struct stat st;
            if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                const int error = errno;
                closedir(dir);
                return Unreadable(root, current.relative, error);
            }
            const Westring name = DecodeFileName(d->d_name);
            const SyncKind kind = KindOf(st.st_mode);
            const bool is_directory = kind == SyncKind::Directory;
            if (!(is_directory ? directory_filter : file_filter).Passes(name, st, is_directory)) continue;

            SyncItem item;
            item.path = current.relative.empty() ? name : current.relative + L"/" + name;
            item.time = TimeStamp(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
            item.size = static_cast<uint64_t>(st.st_size);
            item.kind = kind;
            if (is_directory) {
                std::string below = current.system_path;
                if (below.empty() || below.back() != '/') below += '/';
                below += d->d_name;
                pending.push_back(PendingDirectory{item.path, std::move(below)});
            }
            items.push_back(std::move(item));
        }
        if (options.progress) options.progress(seen);
    }
    std::sort(items.begin(), items.end(),
              [](const SyncItem& a, const SyncItem& b) { return SyncPathCompare(a.path, b.path) < 0; });
    return SyncScanResult{};
}
