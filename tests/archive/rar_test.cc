// The RAR 1.5-4.x reader on archives built byte by byte, read back against
// unrar-free and libarchive (bsdtar).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "archive/rarunicode.h"
#include "archive/rarlisting.h"
#include "tests/archive/rar_fixture.h"
#include "tests/archive/rar_listing.h"

namespace {

using namespace rar_fixture;
using namespace rar_listing;

// The byte name RAR would write on a Windows with the Cyrillic code page.
char Cp1251(char16_t unit) { return unit >= 0x410 && unit <= 0x44F ? static_cast<char>(unit - 0x410 + 0xC0) : '?'; }

Rar4Member File(const std::string& name, const std::string& data) {
    Rar4Member m;
    m.name = name;
    m.data = data;
    return m;
}

Rar4Member UnicodeFile(const std::u16string& name, const std::string& data) {
    Rar4Member m = File(Rar4UnicodeName(name, Cp1251), data);
    m.unicode = true;
    return m;
}

Rar4Member Directory(const std::string& name) {
    Rar4Member m = File(name, "");
    m.directory = true;
    m.attributes = 0x10;
    return m;
}

std::string Decode(const std::string& field) {
    // A copy exactly as long as the field, so that a read past it is seen.
    std::vector<uint8_t> bytes(field.begin(), field.end());
    return Narrow(DecodeRarUnicode(bytes.data(), bytes.size()));
}

// ---- RAR's Unicode names ----

TEST(RarUnicodeNameTest, DecodesEveryWayTheFormatCompressesCharacters) {
    const struct {
        std::u16string units;
        const char* utf8;
    } cases[] = {
        {u"Привет мир.txt", "Привет мир.txt"},       // runs corrected from the code-page bytes
        {u"日本語/ファイル.txt", "日本語/ファイル.txt"},  // whole units, a shared high byte
        {u"café ÿ naïve", "café ÿ naïve"},           // characters below 256
        {u"Ελληνικά και Русский", "Ελληνικά και Русский"},
        {u"smile \U0001F600 end", "smile \xF0\x9F\x98\x80 end"},  // a surrogate pair
        {u"plain ascii name", "plain ascii name"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(Rar4UnicodeName(c.units, Cp1251)), c.utf8) << c.utf8;
}

TEST(RarUnicodeNameTest, ACutFieldGivesAPrefixOrTheByteNameAndReadsNothingPastIt) {
    const std::u16string units = u"Привет мир/日本語 ÿ test.txt";
    const std::string full = "Привет мир/日本語 ÿ test.txt";
    const std::string field = Rar4UnicodeName(units, Cp1251);
    const size_t zero = field.find('\0');
    const std::string byte_name =
        Narrow(Archive::DecodeName(field.data(), zero, NameCoding::kCodePage));
    for (size_t cut = zero + 1; cut <= field.size(); cut++) {
        const std::string decoded = Decode(field.substr(0, cut));
        EXPECT_TRUE(decoded == byte_name || (!decoded.empty() && full.rfind(decoded, 0) == 0))
            << "cut at " << cut << ": " << decoded;
    }
    EXPECT_EQ(Decode(field), full);
}

TEST(RarUnicodeNameTest, OpcodesWhoseBytesAreMissingEndTheName) {
    using namespace std::string_literals;
    // A run longer than the byte name stops at its end.
    EXPECT_EQ(Decode("ab\0\x00\xC0\x7F"s), "ab");
    // A corrected run without its correction byte, a whole unit missing
    // its second byte, a flag byte with nothing after it: nothing is
    // decoded and the byte name is taken.
    EXPECT_EQ(Decode("abc\0\x00\xC0\x81"s), "abc");
    EXPECT_EQ(Decode("abc\0\x00\x80\x41"s), "abc");
    EXPECT_EQ(Decode("xy\0\x00\x00"s), "xy");
    EXPECT_EQ(Decode("xy\0"s), "xy");
    // A zero character ends the name.
    EXPECT_EQ(Decode("ab\0\x00\x00\x61\x00\x62"s), "a");
    // A lone surrogate becomes the replacement character.
    EXPECT_EQ(Decode("a\0\x00\x80\x00\xD8"s), "\xEF\xBF\xBD");
    // Without a zero byte the field is UTF-8.
    EXPECT_EQ(Decode("d\xC3\xA9j\xC3\xA0/vu.txt"), "déjà/vu.txt");
}

// ---- Listing ----

TEST(Rar4ListingTest, ListsNamesSizesAndDirectoriesAsUnrarFreeDoes) {
    CTempDir dir;
    Rar4Member hidden = File("docs\\hidden.txt", "secret\n");
    hidden.attributes = 0x27;  // read-only, hidden, system, archive
    Rar4Member tool = File("bin/tool", "#!/bin/sh\n");
    tool.host = 3;
    tool.attributes = 0100755;
    Rar4Member unix_dir = Directory("bin");
    unix_dir.host = 3;
    unix_dir.attributes = 040755;
    const std::string bytes = Rar4Archive({Directory("docs"), File("docs\\readme.txt", "read me\n"), hidden,
                                           File("top.bin", std::string(70000, 'x')), File("empty", ""), unix_dir,
                                           tool, Directory("docs\\empty dir")});
    auto archive = ReadRarBytes(dir, bytes);
    ASSERT_EQ(archive->status, 0);
    EXPECT_TRUE(archive->messages().empty());
    EXPECT_EQ(Summary(*archive),
              "bin dir; bin/tool 10; docs dir; docs/empty dir dir; docs/hidden.txt 7; docs/readme.txt 8; empty 0; "
              "top.bin 70000");

    ExpectOraclesAgree(*archive, dir / "fixture.rar");

    ASSERT_TRUE(Member(*archive, "hidden.txt") && Member(*archive, "tool") && Member(*archive, "top.bin"));
    EXPECT_EQ(Member(*archive, "hidden.txt")->attr, 0x26);  // read-only is not kept
    EXPECT_EQ(Member(*archive, "tool")->mode, 0100755u);
    EXPECT_EQ(Member(*archive, "top.bin")->packed, 70000u);
}

TEST(Rar4ListingTest, UnicodeNamesListWithTheirCharactersAndKeepTheByteName) {
    CTempDir dir;
    Rar4Member cyrillic_dir = Directory(Rar4UnicodeName(u"Папка", Cp1251));
    cyrillic_dir.unicode = true;
    Rar4Member utf8 = File("utf8 \xC3\xA9t\xC3\xA9.txt", "u");  // flagged, but no zero byte: UTF-8
    utf8.unicode = true;
    const std::string bytes =
        Rar4Archive({cyrillic_dir, UnicodeFile(u"Папка\\Привет мир.txt", "privet"),
                     UnicodeFile(u"日本語/ファイル.txt", "nihon"), UnicodeFile(u"ünïcödé ÿ.txt", "latin"), utf8});
    auto archive = ReadRarBytes(dir, bytes);
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive),
              "utf8 été.txt 1; ünïcödé ÿ.txt 5; Папка dir; Папка/Привет мир.txt 6; 日本語/ファイル.txt 5");
    EXPECT_EQ(OurListing(*archive, false), BsdtarUtf8Listing(dir / "fixture.rar"));
    // The archiver programs get the name as the archive stores it.
    const ArchiveEntry* privet = Member(*archive, "Привет мир.txt");
    ASSERT_TRUE(privet);
    EXPECT_EQ(Archive::StoredName(privet), "\xCF\xE0\xEF\xEA\xE0\\\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0.txt");
}

