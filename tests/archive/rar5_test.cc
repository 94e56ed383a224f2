// The RAR5 reader on archives built byte by byte, read back against
// unrar-free and libarchive (bsdtar).
#include <cstdlib>

#include <gtest/gtest.h>

#include "archive/rarlisting.h"
#include "tests/archive/rar_fixture.h"
#include "tests/archive/rar_listing.h"

namespace {

using namespace rar_fixture;
using namespace rar_listing;

constexpr uint32_t kSomeTime = 1600000000;  // 2020-09-13

Rar5Member File(const std::string& name, const std::string& data) {
    Rar5Member m;
    m.name = name;
    m.data = data;
    m.extra = Rar5UnixTimeRecord(kSomeTime, 0);
    return m;
}

Rar5Member Directory(const std::string& name) {
    Rar5Member m = File(name, "");
    m.directory = true;
    m.attributes = 040755;
    return m;
}

// ---- Listing ----

TEST(Rar5ListingTest, ListsNamesSizesDirectoriesAndModesAsUnrarFreeDoes) {
    CTempDir dir;
    Rar5Member tool = File("bin/tool", "#!/bin/sh\n");
    tool.attributes = 0100755;
    Rar5Member hidden = File("docs/hidden.txt", "secret\n");
    hidden.host = 0;  // Windows: read-only, hidden, system, archive
    hidden.attributes = 0x27;
    std::string bytes = kRar5Marker + Rar5MainHeader();
    for (const Rar5Member& m : {Directory("docs"), File("docs/readme.txt", "read me\n"), hidden})
        bytes += Rar5FileHeader(m) + m.data;
    // A service header (an archive comment) with data of its own is passed over.
    const std::string comment = "a comment";
    bytes += Rar5Header(3, Vint(0) + Vint(comment.size()) + Vint(0) + Vint(0) + Vint(1) + Vint(3) + "CMT", "",
                        true, comment.size()) +
             comment;
    for (const Rar5Member& m : {File("top.bin", std::string(70000, 'x')), File("empty", ""), Directory("bin"), tool,
                                Directory("docs/empty dir")})
        bytes += Rar5FileHeader(m) + m.data;
    bytes += Rar5EndHeader();

    auto archive = ReadRarBytes(dir, bytes);
    ASSERT_EQ(archive->status, 0);
    EXPECT_TRUE(archive->messages().empty());
    EXPECT_EQ(Summary(*archive),
              "bin dir; bin/tool 10; docs dir; docs/empty dir dir; docs/hidden.txt 7; docs/readme.txt 8; empty 0; "
              "top.bin 70000");
    ExpectOraclesAgree(*archive, dir / "fixture.rar");

    ASSERT_TRUE(Member(*archive, "hidden.txt") && Member(*archive, "tool") && Member(*archive, "top.bin"));
    EXPECT_EQ(Member(*archive, "hidden.txt")->attr, 0x26);
    EXPECT_EQ(Member(*archive, "tool")->mode, 0100755u);
    EXPECT_EQ(Member(*archive, "top.bin")->packed, 70000u);
}

TEST(Rar5ListingTest, TheTimeRecordGivesTheTimeBeforeTheTimeField) {
    CTempDir dir;
    Rar5Member field_only = File("field", "");
    field_only.extra.clear();
    field_only.unix_time = true;
    field_only.mtime = 1500000000;
    Rar5Member unix_ns = File("unix", "");
    unix_ns.extra = Rar5UnixTimeRecord(1600000000, 123456789);
    Rar5Member both = File("both", "");
    both.extra = Rar5UnixTimeRecord(1600000002, 0);
    both.unix_time = true;
    both.mtime = 1;  // the record wins
    Rar5Member windows = File("windows", "");
    windows.extra = Rar5FileTimeRecord(1600000001, 1234567);
    Rar5Member before_1970 = File("old", "");
    before_1970.extra = Rar5FileTimeRecord(-86400, 5);
    Rar5Member no_mtime = File("no mtime", "");
    no_mtime.extra = Rar5Record(0x03, Vint(0x0001));  // a record with no time in it
    no_mtime.unix_time = true;
    no_mtime.mtime = 1400000000;
    const std::string path = dir.Write("times.rar", Rar5Archive({field_only, unix_ns, both, windows, before_1970, no_mtime}));
    auto archive = ReadRarFile(path);
    ASSERT_EQ(archive->status, 0);
    const struct {
        const char* name;
        int64_t seconds;
        uint32_t nanoseconds;
    } expected[] = {{"field", 1500000000, 0},
                    {"unix", 1600000000, 123456789},
                    {"both", 1600000002, 0},
                    {"windows", 1600000001, 123456700},
                    {"old", -86400, 500},
                    {"no mtime", 1400000000, 0}};
    for (const auto& e : expected) {
        const ArchiveEntry* m = Member(*archive, e.name);
        ASSERT_TRUE(m) << e.name;
        EXPECT_EQ(m->time, TimeStamp(e.seconds, e.nanoseconds)) << e.name;
    }
    // libarchive takes the time field when both are there; the real RAR
    // tools let the record, which comes later, win.
    auto ours = OurListing(*archive, false), theirs = BsdtarUtf8Listing(path);
    ours.erase("both");
    theirs.erase("both");
    EXPECT_EQ(ours, theirs);
}

TEST(Rar5ListingTest, NamesAreUtf8AndSizesMayBeUnknown) {
    CTempDir dir;
    Rar5Member unknown = File("stream.bin", "data");
    unknown.size_unknown = true;
    Rar5Member backslash = File("back\\slash.txt", "b");  // a '\' is part of a Unix name
    Rar5Member windows = File("win\\dir\\file.txt", "w");  // no Windows name holds a '\'
    windows.host = 0;
    windows.attributes = 0x20;
    const std::string bytes = Rar5Archive({Directory("ünïcödé 文件"), File("ünïcödé 文件/ファイル.txt", "unicode\n"),
                                           File("Привет.txt", "p"), unknown, backslash, windows});
    auto archive = ReadRarBytes(dir, bytes);
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive),
              "back\\slash.txt 1; stream.bin ?; win/dir/file.txt 1; ünïcödé 文件 dir; ünïcödé 文件/ファイル.txt 8; "
              "Привет.txt 1");
    ASSERT_TRUE(Member(*archive, "stream.bin"));
    EXPECT_EQ(Member(*archive, "stream.bin")->packed, 4u);
}

