// The ELF dependency reader (exec/elfdeps.h) on arbitrary bytes: any file the
// user runs from a panel is read this way. Beyond not crashing it checks that
// the bounds on what is read hold and that the same bytes read from a file
// give the same answer as from memory.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exec/elfdeps.h"
#include "fuzz/check.h"

namespace {

// A scratch file the bytes are copied into, made once; the fuzzer runs with
// TMPDIR set to a scratch directory of its own.
int ScratchFile() {
    static int fd = [] {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp").append("/elfdepsXXXXXX");
        int made = mkstemp(pattern.data());
        if (made >= 0) unlink(pattern.c_str());
        return made;
    }();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ElfDependencies fromMemory;
    bool read = ReadElfDependencies(data, size, fromMemory);
    fuzz_check(read || fromMemory.needed.empty(), "a file that is no ELF has dependencies");
    fuzz_check(fromMemory.needed.size() <= kMaxElfNeeded, "more libraries than the bound");
    for (const std::string& name : fromMemory.needed)
        fuzz_check(!name.empty() && name.size() <= kMaxElfNameLength && name.find('\0') == std::string::npos,
                   "a library name is empty, too long or holds a NUL");

    int fd = ScratchFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    ElfDependencies fromFile;
    fuzz_check(ReadElfDependencies(fd, fromFile) == read, "the file and memory readers disagree");
    fuzz_check(fromFile.needed == fromMemory.needed && fromFile.runPath == fromMemory.runPath &&
                   fromFile.rPath == fromMemory.rPath && fromFile.hasRunPath == fromMemory.hasRunPath,
               "the file and memory readers read different dependencies");
    return 0;
}
