// The ZIP reader against archives made by zip and 7z (listed the same as
// libarchive lists them), and against archives written byte by byte for
// ZIP64, self-extractors, name encodings, hostile names and damage.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archive/zipcrc.h"
#include "tests/archive/archive_oracle.h"
#include "tests/archive/zipbuilder.h"

namespace {

using zipbuild::Builder;
using zipbuild::Field;
using zipbuild::Member;
using zipbuild::U16;
using zipbuild::U32;
using zipbuild::U64;

std::unique_ptr<Archive> ReadZipOnly(const std::string& path) {
    return Archive::ReadWith(DecodeFileName(path.c_str()), &Archive::ReadZip);
}

// Every member's full stored name, as the archiver programs will be given it.
std::set<std::string> StoredNames(const Archive& archive) {
    std::set<std::string> names;
    for (size_t i = 0; i < archive.entries.size(); i++) names.insert(Archive::StoredName(archive.entries[i]));
    return names;
}

// The member shown as display (UTF-8 "dir/name"), or null.
const ArchiveEntry* Find(const Archive& archive, const std::string& display) {
    for (size_t i = 0; i < archive.entries.size(); i++) {
        if (Narrow(Archive::DisplayName(archive.entries[i])) == display) return archive.entries[i];
    }
    return nullptr;
}

std::string Messages(const Archive& archive) {
    std::string all;
    for (const Estring& m : archive.messages()) all += std::string(m.c_str()) + ";";
    return all;
}

// Seconds since 1970 as "2019-04-17 18:40:00" in UTC, with a line feed.
std::string UtcText(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm broken;
    char text[64] = "";
    if (gmtime_r(&t, &broken)) strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S\n", &broken);
    return text;
}

// The member sizes `unzip -l` lists, by name.
std::map<std::string, uint64_t> UnzipSizes(const std::string& path) {
    std::map<std::string, uint64_t> sizes;
    std::istringstream lines(ShellOutput("unzip -l " + ShellQuote(path)));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string length, date, time;
        if (!(fields >> length >> date >> time) || length.find_first_not_of("0123456789") != std::string::npos ||
            date.size() != 10)
            continue;
        std::string name;
        std::getline(fields >> std::ws, name);
        sizes[name] = std::stoull(length);
    }
    return sizes;
}

// The lines a command prints, as a set.
std::set<std::string> OutputLines(const std::string& command) {
    std::set<std::string> lines;
    std::string text = ShellOutput(command);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.insert(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class ZipReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& leaf, const std::string& bytes) { return dir_.Write(leaf, bytes); }
    std::string Path(const std::string& leaf) const { return dir_ / leaf; }
    // Makes archive leaf from the odd tree with a shell command run in it
    // ("%s" is the archive's path).
    std::string MakeFromOddTree(const std::string& leaf, const std::string& command) {
        const std::string tree = dir_ / "tree";
        if (!std::filesystem::exists(tree)) MakeOddTree(tree);
        const std::string archive = dir_ / leaf;
        std::string line = command;
        line.replace(line.find("%s"), 2, ShellQuote(archive));
        EXPECT_EQ(RunShell("cd " + ShellQuote(tree) + " && " + line + " >/dev/null"), 0) << line;
        return archive;
    }
    CTempDir dir_;
};

TEST_F(ZipReaderTest, ListsArchivesOfZipAndSevenZipAsLibarchiveDoes) {
    const std::vector<std::pair<std::string, std::string>> makers = {
        {"zip.zip", "zip -q -r -y %s ."},
        {"zip-no-extras.zip", "zip -q -r -X %s ."},
        {"7z.zip", "7z a -tzip -bd %s ."},
    };
    for (const auto& [leaf, command] : makers) {
        const std::string path = MakeFromOddTree(leaf, command);
        auto archive = OpenArchive(path);
        ASSERT_EQ(archive->status, 0) << leaf;
        EXPECT_EQ(std::string(archive->GetArchTypeName().c_str()), "ZIP");
        EXPECT_EQ(Messages(*archive), "") << leaf;
        EXPECT_EQ(OurListing(*archive), BsdtarListing(path)) << leaf;
        // The names as stored, for the programs that extract them.
        EXPECT_EQ(StoredNames(*archive), OutputLines("unzip -Z1 " + ShellQuote(path))) << leaf;
        const ArchiveEntry* empty = Find(*archive, "empty file");
        ASSERT_NE(empty, nullptr) << leaf;
        EXPECT_EQ(empty->size, 0u);
        EXPECT_FALSE(empty->is_dir());
        const ArchiveEntry* empty_dir = Find(*archive, "empty dir");
        ASSERT_NE(empty_dir, nullptr) << leaf;
        EXPECT_TRUE(empty_dir->is_dir());
    }
}

