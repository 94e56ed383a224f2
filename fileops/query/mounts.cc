#include "fileops/query/mounts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/oserror.h"

namespace {

const char* const kMountTables[] = {"/etc/mnttab", "/proc/self/mounts", "/etc/mtab"};

// The whole content of a mount table and its status. 0 or the error number.
int read_table(const char* path, std::string& content, struct stat& status) {
    content.clear();
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    int result = 0;
    if (fstat(fd, &status) != 0) result = errno;
    char buffer[8192];
    while (result == 0) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            result = errno;
        } else if (n == 0) {
            break;
        } else {
            content.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return result;
}

// A generated table (as under /proc) reports size 0 and a time that does
// not follow its contents.
bool is_generated(const struct stat& status) { return S_ISREG(status.st_mode) && status.st_size == 0; }

// FNV-1a: enough to notice that a table's text changed.
uint64_t hash_text(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

TimeStamp modification_time(const struct stat& status) {
    return TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }

// The end of the first separator in [p, end) that is not escaped by a
// backslash, or end.
const char* find_unescaped(const char* p, const char* end, char separator) {
    while (p < end) {
        if (*p == '\\' && p + 1 < end) {
            p += 2;
        } else if (*p == separator) {
            return p;
        } else {
            p++;
        }
    }
    return end;
}

// Undoes the table's escapes: a backslash and three octal digits stand for
// one byte (a blank is written \040, a backslash \134). Any other backslash
// is kept as it is.
std::string unescape(const char* p, const char* end) {
    std::string bytes;
    while (p < end) {
        if (*p == '\\' && end - p >= 4 && p[1] >= '0' && p[1] <= '3' && is_octal(p[2]) && is_octal(p[3])) {
            bytes += static_cast<char>((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0'));
            p += 4;
        } else {
            bytes += *p++;
        }
    }
    return bytes;
}

// The next field of a table line in raw bytes: up to the first unescaped
// tab, or when the line has none, up to the first unescaped blank. p moves
// past the separator and the blanks after it.
std::string next_field(const char*& p, const char* end) {
    const char* stop = find_unescaped(p, end, '\t');
    if (stop == end) stop = find_unescaped(p, end, ' ');
    std::string field = unescape(p, stop);
    p = stop < end ? stop + 1 : end;
    while (p < end && is_blank(*p)) p++;
    return field;
}

}  // namespace

bool CMountPointList::Load(int detail, bool all) {
    for (const char* table : kMountTables) {
        if (Load(detail, all, table)) return true;
    }
    return false;
}

bool CMountPointList::Load(int detail, bool all, const char* table) {
    DestroyAll();
    table_ = table;
    std::string content;
    struct stat status;
    if (!table || read_table(table, content, status) != 0) return false;

    const char* p = content.data();
    const char* text_end = p + content.size();
    while (p < text_end) {
        const char* line_end = p;
        while (line_end < text_end && *line_end != '\n') line_end++;
        const char* q = p;
        while (q < line_end && is_blank(*q)) q++;
        std::string device = next_field(q, line_end);
        std::string mount_point = next_field(q, line_end);
        std::string type = next_field(q, line_end);
        p = line_end < text_end ? line_end + 1 : text_end;
        if (mount_point.empty()) continue;  // a blank or damaged line

        struct statvfs fs;
        bool have_statistics = false;
        if (detail == 1 || !all) have_statistics = statvfs(mount_point.c_str(), &fs) == 0;
        if (!all && ((have_statistics && fs.f_blocks == 0) || type == "tmpfs")) continue;

        TMountPoint* record = new TMountPoint;
        record->device = DecodeFileName(device.data(), device.size());
        record->mount_point = DecodeFileName(mount_point.data(), mount_point.size());
        record->fs_type = DecodeFileName(type.data(), type.size());
        if (have_statistics) {
            record->total_bytes = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
            record->free_bytes = static_cast<uint64_t>(fs.f_bfree) * fs.f_frsize;
        }
        if (AddObject(record) != 0) delete record;
    }
    table_time_ = modification_time(status);
    generated_ = is_generated(status);
    table_hash_ = hash_text(content);
    return true;
}

bool CMountPointList::IsStale() const {
    if (table_.empty()) return false;
    std::string content;
    struct stat status;
    if (read_table(table_.c_str(), content, status) != 0) return false;
    if (modification_time(status) > table_time_) return true;
    return (generated_ || is_generated(status)) && hash_text(content) != table_hash_;
}

int CMountPointList::FindPos(const Westring& path, int* failure) const {
    if (failure) *failure = 0;
    Estring system_path = EncodeFileName(path);
    char* resolved_bytes = realpath(system_path.c_str(), nullptr);
    if (!resolved_bytes) {
        if (failure) *failure = errno;
        return -1;
    }
    Westring resolved = DecodeFileName(resolved_bytes);
    std::free(resolved_bytes);

    int path_length = resolved.strlen();
    int best = -1;
    int best_length = -1;
    for (int i = 0; i < count(); i++) {
        const Westring& mount = (*this)[i]->mount_point;
        int length = mount.strlen();
        if (length > path_length || length == 0) continue;
        if (fncomparen(mount.c_str(), resolved.c_str(), static_cast<size_t>(length)) != 0) continue;
        bool whole_component = (length == 1 && mount[0] == L'/') || resolved[length] == L'/' ||
                               resolved[length] == 0;
        if (!whole_component) continue;
        // A later entry of the same length was mounted over the earlier one.
        if (length >= best_length) {
            best = i;
            best_length = length;
        }
    }
    return best;
}

TMountPoint* CMountPointList::Find(const Westring& path, int* failure) {
    int position = FindPos(path, failure);
    return position < 0 ? nullptr : (*this)[position];
}

bool GetUnixFSInfo(Estring& type, Westring& mountPoint, const Westring& path) {
    CMountPointList list;
    if (!list.Load(0, true)) return false;
    TMountPoint* record = list.Find(path);
    if (!record) return false;
    type = record->fs_type.ToAscii();
    mountPoint = record->mount_point;
    return true;
}

int dvGetDiskSpace(Westring path, long long& total, long long& free, unsigned long& blockSize) {
    Estring system_path = EncodeFileName(path);
    struct statvfs fs;
    if (statvfs(system_path.c_str(), &fs) != 0) return errno;
    total = static_cast<long long>(fs.f_blocks * static_cast<unsigned long long>(fs.f_frsize));
    free = static_cast<long long>(fs.f_bavail * static_cast<unsigned long long>(fs.f_frsize));
    blockSize = fs.f_frsize;
    return 0;
}
