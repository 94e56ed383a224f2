#include "panels/directory.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <cwchar>

#include "lib/atpath.h"
#include "lib/fsname.h"

bool wild_simple(const wchar_t* pattern, const wchar_t* name) {
    if (!pattern) pattern = L"";
    if (!name) name = L"";
    // Each '*' first matches nothing; on a mismatch the latest '*' takes one
    // more character and matching resumes after it. Trying the latest '*'
    // alone is enough, so the work stays proportional to the lengths.
    const wchar_t* star = nullptr;  // the pattern just after the latest '*'
    const wchar_t* resume = nullptr;  // where that '*''s run ends in name
    while (*name) {
        if (*pattern == L'*') {
            while (*pattern == L'*') pattern++;
            if (!*pattern) return true;  // a trailing '*' takes the rest at once
            star = pattern;
            resume = name;
        } else if (*pattern && (*pattern == L'?' || *pattern == *name)) {
            pattern++;
            name++;
        } else if (star) {
            pattern = star;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == L'*') pattern++;
    return *pattern == 0;
}

Directory::Directory(const Westring& dir, const Westring& fsinfo)
    : dir_(dir), fsinfo_(fsinfo), uid_(getuid()), gid_(getgid()) {}

Directory::~Directory() { FindEnd(); }

entry* Directory::NewRecord() {
    wchar_t room[kMaxNameLength + 1];
    std::wmemset(room, L' ', kMaxNameLength);
    room[kMaxNameLength] = 0;
    entry* e = entry::Create(room, kMaxNameLength);
    e->name[0] = 0;
    return e;
}

void Directory::FindEnd() {
    if (stream_) closedir(stream_);
    stream_ = nullptr;
}

int Directory::FindFirst(const Westring& pattern, unsigned mask, entry** result) {
    FindEnd();
    mask_ = mask;
    listed_ = dir_;
    int slash = pattern.rchr(L'/');
    if (slash >= 0) {
        // The pattern's directory part: absolute, or below the directory.
        Westring part = pattern.left(slash);
        if (slash == 0) listed_ = L"/";
        else if (part[0] == L'/') listed_ = part;
        else listed_ = listed_.AppendBackslash() + part;
        pattern_ = pattern.mid(slash + 1);
    } else {
        pattern_ = pattern;
    }
    match_all_ = pattern_[0] == L'*' && pattern_[1] == 0;
    if (!result || (!(mask_ & FIND_ALLOCATE) && !*result)) return error_ = EINVAL;

    Estring system_path = EncodeFileName(listed_);
    int fd;
    if (mask_ & FIND_ANY_LENGTH) {
        AtPath at(system_path.c_str());
        fd = at.OpenDirectory();
        if (fd < 0) return error_ = errno;
    } else {
        fd = open(system_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return error_ = errno;
    }
    stream_ = fdopendir(fd);
    if (!stream_) {
        error_ = errno;
        close(fd);
        return error_;
    }
    return next_match(result);
}

int Directory::FindNext(entry** result) {
    if (!stream_) return error_ = DIR_NO_MORE_FILES;
    if (!result || (!(mask_ & FIND_ALLOCATE) && !*result)) return error_ = EINVAL;
    return next_match(result);
}

bool Directory::Find(const Westring& pattern, unsigned mask) {
    entry* record = NewRecord();
    int result = FindFirst(pattern, mask & ~FIND_ALLOCATE, &record);
    FindEnd();
    entry::Destroy(record);
    return result == 0;
}

int Directory::next_match(entry** result) {
    const int dir_fd = dirfd(stream_);
    const bool want_dirs = mask_ & (FIND_DIRS | FIND_DIRS_ONLY);
    const bool dirs_only = mask_ & FIND_DIRS_ONLY;
    for (;;) {
        errno = 0;
        struct dirent* d = readdir(stream_);
        if (!d) return error_ = errno ? errno : DIR_NO_MORE_FILES;
        const char* raw = d->d_name;
        const bool parent = raw[0] == '.' && raw[1] == '.' && raw[2] == 0;
        const bool hidden = raw[0] == '.' && !parent;
        if (hidden && !(mask_ & FIND_HIDDEN)) continue;
        // When the listing tells the kind, entries of an unwanted kind are
        // passed over without inspecting them.
        if (d->d_type == DT_DIR && !want_dirs) continue;
        if (dirs_only && d->d_type != DT_DIR && d->d_type != DT_LNK && d->d_type != DT_UNKNOWN) continue;

        Westring name = DecodeFileName(raw);
        if (!match_all_ && !wild_simple(pattern_.c_str(), name.c_str())) continue;

        uint16_t attr = hidden ? FA_HIDDEN : 0;
        struct stat status;
        if (fstatat(dir_fd, raw, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // removed since it was listed
            // Not inspectable (no search permission on the directory, for
            // one): listed by name, with the kind the listing gives.
            std::memset(&status, 0, sizeof status);
            status.st_mode = d->d_type == DT_DIR ? S_IFDIR : S_IFREG;
            if (d->d_type == DT_LNK) attr |= FA_LINK | FA_BROKEN;
        } else if (S_ISLNK(status.st_mode)) {
            // A link is shown with its target's data; a broken one with its own.
            attr |= FA_LINK;
            struct stat target;
            if (fstatat(dir_fd, raw, &target, 0) == 0) status = target;
            else attr |= FA_BROKEN;
        }
        const bool directory = S_ISDIR(status.st_mode);
        if (directory ? !want_dirs : dirs_only) continue;
        if (directory) attr |= FA_DIREC;

        // Writable for everybody, for the file's group when it is the
        // process's real group, or for the owner when that is the real user.
        const mode_t mode = status.st_mode;
        const bool writable = (mode & S_IWOTH) || ((mode & S_IWGRP) && status.st_gid == gid_) ||
                              ((mode & S_IWUSR) && status.st_uid == uid_);
        if (!writable) attr |= FA_RDONLY;

        entry* e;
        if (mask_ & FIND_ALLOCATE) {
            e = entry::Create(name.c_str(), name.strlen());
        } else {
            // A caller's record: every field is set anew.
            e = *result;
            std::memset(static_cast<void*>(e), 0, offsetof(entry, name));
            e->desc[0] = e->desc[1] = 0xFFFFFFFFu;
            int length = name.strlen();
            if (length > kMaxNameLength) length = kMaxNameLength;
            std::wmemcpy(e->name, name.c_str(), static_cast<size_t>(length));
            e->name[length] = 0;
        }
        e->attr = attr;
        e->size = directory ? 0 : static_cast<uint64_t>(status.st_size);
        e->mode = static_cast<uint16_t>(mode & 0xFFFF);
        e->uid = static_cast<uint32_t>(status.st_uid);
        e->gid = static_cast<uint32_t>(status.st_gid);
        e->time = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
        *result = e;
        return error_ = 0;
    }
}