TEST_F(ZipReaderTest, UnixModeOwnerAndTimeComeFromTheExtraFields) {
    const std::string tree = dir_.MakeDir("unix");
    dir_.Write("unix/script", "#!/bin/sh\n", 0750);
    SetFileTime(tree + "/script", 1234567891);  // odd seconds: no DOS time holds them
    ASSERT_EQ(RunShell("cd " + ShellQuote(tree) + " && zip -q ../unix.zip script"), 0);
    auto archive = ReadZipOnly(Path("unix.zip"));
    const ArchiveEntry* script = Find(*archive, "script");
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->mode, 0100750u);
    EXPECT_EQ(script->time.seconds, 1234567891);
    EXPECT_EQ(script->uid, getuid());
    EXPECT_EQ(script->gid, getgid());
    EXPECT_EQ(OurListing(*archive), BsdtarListing(Path("unix.zip")));

    // Times as unsigned seconds, as libarchive and 7-Zip take them: past 2038.
    Builder b;
    Member late("late", "x");
    late.extra = zipbuild::UnixTimeField(3000000000u);
    b.Add(late);
    Member owned("owned", "y");
    owned.extra = Field(0x7875, std::string("\1\2", 2) + U16(1001) + std::string("\4", 1) + U32(70000));
    b.Add(owned);
    Member pkware("pkware", "z");
    pkware.extra = Field(0x000D, U32(0) + U32(0) + U16(42) + U16(43));
    b.Add(pkware);
    const std::string built = Write("fields.zip", b.Finish());
    archive = ReadZipOnly(built);
    EXPECT_EQ(OurListing(*archive), BsdtarListing(built));
    ASSERT_NE(Find(*archive, "late"), nullptr);
    EXPECT_EQ(Find(*archive, "late")->time.seconds, 3000000000);
    ASSERT_NE(Find(*archive, "owned"), nullptr);
    EXPECT_EQ(Find(*archive, "owned")->uid, 1001u);
    EXPECT_EQ(Find(*archive, "owned")->gid, 70000u);
    ASSERT_NE(Find(*archive, "pkware"), nullptr);
    EXPECT_EQ(Find(*archive, "pkware")->uid, 42u);
    EXPECT_EQ(Find(*archive, "pkware")->gid, 43u);

    // The Windows time field 7-Zip writes, to the tick; libarchive does not
    // read it, 7-Zip does.
    Builder windows;
    Member stamped("stamped", "w", 0, 0x20);
    stamped.extra = Field(0x000A, U32(0) + U16(1) + U16(24) + U64(132000000000000123ull) + U64(0) + U64(0));
    windows.Add(stamped);
    const std::string windows_path = Write("windows.zip", windows.Finish());
    archive = ReadZipOnly(windows_path);
    ASSERT_EQ(archive->count(), 1);
    EXPECT_EQ(archive->entries[0]->time.nanoseconds, 12300u);
    EXPECT_EQ("Modified = " + UtcText(archive->entries[0]->time.seconds),
              ShellOutput("TZ=UTC 7z l -slt " + ShellQuote(windows_path) + " | grep '^Modified' | cut -c1-30"));
}

