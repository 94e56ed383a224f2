#include "tools/fileinfo.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "console/console.h"
#include "fileops/query/permissions.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/numfmt.h"
#include "lib/timestamp.h"

namespace {

constexpr int kSizeColumns = 20;
constexpr int kShortSizeColumns = 6;
// The room the target keeps beside the label column and the frame.
constexpr int kTargetMargin = 20;

Westring number_text(int64_t n) { return Westring(IntToStr(static_cast<long>(n))); }

Westring time_text(const struct timespec& time) {
    return Westring(TimeStamp(time.tv_sec, static_cast<uint32_t>(time.tv_nsec)).ToString());
}

const wchar_t* type_name(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFIFO: return L"Named Pipe (FIFO)";
        case S_IFCHR: return L"Character device";
        case S_IFDIR: return L"Directory";
        case S_IFBLK: return L"Block device";
        case S_IFREG: return L"Regular file";
        case S_IFLNK: return L"Symbolic Link";
        case S_IFSOCK: return L"Socket";
        default: return L"Unknown";
    }
}

// Calls lookup with a buffer that grows while the reentrant call reports
// ERANGE; lookup returns that call's result.
template <class Lookup>
void with_buffer(long suggested, Lookup lookup) {
    size_t size = suggested > 0 ? static_cast<size_t>(suggested) : 1024;
    while (lookup(std::vector<char>(size)) == ERANGE && size < (1u << 24)) size *= 2;
}

// The link's target as stored, or empty when it cannot be read.
Westring link_target(const Estring& path, off_t size_hint) {
    size_t size = size_hint > 0 ? static_cast<size_t>(size_hint) + 1 : 256;
    for (;;) {
        std::vector<char> buffer(size);
        const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return Westring();
        // A target that filled the buffer may have been cut: read it again.
        if (static_cast<size_t>(n) < buffer.size()) return DecodeFileName(buffer.data(), static_cast<size_t>(n));
        if (size >= (1u << 20)) return Westring();
        size *= 2;
    }
}

}  // namespace

Westring FileInfoSizeFormat(int64_t size) {
    const Westring full = itoa_comma(size, kSizeColumns).trim();
    const Westring brief = itoa_comma(size, kShortSizeColumns).trim();
    if (brief == full) return full;
    return full + L" (" + brief + L")";
}

Westring FileInfoOwner(uint32_t uid) {
    Westring text = number_text(uid);
    with_buffer(sysconf(_SC_GETPW_R_SIZE_MAX), [&](std::vector<char> buffer) {
        struct passwd record;
        struct passwd* found = nullptr;
        const int result = getpwuid_r(static_cast<uid_t>(uid), &record, buffer.data(), buffer.size(), &found);
        if (result != 0 || !found) return result;
        text = DecodeFileName(found->pw_name) + L"(" + number_text(uid) + L")";
        if (found->pw_gecos) {
            const char* comment = found->pw_gecos;
            size_t n = 0;
            while (comment[n] && comment[n] != ',') n++;
            if (n > 0) text += Westring(L" - ") + DecodeFileName(comment, n);
        }
        return 0;
    });
    return text;
}

Westring FileInfoGroup(uint32_t gid) {
    Westring text = number_text(gid);
    with_buffer(sysconf(_SC_GETGR_R_SIZE_MAX), [&](std::vector<char> buffer) {
        struct group record;
        struct group* found = nullptr;
        const int result = getgrgid_r(static_cast<gid_t>(gid), &record, buffer.data(), buffer.size(), &found);
        if (result == 0 && found) text = DecodeFileName(found->gr_name) + L"(" + number_text(gid) + L")";
        return result;
    });
    return text;
}

bool GetFileInfo(const Westring& path, CFileInfoItems& items, int& error) {
    items.clear();
    const Estring bytes = EncodeFileName(path);
    struct stat status;
    if (lstat(bytes.c_str(), &status) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    items.push_back({"Size", FileInfoSizeFormat(status.st_size)});
    items.push_back({"Access Time", time_text(status.st_atim)});
    items.push_back({"Modified Time", time_text(status.st_mtim)});
    items.push_back({"Changed Time", time_text(status.st_ctim)});
    items.push_back({"Mode", UnixMode2Str(static_cast<int>(status.st_mode))});
    items.push_back({"Hard Links", number_text(static_cast<int64_t>(status.st_nlink))});
    items.push_back({"Type", type_name(status.st_mode)});
    if (S_ISLNK(status.st_mode)) {
        Westring target = link_target(bytes, status.st_size);
        const int columns = console ? console->columns() : 80;
        collapse_path(target, columns - kTargetMargin);
        items.push_back({"Target", target});
    }
    items.push_back({"Owner", FileInfoOwner(status.st_uid)});
    items.push_back({"Group", FileInfoGroup(status.st_gid)});
    return true;
}