TEST(Rar4ListingTest, MembersOfFourGibAndMoreTakeTheirSizesFromTheHighFields) {
    CTempDir dir;
    const uint64_t big = (uint64_t(5) << 30) + 3;
    Rar4Member huge = File("big.bin", "");
    huge.packed = huge.unpacked = big;
    Rar4Member small_high = File("small.txt", "small");
    small_high.high_sizes = true;
    // The big member's data is a hole in a sparse file.
    const std::string path = dir / "big.rar";
    const std::string head = kRar4Marker + Rar4ArchiveHeader() + Rar4FileHeader(small_high) + small_high.data +
                             Rar4FileHeader(huge);
    const std::string tail = Rar4FileHeader(File("after.txt", "after\n")) + "after\n" + Rar4EndBlock();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(head.size() + big)),
              static_cast<ssize_t>(tail.size()));
    close(fd);

    auto archive = ReadRarFile(path);
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive), "after.txt 6; big.bin 5368709123; small.txt 5");
    EXPECT_EQ(ListingWithoutTimes(*archive), UnrarFreeListing(path));
}

TEST(Rar4ListingTest, EncryptedHeadersGiveAMessageAndNoMembers) {
    CTempDir dir;
    auto archive = ReadRarBytes(dir, kRar4Marker + Rar4ArchiveHeader(0x0080) + std::string(64, '\x5A'));
    EXPECT_EQ(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
    EXPECT_TRUE(HasMessage(*archive, kRarEncrypted));
}

TEST(Rar4ListingTest, OtherFilesAreNotRar) {
    CTempDir dir;
    EXPECT_NE(ReadRarBytes(dir, "")->status, 0);
    EXPECT_NE(ReadRarBytes(dir, "Rar!")->status, 0);
    // The marker must be followed by the archive header.
    EXPECT_NE(ReadRarBytes(dir, kRar4Marker + Rar4FileHeader(File("a", "")))->status, 0);
    EXPECT_NE(ReadRarBytes(dir, kRar4Marker + "\x01\x02\x73")->status, 0);
    // As a panel opens it, an archive of our own is still a RAR.
    const std::string path = dir.Write("real.rar", Rar4Archive({File("a.txt", "a")}));
    EXPECT_EQ(std::string(OpenArchive(path)->GetArchTypeName().c_str()), "RAR");
}

// ---- Self-extracting programs ----

std::string Program(size_t length, const std::string& inside = "") {
    std::string program = "MZ" + std::string(length - 2, '\x90');
    program.replace(length / 2, inside.size(), inside);
    return program;
}

TEST(Rar4SelfExtractorTest, TheArchiveAfterAProgramIsFound) {
    CTempDir dir;
    const std::string archive_bytes = Rar4Archive({File("inside.txt", "inside\n"), Directory("d")});
    // libarchive looks for the archive from 64 KiB on, every 16 bytes.
    const std::string path = dir.Write("sfx.exe", Program(0x11000) + archive_bytes);
    auto archive = ReadRarFile(path);
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive), "d dir; inside.txt 7");
    EXPECT_EQ(ListingWithoutTimes(*archive), UnrarFreeListing(path));

    // A marker inside the program with no archive header after it is passed over.
    const std::string decoy = Program(30000, kRar4Marker + "not a header at all");
    EXPECT_EQ(Summary(*ReadRarBytes(dir, decoy + archive_bytes)), "d dir; inside.txt 7");
    // Just below the limit the archive is found; past it, it is not.
    EXPECT_EQ(ReadRarBytes(dir, Program(0x20000 - 200) + archive_bytes)->count(), 2);
    EXPECT_NE(ReadRarBytes(dir, Program(0x20000) + archive_bytes)->status, 0);
    // A program without an archive is no archive.
    EXPECT_NE(ReadRarBytes(dir, Program(0x30000, "Rar!"))->status, 0);
}

