// The tar reader against archives GNU tar, bsdtar and git write, with
// libarchive's listing of the same file as the oracle, and against headers
// made byte by byte for what no tar writes on request.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "archive/tarfields.h"
#include "tests/archive/archive_oracle.h"
#include "tests/archive/tar_writer.h"

namespace {

std::unique_ptr<Archive> ReadTarFile(const std::string& path) {
    return Archive::ReadWith(DecodeFileName(path.c_str()), &Archive::ReadTar);
}

const ArchiveEntry* FindMember(const Archive& archive, const std::string& full_path) {
    for (size_t i = 0; i < archive.entries.size(); i++) {
        const ArchiveEntry* e = archive.entries[i];
        std::string path = e->path;
        if (*e->name) path += (path.empty() ? "" : "/") + std::string(e->name);
        if (path == full_path) return e;
    }
    return nullptr;
}

// Our listing and libarchive's of the same file are the same.
void ExpectSameAsBsdtar(const std::string& tar) {
    auto archive = ReadTarFile(tar);
    ASSERT_EQ(archive->status, 0) << tar;
    const auto theirs = BsdtarListing(tar);
    ASSERT_FALSE(theirs.empty()) << "bsdtar listed nothing in " << tar;
    EXPECT_EQ(OurListing(*archive), theirs) << tar;
    EXPECT_TRUE(archive->messages().empty()) << archive->messages().front().c_str();
}

class TarTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = temp_.path(); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // Runs a shell command in the scratch directory.
    int Shell(const std::string& command) const { return RunShell("cd " + ShellQuote(dir_) + " && " + command); }

    CTempDir temp_;
    std::string dir_;
};

TEST_F(TarTest, RealArchivesOfAnOddTreeListAsLibarchiveListsThem) {
    MakeOddTree(Path("tree"));
    // A name over 512 bytes, which only GNU long names and pax paths hold.
    const std::string deep = "tree/" + std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(120, 'c') +
                             "/" + std::string(120, 'd');
    std::filesystem::create_directories(Path(deep));
    WriteFile(Path(deep + "/" + std::string(100, 'e') + ".txt"), "deep\n");
    WriteFile(Path("tree/back\\slash.txt"), "b\n");
    // Over 100 bytes with components that fit: ustar splits it into prefix and name.
    const std::string split = "tree/" + std::string(90, 'p') + "/" + std::string(60, 'q') + ".txt";
    std::filesystem::create_directories(Path("tree/" + std::string(90, 'p')));
    WriteFile(Path(split), "split\n");
    Shell("find tree -newermt @1600000001 -exec touch -h -d @1600000000 {} +");
    // ustar and v7 cannot hold some of the names: tar leaves them out and
    // fails, and the rest is still compared.
    for (const std::string format : {"gnu", "posix", "ustar", "v7"}) {
        static_cast<void>(Shell("tar --format=" + format + " -cf " + format + ".tar tree 2>/dev/null"));
        ExpectSameAsBsdtar(Path(format + ".tar"));
    }
    ASSERT_EQ(Shell("bsdtar -cf bsdtar.tar tree"), 0);
    ExpectSameAsBsdtar(Path("bsdtar.tar"));

    for (const std::string format : {"ustar", "bsdtar"})
        EXPECT_NE(FindMember(*ReadTarFile(Path(format + ".tar")), split), nullptr) << format;
    const std::string long_file = deep + "/" + std::string(100, 'e') + ".txt";
    ASSERT_GT(long_file.size(), 512u);
    for (const std::string format : {"gnu", "posix"}) {
        auto archive = ReadTarFile(Path(format + ".tar"));
        EXPECT_NE(FindMember(*archive, long_file), nullptr) << format;
        // A '\' is part of a tar name, not a separator.
        const ArchiveEntry* backslash = FindMember(*archive, "tree/back\\slash.txt");
        ASSERT_NE(backslash, nullptr) << format;
        EXPECT_STREQ(backslash->name, "back\\slash.txt");
    }
    // Every reader in turn, as a panel opens it, takes it as tar.
    auto opened = OpenArchive(Path("posix.tar"));
    EXPECT_EQ(opened->GetArchTypeName(), Estring("TAR"));
}

TEST_F(TarTest, LinksAreListedUnderTheirOwnNamesNotTheirTargets) {
    const std::string target = std::string(150, 't') + "/target";
    std::filesystem::create_directories(Path("links"));
    WriteFile(Path("links/file"), "data\n");
    ASSERT_EQ(Shell("cd links && ln -s " + target + " symlink && ln file hardlink"), 0);
    for (const std::string format : {"gnu", "posix"}) {
        ASSERT_EQ(Shell("tar --format=" + format + " --sort=name -cf " + format + ".tar links"), 0);
        ExpectSameAsBsdtar(Path(format + ".tar"));
        auto archive = ReadTarFile(Path(format + ".tar"));
        // GNU's 'K' record and pax's linkpath hold the target: never a name.
        const ArchiveEntry* symlink = FindMember(*archive, "links/symlink");
        ASSERT_NE(symlink, nullptr) << format;
        EXPECT_EQ(symlink->size, 0u);
        EXPECT_EQ(FindMember(*archive, "links/" + target), nullptr) << format;
        EXPECT_EQ(archive->count(), 4) << format;  // the folder, the file and both links
        ASSERT_NE(FindMember(*archive, "links/hardlink"), nullptr) << format;
        EXPECT_EQ(FindMember(*archive, "links/hardlink")->size, 0u) << format;
    }
}

