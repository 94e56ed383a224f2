// The ACE reader against archives built here from the format's layout
// (nothing on this system writes ACE).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/sfxscan.h"
#include "tests/archive/dosarchive_fixture.h"

namespace {

// A block: CRC (not checked by the reader), the size of the rest, the rest.
std::string Block(const std::string& rest) {
    std::string out;
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(rest.size()));
    return out + rest;
}

std::string MainHeader(int type = 0) {
    std::string rest;
    rest += static_cast<char>(type);
    Put16(rest, 0);
    rest += "**ACE**";
    rest += std::string("\x14\x14\x00\x00", 4);  // versions, host, volume
    Put32(rest, (kDosDate << 16) | kDosTime);
    rest += std::string(8, '\0');
    rest += '\0';  // no advertisement
    return Block(rest);
}

std::string FileBlock(const std::string& name, const std::string& data, unsigned attributes = 0x20) {
    std::string rest;
    rest += '\x01';
    Put16(rest, 0x0001);
    Put32(rest, static_cast<uint32_t>(data.size()));
    Put32(rest, static_cast<uint32_t>(data.size()));
    Put16(rest, kDosTime);
    Put16(rest, kDosDate);
    Put32(rest, attributes);
    Put32(rest, 0);  // CRC
    Put32(rest, 0);  // technical information
    Put16(rest, 0);
    Put16(rest, static_cast<unsigned>(name.size()));
    rest += name;
    return Block(rest) + data;
}

// A block of a type the reader does not list, with data after it.
std::string OtherBlock(const std::string& data) {
    std::string rest;
    rest += '\x05';
    Put16(rest, 0x0001);
    Put32(rest, static_cast<uint32_t>(data.size()));
    return Block(rest) + data;
}

TEST(AceTest, FilesDirectoriesAndDeepPaths) {
    CTempDir tmp;
    std::string deep;
    for (int i = 0; i < 300; i++) deep += "d\\";
    const std::string archive = MainHeader() + FileBlock("docs", "", 0x10) + FileBlock("docs\\readme.txt", "hello") +
                                OtherBlock("recovery data") + FileBlock("empty", "") + FileBlock(deep + "leaf", "x");
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadAce);
    ASSERT_EQ(a->status, 0);
    std::string deep_path = deep.substr(0, deep.size() - 1);
    for (char& c : deep_path) c = c == '\\' ? '/' : c;
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"empty 0", deep_path + "/leaf 1", "docs dir", "docs/readme.txt 5"}));
    EXPECT_TRUE(a->messages().empty());
    const ArchiveEntry* readme = a->entries[3];
    EXPECT_EQ(readme->time, TimeStamp(static_cast<DOSDATE>(kDosDate), static_cast<DOSTIME>(kDosTime)));
    EXPECT_EQ(readme->packed, 5u);
    EXPECT_EQ(Archive::StoredName(readme), "docs\\readme.txt");
    // The same through every reader, as a panel opens it.
    const std::unique_ptr<Archive> opened = OpenArchive(tmp / "archive");
    EXPECT_EQ(opened->GetArchTypeName(), Estring("ACE"));
    EXPECT_EQ(opened->count(), 4);

    // No members at all.
    EXPECT_EQ(ReadBytes(tmp, MainHeader(), &Archive::ReadAce)->status, 0);
    // The mark in a block that is not a main header.
    EXPECT_EQ(ReadBytes(tmp, MainHeader(1) + FileBlock("x", "x"), &Archive::ReadAce)->status, -1);
}

TEST(AceTest, SelfExtractorPrefixIsSkippedWithinItsLimit) {
    CTempDir tmp;
    const std::string archive = MainHeader() + FileBlock("inside.txt", "data");
    // A near miss of the mark in the program does not hide the real one.
    const std::string stub = ProgramStub(4000) + "**AC*";
    const std::unique_ptr<Archive> behind = ReadBytes(tmp, stub + archive, &Archive::ReadAce);
    ASSERT_EQ(behind->status, 0);
    EXPECT_EQ(Members(*behind), std::vector<std::string>{"inside.txt 4"});
    EXPECT_EQ(ReadBytes(tmp, ProgramStub(0x10000) + archive, &Archive::ReadAce)->status, -1);
}

TEST(AceTest, ClimbingAndAbsoluteNamesAreCleanedAndMarked) {
    CTempDir tmp;
    const std::string archive =
        MainHeader() + FileBlock("..\\..\\boot.ini", "x") + FileBlock("\\windows\\win.ini", "y") + FileBlock("", "z") +
        FileBlock(std::string("nul\0tail", 8), "n");  // a NUL ends a name
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadAce);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"boot.ini 1 unsafe", "noname 1", "nul 1", "windows/win.ini 1 unsafe"}));
}

TEST(AceTest, DamagedHeadersKeepTheMembersBefore) {
    CTempDir tmp;
    const std::string good = MainHeader() + FileBlock("one", "1") + FileBlock("two", "22");
    const std::string third = FileBlock("three", "333");
    std::string name_past_header = third;
    name_past_header[33] = '\x06';
    std::string huge = third;
    huge[3] = '\x30';
    const std::string too_short = Block(std::string("\x01\x01\x00\x00\x00\x00\x00", 7));
    for (const std::string& bad : {name_past_header, huge, too_short, third.substr(0, 30), third.substr(0, 3)}) {
        const std::unique_ptr<Archive> a = ReadBytes(tmp, good + bad, &Archive::ReadAce);
        ASSERT_EQ(a->status, 0);
        EXPECT_EQ(Members(*a), (std::vector<std::string>{"one 1", "two 2"}));
        EXPECT_EQ(a->messages().size(), 1u);
    }
    ExpectCutsListOnlyWhatWasRead(tmp, good + FileBlock("dir", "", 0x10) + FileBlock("dir\\three", "333"),
                                  &Archive::ReadAce);
}

}  // namespace

// A signature that begins inside a partial match of itself is still found:
// "**" then "**ACE**" holds the mark one byte later than a restart at the
// mismatching byte would look.
TEST(SignatureScanTest, FindsAMarkThatBeginsInsideAPartialMatch) {
    CTempDir dir;
    const std::string path = dir.Write("scan", "MZ***ACE**tail");
    RandomFile file;
    ASSERT_EQ(file.open(DecodeFileName(path.c_str())), 0);
    const uint8_t mark[] = {'*', '*', 'A', 'C', 'E', '*', '*'};
    EXPECT_EQ(ScanForSignature(&file, 0, 100, mark, sizeof mark), 3);
    EXPECT_EQ(ScanForSignature(&file, 4, 100, mark, sizeof mark), -1);
    EXPECT_EQ(ScanForSignature(&file, 0, 9, mark, sizeof mark), -1);  // the limit ends the search
}
