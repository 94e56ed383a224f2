// The libraries an ELF program or shared library asks the dynamic loader
// for, read from its dynamic section without running it or its loader. The
// bytes may come from any file the user picks, so every read is checked and
// a malformed file simply has no dependencies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ElfDependencies {
    // What the loader checks before it takes a library for a program: the
    // word size (ELFCLASS32 or ELFCLASS64) and the processor.
    unsigned char elfClass = 0;
    uint16_t machine = 0;
    std::vector<std::string> needed;  // DT_NEEDED, in the file's order
    std::string runPath;              // DT_RUNPATH, colon separated
    std::string rPath;                // DT_RPATH, which the loader ignores when there is a run path
    bool hasRunPath = false;
};

// At most this many DT_NEEDED entries are read, and longer names are ignored.
inline constexpr size_t kMaxElfNeeded = 4096;
inline constexpr size_t kMaxElfNameLength = 4096;

// Reads an ELF executable or shared object held in memory. False, with deps
// emptied, when the bytes are not one or are too broken to tell its class
// and machine; a static program gives true and no libraries.
[[nodiscard]] bool ReadElfDependencies(const void* data, size_t size, ElfDependencies& deps);

// The same for an open file, read with pread: only the header, the program
// headers, the dynamic section and the part of the string table it needs.
[[nodiscard]] bool ReadElfDependencies(int fd, ElfDependencies& deps);
[[nodiscard]] bool ReadElfDependencies(const char* path, ElfDependencies& deps);