TEST_F(ZipReaderTest, DirectoriesAreToldByNameUnixModeOrDosAttribute) {
    Builder b;
    b.Add(Member("slash/", "", 3, 0));
    b.Add(Member("unixdir", "", 3, 040755u << 16));
    b.Add(Member("dosdir", "", 0, 0x10));
    Member hidden("hidden.sys", "h", 0, 0x02 | 0x04 | 0x20 | 0x01);
    b.Add(hidden);
    b.Add(Member("win\\sub\\file.txt", "w", 0, 0x20));
    b.Add(Member("unix\\back", "u"));  // a '\' in a name written on Unix is a character
    const std::string path = Write("dirs.zip", b.Finish());
    auto archive = ReadZipOnly(path);
    ASSERT_EQ(archive->status, 0);
    for (const char* dir : {"slash", "unixdir", "dosdir"}) {
        ASSERT_NE(Find(*archive, dir), nullptr) << dir;
        EXPECT_TRUE(Find(*archive, dir)->is_dir()) << dir;
    }
    ASSERT_NE(Find(*archive, "hidden.sys"), nullptr);
    EXPECT_EQ(Find(*archive, "hidden.sys")->attr, 0x02 | 0x04 | 0x20);
    EXPECT_NE(Find(*archive, "win/sub/file.txt"), nullptr);
    EXPECT_NE(Find(*archive, "unix\\back"), nullptr);
    EXPECT_EQ(StoredNames(*archive), OutputLines("unzip -Z1 " + ShellQuote(path)));
}

TEST_F(ZipReaderTest, NamesAreDecodedByFlagUnicodeFieldOrCodePage) {
    const std::string cafe_utf8 = "caf\xc3\xa9.txt";
    const std::string uber_cp437 = "\x81" "ber.txt";  // "über" in the DOS code pages
    Builder b;
    Member flagged(cafe_utf8, "1");
    flagged.flags = 0x0800;
    b.Add(flagged);
    Member with_field("?.txt", "2", 0, 0x20);
    with_field.extra = zipbuild::UnicodePathField("?.txt", "\xe6\x96\x87.txt");
    b.Add(with_field);
    Member stale_field("old.txt", "3", 0, 0x20);  // renamed by a program that kept the field
    stale_field.extra = zipbuild::UnicodePathField("old.txt", "new.txt", 1);
    b.Add(stale_field);
    b.Add(Member(uber_cp437, "4", 0, 0x20));
    const std::string path = Write("names.zip", b.Finish());
    auto archive = ReadZipOnly(path);
    ASSERT_EQ(archive->status, 0);
    EXPECT_NE(Find(*archive, cafe_utf8), nullptr);
    EXPECT_NE(Find(*archive, "\xe6\x96\x87.txt"), nullptr);
    EXPECT_NE(Find(*archive, "old.txt"), nullptr);
    EXPECT_EQ(Find(*archive, "new.txt"), nullptr);
    EXPECT_NE(Find(*archive, "\xc3\xbc" "ber.txt"), nullptr);
    // Whatever the panel shows, the stored bytes are kept.
    EXPECT_EQ(StoredNames(*archive), (std::set<std::string>{cafe_utf8, "?.txt", "old.txt", uber_cp437}));

    // zip on Unix stores the file system's bytes, without the flag.
    const std::string tree = dir_.MakeDir("utf8");
    dir_.Write("utf8/\xe6\x97\xa5\xe6\x9c\xac.txt", "x");
    ASSERT_EQ(RunShell("cd " + ShellQuote(tree) + " && zip -q ../utf8.zip *"), 0);
    archive = ReadZipOnly(Path("utf8.zip"));
    EXPECT_NE(Find(*archive, "\xe6\x97\xa5\xe6\x9c\xac.txt"), nullptr);
}

TEST_F(ZipReaderTest, NamesThatLeaveTheFolderAreCleanedAndMarked) {
    Builder b;
    for (const char* name : {"../evil.sh", "/etc/cron.d/job", "a/../../b.txt", "safe/ok.txt"}) b.Add(Member(name, "x"));
    const std::string path = Write("hostile.zip", b.Finish());
    auto archive = ReadZipOnly(path);
    ASSERT_EQ(archive->status, 0);
    const struct {
        const char* shown;
        bool unsafe;
    } expected[] = {{"evil.sh", true}, {"etc/cron.d/job", true}, {"a/b.txt", true}, {"safe/ok.txt", false}};
    for (const auto& e : expected) {
        const ArchiveEntry* member = Find(*archive, e.shown);
        ASSERT_NE(member, nullptr) << e.shown;
        EXPECT_EQ(member->unsafe(), e.unsafe) << e.shown;
    }
    EXPECT_EQ(StoredNames(*archive),
              (std::set<std::string>{"../evil.sh", "/etc/cron.d/job", "a/../../b.txt", "safe/ok.txt"}));
}

