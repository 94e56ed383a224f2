// The readers of single compressed files (gzip, bzip2, xz) against files the
// real compressors write, and gzip headers made byte by byte.
#include <string>

#include <gtest/gtest.h>

#include "tests/archive/archive_oracle.h"

using namespace std::string_literals;

namespace {

class CompressedTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return temp_.path() + "/" + name; }
    int Shell(const std::string& command) const {
        return RunShell("cd " + ShellQuote(temp_.path()) + " && " + command);
    }
    // The one member a reader lists in the file, or "" when it lists none
    // or other than one.
    std::string OnlyMember(const std::string& name, Archive::Reader reader, uint64_t* size = nullptr,
                           int64_t* mtime = nullptr) const {
        auto archive = Archive::ReadWith(DecodeFileName(Path(name).c_str()), reader);
        if (archive->status != 0 || archive->count() != 1) return "";
        const ArchiveEntry* e = archive->entries[0];
        if (size) *size = e->size;
        if (mtime) *mtime = e->time.seconds;
        return std::string(e->path) + (*e->path ? "/" : "") + e->name;
    }

    CTempDir temp_;
};

TEST_F(CompressedTest, GzipNamesSizesAndTimes) {
    const std::string text(100000, 'g');
    WriteFile(Path("stored name.txt"), text);
    ASSERT_EQ(Shell("touch -d @1600000000 'stored name.txt' && gzip -k 'stored name.txt' && "
                    "mv 'stored name.txt.gz' renamed.gz && gzip -n -c 'stored name.txt' > data.tgz && "
                    "cp data.tgz plain.gz && cp data.tgz noext && cp data.tgz .gz"),
              0);
    uint64_t size = 0;
    int64_t mtime = 0;
    // gzip keeps the name and time of the file it compressed.
    EXPECT_EQ(OnlyMember("renamed.gz", &Archive::ReadGZip, &size, &mtime), "stored name.txt");
    EXPECT_EQ(size, text.size());
    EXPECT_EQ(mtime, 1600000000);
    // Without them (gzip -n) the name comes from the file's own.
    EXPECT_EQ(OnlyMember("data.tgz", &Archive::ReadGZip, &size), "data.tar");
    EXPECT_EQ(size, text.size());
    EXPECT_EQ(OnlyMember("plain.gz", &Archive::ReadGZip), "plain");
    EXPECT_EQ(OnlyMember("noext", &Archive::ReadGZip), "noext");
    EXPECT_EQ(OnlyMember(".gz", &Archive::ReadGZip), ".gz");
    // The size gzip -l reports is ours too.
    const std::string listed = ShellOutput("gzip -l " + ShellQuote(Path("renamed.gz")));
    EXPECT_NE(listed.find(" " + std::to_string(text.size()) + " "), std::string::npos) << listed;
    // A panel takes a compressed tar as gzip: one member, the tar.
    ASSERT_EQ(Shell("tar -czf both.tar.gz 'stored name.txt'"), 0);
    EXPECT_EQ(OpenArchive(Path("both.tar.gz"))->GetArchTypeName(), Estring("GZIP"));
}

TEST_F(CompressedTest, GzipHandMadeHeaders) {
    const std::string deflated_empty("\x03\x00", 2);
    const std::string trailer("\0\0\0\0\x05\0\0\0", 8);  // CRC and an ISIZE of 5
    auto header = [](uint8_t flags) { return std::string("\x1f\x8b\x08", 3) + char(flags) + std::string(6, '\0'); };
    // An extra field, a name and a comment, each where gzip puts it.
    WriteFile(Path("all.gz"), header(0x1C) + std::string("\x04\0abcd", 6) + "inner\0"s + "a comment\0"s +
                                  deflated_empty + trailer);
    uint64_t size = 0;
    EXPECT_EQ(OnlyMember("all.gz", &Archive::ReadGZip, &size), "inner");
    EXPECT_EQ(size, 5u);
    // An extra field longer than the file is damage, with a message.
    WriteFile(Path("lying.gz"), header(0x04) + std::string("\xff\xff", 2) + "abc" + trailer);
    auto lying = Archive::ReadWith(DecodeFileName(Path("lying.gz").c_str()), &Archive::ReadGZip);
    EXPECT_NE(lying->status, 0);
    EXPECT_EQ(lying->messages().size(), 1u);
    // A name the file ends in before its NUL; an unknown method; reserved flags.
    WriteFile(Path("unended.gz"), header(0x08) + "no end");
    EXPECT_EQ(OnlyMember("unended.gz", &Archive::ReadGZip), "");
    std::string stored = header(0);
    stored[2] = 0;
    WriteFile(Path("method.gz"), stored + deflated_empty + trailer);
    EXPECT_EQ(OnlyMember("method.gz", &Archive::ReadGZip), "");
    WriteFile(Path("reserved.gz"), header(0x20) + deflated_empty + trailer);
    EXPECT_EQ(OnlyMember("reserved.gz", &Archive::ReadGZip), "");
    // A stored name that climbs out is cleaned and marked.
    WriteFile(Path("climb.gz"), header(0x08) + "../../x\0"s + deflated_empty + trailer);
    auto climb = Archive::ReadWith(DecodeFileName(Path("climb.gz").c_str()), &Archive::ReadGZip);
    ASSERT_EQ(climb->count(), 1);
    EXPECT_STREQ(climb->entries[0]->name, "x");
    EXPECT_TRUE(climb->entries[0]->unsafe());
}

TEST_F(CompressedTest, Bzip2AndXzNamesAreMadeUp) {
    WriteFile(Path("payload"), std::string(5000, 'p'));
    ASSERT_EQ(Shell("bzip2 -k payload && cp payload.bz2 data.tbz && cp payload.bz2 data.tbz2 && "
                    "xz -k payload && cp payload.xz data.txz && cp payload.xz other.bin"),
              0);
    uint64_t size = 0;
    EXPECT_EQ(OnlyMember("payload.bz2", &Archive::ReadBZip2, &size), "payload");
    EXPECT_EQ(size, ArchiveEntry::kUnknown);
    EXPECT_EQ(OnlyMember("data.tbz", &Archive::ReadBZip2), "data.tar");
    EXPECT_EQ(OnlyMember("data.tbz2", &Archive::ReadBZip2), "data.tar");
    EXPECT_EQ(OnlyMember("payload.xz", &Archive::ReadXZ), "payload");
    EXPECT_EQ(OnlyMember("data.txz", &Archive::ReadXZ), "data.tar");
    EXPECT_EQ(OnlyMember("other.bin", &Archive::ReadXZ), "other.bin");
    EXPECT_EQ(OpenArchive(Path("payload.xz"))->GetArchTypeName(), Estring("XZ"));
    EXPECT_EQ(OpenArchive(Path("payload.bz2"))->GetArchTypeName(), Estring("BZIP2"));
    // Signatures that almost match are no such files.
    WriteFile(Path("bz0"), "BZh0rest");
    WriteFile(Path("xz5"), std::string("\xfd" "7zXZ", 5));
    EXPECT_EQ(OnlyMember("bz0", &Archive::ReadBZip2), "");
    EXPECT_EQ(OnlyMember("xz5", &Archive::ReadXZ), "");
    EXPECT_EQ(OnlyMember("payload.xz", &Archive::ReadBZip2), "");
}

}  // namespace
