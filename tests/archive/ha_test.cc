// The HA reader against archives built here from the format's layout
// (nothing on this system writes HA).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/archive/dosarchive_fixture.h"

namespace {

constexpr int kCopied = 0, kDirectory = 14;

std::string HaMember(const std::string& path, const std::string& name, const std::string& data, int method = kCopied,
                     const std::string& machine_data = "") {
    std::string out;
    out += static_cast<char>(0x20 | method);  // version 2
    Put32(out, static_cast<uint32_t>(data.size()));
    Put32(out, static_cast<uint32_t>(data.size()));
    Put32(out, 0);  // CRC
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    out += path + '\0' + name + '\0';
    out += static_cast<char>(machine_data.size());
    return out + machine_data + data;
}

std::string Ha(const std::vector<std::string>& members) {
    std::string out = "HA";
    Put16(out, static_cast<unsigned>(members.size()));
    for (const std::string& m : members) out += m;
    return out;
}

TEST(HaTest, FilesDirectoriesAndDeepPaths) {
    CTempDir tmp;
    std::string deep;
    for (int i = 0; i < 140; i++) deep += "d\xFF";
    const std::string archive =
        Ha({HaMember("", "top.txt", "top"), HaMember("", "docs", "", kDirectory),
            HaMember("docs\xFF", "readme", "hello", kCopied, "\x01\x02\x03"), HaMember("", "empty", ""),
            HaMember(deep, "leaf", "x"), HaMember("docs\xFF" "old\xFF", "", "", kDirectory)});
    const std::unique_ptr<Archive> a = ReadBytes(tmp, archive, &Archive::ReadHA);
    ASSERT_EQ(a->status, 0);
    std::string deep_path = deep.substr(0, deep.size() - 1);
    for (char& c : deep_path) c = c == '\xFF' ? '/' : c;
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"empty 0", "top.txt 3", deep_path + "/leaf 1", "docs dir",
                                                     "docs/readme 5", "docs/old dir"}));
    EXPECT_TRUE(a->messages().empty());
    const ArchiveEntry* readme = a->entries[4];
    EXPECT_EQ(readme->time, TimeStamp(static_cast<DOSDATE>(kDosDate), static_cast<DOSTIME>(kDosTime)));
    const std::unique_ptr<Archive> opened = OpenArchive(tmp / "archive");
    EXPECT_EQ(opened->GetArchTypeName(), Estring("HA"));
    EXPECT_EQ(opened->count(), 6);
}

TEST(HaTest, OnlyFilesThatLookLikeHaAreRead) {
    CTempDir tmp;
    EXPECT_EQ(ReadBytes(tmp, "HAPPY BIRTHDAY\n", &Archive::ReadHA)->status, -1);
    EXPECT_EQ(ReadBytes(tmp, "HA", &Archive::ReadHA)->status, -1);
    EXPECT_EQ(ReadBytes(tmp, "ha\1\0", &Archive::ReadHA)->status, -1);
    const std::unique_ptr<Archive> empty = ReadBytes(tmp, Ha({}), &Archive::ReadHA);
    EXPECT_EQ(empty->status, 0);
    EXPECT_EQ(empty->count(), 0);
}

TEST(HaTest, ClimbingAndAbsoluteNamesAreCleanedAndMarked) {
    CTempDir tmp;
    const std::unique_ptr<Archive> a =
        ReadBytes(tmp, Ha({HaMember("..\xFF..\xFF", "x", "1"), HaMember("\xFF" "etc", "passwd", "2"),
                           HaMember("", "..", "3")}),
                  &Archive::ReadHA);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"noname 1 unsafe", "x 1 unsafe", "etc/passwd 1 unsafe"}));
}

TEST(HaTest, DamagedHeadersKeepTheMembersBefore) {
    CTempDir tmp;
    const std::string good = Ha({HaMember("", "one", "1"), HaMember("", "two", "22")});
    const std::string unterminated = HaMember("", std::string(400, 'n'), "").substr(0, 17 + 1 + 400);
    const std::string overlong_path = HaMember(std::string(301, 'p'), "three", "333");
    for (const std::string& bad : {unterminated, overlong_path, HaMember("", "three", "333").substr(0, 10),
                                   HaMember("", "three", "333").substr(0, 24)}) {
        const std::unique_ptr<Archive> a = ReadBytes(tmp, good + bad, &Archive::ReadHA);
        ASSERT_EQ(a->status, 0);
        EXPECT_EQ(Members(*a), (std::vector<std::string>{"one 1", "two 2"}));
        EXPECT_EQ(a->messages().size(), 1u);
    }
    // A version HA does not know ends the list without a message.
    const std::unique_ptr<Archive> later = ReadBytes(tmp, good + "\x30" + std::string(40, 'z'), &Archive::ReadHA);
    EXPECT_EQ(Members(*later), (std::vector<std::string>{"one 1", "two 2"}));
    EXPECT_TRUE(later->messages().empty());
    ExpectCutsListOnlyWhatWasRead(
        tmp, Ha({HaMember("", "d", "", kDirectory), HaMember("d\xFF", "one", "1"), HaMember("d\xFF", "two", "22")}),
        &Archive::ReadHA);
}

}  // namespace