TEST(Rar5ListingTest, EncryptedHeadersGiveAMessageAndNoMembers) {
    CTempDir dir;
    // Version 0, no flags, the key derivation count, then the salt.
    const std::string encryption = Rar5Header(4, Vint(0) + Vint(0) + std::string(1, 15) + std::string(16, 's'));
    auto archive = ReadRarBytes(dir, kRar5Marker + encryption + std::string(200, '\x7E'));
    EXPECT_EQ(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
    EXPECT_TRUE(HasMessage(*archive, kRarEncrypted));
}

TEST(Rar5ListingTest, TheArchiveAfterASelfExtractingProgramIsFound) {
    CTempDir dir;
    // libarchive looks for the archive from 64 KiB on, every 16 bytes.
    std::string program = "MZ" + std::string(0x11000 - 2, '\x90');
    program.replace(3000, kRar5Marker.size() + 4, kRar5Marker + "junk");  // no header after this marker
    const std::string path = dir.Write("sfx.exe", program + Rar5Archive({File("inside.txt", "in"), Directory("d")}));
    auto archive = ReadRarFile(path);
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive), "d dir; inside.txt 2");
    EXPECT_EQ(ListingWithoutTimes(*archive), UnrarFreeListing(path));
}

// ---- Damaged archives ----

