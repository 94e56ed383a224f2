// The LHA reader against archives the lha program writes (levels 0, 1 and
// 2, compared with libarchive's listing) and against headers built here.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/archive/dosarchive_fixture.h"

namespace {

// A member header of level 0: the name in the header, a DOS time.
std::string Level0(const std::string& name, const std::string& data, const char* method = "-lh0-") {
    std::string h;
    h += static_cast<char>(22 + name.size());
    h += '\0';  // header checksum, not checked
    h += method;
    Put32(h, static_cast<uint32_t>(data.size()));
    Put32(h, static_cast<uint32_t>(data.size()));
    Put16(h, kDosTime);
    Put16(h, kDosDate);
    h += '\x20';
    h += '\0';  // level
    h += static_cast<char>(name.size());
    h += name;
    Put16(h, 0);  // CRC of the data
    return h + data;
}

using Extensions = std::vector<std::pair<int, std::string>>;

// The chain of extended headers, each followed by the size of the next.
std::string Chain(const Extensions& extensions) {
    std::string out;
    for (size_t i = 0; i < extensions.size(); i++) {
        out += static_cast<char>(extensions[i].first);
        out += extensions[i].second;
        Put16(out, i + 1 < extensions.size() ? static_cast<unsigned>(extensions[i + 1].second.size() + 3) : 0);
    }
    return out;
}

unsigned FirstSize(const Extensions& extensions) {
    return extensions.empty() ? 0 : static_cast<unsigned>(extensions[0].second.size() + 3);
}

// A member header of level 1: a name in the header, extended headers
// counted in the compressed size.
std::string Level1(const std::string& name, const std::string& data, const Extensions& extensions,
                   const char* method = "-lh0-") {
    const std::string chain = Chain(extensions);
    std::string h;
    h += static_cast<char>(25 + name.size());
    h += '\0';
    h += method;
    Put32(h, static_cast<uint32_t>(chain.size() + data.size()));
    Put32(h, static_cast<uint32_t>(data.size()));
    Put16(h, kDosTime);
    Put16(h, kDosDate);
    h += '\x20';
    h += '\x01';
    h += static_cast<char>(name.size());
    h += name;
    Put16(h, 0);
    h += 'U';
    Put16(h, FirstSize(extensions));
    return h + chain + data;
}

// A member header of level 2: names only in extended headers, a Unix time.
std::string Level2(const Extensions& extensions, const std::string& data, const char* method = "-lh0-",
                   uint32_t unix_time = 1600000000) {
    const std::string chain = Chain(extensions);
    std::string h;
    Put16(h, static_cast<unsigned>(26 + chain.size()));
    h += method;
    Put32(h, static_cast<uint32_t>(data.size()));
    Put32(h, static_cast<uint32_t>(data.size()));
    Put32(h, unix_time);
    h += '\x20';
    h += '\x02';
    Put16(h, 0);
    h += 'U';
    Put16(h, FirstSize(extensions));
    return h + chain + data;
}

std::string MakeLha(const CTempDir& tmp, int level) {
    const std::string tree = tmp / "tree";
    MakeAsciiOddTree(tree);
    // A level-0 header holds at most 255 bytes of name.
    if (level == 0) std::filesystem::remove_all(tree + "/" + std::string(200, 'L'));
    const std::string archive = tmp / ("level" + std::to_string(level) + ".lzh");
    EXPECT_EQ(RunShell("cd " + ShellQuote(tree) + " && lha a" + std::to_string(level) + " " + ShellQuote(archive) +
                       " * .hidden >/dev/null 2>&1"),
              0);
    return archive;
}

TEST(LzhTest, ArchivesOfEveryLevelListAsLibarchiveListsThem) {
    for (int level : {0, 1, 2}) {
        CTempDir tmp;
        const std::string archive = MakeLha(tmp, level);
        const std::unique_ptr<Archive> ours = Archive::ReadWith(DecodeFileName(archive.c_str()), &Archive::ReadLzh);
        ASSERT_EQ(ours->status, 0) << "level " << level;
        const auto theirs = BsdtarListing(archive);
        ASSERT_GE(theirs.size(), 10u) << "level " << level;
        EXPECT_EQ(OurListing(*ours), theirs) << "level " << level;
        // The same through every reader, as a panel opens it.
        const std::unique_ptr<Archive> opened = OpenArchive(archive);
        EXPECT_EQ(opened->GetArchTypeName(), Estring("LHARC"));
        EXPECT_EQ(opened->count(), ours->count());
        EXPECT_TRUE(opened->messages().empty());
    }
}

TEST(LzhTest, SelfExtractorPrefixIsSkippedWithinItsLimit) {
    CTempDir tmp;
    const std::string archive = ReadFile(MakeLha(tmp, 2));
    const std::unique_ptr<Archive> plain = ReadBytes(tmp, archive, &Archive::ReadLzh);
    const std::unique_ptr<Archive> behind = ReadBytes(tmp, ProgramStub(5000) + archive, &Archive::ReadLzh);
    ASSERT_EQ(behind->status, 0);
    EXPECT_EQ(Members(*behind), Members(*plain));
    EXPECT_EQ(ReadBytes(tmp, ProgramStub(0x10000) + archive, &Archive::ReadLzh)->status, -1);
    // A '-' right before the method ("--lh0-") does not hide it.
    std::string near_miss = Level0("near.txt", "n") + '\0';
    near_miss[1] = '-';
    EXPECT_EQ(Members(*ReadBytes(tmp, ProgramStub(100) + near_miss, &Archive::ReadLzh)),
              std::vector<std::string>{"near.txt 1"});
}

TEST(LzhTest, NamesFromExtendedHeadersAndTheirUnixFields) {
    CTempDir tmp;
    std::string archive;
    archive += Level2({{0x02, std::string("docs\xFFold\xFF", 9)}, {0x01, "readme.txt"}, {0x50, "\xA4\x81"},
                       {0x51, std::string("\x64\x00\xE8\x03", 4)}},
                      "hello");
    archive += Level2({{0x02, std::string("docs\xFF", 5)}}, "", "-lhd-");
    archive += Level1("empty", "", {{0x54, std::string("\x00\xE1\xF5\x05", 4)}});
    archive += Level0("dos\\path\\file.c", "int x;");
    archive += Level2({{0x01, std::string("cut\0tail", 8)}}, "c");  // a NUL ends a name
    archive += '\0';
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadLzh);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"cut 1", "empty 0", "docs dir", "docs/old/readme.txt 5",
                                                     "dos/path/file.c 6"}));
    EXPECT_TRUE(a->messages().empty());
    for (size_t i = 0; i < a->entries.size(); i++) {
        const ArchiveEntry* e = a->entries[i];
        if (std::string(e->name) == "readme.txt") {
            EXPECT_EQ(e->mode, 0100644u);
            EXPECT_EQ(e->gid, 100u);
            EXPECT_EQ(e->uid, 1000u);
            EXPECT_EQ(e->time.seconds, 1600000000);
        }
        if (std::string(e->name) == "empty") {
            EXPECT_EQ(e->time.seconds, 100000000);  // from the 0x54 field
        }
        if (std::string(e->name) == "file.c") {
            EXPECT_EQ(Archive::StoredName(e), "dos\\path\\file.c");
        }
    }
}