TEST_F(ZipReaderTest, EmptyArchivesAndEmptyMembers) {
    // Only the end record, as zip leaves when the last member is deleted.
    const std::string empty = Write("empty.zip", Builder().Finish());
    ASSERT_EQ(RunShell("unzip -l " + ShellQuote(empty) + " >/dev/null 2>&1"), 1);  // "zipfile is empty"
    auto archive = OpenArchive(empty);
    EXPECT_EQ(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
    EXPECT_EQ(Messages(*archive), "");
    // The same as a ZIP64 archive.
    archive = ReadZipOnly(Write("empty64.zip", Builder().Finish(true)));
    EXPECT_EQ(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
    EXPECT_EQ(Messages(*archive), "");

    dir_.Write("zero", "");
    ASSERT_EQ(RunShell("cd " + ShellQuote(dir_.path()) + " && zip -q zero.zip zero"), 0);
    archive = ReadZipOnly(Path("zero.zip"));
    ASSERT_EQ(archive->count(), 1);
    EXPECT_EQ(archive->entries[0]->size, 0u);
    EXPECT_EQ(archive->entries[0]->packed, 0u);
}

// A sparse archive with a stored member of 4 GiB + 1 zero bytes, a member
// after it whose local header lies past 4 GiB, and the directory past it
// found through the ZIP64 locator.
TEST_F(ZipReaderTest, MembersAndDirectoryPastFourGigabytes) {
    const uint64_t big = (uint64_t(4) << 30) + 1;
    const std::string big_name = "big.bin";
    std::string front = U32(0x04034B50) + U16(45) + U16(0) + U16(0) + U16(zipbuild::kDosNoon) +
                        U16(zipbuild::kDosDate2020) + U32(0) + U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U16(7) +
                        U16(20) + big_name + Field(0x0001, U64(big) + U64(big));
    const uint64_t second_offset = front.size() + big;
    const std::string small_name = "after.txt";
    const uint32_t hi_crc = ZipCrc32(reinterpret_cast<const uint8_t*>("hi"), 2);
    std::string back = U32(0x04034B50) + U16(20) + U16(0) + U16(0) + U16(zipbuild::kDosNoon) +
                       U16(zipbuild::kDosDate2020) + U32(hi_crc) + U32(2) + U32(2) + U16(9) + U16(0) + small_name +
                       "hi";
    const uint64_t directory_offset = second_offset + back.size();
    auto central = [](const std::string& name, uint32_t crc, uint32_t packed, uint32_t size, uint32_t offset,
                      const std::string& extra) {
        return U32(0x02014B50) + U16(0x031E) + U16(45) + U16(0) + U16(0) + U16(zipbuild::kDosNoon) +
               U16(zipbuild::kDosDate2020) + U32(crc) + U32(packed) + U32(size) + U16(static_cast<uint32_t>(name.size())) +
               U16(static_cast<uint32_t>(extra.size())) + U16(0) + U16(0) + U16(0) + U32(0100644u << 16) +
               U32(offset) + name + extra;
    };
    // Each ZIP64 value only for a field that overflowed: sizes for the big
    // member, the offset alone for the second.
    std::string directory = central(big_name, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, Field(0x0001, U64(big) + U64(big))) +
                            central(small_name, hi_crc, 2, 2, 0xFFFFFFFF, Field(0x0001, U64(second_offset)));
    const uint64_t record_offset = directory_offset + directory.size();
    back += directory;
    back += U32(0x06064B50) + U64(44) + U16(45) + U16(45) + U32(0) + U32(0) + U64(2) + U64(2) + U64(directory.size()) +
            U64(directory_offset);
    back += U32(0x07064B50) + U32(0) + U64(record_offset) + U32(1);
    back += U32(0x06054B50) + U16(0) + U16(0) + U16(2) + U16(2) + U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U16(0);

    const std::string path = Path("big.zip");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, front.data(), front.size(), 0), static_cast<ssize_t>(front.size()));
    ASSERT_EQ(pwrite(fd, back.data(), back.size(), static_cast<off_t>(second_offset)), static_cast<ssize_t>(back.size()));
    close(fd);

    auto archive = ReadZipOnly(path);
    ASSERT_EQ(archive->status, 0) << Messages(*archive);
    ASSERT_NE(Find(*archive, "big.bin"), nullptr);
    EXPECT_EQ(Find(*archive, "big.bin")->size, big);
    EXPECT_EQ(Find(*archive, "big.bin")->packed, big);
    ASSERT_NE(Find(*archive, "after.txt"), nullptr);
    EXPECT_EQ(Find(*archive, "after.txt")->size, 2u);
    EXPECT_EQ(Find(*archive, "after.txt")->packed, 2u);
    // libarchive would read the 4 GiB through; unzip lists from the directory.
    EXPECT_EQ(UnzipSizes(path), (std::map<std::string, uint64_t>{{"big.bin", big}, {"after.txt", 2}}));
}