// ---- Damaged archives ----

// Where each block of an archive starts and its header ends.
struct BlockSpan {
    size_t start, header_end;
};

TEST(Rar4DamageTest, ACutArchiveKeepsTheMembersWhoseHeadersAreWhole) {
    CTempDir dir;
    const std::vector<Rar4Member> members = {File("one.txt", "1111"), UnicodeFile(u"два.txt", "22"),
                                             File("three.txt", "333")};
    const std::string bytes = Rar4Archive(members);
    std::vector<BlockSpan> spans;
    size_t at = kRar4Marker.size() + Rar4ArchiveHeader().size();
    const size_t first_block = at;
    for (const Rar4Member& m : members) {
        const size_t header = Rar4FileHeader(m).size();
        spans.push_back({at, at + header});
        at += header + m.data.size();
    }
    spans.push_back({at, at + Rar4EndBlock().size()});
    ASSERT_EQ(at + Rar4EndBlock().size(), bytes.size());

    for (size_t cut = 0; cut <= bytes.size(); cut++) {
        auto archive = ReadRarBytes(dir, bytes.substr(0, cut));
        if (cut < first_block) {
            EXPECT_NE(archive->status, 0) << cut;
            continue;
        }
        ASSERT_EQ(archive->status, 0) << cut;
        int whole = 0;
        bool inside_header = false;
        for (size_t i = 0; i < spans.size(); i++) {
            if (i < members.size() && spans[i].header_end <= cut) whole++;
            if (spans[i].start < cut && cut < spans[i].header_end) inside_header = true;
        }
        EXPECT_EQ(archive->count(), whole) << cut;
        EXPECT_EQ(HasMessage(*archive, kRarTruncated), inside_header) << cut;
    }
}

