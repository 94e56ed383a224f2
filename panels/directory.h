// Reading a directory entry by entry into `entry` records, with a simple
// wildcard pattern on the names and a mask that chooses directories, files
// and names that begin with '.'.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "lib/westring.h"
#include "panels/entry.h"

// Results of FindFirst and FindNext besides 0 and the system's error numbers.
constexpr int DIR_NO_MORE_FILES = 0x40000001;  // the listing has no (more) matching entries
constexpr int DIR_NO_DISK = 0x40000002;        // the medium is missing

// Bits of the FindFirst mask.
enum : unsigned {
    FIND_HIDDEN = 0x0002,      // include names that begin with '.'
    FIND_DIRS = 0x0010,        // include directories
    FIND_ALLOCATE = 0x10000,   // give every result in a new entry (else fill the caller's)
    FIND_DIRS_ONLY = 0x20000,  // directories only
    // A directory path longer than the system takes is reached in steps
    // (lib/atpath.h); otherwise it fails with ENAMETOOLONG.
    FIND_ANY_LENGTH = 0x40000,
};

enum class LetterCase { kExact, kIgnored };

// Whether name matches pattern: '?' matches one character (there must be
// one), '*' any run of characters including none, every other character
// itself (case matters unless ignored, then letters compare through the
// Unicode case folding). Two empty texts match; an empty pattern matches
// nothing else. Null counts as empty.
bool wild_simple(const wchar_t* pattern, const wchar_t* name, LetterCase letters = LetterCase::kExact);

class Directory {
public:
    // A caller-owned record for FindFirst without FIND_ALLOCATE must have
    // room for a name this long: a system name has at most 255 bytes, and
    // each byte becomes at most one character.
    static constexpr int kMaxNameLength = 255;

    // dir: the directory to list. fsinfo: the type name of the file system
    // that holds it, when the caller knows it (kept for the caller).
    explicit Directory(const Westring& dir, const Westring& fsinfo = Westring());
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Opens the directory and gives the first entry whose name matches
    // pattern and whose kind the mask admits. A directory part of pattern
    // ("sub/*.c") is appended to the directory. With FIND_ALLOCATE *result
    // receives a new entry (the caller frees it with entry::Destroy);
    // otherwise *result must be a record from NewRecord, which is filled.
    // 0, DIR_NO_MORE_FILES, or the system's error number (EACCES, ENOTDIR,
    // ENOENT, ENAMETOOLONG, ...).
    [[nodiscard]] int FindFirst(const Westring& pattern, unsigned mask, entry** result);
    // The next entry, with the results of FindFirst. An entry that vanishes
    // between listing and inspection is passed over.
    [[nodiscard]] int FindNext(entry** result);
    // Closes the listing; FindFirst may start another.
    void FindEnd();
    // Whether anything matches pattern and mask.
    bool Find(const Westring& pattern, unsigned mask);

    // The result of the last FindFirst or FindNext.
    int error() const { return error_; }
    // The directory being listed: dir with the pattern's directory part.
    const Westring& listed() const { return listed_; }
    const Westring& fsinfo() const { return fsinfo_; }

    // A record with room for any name, for FindFirst without FIND_ALLOCATE;
    // free it with entry::Destroy.
    static entry* NewRecord();

private:
    int next_match(entry** result);

    Westring dir_;
    Westring fsinfo_;
    Westring listed_;
    Westring pattern_;
    unsigned mask_ = 0;
    bool match_all_ = true;
    DIR* stream_ = nullptr;
    int error_ = 0;
    uid_t uid_;
    gid_t gid_;
};

// For tests: when set, every name a directory read inspects is looked at
// through this instead of the system's fstatat (the same arguments and
// result). DirectoryReader calls it from several threads at once.
using DirectoryStatFunction = int (*)(int dir_fd, const char* name, struct stat* status, int flags);
extern DirectoryStatFunction directory_stat_hook;

// Fills e's attributes, size, mode, owner and time from the name raw,
// listed in dir_fd with the kind d_type (a link shows its target's data), as
// a directory read does; uid and gid are the process's real ones. False when
// the name has been removed since it was listed.
bool describe_listed(entry* e, int dir_fd, const char* raw, unsigned char d_type, uid_t uid, gid_t gid);

// Reads every entry of a directory, hidden ones and "." and ".." included,
// each inspected as Directory does, in the order the system lists them.
// The names are listed on the calling thread; once a directory proves
// large, helper threads inspect the names listed ahead of the caller while
// the caller takes the finished entries, and inspects with them whenever
// it would otherwise wait. Every thread is joined when the reader is
// destroyed, also when it is left in the middle of the listing.
class DirectoryReader {
public:
    explicit DirectoryReader(const Westring& dir);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // Opens the directory and gives its first entry in *result, a new entry
    // the caller frees with entry::Destroy. 0, DIR_NO_MORE_FILES, or the
    // system's error number (EACCES, ENOTDIR, ENOENT, ENAMETOOLONG, ...).
    [[nodiscard]] int First(entry** result);
    // The next entry, with the results of First; an error of the listing
    // comes after the entries listed before it. An entry that vanishes
    // between listing and inspection is passed over.
    [[nodiscard]] int Next(entry** result);

    // How many helper threads were started for this listing.
    int helpers() const { return static_cast<int>(helpers_.size()); }

private:
    struct Chunk;

    // Lists up to one chunk of names and hands it to the helpers; false
    // when the listing had no more.
    bool list_chunk();
    // Lists until enough chunks wait ahead of the caller, or the listing ends.
    void list_ahead();
    // The oldest chunk, once inspected: by a helper, or by the caller.
    std::unique_ptr<Chunk> take_front();
    void inspect(Chunk& chunk) const;
    void start_helpers();
    // A helper thread: inspects chunks until the reader stops.
    void help();
    void stop_helpers();

    Westring dir_;
    DIR* stream_ = nullptr;
    int dir_fd_ = -1;  // the stream's, for the helpers
    uid_t uid_;
    gid_t gid_;
    int list_end_ = 0;  // how the listing ended: 0 while it goes on, else DIR_NO_MORE_FILES or an error
    bool helpers_tried_ = false;

    // The chunks listed and not yet all taken by the caller, the oldest
    // first, with the counts below numbering chunks from the first listed.
    std::mutex mutex_;
    std::condition_variable work_listed_;  // for the helpers: a chunk to inspect, or the end
    std::condition_variable chunk_done_;   // for the caller: a helper finished a chunk
    std::deque<std::unique_ptr<Chunk>> chunks_;
    size_t dropped_ = 0;  // chunks taken whole and freed
    size_t listed_ = 0;   // chunks complete and ready to inspect
    size_t claimed_ = 0;  // chunks some thread has begun to inspect
    bool stopping_ = false;
    std::vector<std::thread> helpers_;

    // The caller's side: the chunk being handed out, and the next entry of it.
    std::unique_ptr<Chunk> current_;
    size_t next_entry_ = 0;
};
