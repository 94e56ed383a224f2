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
    if (!stream_) return nullptr;
    entry* e = entry::Create(name());
    if (!describe_listed(e, dirfd(stream_), raw_, kind_, uid_, gid_)) {
        entry::Destroy(e);
        return nullptr;
    }
    return e;
}
