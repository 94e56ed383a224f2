// Listing a directory's names with the kind the listing itself tells
// (directory, link, file, or unknown) and nothing more: a search over a
// large tree looks closer only at the few names it keeps.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>

#include "lib/westring.h"
#include "panels/entry.h"

// For tests: when set, every listing reports DT_UNKNOWN as the kind of
// each name, as some file systems do.
extern std::atomic<bool> name_listing_hides_kinds;

class NameListing {
public:
    explicit NameListing(const Westring& dir);
    ~NameListing();
    NameListing(const NameListing&) = delete;
    NameListing& operator=(const NameListing&) = delete;

    // Opens the directory: 0 or the system's error number (EACCES,
    // ENOENT, ENOTDIR, ...).
    [[nodiscard]] int Open();
    // Moves to the next name other than "." and ".."; false at the end of
    // the listing or when it broke off (see error).
    [[nodiscard]] bool Next();
    // 0, or the system's error number when the listing broke off.
    int error() const { return error_; }

    // The current name in the system's bytes.
    const char* raw() const { return raw_; }
    // Its kind as listed: DT_DIR, DT_LNK, DT_REG, ... or DT_UNKNOWN.
    unsigned char kind() const { return kind_; }
    // The current name as wide text; valid until the next call of Next.
    const wchar_t* name();

    // The current name's status, of a link itself or, with follow, of
    // what it leads to: 0 or the system's error number.
    [[nodiscard]] int Status(struct stat* status, bool follow) const;
    // A new entry for the current name, described as a panel describes it
    // (a link by its target, when there is one), or null when the name has
    // gone since it was listed. The caller frees it with entry::Destroy.
    entry* Describe();

private:
    Westring dir_;
    DIR* stream_ = nullptr;
    int error_ = 0;
    const char* raw_ = "";
    unsigned char kind_ = DT_UNKNOWN;
    bool name_decoded_ = false;
    // A name has at most 255 bytes, each at most one character.
    wchar_t name_[256];
    uid_t uid_;
    gid_t gid_;
};
