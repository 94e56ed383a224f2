// One directory entry of a panel: one allocation with the name stored inline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/timestamp.h"

// Bits of entry::attr.
enum : uint16_t {
    FA_RDONLY = 0x0001,  // the user may not write the file
    FA_HIDDEN = 0x0002,  // the name begins with '.' and is not ".."
    FA_SYSTEM = 0x0004,
    FA_DIREC = 0x0010,
    FA_ARCH = 0x0020,
    FA_LINK = 0x0100,    // a symbolic link; the other fields describe its target
    FA_BROKEN = 0x0200,  // a symbolic link whose target cannot be found
};

struct entry {
    uint64_t size;
    uint16_t attr;
    uint16_t mode;   // the low 16 bits of the Unix file mode
    uint32_t uid;    // full-width ids: user and group numbers above 65535 exist
    uint32_t gid;
    TimeStamp time;  // modification time
    uint8_t tagged;
    uint8_t done;        // was tagged and has been processed by a file operation
    uint8_t size_known;  // size of this directory came from the directory tree
    char sort_class;     // '1' "..", 'A' directory, 'B' hidden file, 'C' other file
    uint32_t desc[2];
    wchar_t name[];      // the file name without directory, zero-terminated

    // A new entry with every field zero (desc all ones) and a copy of the first
    // length characters of name. Free it with Destroy.
    static entry* Create(const wchar_t* name, int length);
    static entry* Create(const wchar_t* name);
    static void Destroy(entry* e);
    // A copy of e (fields and name) in a new allocation.
    static entry* Clone(const entry* e);

    bool is_dir() const { return attr & FA_DIREC; }
    bool is_parent() const { return name[0] == L'.' && name[1] == L'.' && name[2] == 0; }
};

// Finds entries again by their exact name (case matters) in about constant
// time, as a re-read of a directory does to carry its tags over. Holds
// pointers to the entries, which must outlive it unchanged.
class EntryNameIndex {
public:
    // Indexes count entries of list; of entries with the same name, the
    // first is found.
    EntryNameIndex(entry* const* list, int count);

    // The indexed entry named exactly name, or null.
    entry* Find(const wchar_t* name) const;

private:
    // A slot: the low bits of the name's hash beside the entry's position
    // in list plus one (0 for an empty slot).
    struct Slot {
        uint32_t hash;
        uint32_t position;
    };
    std::vector<Slot> slots_;
    entry* const* list_;
    size_t mask_ = 0;
};
