// Archive: an archive file browsed like a directory. Its table of contents
// is read once, by the first of the format readers that recognises the
// file, into one flat sorted list of members; a panel then lists one
// directory level of it at a time, with the subdirectories made up from the
// paths of deeper members. Nothing is decompressed here: only headers and
// directory records are read.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/archiveentry.h"
#include "archive/randomfile.h"
#include "lib/memorypool.h"
#include "lib/timestamp.h"
#include "lib/westring.h"

struct entry;
struct TREENODE;
class DirReadProgress;

// The archive formats, in the order their readers are tried. The same
// index selects the archiver program that extracts and changes them.
enum ArchiveType : int32_t {
    ARCHIVE_ZIP = 0,
    ARCHIVE_RAR,
    ARCHIVE_LHARC,
    ARCHIVE_ARJ,
    ARCHIVE_ACE,
    ARCHIVE_HA,
    ARCHIVE_GZIP,
    ARCHIVE_TAR,
    ARCHIVE_7ZIP,
    ARCHIVE_BZIP2,
    ARCHIVE_XZ,
    ARCHIVE_TYPE_COUNT
};

// How the bytes of a stored member name are turned into characters.
enum class NameCoding {
    kCodePage,  // the configured file-name code page
    kUtf8,      // UTF-8; bytes that are no UTF-8 are kept as the file-name decoder keeps them
};

// What a format reader knows of one member, besides its name.
struct MemberFields {
    uint64_t size = ArchiveEntry::kUnknown;
    uint64_t packed = ArchiveEntry::kUnknown;
    uint32_t attr = 0;  // FA_* bits; FA_DIREC for a record of a directory
    uint32_t uid = 0;
    uint32_t gid = 0;
    uint32_t mode = 0;
    TimeStamp time;
    // '\' separates components too (formats written on DOS and Windows);
    // false keeps a '\' as part of a name (tar).
    bool backslash_separates = true;
};

class Archive {
public:
    // Opens and reads the archive at path (made absolute). status tells
    // whether it was read; a file no reader recognises gives -1 and no
    // message, and the caller treats it as an ordinary file.
    Archive(const wchar_t* path, Archive* parent);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    using Reader = int (Archive::*)();
    // For tests and fuzzing: reads path with one reader only.
    static std::unique_ptr<Archive> ReadWith(const Westring& path, Reader reader);
    // An archive of no members at path, read successfully, for building
    // member by member with AddMember (sort the entries afterwards).
    static std::unique_ptr<Archive> Blank(const Westring& path);

    // Starts listing directory dir ("" is the top level): 0 and the ".."
    // entry, or -1 when the archive was not read or holds no such directory.
    int FindFirst(const Westring& dir, entry** result);
    // The next entry of that directory: 0, or -1 at its end. Each entry is
    // new and the caller's while alloc_entries is set; otherwise it is the
    // archive's own record, valid until the next call.
    int FindNext(entry** result);

    // The member named name in directory dir ("" is the top level), or null.
    const ArchiveEntry* FindMember(const Westring& dir, const wchar_t* name) const;
    // Every member at or below directory dir, the record of dir itself
    // included.
    std::vector<const ArchiveEntry*> MembersBelow(const Westring& dir) const;

    // The path under which a panel shows the archive's top level: the
    // archive file's path, or for a nested archive the place of its member
    // inside the enclosing one.
    Westring VirtualRoot() const;
    // The directories of the archive as a tree whose root is named with the
    // virtual root; the caller owns it. Each node's size is the total size
    // of the files below it.
    TREENODE* MakeTree() const;
    // Total size of the files below subdir (relative to current_dir), with
    // the numbers of files and directories below it added to the counters.
    uint64_t du(const Westring& subdir, uint64_t* files = nullptr, uint64_t* dirs = nullptr) const;
    // Sizes of all files added up; a size the format does not record counts 0.
    void GetTotals(int64_t& size, int64_t& packed);
    // "ZIP", "RAR" and so on; "" while no reader recognised the file.
    Estring GetArchTypeName() const;

    // The member's full name as the archive stores it, for the archiver programs.
    static std::string StoredName(const ArchiveEntry* member);
    // The member's directory and name, "/"-joined, as the panel shows them.
    static Westring DisplayName(const ArchiveEntry* member);

    // The messages the readers gave while reading, in order. Each was also
    // shown to the user when a console is up.
    const std::vector<Estring>& messages() const { return messages_; }