TEST(Rar5DamageTest, ACutArchiveKeepsTheMembersWhoseHeadersAreWholeAndSaysItIsCut) {
    CTempDir dir;
    const std::vector<Rar5Member> members = {File("one.txt", "1111"), File("два.txt", "22"), Directory("three")};
    const std::string bytes = Rar5Archive(members);
    const size_t first_member = kRar5Marker.size() + Rar5MainHeader().size();
    std::vector<size_t> header_ends;
    size_t at = first_member;
    for (const Rar5Member& m : members) {
        const size_t header = Rar5FileHeader(m).size();
        header_ends.push_back(at + header);
        at += header + m.data.size();
    }
    for (size_t cut = 0; cut <= bytes.size(); cut++) {
        auto archive = ReadRarBytes(dir, bytes.substr(0, cut));
        if (cut < first_member) {
            EXPECT_NE(archive->status, 0) << cut;
            continue;
        }
        ASSERT_EQ(archive->status, 0) << cut;
        int whole = 0;
        for (size_t end : header_ends) whole += end <= cut ? 1 : 0;
        EXPECT_EQ(archive->count(), whole) << cut;
        // Every archive ends with its end header: without it, the list may lack members.
        EXPECT_EQ(HasMessage(*archive, kRarTruncated), cut < bytes.size()) << cut;
    }
}

// The fields of a file header of an empty file: flags, the given size
// field, mode, compression, host, then the given name field.
std::string FileFields(const std::string& size_field, const std::string& name_field) {
    return Vint(0) + size_field + Vint(0100644) + Vint(0) + Vint(1) + name_field;
}

std::string Named(const std::string& name) { return Vint(name.size()) + name; }

// A good member, the damaged header, a later member that is never reached.
std::string WithDamagedHeader(const std::string& header) {
    return kRar5Marker + Rar5MainHeader() + Rar5FileHeader(File("good.txt", "g")) + "g" + header +
           Rar5FileHeader(File("later.txt", "l")) + "l" + Rar5EndHeader();
}

TEST(Rar5DamageTest, NumbersAndLengthsThatDoNotFitGiveTheHeaderError) {
    CTempDir dir;
    const std::string eleven_bytes = std::string(10, '\xFF') + '\x01';
    const std::string past_64_bits = std::string(9, '\xFF') + '\x02';
    std::string crc_and_size(4, '\0');
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a size of eleven bytes", Rar5Header(2, FileFields(eleven_bytes, Named("bad")), "", true, 0)},
        {"a size past 64 bits", Rar5Header(2, FileFields(past_64_bits, Named("bad")), "", true, 0)},
        {"a name longer than the header", Rar5Header(2, FileFields(Vint(0), Vint(4) + "bad"), "", true, 0)},
        {"a header ending inside the fields", Rar5Header(2, Vint(0) + Vint(0), "", true, 0)},
        {"an extra record larger than the area",
         Rar5Header(2, FileFields(Vint(0), Named("bad")), Vint(9) + Vint(3) + Vint(2), true, 0)},
        {"an extra record of size 0", Rar5Header(2, FileFields(Vint(0), Named("bad")), Vint(0) + "xy", true, 0)},
        {"a time record shorter than its flags say",
         Rar5Header(2, FileFields(Vint(0), Named("bad")), Rar5Record(3, Vint(0x0003) + "\x01\x02"), true, 0)},
        {"an owner record shorter than its names",
         Rar5Header(2, FileFields(Vint(0), Named("bad")), Rar5Record(6, Vint(0x0001) + Vint(40) + "root"), true, 0)},
        {"a header of size 0", crc_and_size + Vint(0) + "junk"},
        {"a header of 4 MiB", crc_and_size + Vint(uint64_t(4) << 20) + "junk"},
        {"a header size past 64 bits", crc_and_size + past_64_bits},
    };
    for (const auto& [what, bad] : cases) {
        auto archive = ReadRarBytes(dir, WithDamagedHeader(bad));
        ASSERT_EQ(archive->status, 0) << what;
        EXPECT_TRUE(HasMessage(*archive, kRarHeaderError)) << what;
        EXPECT_EQ(Summary(*archive), "good.txt 1") << what;
    }
    // Ten bytes with bit 63 as the last is still a number.
    const std::string bit_63 = std::string(9, '\x80') + '\x01';
    auto archive = ReadRarBytes(dir, WithDamagedHeader(Rar5Header(2, FileFields(bit_63, Named("big")), "", true, 0)));
    EXPECT_TRUE(archive->messages().empty());
    EXPECT_EQ(Summary(*archive), "big 9223372036854775808; good.txt 1; later.txt 1");
}

