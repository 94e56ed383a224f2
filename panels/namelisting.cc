#include "panels/namelisting.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "lib/fsname.h"
#include "panels/directory.h"

std::atomic<bool> name_listing_hides_kinds{false};

NameListing::NameListing(const Westring& dir) : dir_(dir), uid_(getuid()), gid_(getgid()) { name_[0] = 0; }

NameListing::~NameListing() {
    if (stream_) closedir(stream_);
}

int NameListing::Open() {
    if (stream_) return EINVAL;
    stream_ = opendir(EncodeFileName(dir_).c_str());
    return stream_ ? 0 : errno;
}

bool NameListing::Next() {
    if (!stream_) return false;
    for (;;) {
        errno = 0;
        const struct dirent* d = readdir(stream_);
        if (!d) {
            error_ = errno;
            return false;
        }
        const char* raw = d->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0))) continue;
        raw_ = raw;
        const bool hide_kind = name_listing_hides_kinds.load(std::memory_order_relaxed);
        kind_ = hide_kind ? static_cast<unsigned char>(DT_UNKNOWN) : d->d_type;
        name_decoded_ = false;
        return true;
    }
}

const wchar_t* NameListing::name() {
    if (name_decoded_) return name_;
    // Most names are ASCII, whose bytes are their characters. The length
    // check guards the buffer against a listing that breaks the name limit.
    size_t length = 0;
    for (; raw_[length]; length++) {
        const unsigned char byte = static_cast<unsigned char>(raw_[length]);
        if (byte >= 0x80 || length >= 255) break;
        name_[length] = byte;
    }
    if (raw_[length] == 0) {
        name_[length] = 0;
    } else {
        const Westring decoded = DecodeFileName(raw_);
        const size_t decoded_length = std::min<size_t>(static_cast<size_t>(decoded.strlen()), 255);
        std::wmemcpy(name_, decoded.c_str(), decoded_length);
        name_[decoded_length] = 0;
    }
    name_decoded_ = true;
    return name_;
}

int NameListing::Status(struct stat* status, bool follow) const {
    if (!stream_) return EBADF;
    const int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
    const int dir_fd = dirfd(stream_);
    const int result = directory_stat_hook ? directory_stat_hook(dir_fd, raw_, status, flags)
                                           : fstatat(dir_fd, raw_, status, flags);
    return result == 0 ? 0 : errno;
}

entry* NameListing::Describe() {
    uint16_t attr = raw_[0] == '.' ? FA_HIDDEN : 0;
    struct stat status;
    const int code = Status(&status, false);
    if (code == ENOENT) return nullptr;
    if (code != 0) {
        // Not inspectable (no search permission on the directory, for
        // one): described by name, with the kind the listing gives.
        std::memset(&status, 0, sizeof status);
        status.st_mode = kind_ == DT_DIR ? S_IFDIR : S_IFREG;
        if (kind_ == DT_LNK) attr |= FA_LINK | FA_BROKEN;
    } else if (S_ISLNK(status.st_mode)) {
        attr |= FA_LINK;
        struct stat target;
        if (Status(&target, true) == 0) status = target;
        else attr |= FA_BROKEN;
    }
    const mode_t mode = status.st_mode;
    const bool directory = S_ISDIR(mode);
    if (directory) attr |= FA_DIREC;
    const bool writable = (mode & S_IWOTH) || ((mode & S_IWGRP) && status.st_gid == gid_) ||
                          ((mode & S_IWUSR) && status.st_uid == uid_);
    if (!writable) attr |= FA_RDONLY;

    entry* e = entry::Create(name());
    e->attr = attr;
    e->size = directory ? 0 : static_cast<uint64_t>(status.st_size);
    e->mode = static_cast<uint16_t>(mode & 0xFFFF);
    e->uid = static_cast<uint32_t>(status.st_uid);
    e->gid = static_cast<uint32_t>(status.st_gid);
    e->time = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
    return e;
}