    // ---- One member taken out to view, edit or run ----
    // Extracts member (a name inside current_dir) into a private temporary
    // folder and returns the copy's path; the same member again returns the
    // same copy. The member extracted before is written back first when
    // its copy changed. Empty when it failed (already reported).
    Westring TmpExtractFile(const Westring& member);
    // Runs the extract command for member (its path inside the archive) in
    // dir: the copy's path, or empty when it failed (already reported).
    Westring ExtractFile(const Westring& member, const Westring& dir);
    // Writes the extracted member back when its copy changed. False when
    // that failed: the copy is then kept and its path was shown.
    bool UpdateTmpFile();
    // Writes the extracted member back and removes its folder, unless a
    // program running on its own holds it or writing back failed.
    void ReleaseTmpFile();

    // The readers, tried in the order of ArchiveType: 0 when the file is of
    // their format (zero or more members were added), -1 otherwise.
    int ReadZip();
    int ReadRar();
    int ReadLzh();
    int ReadArj();
    int ReadAce();
    int ReadHA();
    int ReadGZip();
    int ReadTar();
    int Read7zip();
    int ReadBZip2();
    int ReadXZ();

    // ---- What the readers share ----
    // Adds one member named name (already decoded; '/' or, when the fields
    // say so, '\' separate its components). stored are the name's bytes
    // exactly as the archive holds them. The name is cleaned: leading '/',
    // "." and ".." never become directories, and a member whose name had
    // to lose ".." or a leading '/' is marked unsafe. An empty file name
    // gets a made-up one. Returns the entry, or null when memory ran out.
    ArchiveEntry* AddMember(const Westring& name, const char* stored, size_t stored_length,
                            const MemberFields& fields);
    // The same for a name whose bytes are decoded with coding.
    ArchiveEntry* AddMember(const char* stored, size_t stored_length, NameCoding coding,
                            const MemberFields& fields);
    // Bytes as characters in the given coding.
    static Westring DecodeName(const char* bytes, size_t length, NameCoding coding);
    // Reads exactly n bytes at the file's position into buffer (moving the
    // position on); false when fewer exist.
    [[nodiscard]] bool ReadExact(void* buffer, int n);
    // Reports a damaged table of contents: stops the progress window, keeps
    // the message and shows it with the archive's path under it.
    void error(const char* message);
    // Whether the user pressed Break or Esc while the table of contents
    // was read; the keyboard is looked at every few thousand calls.
    bool BreakRequested();
    // The archive file's name without its directory.
    Westring FileName() const { return archive_path.filename(); }
    int count() const { return static_cast<int>(entries.size()); }

    uint8_t dot_slash = 0;      // the entry last listed began with "./"
    uint8_t alloc_entries = 1;  // FindFirst/FindNext allocate the entries they return
    ArchiveEntryStore entries;  // every member, sorted after reading
    MemoryPool pool;            // entries and their strings
    int32_t type = -1;          // ArchiveType of the reader that read the file
    Westring archive_path;      // absolute path of the archive file
    Archive* parent = nullptr;  // the enclosing archive of a nested one; not owned
    TimeStamp file_time;        // the archive file's time, taken after reading
    Westring current_dir;       // the directory last given to FindFirst
    Westring last_subdir;       // the subdirectory FindNext made up last
    Westring temp_dir;          // holds a member extracted for viewing or editing
    Westring temp_member;       // that member's name with its directory
    Westring temp_copy;         // the extracted file's path
    Westring temp_relative;     // its path inside temp_dir, as the archiver is given it to write back
    TimeStamp temp_time;        // the extracted file's time right after extraction
    TimeStamp temp_ctime;       // and its change time, which any write moves on
    uint8_t temp_held = 0;      // a program started on its own may have the copy open
    Westring nested_dir;        // the temporary folder this nested archive's file was extracted to
    int32_t cursor = 0;         // the entry FindNext looked at last
    int32_t status = -1;        // 0 when the archive was read
    RandomFile* file = nullptr; // the open file while the readers run
    uint8_t header[8192];       // scratch space for raw headers
    std::atomic<int> progress_count{0};  // members read so far
    int64_t total_packed = -1;  // cached sums of GetTotals; -1 until computed
    int64_t total_size = -1;

private:
    Archive() = default;
    // Tries the readers (or only that of the format only, when not -1) on
    // the file at path.
    void Read(const wchar_t* path, int only);
    // Keeps s in the pool, once per distinct directory path.
    const char* InternPath(const std::string& path);
    const char* PoolString(const char* text, size_t length, size_t extra_room = 0);
    entry* MakeEntry(const wchar_t* name, uint32_t attr, const ArchiveEntry* from);

    std::vector<Estring> messages_;
    std::unordered_map<std::string, const char*> paths_;  // only while reading
    std::unique_ptr<DirReadProgress> progress_;
    std::string current_key_;      // current_dir as the pool keeps paths
    std::string last_subdir_key_;  // last_subdir the same way
    entry* own_entry_ = nullptr;  // the record returned while alloc_entries is 0
    int break_polls_ = 0;
};

// The format names, indexed by ArchiveType.
extern const char* const archive_type_names[ARCHIVE_TYPE_COUNT];