// An archive of a good member, then the header made by damage (its CRC put
// right), then another good member.
std::string WithDamagedHeader(std::string header) {
    SetRar4Crc(header);
    return kRar4Marker + Rar4ArchiveHeader() + Rar4FileHeader(File("good.txt", "g")) + "g" + header +
           Rar4FileHeader(File("later.txt", "l")) + "l" + Rar4EndBlock();
}

TEST(Rar4DamageTest, LengthsBeyondTheHeaderGiveTheHeaderErrorAndKeepWhatCameBefore) {
    CTempDir dir;
    const std::string header = Rar4FileHeader(File("bad.txt", ""));
    std::vector<std::pair<const char*, std::string>> cases;
    std::string damaged = header;
    damaged[26] = 8;  // the name size: one more byte than the header holds
    cases.push_back({"name longer than the header", damaged});
    damaged = header;
    damaged[26] = '\xFF';
    damaged[27] = '\xFF';
    cases.push_back({"name size 65535", damaged});
    damaged = header;
    damaged[5] = 6;
    damaged[6] = 0;
    cases.push_back({"header size below 7", damaged});
    damaged = header;
    damaged[5] = 9;
    damaged[6] = 0;
    cases.push_back({"header too short for the data size", damaged});
    damaged = header;
    damaged[3] |= 0x00;
    damaged[4] |= 0x01;  // high sizes, but the header ends before them
    cases.push_back({"high sizes in a short header", damaged});
    damaged = header;
    damaged[5] = static_cast<char>(9000 & 0xFF);
    damaged[6] = static_cast<char>(9000 >> 8);
    damaged += std::string(9000 - header.size(), 'n');
    damaged[26] = static_cast<char>((9000 - 32) & 0xFF);
    damaged[27] = static_cast<char>((9000 - 32) >> 8);
    cases.push_back({"header larger than 8192 bytes", damaged});

    for (const auto& [what, bad] : cases) {
        auto archive = ReadRarBytes(dir, WithDamagedHeader(bad));
        ASSERT_EQ(archive->status, 0) << what;
        EXPECT_TRUE(HasMessage(*archive, kRarHeaderError)) << what;
        EXPECT_EQ(Summary(*archive), "good.txt 1") << what;
    }
}

TEST(Rar4DamageTest, NamesThatLeaveTheArchiveAreCleanedAndMarked) {
    CTempDir dir;
    auto archive = ReadRarBytes(dir, Rar4Archive({File("..\\..\\etc\\evil", "e"), File("/abs/file", "a"),
                                                  File("ok/../../up", "u"), UnicodeFile(u"../Привет", "p"),
                                                  File("fine/name", "f"), File("", "empty name")}));
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive),
              "abs/file 1 unsafe; etc/evil 1 unsafe; fine/name 1; noname 10; ok/up 1 unsafe; Привет 1 unsafe");
}

TEST(Rar4DamageTest, ABreakStopsTheReading) {
    CTempDir dir;
    std::string bytes = kRar4Marker + Rar4ArchiveHeader();
    for (int i = 0; i < 200000; i++) bytes += Rar4FileHeader(File(NumberedName("f", i), ""));
    auto archive = ReadWhileTheUserBreaks(dir.Write("many.rar", bytes + Rar4EndBlock()));
    EXPECT_NE(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
}

}  // namespace
