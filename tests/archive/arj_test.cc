// The ARJ reader against archives the arj program writes (compared with
// what `arj v` lists) and against headers built here.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "tests/archive/dosarchive_fixture.h"

namespace {

struct ArjMember {
    unsigned type = 0;  // 0 file, 2 main header, 3 directory, 4 volume label
    unsigned host = 0;  // 0 MS-DOS, 2 Unix
    std::string name;
    std::string data;
    uint32_t stamp = (kDosDate << 16) | kDosTime;
    unsigned access = 0x20;
    std::string extended;  // one extended header's bytes, none when empty
};

ArjMember M(unsigned type, unsigned host, const std::string& name, const std::string& data) {
    ArjMember m;
    m.type = type;
    m.host = host;
    m.name = name;
    m.data = data;
    return m;
}

std::string ArjHeader(const ArjMember& m) {
    std::string basic;
    basic += '\x1E';  // first-header size: 30
    basic += '\x0B';
    basic += '\x01';
    basic += static_cast<char>(m.host);
    basic += '\0';  // flags
    basic += '\0';  // method: stored
    basic += static_cast<char>(m.type);
    basic += '\0';
    Put32(basic, m.stamp);
    Put32(basic, static_cast<uint32_t>(m.data.size()));
    Put32(basic, static_cast<uint32_t>(m.data.size()));
    Put32(basic, 0);  // CRC of the data
    Put16(basic, 0);
    Put16(basic, m.access);
    basic += '\0';
    basic += '\0';
    basic += m.name + '\0' + "a comment" + '\0';
    std::string h = "\x60\xEA";
    Put16(h, static_cast<unsigned>(basic.size()));
    h += basic;
    Put32(h, 0);  // CRC of the basic header
    if (!m.extended.empty()) {
        Put16(h, static_cast<unsigned>(m.extended.size()));
        h += m.extended;
        Put32(h, 0);
    }
    Put16(h, 0);
    return h + m.data;
}

std::string Arj(const std::vector<ArjMember>& members) {
    std::string out = ArjHeader(M(2, 0, "made.arj", ""));
    for (const ArjMember& m : members) out += ArjHeader(m);
    return out + std::string("\x60\xEA\x00\x00", 4);
}

// Members as `arj v` lists them: full path, size, time (read as UTC) and
// whether a directory, with the permission bits it shows.
std::map<std::string, std::pair<ListedMember, unsigned>> ArjListing(const std::string& archive) {
    std::map<std::string, std::pair<ListedMember, unsigned>> members;
    std::istringstream lines(ShellOutput("TZ=UTC arj v " + ShellQuote(archive) + " </dev/null"));
    std::string line, name;
    while (std::getline(lines, line)) {
        const size_t paren = line.find(") ");
        if (paren == 3 && line.find_first_not_of("0123456789") == 3) {
            name = line.substr(5);
            while (!name.empty() && name.back() == ' ') name.pop_back();
            continue;
        }
        if (name.empty()) continue;
        std::istringstream fields(line);
        std::string revision, host, original, compressed, ratio, date, time, attributes;
        fields >> revision >> host >> original >> compressed >> ratio >> date >> time >> attributes;
        std::tm tm{};
        if (attributes.size() != 10 || sscanf(date.c_str(), "%d-%d-%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday) != 3 ||
            sscanf(time.c_str(), "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 3)
            continue;
        tm.tm_year += tm.tm_year < 80 ? 100 : 0;
        tm.tm_mon -= 1;
        ListedMember m;
        m.path = name;
        m.directory = attributes[0] == 'd';
        m.size = m.directory ? 0 : std::stoull(original);
        m.mtime = timegm(&tm);
        unsigned permissions = 0;
        for (int i = 1; i < 10; i++) permissions = permissions << 1 | (attributes[static_cast<size_t>(i)] != '-');
        members[name] = {m, permissions};
        name.clear();
    }
    return members;
}

TEST(ArjTest, ArchiveListsAsArjListsIt) {
    CTempDir tmp;
    MakeAsciiOddTree(tmp / "tree");
    const std::string archive = tmp / "odd.arj";
    ASSERT_EQ(RunShell("cd " + ShellQuote(tmp.path()) + " && timeout 60 arj a -y -r -a1 odd.arj tree </dev/null >/dev/null"), 0);
    const auto theirs = ArjListing(archive);
    ASSERT_GE(theirs.size(), 12u);
    const std::unique_ptr<Archive> ours = OpenArchive(archive);
    ASSERT_EQ(ours->status, 0);
    EXPECT_EQ(ours->GetArchTypeName(), Estring("ARJ"));
    EXPECT_TRUE(ours->messages().empty());
    const auto listed = OurListing(*ours, false);
    ASSERT_EQ(listed.size(), theirs.size());
    for (size_t i = 0; i < ours->entries.size(); i++) {
        const ArchiveEntry* e = ours->entries[i];
        const std::string path = Narrow(Archive::DisplayName(e));
        auto found = theirs.find(path);
        ASSERT_NE(found, theirs.end()) << path;
        EXPECT_EQ(listed.at(path), found->second.first);
        EXPECT_EQ(e->mode & 0777, found->second.second) << path;
        EXPECT_EQ((e->mode & 0170000) == 0040000, e->is_dir()) << path;
    }
}

TEST(ArjTest, SelfExtractorPrefixIsSkippedWithinItsLimit) {
    CTempDir tmp;
    const std::string archive = Arj({M(0, 0, "inside.txt", "data")});
    // An id in the program that starts no main header is passed over.
    const std::string stub = ProgramStub(3000) + "\x60\xEA\x10\x00" + ProgramStub(3000);
    const std::unique_ptr<Archive> behind = ReadBytes(tmp, stub + archive, &Archive::ReadArj);
    ASSERT_EQ(behind->status, 0);
    EXPECT_EQ(Members(*behind), std::vector<std::string>{"inside.txt 4"});
    EXPECT_EQ(ReadBytes(tmp, ProgramStub(0x20000) + archive, &Archive::ReadArj)->status, -1);
}

TEST(ArjTest, DosHostsGiveDosTimesAttributesAndBackslashPaths) {
    CTempDir tmp;
    ArjMember hidden = M(0, 0, "DOCS\\README.TXT", "hello");
    hidden.access = 0x22;
    hidden.extended = "extra bytes";
    ArjMember label = M(4, 0, "VOLUME", "");
    const std::unique_ptr<Archive> a =
        ReadBytes(tmp, Arj({hidden, M(3, 0, "DOCS\\OLD", ""), label, M(0, 0, "EMPTY", "")}), &Archive::ReadArj);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"EMPTY 0", "DOCS/README.TXT 5", "DOCS/OLD dir"}));
    const ArchiveEntry* readme = a->entries[1];
    EXPECT_EQ(readme->time, TimeStamp(static_cast<DOSDATE>(kDosDate), static_cast<DOSTIME>(kDosTime)));
    EXPECT_EQ(readme->attr & 0x02, 0x02);
    EXPECT_EQ(readme->mode, 0u);
    EXPECT_EQ(Archive::StoredName(readme), "DOCS\\README.TXT");

    // An archive that ends properly may hold nothing.
    const std::unique_ptr<Archive> empty = ReadBytes(tmp, Arj({}), &Archive::ReadArj);
    EXPECT_EQ(empty->status, 0);
    EXPECT_EQ(empty->count(), 0);
}

TEST(ArjTest, ClimbingAndAbsoluteNamesAreCleanedAndMarked) {
    CTempDir tmp;
    const std::unique_ptr<Archive> a = ReadBytes(
        tmp, Arj({M(0, 0, "..\\..\\AUTOEXEC.BAT", "x"), M(0, 2, "/etc/passwd", "y"), M(0, 2, "a/../../b", "z")}),
        &Archive::ReadArj);
    ASSERT_EQ(a->status, 0);
    EXPECT_EQ(Members(*a), (std::vector<std::string>{"AUTOEXEC.BAT 1 unsafe", "a/b 1 unsafe", "etc/passwd 1 unsafe"}));
}

TEST(ArjTest, DamagedHeadersKeepTheMembersBefore) {
    CTempDir tmp;
    const std::vector<ArjMember> good = {M(0, 0, "ONE.TXT", "1"), M(0, 2, "two.txt", "22")};
    std::string archive = Arj(good);
    archive.resize(archive.size() - 4);  // without the end mark
    const std::string third = ArjHeader(M(0, 0, "THREE.TXT", "333"));
    std::string no_nul = third;  // the comment runs to the end of the basic header
    no_nul[4 + 30 + 10 + 9] = 'x';
    std::string first_past_basic = third;
    first_past_basic[4] = '\xF0';
    std::string huge_basic = third;
    huge_basic[3] = '\x30';
    std::string extended_past_end = third;
    extended_past_end[4 + 30 + 10 + 10 + 4] = '\xFF';
    for (const std::string& bad : {no_nul, first_past_basic, huge_basic, extended_past_end, third.substr(0, 20)}) {
        const std::unique_ptr<Archive> a = ReadBytes(tmp, archive + bad, &Archive::ReadArj);
        ASSERT_EQ(a->status, 0);
        EXPECT_EQ(Members(*a), (std::vector<std::string>{"ONE.TXT 1", "two.txt 2"}));
        EXPECT_EQ(a->messages().size(), 1u);
    }
    ExpectCutsListOnlyWhatWasRead(tmp, Arj({M(0, 0, "A.TXT", "aaa"), M(3, 0, "D", ""), M(0, 2, "d/b", "bb")}),
                                  &Archive::ReadArj);
}

// A file that starts like a program but holds no archive is left alone by
// every reader that looks behind programs, after scanning as far as it may.
TEST(DosFormatsTest, ProgramWithoutArchiveIsNotRecognised) {
    CTempDir tmp;
    const std::string program = ProgramStub(0x30000);
    for (Archive::Reader reader : {&Archive::ReadLzh, &Archive::ReadArj, &Archive::ReadAce, &Archive::ReadHA})
        EXPECT_EQ(ReadBytes(tmp, program, reader)->status, -1);
    EXPECT_EQ(ReadBytes(tmp, "MZ", &Archive::ReadArj)->status, -1);
    EXPECT_EQ(OpenArchive(tmp.Write("program.exe", program))->status, -1);
}

}  // namespace