// A member over 8 GiB: tar writes its size in base 256 (GNU) or as a pax
// record. The header comes from GNU tar itself; the data is left a hole.
TEST_F(TarTest, MemberOverEightGigabytesKeepsItsSize) {
    const uint64_t size = uint64_t(9) << 30;
    ASSERT_EQ(Shell("truncate -s 9G big && echo small > small && touch -d @1600000000 big small"), 0);
    for (const std::string format : {"gnu", "posix"}) {
        const std::string tar = format + ".tar";
        // The headers, then the data as a hole, then a small member. tar
        // stops at the broken pipe long before it read the 9 GiB.
        ASSERT_EQ(Shell("(tar --format=" + format + " -cf - big 2>/dev/null; true) | head -c 10240 > head && "
                        "tar --format=" + format + " -cf s.tar small"), 0);
        const std::string head = ReadFile(Path("head"));
        ASSERT_GE(head.size(), 512u);
        // A pax header and its data come before the member's own header.
        size_t header_end = 512;
        if (head[156] == 'x') header_end += (std::stoul(head.substr(124, 11), nullptr, 8) + 511) / 512 * 512 + 512;
        ASSERT_GE(head.size(), header_end);
        WriteFile(Path(tar), head.substr(0, header_end));
        ASSERT_EQ(Shell("truncate -s " + std::to_string(header_end + size) + " " + tar + " && cat s.tar >> " + tar), 0);
        auto archive = ReadTarFile(Path(tar));
        ASSERT_EQ(archive->status, 0) << format;
        const ArchiveEntry* big = FindMember(*archive, "big");
        ASSERT_NE(big, nullptr) << format;
        EXPECT_EQ(big->size, size) << format;
        EXPECT_NE(FindMember(*archive, "small"), nullptr) << format;
        // libarchive sees the same size (bsdtar -tv seeks over the data).
        const std::string line = ShellOutput("bsdtar -tvf " + ShellQuote(Path(tar)) + " big");
        EXPECT_NE(line.find(" " + std::to_string(size) + " "), std::string::npos) << line;
    }
}

TEST_F(TarTest, GitArchiveGlobalHeaderIsNoMember) {
    ASSERT_EQ(Shell("git init -q repo && cd repo && echo x > file.txt && git add file.txt && "
                    "git -c user.name=t -c user.email=t@t commit -q -m m && git archive --format=tar HEAD > ../git.tar"),
              0);
    ASSERT_NE(ReadFile(Path("git.tar")).find("pax_global_header"), std::string::npos);
    auto archive = ReadTarFile(Path("git.tar"));
    ASSERT_EQ(archive->status, 0);
    ASSERT_EQ(archive->count(), 1);
    EXPECT_STREQ(archive->entries[0]->name, "file.txt");
}

TEST_F(TarTest, DamagedArchives) {
    MakeOddTree(Path("tree"));
    ASSERT_EQ(Shell("tar --format=gnu --sort=name -cf full.tar tree"), 0);
    const std::string full = ReadFile(Path("full.tar"));
    const int all = ReadTarFile(Path("full.tar"))->count();

    // Cut short inside the data of a member: what came before it is kept.
    const size_t deep_data = full.find(std::string(512, 'x'));
    ASSERT_NE(deep_data, std::string::npos);
    for (size_t cut : {deep_data + 1000, deep_data - 200}) {
        WriteFile(Path("cut.tar"), full.substr(0, cut));
        auto archive = ReadTarFile(Path("cut.tar"));
        ASSERT_EQ(archive->status, 0);
        EXPECT_GT(archive->count(), 0);
        EXPECT_LT(archive->count(), all);
        EXPECT_EQ(FindMember(*archive, "tree/plain/deeper/still/deep.bin") != nullptr, cut > deep_data);
        EXPECT_FALSE(archive->messages().empty());
    }

    // A first header whose checksum is wrong makes the file no tar.
    std::string bad = full;
    bad[10] ^= 1;
    WriteFile(Path("bad.tar"), bad);
    EXPECT_NE(ReadTarFile(Path("bad.tar"))->status, 0);
    EXPECT_NE(OpenArchive(Path("bad.tar"))->GetArchTypeName(), Estring("TAR"));

    // A later header with a bad checksum ends the listing with a message.
    std::string later = full;
    later[deep_data + 70000 + 600] ^= 1;
    WriteFile(Path("later.tar"), later);
    auto damaged = ReadTarFile(Path("later.tar"));
    EXPECT_EQ(damaged->status, 0);
    EXPECT_FALSE(damaged->messages().empty());
}

