// What the tests of the LHA, ARJ, ACE and HA readers share: archives built
// byte by byte, a compact view of what a reader listed, and the checks that
// every archive must survive (cut short anywhere, a program in front).
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "lib/fsname.h"
#include "tests/archive/archive_oracle.h"
#include "tests/support/temp_dir.h"

// Little-endian numbers appended to a byte string.
inline void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
inline void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// DOS date and time of 2020-09-13 12:26:40, as the formats pack them.
constexpr unsigned kDosDate = (40 << 9) | (9 << 5) | 13;
constexpr unsigned kDosTime = (12 << 11) | (26 << 5) | (40 / 2);

// Each member as "path/name size", with " dir" and " unsafe" when so, in
// the archive's sorted order.
inline std::vector<std::string> Members(const Archive& archive) {
    std::vector<std::string> out;
    for (size_t i = 0; i < archive.entries.size(); i++) {
        const ArchiveEntry* e = archive.entries[i];
        std::string line = e->path;
        if (*e->name) line += (line.empty() ? "" : "/") + std::string(e->name);
        if (!e->is_dir()) line += " " + std::to_string(e->size);
        if (e->is_dir()) line += " dir";
        if (e->unsafe()) line += " unsafe";
        out.push_back(line);
    }
    return out;
}

// Reads bytes, written to leaf in dir, with one reader.
inline std::unique_ptr<Archive> ReadBytes(const CTempDir& dir, const std::string& bytes, Archive::Reader reader,
                                          const std::string& leaf = "archive") {
    const std::string path = dir.Write(leaf, bytes);
    return Archive::ReadWith(DecodeFileName(path.c_str()), reader);
}

// The program part of a self-extracting archive: "MZ" and filler free of
// every format's mark.
inline std::string ProgramStub(size_t length) {
    std::string stub = "MZ";
    for (size_t i = 2; i < length; i++) stub += static_cast<char>('a' + i % 13);
    return stub;
}

// Reads every shortened copy of a good archive (in up to about 400 steps):
// none may crash, each lists only members of the whole archive, and the
// whole lists them all.
inline void ExpectCutsListOnlyWhatWasRead(const CTempDir& dir, const std::string& bytes, Archive::Reader reader) {
    const std::unique_ptr<Archive> whole = ReadBytes(dir, bytes, reader);
    ASSERT_EQ(whole->status, 0);
    const std::vector<std::string> all = Members(*whole);
    const size_t step = std::max<size_t>(1, bytes.size() / 400);
    for (size_t length = 0; length < bytes.size(); length += step) {
        const std::unique_ptr<Archive> cut = ReadBytes(dir, bytes.substr(0, length), reader);
        for (const std::string& member : Members(*cut))
            EXPECT_NE(std::find(all.begin(), all.end(), member), all.end()) << member << " at length " << length;
    }
}

// The directories made by MakeOddTree, less the one whose names the DOS
// formats cannot hold as the archivers here write them.
inline void MakeAsciiOddTree(const std::string& dir) {
    MakeOddTree(dir);
    for (const auto& item : std::filesystem::directory_iterator(dir)) {
        const std::string name = item.path().filename().string();
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            std::filesystem::remove_all(item.path());
    }
    RunShell("touch -h -d @1600000000 " + ShellQuote(dir));
}