TEST(LzhTest, ExtendedAttributeMembersAreDropped) {
    CTempDir tmp;
    std::string archive = Level0("EAS\\data.ea", "x") + Level0("Apply-Ea.Cmd", "rexx") +
                          Level2({{0x02, std::string("EAS\xFF", 4)}}, "", "-lhd-") + Level0("keep.txt", "k") + '\0';
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadLzh);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), std::vector<std::string>{"keep.txt 1"});
}

TEST(LzhTest, ClimbingAndAbsoluteNamesAreCleanedAndMarked) {
    CTempDir tmp;
    std::string archive = Level0("..\\..\\evil.bat", "x") + Level2({{0x02, std::string("\xFF" "etc\xFF", 5)}, {0x01, "passwd"}}, "y") +
                          Level1("../up", "z", {}) + '\0';
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadLzh);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"evil.bat 1 unsafe", "up 1 unsafe", "etc/passwd 1 unsafe"}));
}

TEST(LzhTest, DamagedHeadersKeepTheMembersBefore) {
    CTempDir tmp;
    const std::string good = Level0("first.txt", "1") + Level2({{0x01, "second.txt"}}, "22");
    // An extended header that claims more than its header holds.
    std::string overlong = Level2({{0x01, "third.txt"}}, "333");
    overlong[24] = '\x70';
    // A level-1 chain longer than the compressed size that holds it.
    std::string outside = Level1("fourth", "4", {{0x01, "fourth.txt"}});
    outside[7] = '\x02';
    // A name length past the header.
    std::string long_name = Level0("fifth", "5");
    long_name[21] = '\x40';
    for (const std::string& bad : {overlong, outside, long_name, std::string("\x30\x00-lh0-", 7)}) {
        const std::unique_ptr<Archive> a = ReadBytes(tmp, good + bad + '\0', &Archive::ReadLzh);
        ASSERT_EQ(a->status, 0);
        EXPECT_EQ(Members(*a), (std::vector<std::string>{"first.txt 1", "second.txt 2"}));
        EXPECT_EQ(a->messages().size(), 1u);
    }
    ExpectCutsListOnlyWhatWasRead(tmp, ReadFile(MakeLha(tmp, 1)), &Archive::ReadLzh);
    ExpectCutsListOnlyWhatWasRead(tmp, good + Level1("third", "3", {{0x54, "\1\2\3\4"}}) + '\0', &Archive::ReadLzh);
}

}  // namespace
