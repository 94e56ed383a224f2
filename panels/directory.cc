#include "panels/directory.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>
#include <system_error>
#include <utility>

#include "lib/atpath.h"
#include "lib/casefold.h"
#include "lib/fsname.h"

DirectoryStatFunction directory_stat_hook = nullptr;

namespace {

// Names beginning with '.' are hidden, all but "..".
bool is_hidden(const char* raw) { return raw[0] == '.' && !(raw[1] == '.' && raw[2] == 0); }

int stat_name(int dir_fd, const char* name, struct stat* status, int flags) {
    if (directory_stat_hook) return directory_stat_hook(dir_fd, name, status, flags);
    return fstatat(dir_fd, name, status, flags);
}

// What inspecting one listed name found: the status to show (a link's
// target's when it leads somewhere) and the attributes known so far.
struct Inspection {
    struct stat status;
    uint16_t attr;
};

// Inspects raw, listed in dir_fd with the kind d_type; false when it has
// been removed since it was listed.
bool inspect_name(int dir_fd, const char* raw, unsigned char d_type, Inspection& found) {
    found.attr = is_hidden(raw) ? FA_HIDDEN : 0;
    struct stat& status = found.status;
    if (stat_name(dir_fd, raw, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return false;
        // Not inspectable (no search permission on the directory, for
        // one): listed by name, with the kind the listing gives.
        std::memset(&status, 0, sizeof status);
        status.st_mode = d_type == DT_DIR ? S_IFDIR : S_IFREG;
        if (d_type == DT_LNK) found.attr |= FA_LINK | FA_BROKEN;
    } else if (S_ISLNK(status.st_mode)) {
        // A link is shown with its target's data; a broken one with its own.
        found.attr |= FA_LINK;
        struct stat target;
        if (stat_name(dir_fd, raw, &target, 0) == 0) status = target;
        else found.attr |= FA_BROKEN;
    }
    return true;
}

// Sets e's fields from what inspecting its name found; uid and gid are the
// process's real ones.
void describe(entry* e, const Inspection& found, uid_t uid, gid_t gid) {
    const struct stat& status = found.status;
    const bool directory = S_ISDIR(status.st_mode);
    uint16_t attr = found.attr;
    if (directory) attr |= FA_DIREC;
    // Writable for everybody, for the file's group when it is the
    // process's real group, or for the owner when that is the real user.
    const mode_t mode = status.st_mode;
    const bool writable = (mode & S_IWOTH) || ((mode & S_IWGRP) && status.st_gid == gid) ||
                          ((mode & S_IWUSR) && status.st_uid == uid);
    if (!writable) attr |= FA_RDONLY;
    e->attr = attr;
    e->size = directory ? 0 : static_cast<uint64_t>(status.st_size);
    e->mode = static_cast<uint16_t>(mode & 0xFFFF);
    e->uid = static_cast<uint32_t>(status.st_uid);
    e->gid = static_cast<uint32_t>(status.st_gid);
    e->time = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
}

}  // namespace

bool describe_listed(entry* e, int dir_fd, const char* raw, unsigned char d_type, uid_t uid, gid_t gid) {
    Inspection found;
    if (!inspect_name(dir_fd, raw, d_type, found)) return false;
    describe(e, found, uid, gid);
    return true;
}

bool wild_simple(const wchar_t* pattern, const wchar_t* name, LetterCase letters) {
    if (!pattern) pattern = L"";
    if (!name) name = L"";
    // Each '*' first matches nothing; on a mismatch the latest '*' takes one
    // more character and matching resumes after it. Trying the latest '*'
    // alone is enough, so the work stays proportional to the lengths.
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    const wchar_t* star = nullptr;  // the pattern just after the latest '*'
    const wchar_t* resume = nullptr;  // where that '*''s run ends in name
    while (*name) {
        if (*pattern == L'*') {
            while (*pattern == L'*') pattern++;
            if (!*pattern) return true;  // a trailing '*' takes the rest at once
            star = pattern;
            resume = name;
        } else if (*pattern && (*pattern == L'?' || *pattern == *name ||
                                (letters == LetterCase::kIgnored && fold.toupper(*pattern) == fold.toupper(*name)))) {
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
        if (is_hidden(raw) && !(mask_ & FIND_HIDDEN)) continue;
        // When the listing tells the kind, entries of an unwanted kind are
        // passed over without inspecting them.
        if (d->d_type == DT_DIR && !want_dirs) continue;
        if (dirs_only && d->d_type != DT_DIR && d->d_type != DT_LNK && d->d_type != DT_UNKNOWN) continue;

        Westring name = DecodeFileName(raw);
        if (!match_all_ && !wild_simple(pattern_.c_str(), name.c_str())) continue;

        Inspection found;
        if (!inspect_name(dir_fd, raw, d->d_type, found)) continue;
        const bool directory = S_ISDIR(found.status.st_mode);
        if (directory ? !want_dirs : dirs_only) continue;

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
        describe(e, found, uid_, gid_);
        *result = e;
        return error_ = 0;
    }
}

namespace {

// Names listed in one piece; a piece is what one thread inspects at a time.
constexpr size_t kChunkNames = 256;
// How many listed pieces may wait ahead of the one the caller takes: enough
// to keep the helpers busy, few enough that a read given up early has not
// inspected much more than it used.
constexpr size_t kChunksAhead = 64;
// More threads than this gain nothing: the system serves the inspections
// of one directory only so far in parallel.
constexpr unsigned kMostHelpers = 3;

}  // namespace

struct DirectoryReader::Chunk {
    std::string names;                 // the raw names, each ended by a zero byte
    std::vector<uint32_t> starts;      // where each name begins in names
    std::vector<unsigned char> kinds;  // each name's kind as the listing gives it
    std::vector<entry*> entries;       // once inspected: each name's entry, null where it vanished
    std::exception_ptr failure;        // what ended its inspection early
    bool done = false;                 // inspected (guarded by the reader's mutex)

    Chunk() = default;
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    ~Chunk() {
        for (entry* e : entries) entry::Destroy(e);
    }
};

DirectoryReader::DirectoryReader(const Westring& dir) : dir_(dir), uid_(getuid()), gid_(getgid()) {}

DirectoryReader::~DirectoryReader() {
    stop_helpers();
    if (stream_) closedir(stream_);
}

int DirectoryReader::First(entry** result) {
    if (!result || stream_) return EINVAL;
    const int fd = open(EncodeFileName(dir_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    stream_ = fdopendir(fd);
    if (!stream_) {
        const int code = errno;
        close(fd);
        return code;
    }
    dir_fd_ = fd;
    return Next(result);
}

int DirectoryReader::Next(entry** result) {
    if (!result) return EINVAL;
    if (!stream_) return DIR_NO_MORE_FILES;
    for (;;) {
        if (current_) {
            std::vector<entry*>& entries = current_->entries;
            while (next_entry_ < entries.size()) {
                entry* e = std::exchange(entries[next_entry_++], nullptr);
                if (e) {
                    *result = e;
                    return 0;
                }
            }
            current_.reset();
        }
        list_ahead();
        // Only this thread adds or removes chunks, so it may look without the lock.
        if (chunks_.empty()) return list_end_;
        current_ = take_front();
        next_entry_ = 0;
    }
}

bool DirectoryReader::list_chunk() {
    auto chunk = std::make_unique<Chunk>();
    chunk->names.reserve(kChunkNames * 24);
    chunk->starts.reserve(kChunkNames);
    chunk->kinds.reserve(kChunkNames);
    while (chunk->starts.size() < kChunkNames) {
        errno = 0;
        const struct dirent* d = readdir(stream_);
        if (!d) {
            list_end_ = errno ? errno : DIR_NO_MORE_FILES;
            break;
        }
        chunk->starts.push_back(static_cast<uint32_t>(chunk->names.size()));
        chunk->names.append(d->d_name, std::strlen(d->d_name) + 1);
        chunk->kinds.push_back(d->d_type);
    }
    if (chunk->starts.empty()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        chunks_.push_back(std::move(chunk));
        listed_++;
    }
    work_listed_.notify_one();
    return true;
}

void DirectoryReader::list_ahead() {
    while (list_end_ == 0 && listed_ - dropped_ < kChunksAhead) {
        if (!list_chunk()) break;
        // A second chunk shows a directory large enough to share out.
        if (!helpers_tried_ && listed_ >= 2) start_helpers();
    }
}

std::unique_ptr<DirectoryReader::Chunk> DirectoryReader::take_front() {
    std::unique_lock<std::mutex> lock(mutex_);
    Chunk& front = *chunks_.front();
    while (!front.done) {
        if (claimed_ < listed_) {
            // Rather than wait, inspect the next chunk nobody has taken
            // (the front itself when no helper has begun it).
            Chunk& chunk = *chunks_[claimed_++ - dropped_];
            lock.unlock();
            inspect(chunk);
            lock.lock();
            chunk.done = true;
        } else if (list_end_ == 0) {
            // A helper may have been put aside by the system in the middle
            // of the front chunk: list further and inspect that meanwhile.
            lock.unlock();
            list_chunk();
            lock.lock();
        } else {
            chunk_done_.wait(lock);
        }
    }
    std::unique_ptr<Chunk> taken = std::move(chunks_.front());
    chunks_.pop_front();
    dropped_++;
    lock.unlock();
    if (taken->failure) std::rethrow_exception(taken->failure);
    return taken;
}

void DirectoryReader::inspect(Chunk& chunk) const {
    try {
        const size_t count = chunk.starts.size();
        chunk.entries.assign(count, nullptr);
        for (size_t i = 0; i < count; i++) {
            const char* raw = chunk.names.data() + chunk.starts[i];
            Inspection found;
            if (!inspect_name(dir_fd_, raw, chunk.kinds[i], found)) continue;
            Westring name = DecodeFileName(raw);
            entry* e = entry::Create(name.c_str(), name.strlen());
            describe(e, found, uid_, gid_);
            chunk.entries[i] = e;
        }
    } catch (...) {
        // Handed to the caller with the chunk, whichever thread met it.
        chunk.failure = std::current_exception();
    }
}

void DirectoryReader::start_helpers() {
    helpers_tried_ = true;
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned wanted = std::clamp(cores > 1 ? cores - 1 : 1u, 1u, kMostHelpers);
    try {
        while (helpers_.size() < wanted) helpers_.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
        // Fewer helpers, or none: the caller inspects what they leave.
    }
}

void DirectoryReader::help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_listed_.wait(lock, [this] { return stopping_ || claimed_ < listed_; });
        if (stopping_) return;
        Chunk& chunk = *chunks_[claimed_++ - dropped_];
        lock.unlock();
        inspect(chunk);
        lock.lock();
        chunk.done = true;
        chunk_done_.notify_one();
    }
}

void DirectoryReader::stop_helpers() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work_listed_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
    helpers_.clear();
}