TEST(Rar5DamageTest, NamesThatLeaveTheArchiveAreCleanedAndMarked) {
    CTempDir dir;
    auto archive = ReadRarBytes(dir, Rar5Archive({File("../../etc/evil", "e"), File("/abs/file", "a"),
                                                  File("ok/../../up", "u"), File(std::string("nul\0/../x", 9), "n"),
                                                  File("", "empty name"), File("fine/name", "f")}));
    ASSERT_EQ(archive->status, 0);
    EXPECT_EQ(Summary(*archive),
              "abs/file 1 unsafe; etc/evil 1 unsafe; fine/name 1; noname 10; nul 1; ok/up 1 unsafe");
}

TEST(Rar5DamageTest, ABreakStopsTheReading) {
    CTempDir dir;
    std::string bytes = kRar5Marker + Rar5MainHeader();
    for (int i = 0; i < 200000; i++) bytes += Rar5FileHeader(File(NumberedName("f", i), ""));
    auto archive = ReadWhileTheUserBreaks(dir.Write("many.rar", bytes + Rar5EndHeader()));
    EXPECT_NE(archive->status, 0);
    EXPECT_EQ(archive->count(), 0);
}

// Writes small archives of both formats as fuzzing seeds into the folder
// DV_WRITE_RAR_SEEDS names (fuzz/corpus/rar); does nothing otherwise.
TEST(RarFuzzSeedsTest, WrittenWhenAsked) {
    const char* folder = std::getenv("DV_WRITE_RAR_SEEDS");
    if (!folder || !*folder) GTEST_SKIP() << "DV_WRITE_RAR_SEEDS not set";
    const std::string to = std::string(folder) + "/";

    Rar4Member file4;
    file4.name = "dir\\file.txt";
    file4.data = "hello\n";
    Rar4Member dir4;
    dir4.name = "dir";
    dir4.directory = true;
    dir4.attributes = 0x10;
    Rar4Member unicode4;
    unicode4.name = Rar4UnicodeName(u"Привет/日本 ÿ.txt", [](char16_t u) {
        return u >= 0x410 && u <= 0x44F ? static_cast<char>(u - 0x410 + 0xC0) : '?';
    });
    unicode4.unicode = true;
    unicode4.data = "u";
    Rar4Member unix4 = file4;
    unix4.name = "bin/tool";
    unix4.host = 3;
    unix4.attributes = 0100755;
    unix4.high_sizes = true;
    const std::string rar4 = Rar4Archive({dir4, file4, unicode4, unix4});
    WriteFile(to + "rar4-members.rar", rar4);
    WriteFile(to + "rar4-sfx.exe", "MZ" + std::string(62, '\0') + rar4);
    WriteFile(to + "rar4-encrypted.rar", kRar4Marker + Rar4ArchiveHeader(0x0080) + std::string(24, 'e'));

    Rar5Member file5 = File("dir/five.txt", "five\n");
    Rar5Member windows5 = File("win.txt", "w");
    windows5.host = 0;
    windows5.attributes = 0x22;
    windows5.extra = Rar5FileTimeRecord(1600000001, 7) + Rar5Record(6, Vint(0x000F) + Vint(4) + "user" +
                                                                             Vint(5) + "group" + Vint(1000) +
                                                                             Vint(100));
    Rar5Member unknown5 = File("stream", "s");
    unknown5.size_unknown = true;
    unknown5.unix_time = true;
    unknown5.mtime = 1500000000;
    std::string rar5 = kRar5Marker + Rar5MainHeader() + Rar5FileHeader(Directory("dir")) + Rar5FileHeader(file5) +
                       file5.data;
    rar5 += Rar5Header(3, Vint(0) + Vint(2) + Vint(0) + Vint(0) + Vint(1) + Vint(3) + "CMT", "", true, 2) + "hi";
    rar5 += Rar5FileHeader(windows5) + windows5.data + Rar5FileHeader(unknown5) + unknown5.data + Rar5EndHeader();
    WriteFile(to + "rar5-members.rar", rar5);
    WriteFile(to + "rar5-sfx.exe", "MZ" + std::string(62, '\0') + rar5);
    WriteFile(to + "rar5-encrypted.rar",
              kRar5Marker + Rar5Header(4, Vint(0) + Vint(0) + std::string(1, 15) + std::string(16, 's')));
}

}  // namespace
