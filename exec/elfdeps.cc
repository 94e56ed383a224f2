#include "exec/elfdeps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Real programs have about a dozen program headers and a few dozen dynamic
// entries; these bounds only stop a hostile file from making us allocate or
// loop without end.
constexpr uint64_t kMaxProgramHeaders = 4096;
constexpr uint64_t kMaxDynamicEntries = 65536;
// The part of the string table read in one go; names beyond it are read one
// by one.
constexpr uint64_t kMaxStringWindow = 1 << 20;

// Where the bytes come from: a buffer or a file.
class ByteSource {
public:
    explicit ByteSource(uint64_t size) : size_(size) {}
    virtual ~ByteSource() = default;
    uint64_t size() const { return size_; }
    // Whether length bytes start at offset.
    bool Holds(uint64_t offset, uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    // Copies exactly length bytes from offset; false when they are not all there.
    [[nodiscard]] bool Read(uint64_t offset, void* buffer, size_t length) const {
        return Holds(offset, length) && Copy(offset, buffer, length);
    }

private:
    virtual bool Copy(uint64_t offset, void* buffer, size_t length) const = 0;
    uint64_t size_;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : ByteSource(data ? size : 0), data_(static_cast<const char*>(data)) {}

private:
    bool Copy(uint64_t offset, void* buffer, size_t length) const override {
        if (length) memcpy(buffer, data_ + offset, length);
        return true;
    }
    const char* data_;
};

class FileSource : public ByteSource {
public:
    FileSource(int fd, uint64_t size) : ByteSource(size), fd_(fd) {}

private:
    bool Copy(uint64_t offset, void* buffer, size_t length) const override {
        char* into = static_cast<char*>(buffer);
        while (length > 0) {
            ssize_t got = pread(fd_, into, length, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            // The file shrank under us, or cannot be read.
            if (got <= 0) return false;
            into += got;
            offset += static_cast<uint64_t>(got);
            length -= static_cast<size_t>(got);
        }
        return true;
    }
    int fd_;
};

// Fields in the file's byte order and word size.
class FieldReader {
public:
    FieldReader(bool bigEndian, bool is64) : bigEndian_(bigEndian), is64_(is64) {}
    uint64_t Unsigned(const unsigned char* at, int bytes) const {
        uint64_t value = 0;
        for (int i = 0; i < bytes; i++) value |= uint64_t{at[bigEndian_ ? bytes - 1 - i : i]} << (8 * i);
        return value;
    }
    uint64_t Half(const unsigned char* at) const { return Unsigned(at, 2); }
    uint64_t Word(const unsigned char* at) const { return Unsigned(at, 4); }
    // An address, offset or size: 4 bytes in ELF32, 8 in ELF64.
    uint64_t Wide(const unsigned char* at) const { return Unsigned(at, is64_ ? 8 : 4); }
    bool is64() const { return is64_; }

private:
    bool bigEndian_;
    bool is64_;
};

struct Segment {
    uint64_t offset;
    uint64_t address;
    uint64_t fileSize;
};

struct ProgramHeaders {
    std::vector<Segment> loads;
    Segment dynamic{0, 0, 0};
    bool hasDynamic = false;
};

bool ReadProgramHeaders(const ByteSource& source, const FieldReader& fields, const unsigned char* header,
                        ProgramHeaders& found) {
    bool is64 = fields.is64();
    uint64_t tableOffset = fields.Wide(header + (is64 ? 32 : 28));
    uint64_t entrySize = fields.Half(header + (is64 ? 54 : 42));
    uint64_t count = fields.Half(header + (is64 ? 56 : 44));
    // The loader insists on its own entry size; PN_XNUM (more headers than
    // fit the field) falls out through the count bound.
    if (entrySize != (is64 ? sizeof(Elf64_Phdr) : sizeof(Elf32_Phdr)) || count > kMaxProgramHeaders) return false;
    std::vector<unsigned char> table(count * entrySize);
    if (!source.Read(tableOffset, table.data(), table.size())) return false;
    for (uint64_t i = 0; i < count; i++) {
        const unsigned char* entry = table.data() + i * entrySize;
        uint64_t type = fields.Word(entry);
        Segment segment;
        if (is64) segment = {fields.Wide(entry + 8), fields.Wide(entry + 16), fields.Wide(entry + 32)};
        else segment = {fields.Wide(entry + 4), fields.Wide(entry + 8), fields.Wide(entry + 16)};
        if (type == PT_LOAD) found.loads.push_back(segment);
        if (type == PT_DYNAMIC && !found.hasDynamic) {
            found.dynamic = segment;
            found.hasDynamic = true;
        }
    }
    return true;
}

// The entries of the dynamic section that name libraries and where to find them.
struct DynamicEntries {
    std::vector<uint64_t> needed;            // string-table offsets
    std::optional<uint64_t> stringTable;     // a virtual address
    std::optional<uint64_t> stringTableSize;
    std::optional<uint64_t> runPath;         // string-table offsets
    std::optional<uint64_t> rPath;
};

bool ReadDynamicEntries(const ByteSource& source, const FieldReader& fields, const Segment& dynamic,
                        DynamicEntries& found) {
    uint64_t entrySize = fields.is64() ? sizeof(Elf64_Dyn) : sizeof(Elf32_Dyn);
    if (dynamic.offset > source.size()) return false;
    uint64_t bytes = std::min(dynamic.fileSize, source.size() - dynamic.offset);
    uint64_t count = std::min(bytes / entrySize, kMaxDynamicEntries);
    std::vector<unsigned char> table(count * entrySize);
    if (!source.Read(dynamic.offset, table.data(), table.size())) return false;
    uint64_t half = entrySize / 2;
    for (uint64_t i = 0; i < count; i++) {
        const unsigned char* entry = table.data() + i * entrySize;
        uint64_t tag = fields.Wide(entry);
        uint64_t value = fields.Wide(entry + half);
        if (tag == DT_NULL) break;
        if (tag == DT_NEEDED && found.needed.size() < kMaxElfNeeded) found.needed.push_back(value);
        if (tag == DT_STRTAB) found.stringTable = value;
        if (tag == DT_STRSZ) found.stringTableSize = value;
        if (tag == DT_RUNPATH) found.runPath = value;
        if (tag == DT_RPATH) found.rPath = value;
    }
    return true;
}

// The dynamic string table, found in the file through the loadable segment
// that maps its address.
class StringTable {
public:
    StringTable(const ByteSource& source, const ProgramHeaders& headers, const DynamicEntries& entries)
        : source_(source) {
        if (!entries.stringTable) return;
        uint64_t address = *entries.stringTable;
        for (const Segment& load : headers.loads) {
            if (address < load.address || address - load.address >= load.fileSize) continue;
            uint64_t into = address - load.address;
            if (load.offset > source.size() || into > source.size() - load.offset) continue;
            offset_ = load.offset + into;
            size_ = std::min(load.fileSize - into, source.size() - offset_);
            if (entries.stringTableSize) size_ = std::min(size_, *entries.stringTableSize);
            return;
        }
    }