TEST_F(TarTest, HandMadeHeaders) {
    // Hostile names are cleaned and marked; a signed-char checksum passes.
    TarWriter hostile;
    hostile.Header("../evil.txt", 3).Data("abc").Header("/etc/passwd", 0).Header("ok/\xC3\xA9t\xC3\xA9.txt", 0);
    hostile.End();
    std::string& bytes = hostile.bytes();
    std::string last = bytes.substr(1536, 512);
    TarWriter::SetChecksum(last, /*signed_sum=*/true);
    bytes.replace(1536, 512, last);
    WriteFile(Path("hostile.tar"), bytes);
    auto archive = ReadTarFile(Path("hostile.tar"));
    ASSERT_EQ(archive->count(), 3);
    ASSERT_NE(FindMember(*archive, "evil.txt"), nullptr);
    EXPECT_TRUE(FindMember(*archive, "evil.txt")->unsafe());
    ASSERT_NE(FindMember(*archive, "etc/passwd"), nullptr);
    EXPECT_TRUE(FindMember(*archive, "etc/passwd")->unsafe());
    EXPECT_EQ(Archive::StoredName(FindMember(*archive, "etc/passwd")), "/etc/passwd");
    EXPECT_NE(FindMember(*archive, "ok/\xC3\xA9t\xC3\xA9.txt"), nullptr);

    // Extended headers: an 'L' name of 2000 bytes, a pax record set whose
    // last record lies about its length, a global header and a 'K' target.
    const std::string long_name = std::string(1990, 'n') + ".long";
    TarWriter extended;
    extended.Extension('L', long_name + std::string(1, '\0')).Header("short", 0);
    extended.Extension('x', TarWriter::PaxRecord("path", "pax/name") + TarWriter::PaxRecord("mtime", "1500000000.25") +
                                "99 size=7\n");
    extended.Header("ignored", 7).Data("1234567");
    extended.Extension('g', TarWriter::PaxRecord("comment", "0123abcd"));
    extended.Extension('K', "not/a/name").Header("link", 0, '2');
    extended.Header("dir", 0, '5').Header("by-mode", 0, '0', "", 040755).End();
    WriteFile(Path("extended.tar"), extended.bytes());
    archive = ReadTarFile(Path("extended.tar"));
    ASSERT_EQ(archive->count(), 5);
    EXPECT_NE(FindMember(*archive, long_name), nullptr);
    const ArchiveEntry* pax = FindMember(*archive, "pax/name");
    ASSERT_NE(pax, nullptr);
    EXPECT_EQ(pax->size, 7u);
    EXPECT_EQ(pax->time.seconds, 1500000000);
    EXPECT_EQ(pax->time.nanoseconds, 250000000u);
    EXPECT_NE(FindMember(*archive, "link"), nullptr);
    ASSERT_NE(FindMember(*archive, "dir"), nullptr);
    EXPECT_TRUE(FindMember(*archive, "dir")->is_dir());
    ASSERT_NE(FindMember(*archive, "by-mode"), nullptr);
    EXPECT_TRUE(FindMember(*archive, "by-mode")->is_dir());
    EXPECT_EQ(archive->messages().size(), 1u);  // the damaged pax record
}

TEST(TarFieldsTest, Numbers) {
    auto octal = [](const std::string& text) {
        uint64_t value = 99;
        EXPECT_TRUE(FromOctalStr(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &value)) << text;
        return value;
    };
    EXPECT_EQ(octal(std::string("  \0 0755 \0", 10)), 0755u);
    EXPECT_EQ(octal("0000012"), 10u);
    EXPECT_EQ(octal("12x7"), 10u);  // stops at the first character that is no octal digit
    EXPECT_EQ(octal("1289"), 10u);
    EXPECT_EQ(octal(std::string(8, '\0')), 0u);

    auto number = [](const std::string& field, int64_t* value) {
        return TarNumber(reinterpret_cast<const uint8_t*>(field.data()), field.size(), value);
    };
    int64_t value = 0;
    ASSERT_TRUE(number(std::string("\x80\0\0\0\0\0\0\x02\x40\0\0\0", 12), &value));
    EXPECT_EQ(value, int64_t(9) << 30);
    ASSERT_TRUE(number(std::string(12, '\xFF'), &value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(number(std::string("\x80\x01\0\0\0\0\0\0\0\0\0\0", 12), &value));  // beyond 63 bits
    EXPECT_FALSE(number(std::string("\x80\0\0\0\x80\0\0\0\0\0\0\0", 12), &value));

    PaxValues pax;
    const std::string records = TarWriter::PaxRecord("mtime", "-1.25") + TarWriter::PaxRecord("uid", "70000") + "5 x\n";
    EXPECT_FALSE(ParsePaxRecords(records.data(), records.size(), &pax));
    EXPECT_EQ(pax.mtime_seconds, -2);
    EXPECT_EQ(pax.mtime_nanoseconds, 750000000u);
    EXPECT_EQ(pax.uid, 70000u);
}

}  // namespace
