// Reading the RAR fixtures back: with our reader, and with unrar-free (a
// real RAR reader) as the oracle.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive/archive.h"
#include "console/console.h"
#include "tests/archive/archive_oracle.h"
#include "tests/support/temp_dir.h"

namespace rar_listing {

// The RAR reader alone on bytes written to a file in dir.
inline std::unique_ptr<Archive> ReadRarBytes(const CTempDir& dir, const std::string& bytes,
                                             const std::string& leaf = "fixture.rar") {
    return Archive::ReadWith(DecodeFileName(dir.Write(leaf, bytes).c_str()), &Archive::ReadRar);
}

// The RAR reader alone on the file at path.
inline std::unique_ptr<Archive> ReadRarFile(const std::string& path) {
    return Archive::ReadWith(DecodeFileName(path.c_str()), &Archive::ReadRar);
}

// Our listing with the times left out, to compare with unrar-free, which
// shows them to the minute only.
inline std::map<std::string, ListedMember> ListingWithoutTimes(const Archive& archive) {
    auto members = OurListing(archive, false);
    for (auto& [name, member] : members) member.mtime = 0;
    return members;
}

// The member whose last component is name.
inline const ArchiveEntry* Member(const Archive& archive, const std::string& name) {
    for (size_t i = 0; i < archive.entries.size(); i++)
        if (archive.entries[i]->name == name) return archive.entries[i];
    return nullptr;
}

inline bool HasMessage(const Archive& archive, const char* message) {
    for (const Estring& m : archive.messages())
        if (std::string(m.c_str()) == message) return true;
    return false;
}

// The members as "path size|dir [unsafe]; ...", sorted by full path, for
// compact expectations.
inline std::string Summary(const Archive& archive) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < archive.entries.size(); i++) {
        const ArchiveEntry* e = archive.entries[i];
        std::string line = e->path;
        if (*e->name) line += (line.empty() ? "" : "/") + std::string(e->name);
        if (e->is_dir()) line += " dir";
        else line += " " + (e->size == ArchiveEntry::kUnknown ? std::string("?") : std::to_string(e->size));
        if (e->unsafe()) line += " unsafe";
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += (out.empty() ? "" : "; ") + line;
    return out;
}

// What unrar-free lists: path -> size and directory flag. unrar-free never
// sets the locale, so it cannot show names with non-ASCII characters;
// compare only archives of ASCII names with it. Empty when it failed.
inline std::map<std::string, ListedMember> UnrarFreeListing(const std::string& archive) {
    std::map<std::string, ListedMember> members;
    const std::string text = ShellOutput("unrar-free -t " + ShellQuote(archive) + " 2>/dev/null");
    std::istringstream lines(text);
    std::string line;
    int rules = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("-----", 0) == 0) {
            rules++;
            continue;
        }
        if (rules != 1 || line.size() < 2) continue;
        // A member takes two lines: " path", then size, date, time and attributes.
        ListedMember m;
        m.path = line.substr(1);
        std::string details;
        if (!std::getline(lines, details)) break;
        std::istringstream fields(details);
        std::string date, time, attributes;
        fields >> m.size >> date >> time >> attributes;
        m.directory = attributes.find('D') != std::string::npos;
        if (m.directory) m.size = 0;
        members[m.path] = m;
    }
    return members;
}

// Whether unrar-free tests the archive without complaint.
inline bool UnrarFreeAccepts(const std::string& archive) {
    return RunShell("unrar-free -t " + ShellQuote(archive) + " >/dev/null 2>&1") == 0;
}

// libarchive's listing (bsdtar) with a UTF-8 locale, so that names with
// non-ASCII characters come through.
inline std::map<std::string, ListedMember> BsdtarUtf8Listing(const std::string& archive) {
    setenv("LC_ALL", "C.UTF-8", 1);
    return BsdtarListing(archive);
}

// Reads the archive at path while the user keeps pressing Break. The
// reader sets the break flag to "running" as it starts; the break comes
// while it reads.
inline std::unique_ptr<Archive> ReadWhileTheUserBreaks(const std::string& path) {
    std::atomic<bool> done{false};
    std::thread user([&done] {
        while (!done) break_status = 2;
    });
    auto archive = ReadRarFile(path);
    done = true;
    user.join();
    break_status = 0;
    return archive;
}

// Our listing is unrar-free's (names, sizes, directories) and libarchive's
// (with times).
inline void ExpectOraclesAgree(const Archive& archive, const std::string& path) {
    EXPECT_TRUE(UnrarFreeAccepts(path)) << path;
    EXPECT_EQ(ListingWithoutTimes(archive), UnrarFreeListing(path));
    EXPECT_EQ(OurListing(archive, false), BsdtarUtf8Listing(path));
}

}  // namespace rar_listing