    // Reads once the stretch of the table that holds the names asked for,
    // when it is not too long.
    void Prefetch(const std::vector<uint64_t>& positions) {
        if (positions.empty()) return;
        auto [low, high] = std::minmax_element(positions.begin(), positions.end());
        if (*low >= size_) return;
        uint64_t top = std::min(*high, size_);
        uint64_t end = top + std::min<uint64_t>(size_ - top, kMaxElfNameLength + 1);
        if (end - *low > kMaxStringWindow) return;
        window_.resize(end - *low);
        if (source_.Read(offset_ + *low, window_.data(), window_.size())) windowStart_ = *low;
        else window_.clear();
    }

    // The name at position: false when it is outside the table, empty, or
    // longer than any library name may be.
    bool NameAt(uint64_t position, std::string& name) const {
        if (position >= size_) return false;
        uint64_t length = std::min<uint64_t>(size_ - position, kMaxElfNameLength + 1);
        const char* text;
        std::string chunk;
        if (position >= windowStart_ && position - windowStart_ < window_.size()) {
            text = window_.data() + (position - windowStart_);
            length = std::min<uint64_t>(length, window_.size() - (position - windowStart_));
        } else {
            chunk.resize(length);
            if (!source_.Read(offset_ + position, chunk.data(), chunk.size())) return false;
            text = chunk.data();
        }
        const void* end = memchr(text, '\0', length);
        if (!end || end == text) return false;
        name.assign(text, static_cast<const char*>(end) - text);
        return true;
    }

private:
    const ByteSource& source_;
    uint64_t offset_ = 0;
    uint64_t size_ = 0;
    std::vector<char> window_;
    uint64_t windowStart_ = 0;
};

bool Parse(const ByteSource& source, ElfDependencies& deps) {
    deps = ElfDependencies();
    unsigned char header[sizeof(Elf64_Ehdr)];
    if (!source.Read(0, header, sizeof(Elf32_Ehdr)) || memcmp(header, ELFMAG, SELFMAG) != 0) return false;
    unsigned char elfClass = header[EI_CLASS];
    unsigned char encoding = header[EI_DATA];
    if ((elfClass != ELFCLASS32 && elfClass != ELFCLASS64) || (encoding != ELFDATA2LSB && encoding != ELFDATA2MSB))
        return false;
    if (elfClass == ELFCLASS64 && !source.Read(0, header, sizeof(Elf64_Ehdr))) return false;
    FieldReader fields(encoding == ELFDATA2MSB, elfClass == ELFCLASS64);
    uint64_t type = fields.Half(header + 16);
    if (type != ET_EXEC && type != ET_DYN) return false;
    deps.elfClass = elfClass;
    deps.machine = static_cast<uint16_t>(fields.Half(header + 18));

    // From here on a broken file is still an ELF file of its class and
    // machine; it just needs nothing we could name.
    ProgramHeaders headers;
    DynamicEntries entries;
    if (!ReadProgramHeaders(source, fields, header, headers) || !headers.hasDynamic ||
        !ReadDynamicEntries(source, fields, headers.dynamic, entries))
        return true;
    StringTable strings(source, headers, entries);
    std::vector<uint64_t> positions = entries.needed;
    for (const std::optional<uint64_t>& path : {entries.runPath, entries.rPath})
        if (path) positions.push_back(*path);
    strings.Prefetch(positions);
    std::string name;
    for (uint64_t position : entries.needed)
        if (strings.NameAt(position, name)) deps.needed.push_back(name);
    // An empty or unreadable run path still turns the old DT_RPATH off.
    deps.hasRunPath = entries.runPath.has_value();
    if (entries.runPath && !strings.NameAt(*entries.runPath, deps.runPath)) deps.runPath.clear();
    if (entries.rPath && !strings.NameAt(*entries.rPath, deps.rPath)) deps.rPath.clear();
    return true;
}

}  // namespace

bool ReadElfDependencies(const void* data, size_t size, ElfDependencies& deps) {
    return Parse(MemorySource(data, size), deps);
}

bool ReadElfDependencies(int fd, ElfDependencies& deps) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        deps = ElfDependencies();
        return false;
    }
    return Parse(FileSource(fd, static_cast<uint64_t>(info.st_size)), deps);
}

bool ReadElfDependencies(const char* path, ElfDependencies& deps) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        deps = ElfDependencies();
        return false;
    }
    bool read = ReadElfDependencies(fd, deps);
    close(fd);
    return read;
}
