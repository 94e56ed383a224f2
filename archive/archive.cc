#include "archive/archive.h"

#include <sys/stat.h>

#include <cstring>

#include "archive/membername.h"
#include "archive/nesteddir.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/resolvepath.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/progress.h"

const char* const archive_type_names[ARCHIVE_TYPE_COUNT] = {
    "ZIP", "RAR", "LHARC", "ARJ", "ACE", "HA", "GZIP", "TAR", "7ZIP", "BZIP2", "XZ",
};

namespace {

// Runs the reader of one format. A switch rather than a table of member
// pointers: the undefined-behaviour sanitizer misreads indexing into such a
// table.
int run_reader(Archive& archive, int type) {
    switch (type) {
    case ARCHIVE_ZIP: return archive.ReadZip();
    case ARCHIVE_RAR: return archive.ReadRar();
    case ARCHIVE_LHARC: return archive.ReadLzh();
    case ARCHIVE_ARJ: return archive.ReadArj();
    case ARCHIVE_ACE: return archive.ReadAce();
    case ARCHIVE_HA: return archive.ReadHA();
    case ARCHIVE_GZIP: return archive.ReadGZip();
    case ARCHIVE_TAR: return archive.ReadTar();
    case ARCHIVE_7ZIP: return archive.Read7zip();
    case ARCHIVE_BZIP2: return archive.ReadBZip2();
    case ARCHIVE_XZ: return archive.ReadXZ();
    default: return -1;
    }
}

// The format a reader reads; -1 for none.
int reader_type(Archive::Reader reader) {
    if (reader == &Archive::ReadZip) return ARCHIVE_ZIP;
    if (reader == &Archive::ReadRar) return ARCHIVE_RAR;
    if (reader == &Archive::ReadLzh) return ARCHIVE_LHARC;
    if (reader == &Archive::ReadArj) return ARCHIVE_ARJ;
    if (reader == &Archive::ReadAce) return ARCHIVE_ACE;
    if (reader == &Archive::ReadHA) return ARCHIVE_HA;
    if (reader == &Archive::ReadGZip) return ARCHIVE_GZIP;
    if (reader == &Archive::ReadTar) return ARCHIVE_TAR;
    if (reader == &Archive::Read7zip) return ARCHIVE_7ZIP;
    if (reader == &Archive::ReadBZip2) return ARCHIVE_BZIP2;
    if (reader == &Archive::ReadXZ) return ARCHIVE_XZ;
    return -1;
}

// The name given to a file member whose stored name is empty or only
// slashes, dots and dot-dots.
constexpr const wchar_t* kMadeUpName = L"noname";

bool is_ascii(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; i++)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}