TEST_F(ZipReaderTest, Zip64ValuesComeInOrderOnlyForOverflowedFields) {
    Builder b;
    Member packed_only("packed-only", "abc");
    packed_only.shown_packed = 0xFFFFFFFF;
    packed_only.extra = Field(0x0001, U64(3));
    b.Add(packed_only);
    Member all("all", "abcd");
    all.shown_size = all.shown_packed = all.shown_offset = 0xFFFFFFFF;
    all.shown_disk = 0xFFFF;
    all.extra = Field(0x0001, U64(4) + U64(4) + U64(0x23) + U32(0));
    b.Add(all);
    Member short_field("short", "abcde");  // the field lacks the packed size it should hold
    short_field.shown_size = short_field.shown_packed = 0xFFFFFFFF;
    short_field.extra = Field(0x0001, U64(5));
    b.Add(short_field);
    Member untouched("untouched", "abcdef");  // no field overflowed: the values are not used
    untouched.extra = Field(0x0001, U64(999) + U64(999));
    b.Add(untouched);
    auto archive = ReadZipOnly(Write("zip64fields.zip", b.Finish(true)));
    ASSERT_EQ(archive->status, 0);
    const struct {
        const char* name;
        uint64_t size, packed;
    } expected[] = {{"packed-only", 3, 3}, {"all", 4, 4}, {"short", 5, 0xFFFFFFFF}, {"untouched", 6, 6}};
    for (const auto& e : expected) {
        const ArchiveEntry* member = Find(*archive, e.name);
        ASSERT_NE(member, nullptr) << e.name;
        EXPECT_EQ(member->size, e.size) << e.name;
        EXPECT_EQ(member->packed, e.packed) << e.name;
    }
}

TEST_F(ZipReaderTest, SelfExtractorsWithAndWithoutCorrectedOffsets) {
    const std::string plain = MakeFromOddTree("plain.zip", "zip -q -r %s .");
    const auto expected = OurListing(*ReadZipOnly(plain));
    ASSERT_FALSE(expected.empty());
    std::string program = "MZ" + std::string(5000, '\x90');
    program += "PK\x01";  // a near miss of the signature
    const std::string raw = Write("raw.exe", program + ReadFile(plain));
    const std::string fixed = Write("fixed.exe", ReadFile(raw));
    ASSERT_EQ(RunShell("zip -q -A " + ShellQuote(fixed)), 0);
    ASSERT_NE(ReadFile(fixed), ReadFile(raw));
    for (const std::string& path : {raw, fixed}) {
        auto archive = OpenArchive(path);
        ASSERT_EQ(archive->status, 0) << path;
        EXPECT_EQ(Messages(*archive), "") << path;
        EXPECT_EQ(OurListing(*archive), expected) << path;
    }
    // The same with a ZIP64 directory, its records not corrected either.
    Builder b;
    b.Add(Member("in64.txt", "x"));
    auto archive = ReadZipOnly(Write("raw64.exe", program + b.Finish(true)));
    ASSERT_EQ(archive->status, 0);
    EXPECT_NE(Find(*archive, "in64.txt"), nullptr);
    // The last place the archive is looked for in a program.
    archive = ReadZipOnly(Write("last.exe", "MZ" + std::string(0x1FFFD, 'x') + b.Finish()));
    EXPECT_NE(Find(*archive, "in64.txt"), nullptr);
}