// Whether a '/'-separated ASCII name needs no cleaning: no leading '/', no
// empty, "." or ".." component, and no '\' when that separates too.
bool plain_name(const char* bytes, size_t length, bool backslash_separates) {
    if (length == 0 || bytes[0] == '/') return false;
    size_t start = 0;
    for (size_t i = 0; i <= length; i++) {
        if (i < length && bytes[i] != '/') {
            if (bytes[i] == '\\' && backslash_separates) return false;
            continue;
        }
        const size_t n = i - start;
        // An empty last component is the trailing '/' of a directory record.
        if (n == 0 && i < length) return false;
        if (n == 1 && bytes[start] == '.') return false;
        if (n == 2 && bytes[start] == '.' && bytes[start + 1] == '.') return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

Archive::Archive(const wchar_t* path, Archive* parent_archive) : parent(parent_archive) { Read(path, -1); }

std::unique_ptr<Archive> Archive::ReadWith(const Westring& path, Reader reader) {
    std::unique_ptr<Archive> archive(new Archive());
    const int only = reader_type(reader);
    if (only >= 0) archive->Read(path.c_str(), only);
    return archive;
}

std::unique_ptr<Archive> Archive::Blank(const Westring& path) {
    std::unique_ptr<Archive> archive(new Archive());
    archive->archive_path = path;
    archive->status = 0;
    return archive;
}

Archive::~Archive() {
    if (own_entry_) entry::Destroy(own_entry_);
    ReleaseTmpFile();
    if (!nested_dir.empty()) RemoveNestedDir(nested_dir);
}

void Archive::Read(const wchar_t* path, int only) {
    archive_path = path;
    if (ResolvePath(archive_path, nullptr) != 0) archive_path = path;
    RandomFile random_file;
    if (random_file.open(archive_path) != 0) return;
    file = &random_file;
    if (console) progress_ = std::make_unique<DirReadProgress>(progress_count);
    const int saved_break = break_status.exchange(1);
    for (int i = 0; i < ARCHIVE_TYPE_COUNT && status != 0; i++) {
        if (only >= 0 && i != only) continue;
        random_file.position = 0;
        if (run_reader(*this, i) == 0) {
            type = i;
            status = 0;
        } else {
            // What a reader added before it gave up belongs to no format.
            entries = ArchiveEntryStore();
            pool.Clear();
            paths_.clear();
            progress_count = 0;
            total_size = total_packed = -1;
        }
    }
    progress_.reset();
    break_status = saved_break;
    paths_ = {};
    file = nullptr;
    if (status != 0) return;
    entries.Sort();
    struct stat info;
    if (stat(EncodeFileName(archive_path).c_str(), &info) == 0)
        file_time = TimeStamp(info.st_mtim.tv_sec, static_cast<uint32_t>(info.st_mtim.tv_nsec));
}

bool Archive::ReadExact(void* buffer, int n) {
    if (n == 0) return true;
    int got = 0;
    char* out = static_cast<char*>(buffer);
    while (got < n) {
        int part = 0;
        if (file->read(out + got, n - got, &part) != 0 || part <= 0) return false;
        got += part;
    }
    return true;
}

void Archive::error(const char* message) {
    progress_.reset();
    messages_.push_back(Estring(message));
    if (console) static_cast<void>(::error(Westring(message), archive_path, MB_OK));
}

bool Archive::BreakRequested() {
    // Looking at the event queue costs a lock: not once per header.
    if (++break_polls_ % 4096 == 0 && check_esc()) break_status = 2;
    return break_status.load() == 2;
}

Westring Archive::DecodeName(const char* bytes, size_t length, NameCoding coding) {
    if (coding == NameCoding::kUtf8) return DecodeFileName(bytes, length);
    Westring name;
    if (!name.FromCodePage(bytes, length, effective_codepage())) name = DecodeFileName(bytes, length);
    return name;
}

const char* Archive::PoolString(const char* text, size_t length, size_t extra_room) {
    char* copy = static_cast<char*>(pool.Alloc(length + 1 + extra_room));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

const char* Archive::InternPath(const std::string& path) {
    if (path.empty()) return "";
    auto found = paths_.find(path);
    if (found != paths_.end()) return found->second;
    const char* kept = PoolString(path.data(), path.size());
    if (kept) paths_.emplace(path, kept);
    return kept;
}

ArchiveEntry* Archive::AddMember(const char* stored, size_t stored_length, NameCoding coding,
                                 const MemberFields& fields) {
    // A name ends at a zero byte, as every string kept in the pool does.
    stored_length = strnlen(stored, stored_length);
    // Most names are plain ASCII that needs no cleaning: they are kept as
    // they are, without a round through wide characters.
    if (is_ascii(stored, stored_length) && plain_name(stored, stored_length, fields.backslash_separates)) {
        auto* e = static_cast<ArchiveEntry*>(pool.AllocAligned(sizeof(ArchiveEntry), alignof(ArchiveEntry)));
        if (!e) return nullptr;
        size_t length = stored_length;
        const bool directory = (fields.attr & FA_DIREC) || stored[length - 1] == '/';
        if (stored[length - 1] == '/') length--;
        size_t split = length;
        while (split > 0 && stored[split - 1] != '/') split--;
        std::string path;
        const char* name = "";
        if (directory) {
            path.assign(stored, length);
        } else {
            if (split > 0) path.assign(stored, split - 1);
            name = PoolString(stored + split, length - split);
            if (!name) return nullptr;
        }
        const char* kept_path = InternPath(path);
        if (!kept_path) return nullptr;
        // A directory record's stored name differs from its path by the '/'.
        const bool same = !directory || length == stored_length;
        *e = ArchiveEntry{kept_path, name, fields.size, fields.packed, fields.time, fields.uid, fields.gid,
                          fields.mode, static_cast<uint16_t>(fields.attr | (directory ? FA_DIREC : 0)), 0, 0};
        if (!same) {
            // Kept as an empty name followed by the stored bytes.
            char* empty_then_stored = static_cast<char*>(pool.Alloc(stored_length + 2));
            if (!empty_then_stored) return nullptr;
            empty_then_stored[0] = 0;
            std::memcpy(empty_then_stored + 1, stored, stored_length);
            empty_then_stored[stored_length + 1] = 0;
            e->name = empty_then_stored;
            e->flags |= ArchiveEntry::kStoredName;
        }
        entries.Add(e);
        progress_count.store(count(), std::memory_order_relaxed);
        return e;
    }
    return AddMember(DecodeName(stored, stored_length, coding), stored, stored_length, fields);
}

ArchiveEntry* Archive::AddMember(const Westring& decoded, const char* stored, size_t stored_length,
                                 const MemberFields& fields) {
    stored_length = strnlen(stored, stored_length);
    Westring name = decoded;
    if (fields.backslash_separates) name.gsubst(Westring(L"\\"), Westring(L"/"));
    const bool directory = fields.attr & FA_DIREC;
    MemberPath cleaned = CleanMemberPath(name, directory, kMadeUpName);
    const bool is_directory = directory || cleaned.name.empty();

    auto* e = static_cast<ArchiveEntry*>(pool.AllocAligned(sizeof(ArchiveEntry), alignof(ArchiveEntry)));
    if (!e) return nullptr;
    const Estring path_bytes = EncodeFileName(cleaned.path);
    const Estring name_bytes = EncodeFileName(cleaned.name);
    const char* kept_path = InternPath(std::string(path_bytes.c_str(), static_cast<size_t>(path_bytes.strlen())));
    if (!kept_path) return nullptr;

    // The stored bytes are kept when the panel's name, put back together,
    // would not give them.
    Estring rebuilt = path_bytes;
    if (!cleaned.name.empty()) {
        if (!rebuilt.empty()) rebuilt += "/";
        rebuilt += name_bytes;
    }
    const bool same = static_cast<size_t>(rebuilt.strlen()) == stored_length && std::memcmp(rebuilt.c_str(), stored, stored_length) == 0;
    const size_t name_length = static_cast<size_t>(name_bytes.strlen());
    char* kept_name = static_cast<char*>(pool.Alloc(name_length + 1 + (same ? 0 : stored_length + 1)));
    if (!kept_name) return nullptr;
    std::memcpy(kept_name, name_bytes.c_str(), name_length + 1);
    if (!same) {
        std::memcpy(kept_name + name_length + 1, stored, stored_length);
        kept_name[name_length + 1 + stored_length] = 0;
    }
    *e = ArchiveEntry{kept_path, kept_name, fields.size, fields.packed, fields.time, fields.uid, fields.gid,
                      fields.mode, static_cast<uint16_t>(fields.attr | (is_directory ? FA_DIREC : 0)),
                      static_cast<uint8_t>(cleaned.dot_slash ? 1 : 0),
                      static_cast<uint8_t>((cleaned.unsafe ? ArchiveEntry::kUnsafe : 0) |
                                           (same ? 0 : ArchiveEntry::kStoredName))};
    entries.Add(e);
    progress_count.store(count(), std::memory_order_relaxed);
    return e;
}

std::string Archive::StoredName(const ArchiveEntry* member) {
    if (member->flags & ArchiveEntry::kStoredName) return member->name + std::strlen(member->name) + 1;
    std::string name = member->path;
    if (*member->name) {
        if (!name.empty()) name += '/';
        name += member->name;
    }
    return name;
}

Westring Archive::DisplayName(const ArchiveEntry* member) {
    std::string name = member->path;
    if (*member->name) {
        if (!name.empty()) name += '/';
        name += member->name;
    }
    return DecodeFileName(name.c_str(), name.size());
}

Estring Archive::GetArchTypeName() const {
    return type >= 0 && type < ARCHIVE_TYPE_COUNT ? Estring(archive_type_names[type]) : Estring();
}

void Archive::GetTotals(int64_t& size, int64_t& packed) {
    if (total_size < 0 || total_packed < 0) {
        uint64_t sum_size = 0, sum_packed = 0;
        for (size_t i = 0; i < entries.size(); i++) {
            const ArchiveEntry* e = entries[i];
            if (e->is_dir()) continue;
            if (e->size != ArchiveEntry::kUnknown) sum_size += e->size;
            if (e->packed != ArchiveEntry::kUnknown) sum_packed += e->packed;
        }
        if (total_size < 0) total_size = static_cast<int64_t>(sum_size);
        if (total_packed < 0) total_packed = static_cast<int64_t>(sum_packed);
    }
    size = total_size;
    packed = total_packed;
}