TEST_F(ZipReaderTest, ProgramsAndOtherFilesAreNotTakenForArchives) {
    // A program without an archive; one whose archive starts just past the scan.
    const std::string program = Write("prog.exe", "MZ" + std::string(0x30000, 'x'));
    Builder b;
    b.Add(Member("late.txt", "x"));
    const std::string late = Write("late.exe", "MZ" + std::string(0x1FFFE, 'x') + b.Finish());
    const std::string text = Write("text.txt", "just some text, PK\x05\x06 inside");
    for (const std::string& path : {program, late, text, Write("short", "PK\x03\x04")}) {
        auto archive = OpenArchive(path);
        EXPECT_NE(archive->status, 0) << path;
        EXPECT_EQ(archive->count(), 0) << path;
    }
    EXPECT_EQ(Messages(*OpenArchive(program)), "");
}

TEST_F(ZipReaderTest, DamagedArchivesGiveTheMessageAndKeepWhatWasRead) {
    auto three_members = [] {
        Builder b;
        for (const char* name : {"one", "two", "three"}) b.Add(Member(name, name));
        return b;
    };
    const std::string good = three_members().Finish();
    const size_t directory = good.find("PK\x01\x02");
    const size_t second = good.find("PK\x01\x02", directory + 4);
    const size_t third = good.find("PK\x01\x02", second + 4);

    std::string bad_signature = good;
    bad_signature[third + 2] = 'X';
    std::string long_name = good;  // the third name runs past the end of the file
    long_name[third + 28] = '\xff';
    long_name[third + 29] = '\xff';
    std::string bad_first = good;
    bad_first[directory + 3] = 'X';
    std::string far_offset = good;  // the directory offset past the end of the file
    far_offset.replace(good.size() - 6, 4, U32(0x7FFFFFF0));

    const struct {
        const char* leaf;
        std::string bytes;
        const char* message;
        int status;
        std::set<std::string> kept;
    } cases[] = {
        {"truncated.zip", good.substr(0, third + 20), "Central directory not found in;", -1, {}},
        {"bad-signature.zip", bad_signature, "ZIP corrupt, bad central directory;", 0, {"one", "two"}},
        {"long-name.zip", long_name, "ZIP corrupt, cannot read file list;", 0, {"one", "two"}},
        {"bad-first.zip", bad_first, "ZIP corrupt, bad central directory;", -1, {}},
        {"far-offset.zip", far_offset, "ZIP corrupt, nonsense header read;", -1, {}},
        {"cut-end-record.zip", good.substr(0, good.size() - 4), "ZIP corrupt, cannot read file list;", -1, {}},
    };
    for (const auto& c : cases) {
        auto archive = ReadZipOnly(Write(c.leaf, c.bytes));
        EXPECT_EQ(Messages(*archive), c.message) << c.leaf;
        EXPECT_EQ(archive->status, c.status) << c.leaf;
        EXPECT_EQ(StoredNames(*archive), c.kept) << c.leaf;
    }
}

TEST_F(ZipReaderTest, EndRecordIsFoundBehindLongCommentsAndTrailingBytes) {
    Builder b;
    b.Add(Member("member", "x"));
    const std::string commented = Write("comment.zip", b.Finish(false, std::string(65000, 'c')));
    const std::string trailing = Write("trailing.zip", b.Finish(true, "short") + std::string(100, '\0'));
    for (const std::string& path : {commented, trailing}) {
        auto archive = ReadZipOnly(path);
        EXPECT_EQ(archive->status, 0) << path;
        EXPECT_EQ(Messages(*archive), "") << path;
        EXPECT_EQ(StoredNames(*archive), std::set<std::string>{"member"}) << path;
    }
    EXPECT_EQ(UnzipSizes(commented), (std::map<std::string, uint64_t>{{"member", 1}}));
}

TEST_F(ZipReaderTest, CrcOfTheUnicodeNameCheckIsTheZipOne) {
    EXPECT_EQ(ZipCrc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    // unzip checks every member's data against the CRC our builder wrote.
    Builder b;
    b.Add(Member("data", std::string(1000, '\xa5') + "tail"));
    const std::string path = Write("crc.zip", b.Finish());
    EXPECT_EQ(RunShell("unzip -tq " + ShellQuote(path) + " >/dev/null"), 0);
}

}  // namespace
