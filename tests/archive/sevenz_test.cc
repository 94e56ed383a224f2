// The 7z reader against archives made by 7z itself, checked member by
// member against `7z l -slt` and libarchive's listing; headers packed with
// chains we build with xz; and damaged or encrypted archives.
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "tests/archive/archive_oracle.h"
#include "tests/support/temp_dir.h"

namespace {

// 7z's own listing: path, size, time (Unix seconds, UTC) and directory flag.
std::map<std::string, ListedMember> SevenZipListing(const std::string& archive) {
    std::map<std::string, ListedMember> members;
    const std::string text = ShellOutput("TZ=UTC 7z l -slt " + ShellQuote(archive) + " 2>/dev/null");
    size_t at = text.find("\n----------\n");
    if (at == std::string::npos) return members;
    ListedMember m;
    bool open = false;
    auto finish = [&] {
        if (open && !m.path.empty()) members[m.path] = m;
        m = ListedMember{};
        open = false;
    };
    size_t start = at + 12;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) {
            finish();
            continue;
        }
        const size_t eq = line.find(" = ");
        const std::string key = line.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : line.substr(eq + 3);
        if (key == "Path") {
            m.path = value;
            open = true;
        } else if (key == "Size") {
            m.size = value.empty() ? 0 : std::stoull(value);
        } else if (key == "Attributes") {
            m.directory = !value.empty() && value[0] == 'D';
        } else if (key == "Modified" && value.size() >= 19) {
            std::tm t{};
            strptime(value.substr(0, 19).c_str(), "%Y-%m-%d %H:%M:%S", &t);
            m.mtime = timegm(&t);
        }
    }
    finish();
    for (auto& [path, member] : members)
        if (member.directory) member.size = 0;
    return members;
}

// The sum of the "Packed Size" lines of `7z l -slt`: the packed streams.
int64_t SevenZipPackedTotal(const std::string& archive) {
    const std::string text = ShellOutput("7z l -slt " + ShellQuote(archive) + " 2>/dev/null");
    int64_t total = 0;
    for (size_t at = text.find("\nPacked Size = "); at != std::string::npos;
         at = text.find("\nPacked Size = ", at + 1)) {
        const size_t value = at + 15;
        const size_t end = text.find('\n', value);
        const std::string number = text.substr(value, end - value);
        if (!number.empty()) total += std::stoll(number);
    }
    return total;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::string LeBytes(uint64_t value, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// A 7z number in its nine-byte form, which every reader must take.
std::string Number9(uint64_t value) { return "\xFF" + LeBytes(value, 8); }

// A start header pointing at a database of next_size bytes at next_offset.
std::string StartHeader(uint64_t next_offset, const std::string& next_header) {
    std::string tail = LeBytes(next_offset, 8) + LeBytes(next_header.size(), 8) + LeBytes(Crc32(next_header), 4);
    return std::string("7z\xBC\xAF\x27\x1C\x00\x04", 8) + LeBytes(Crc32(tail), 4) + tail;
}

class SevenZipTest : public ::testing::Test {
protected:
    void SetUp() override { tree_ = dir_.path() + "/tree"; }

    std::string Make7z(const std::string& name, const std::string& options) {
        const std::string archive = dir_.path() + "/" + name;
        EXPECT_EQ(0, RunShell("cd " + ShellQuote(tree_) + " && 7z a -bd -y " + options + " " + ShellQuote(archive) +
                              " . >/dev/null 2>&1"));
        return archive;
    }

    std::unique_ptr<Archive> Read(const std::string& archive) {
        return Archive::ReadWith(DecodeFileName(archive.c_str()), &Archive::Read7zip);
    }

    // The plain database of an archive made with -mhc=off, and the offset
    // where it starts.
    void PlainHeader(const std::string& archive, std::string* bytes, size_t* offset) {
        const std::string whole = ReadFile(archive);
        ASSERT_GE(whole.size(), 32u);
        *offset = 32 + Le64(reinterpret_cast<const uint8_t*>(whole.data()) + 12);
        *bytes = whole.substr(*offset);
        ASSERT_EQ(0x01, (*bytes)[0]);
    }

    // The plain archive with its database packed by `xz --format=raw
    // xz_filters` and described by coders (folder bytes from the coder
    // count to the bind pairs) with out_streams unpack sizes: the header's
    // size, or for the outputs after the first inner_size when not 0.
    std::string RepackHeader(const std::string& plain, const std::string& xz_filters, const std::string& coders,
                             int out_streams, const std::string& name, uint64_t inner_size = 0) {
        std::string header;
        size_t offset = 0;
        PlainHeader(plain, &header, &offset);
        const std::string raw = dir_.path() + "/header.raw";
        WriteFile(raw, header);
        const std::string packed =
            ShellOutput("xz --format=raw " + xz_filters + " -c " + ShellQuote(raw) + " 2>/dev/null");
        EXPECT_FALSE(packed.empty());
        std::string encoded = "\x17\x06" + Number9(offset - 32) + "\x01\x09" + Number9(packed.size()) +
                              std::string("\x00\x07\x0B\x01\x00", 5) + coders + "\x0C";
        for (int i = 0; i < out_streams; i++) encoded += Number9(i > 0 && inner_size ? inner_size : header.size());
        encoded += std::string("\x00\x00", 2);
        const std::string whole = ReadFile(plain);
        std::string result = whole.substr(0, offset) + packed + encoded;
        result.replace(0, 32, StartHeader(offset - 32 + packed.size(), encoded));
        const std::string path = dir_.path() + "/" + name;
        WriteFile(path, result);
        return path;
    }

    CTempDir dir_;
    std::string tree_;
};

TEST_F(SevenZipTest, ListsWhat7zListsUnderEveryHeaderKind) {
    MakeOddTree(tree_);
    WriteFile(tree_ + "/plain/program", ReadFile("/bin/true"));
    RunShell("touch -d @1600000000 " + ShellQuote(tree_ + "/plain/program"));
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"default.7z", ""},           {"plain.7z", "-mhc=off"},        {"lzma.7z", "-m0=LZMA"},
        {"bcj.7z", "-mf=BCJ"},        {"solid.7z", "-ms=on"},          {"unsolid.7z", "-ms=off"},
        {"lzma2bcj.7z", "-m0=BCJ -m1=LZMA2"}, {"datacrypt.7z", "-pX"}, {"copy.7z", "-m0=Copy"},
    };
    for (const auto& [name, options] : kinds) {
        SCOPED_TRACE(name + " " + options);
        const std::string archive = Make7z(name, options);
        auto ours = Read(archive);
        ASSERT_EQ(0, ours->status);
        EXPECT_TRUE(ours->messages().empty()) << ours->messages().front().c_str();
        const auto listed = OurListing(*ours);
        EXPECT_EQ(SevenZipListing(archive), listed);
        if (options != "-pX") {
            EXPECT_EQ(BsdtarListing(archive), listed);
        }
        int64_t size = 0, packed = 0;
        ours->GetTotals(size, packed);
        EXPECT_EQ(70000 + 4 + 14 + 4 + 8 + 5 + 2 + static_cast<int64_t>(ReadFile("/bin/true").size()), size);
        EXPECT_EQ(SevenZipPackedTotal(archive), packed);
    }
}

TEST_F(SevenZipTest, KeepsEmptyFilesEmptyDirectoriesNamesAndModes) {
    MakeOddTree(tree_);
    WriteFile(tree_ + "/\xF0\x9F\x98\x80 smile.txt", "emoji\n");  // outside the 16-bit range: a surrogate pair
    RunShell("chmod 751 " + ShellQuote(tree_ + "/plain/a.c"));
    auto ours = OpenArchive(Make7z("odd.7z", ""));
    ASSERT_EQ(0, ours->status);
    EXPECT_EQ(ARCHIVE_7ZIP, ours->type);
    std::map<std::string, const ArchiveEntry*> by_name;
    for (size_t i = 0; i < ours->entries.size(); i++) by_name[Archive::StoredName(ours->entries[i])] = ours->entries[i];
    ASSERT_TRUE(by_name.count("empty file"));
    EXPECT_FALSE(by_name["empty file"]->is_dir());
    EXPECT_EQ(0u, by_name["empty file"]->size);
    ASSERT_TRUE(by_name.count("empty dir"));
    EXPECT_TRUE(by_name["empty dir"]->is_dir());
    ASSERT_TRUE(by_name.count("\xF0\x9F\x98\x80 smile.txt"));
    EXPECT_EQ(6u, by_name["\xF0\x9F\x98\x80 smile.txt"]->size);
    ASSERT_TRUE(by_name.count("ünïcödé 文件/ファイル.txt"));
    EXPECT_STREQ("ファイル.txt", by_name["ünïcödé 文件/ファイル.txt"]->name);
    ASSERT_TRUE(by_name.count("plain/a.c"));
    EXPECT_EQ(0751u, by_name["plain/a.c"]->mode & 07777);
    EXPECT_EQ(0100000u, by_name["plain/a.c"]->mode & 0170000);
    EXPECT_EQ(1600000000, by_name["plain/a.c"]->time.seconds);
    for (const auto& [stored, member] : by_name) EXPECT_EQ(member->packed, ArchiveEntry::kUnknown) << stored;
}

TEST_F(SevenZipTest, ManySmallFilesInManyFoldersKeepTheirSizes) {
    std::filesystem::create_directories(tree_ + "/d");
    for (int i = 0; i < 300; i++) WriteFile(tree_ + "/d/" + NumberedName("f", i), std::string(i % 37, 'a' + i % 26));
    for (const std::string options : {"-ms=10f", "-ms=on", "-ms=off -mhc=off"}) {
        SCOPED_TRACE(options);
        const std::string archive = Make7z(NumberedName("many", static_cast<long>(options.size())) + ".7z", options);
        auto ours = Read(archive);
        ASSERT_EQ(0, ours->status);
        EXPECT_EQ(301, ours->count());
        EXPECT_EQ(SevenZipListing(archive), OurListing(*ours));
    }
}

TEST_F(SevenZipTest, UnpacksHeadersPackedWithEveryChainWeRead) {
    MakeOddTree(tree_);
    const std::string plain = Make7z("plain.7z", "-mhc=off");
    const auto expected = SevenZipListing(plain);
    // LZMA2 with a 1 MiB dictionary has the property byte 16; LZMA's five
    // bytes are lc/lp/pb 3/0/2 and the dictionary size.
    const std::string lzma2 = std::string("\x21\x21\x01\x10", 4);
    const std::string lzma = std::string("\x23\x03\x01\x01\x05\x5D\x00\x00\x10\x00", 10);
    const std::string x86 = std::string("\x04\x03\x03\x01\x03", 5);
    const std::string bind_0_1 = std::string("\x00\x01", 2);
    struct Chain {
        const char* name;
        std::string xz_filters;
        std::string coders;
        int outs;
    };
    const std::vector<Chain> chains = {
        {"lzma2.7z", "--lzma2=dict=1MiB", "\x01" + lzma2, 1},
        {"lzma.7z", "--lzma1=dict=1MiB", "\x01" + lzma, 1},
        {"x86lzma2.7z", "--x86 --lzma2=dict=1MiB", "\x02" + x86 + lzma2 + bind_0_1, 2},
        {"x86lzma.7z", "--x86 --lzma1=dict=1MiB", "\x02" + x86 + lzma + bind_0_1, 2},
    };
    for (const Chain& chain : chains) {
        SCOPED_TRACE(chain.name);
        const std::string archive = RepackHeader(plain, chain.xz_filters, chain.coders, chain.outs, chain.name);
        EXPECT_EQ(expected, SevenZipListing(archive));  // 7z agrees the archive is sound
        auto ours = Read(archive);
        ASSERT_EQ(0, ours->status);
        EXPECT_TRUE(ours->messages().empty()) << ours->messages().front().c_str();
        EXPECT_EQ(expected, OurListing(*ours));
    }
}

TEST_F(SevenZipTest, HeadersWeCannotUnpackGiveAMessageAndNoMembers) {
    MakeOddTree(tree_);
    const std::string plain = Make7z("plain.7z", "-mhc=off");
    struct Case {
        const char* name;
        std::string coders;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"ppmd.7z", std::string("\x01\x03\x03\x04\x01", 5),
         "7z header uses a method this program cannot read (PPMd)"},
        {"bcj2.7z", std::string("\x01\x04\x03\x03\x01\x1B", 6),
         "7z header uses a method this program cannot read (BCJ2)"},
        {"delta.7z", std::string("\x01\x21\x03\x01\x00", 5),
         "7z header uses a method this program cannot read (Delta)"},
        {"unknown.7z", std::string("\x01\x03\x7F\x7F\x7F", 5), "7z header uses a method this program cannot read"},
        {"x86alone.7z", std::string("\x01\x04\x03\x03\x01\x03", 6),
         "7z header uses a coder layout this program cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto ours = Read(RepackHeader(plain, "--lzma2", c.coders, 1, c.name));
        EXPECT_EQ(0, ours->status);
        EXPECT_EQ(0, ours->count());
        ASSERT_EQ(1u, ours->messages().size());
        EXPECT_STREQ(c.message, ours->messages()[0].c_str());
    }

    // An LZMA output far larger than the folder's must not size the dictionary.
    const std::string x86_lzma2 = std::string("\x02\x04\x03\x03\x01\x03\x21\x21\x01\x10\x00\x01", 12);
    auto inner = Read(RepackHeader(plain, "--x86 --lzma2=dict=1MiB", x86_lzma2, 2, "inner.7z", uint64_t(3) << 30));
    EXPECT_EQ(0, inner->count());
    ASSERT_EQ(1u, inner->messages().size());
    EXPECT_STREQ("7z header is damaged: its coders' sizes differ", inner->messages()[0].c_str());

    auto encrypted = OpenArchive(Make7z("secret.7z", "-mhe=on -pX"));
    EXPECT_EQ(0, encrypted->status);
    EXPECT_EQ(ARCHIVE_7ZIP, encrypted->type);
    EXPECT_EQ(0, encrypted->count());
    ASSERT_EQ(1u, encrypted->messages().size());
    EXPECT_STREQ("Encrypted 7z archive: the file list cannot be read", encrypted->messages()[0].c_str());
}

TEST_F(SevenZipTest, EmptyAndNamelessArchives) {
    // What 7z writes when there is nothing to add: the start header alone.
    const std::string empty = dir_.path() + "/empty.7z";
    WriteFile(empty, StartHeader(0, ""));
    auto none = Read(empty);
    EXPECT_EQ(0, none->status);
    EXPECT_EQ(0, none->count());
    EXPECT_TRUE(none->messages().empty());

    // Data from standard input has no name: the member takes the archive's.
    const std::string piped = dir_.path() + "/from pipe.data.7z";
    ASSERT_EQ(0, RunShell("printf 'piped bytes' | 7z a -bd -si " + ShellQuote(piped) + " >/dev/null 2>&1"));
    auto ours = Read(piped);
    ASSERT_EQ(0, ours->status);
    ASSERT_EQ(1, ours->count());
    EXPECT_EQ(SevenZipListing(piped), OurListing(*ours));
    EXPECT_EQ(11u, ours->entries[0]->size);
}

TEST_F(SevenZipTest, DamagedArchivesGiveAMessageAndNeverCrash) {
    MakeOddTree(tree_);
    for (const std::string options : {"", "-mhc=off"}) {
        SCOPED_TRACE(options);
        const std::string archive = Make7z(NumberedName("whole", static_cast<long>(options.size())) + ".7z", options);
        const std::string whole = ReadFile(archive);
        const std::string cut = dir_.path() + "/cut.7z";
        // Cut anywhere: recognised from the signature on, never listed whole.
        for (size_t length = 0; length < whole.size(); length += length < 64 ? 1 : 97) {
            WriteFile(cut, whole.substr(0, length));
            auto ours = Read(cut);
            if (length < 6) {
                EXPECT_EQ(-1, ours->status) << length;
                continue;
            }
            EXPECT_EQ(0, ours->status) << length;
            EXPECT_FALSE(ours->messages().empty()) << length;
        }
        // Every byte of the database changed in turn: a message each time
        // (its CRC no longer matches), and whatever is listed is sound.
        size_t offset = 32 + Le64(reinterpret_cast<const uint8_t*>(whole.data()) + 12);
        for (size_t at = offset; at < whole.size(); at++) {
            for (const unsigned char flip : {0x01, 0x80, 0xFF}) {
                std::string damaged = whole;
                damaged[at] = static_cast<char>(damaged[at] ^ flip);
                WriteFile(cut, damaged);
                auto ours = Read(cut);
                EXPECT_EQ(0, ours->status) << at;
                EXPECT_FALSE(ours->messages().empty()) << at;
                EXPECT_LE(ours->entries.size(), whole.size()) << at;
            }
        }
    }
}

TEST_F(SevenZipTest, CountsLargerThanTheHeaderAreRefusedBeforeAllocating) {
    // A plain header claiming 2^62 files, 2^40 folders or 2^50 pack streams.
    const std::vector<std::string> headers = {
        "\x01\x05" + Number9(uint64_t(1) << 62) + std::string("\x00\x00", 2),
        "\x01\x04\x07\x0B" + Number9(uint64_t(1) << 40) + std::string("\x00\x00", 2),
        std::string("\x01\x04\x06\x00", 4) + Number9(uint64_t(1) << 50) + std::string("\x00\x00", 2),
    };
    for (const std::string& header : headers) {
        const std::string path = dir_.path() + "/huge.7z";
        WriteFile(path, StartHeader(0, header) + header);
        auto ours = Read(path);
        EXPECT_EQ(0, ours->status);
        EXPECT_EQ(0, ours->count());
        ASSERT_EQ(1u, ours->messages().size());
        EXPECT_STREQ("7z header is damaged: a count is larger than the header could hold",
                     ours->messages()[0].c_str());
    }
}

TEST_F(SevenZipTest, PackedSizesPastWhatATotalHoldsStopAtTheLargest) {
    const std::string header = std::string("\x01\x04\x06\x00\x02\x09", 6) + Number9(uint64_t(1) << 63) +
                               Number9(uint64_t(1) << 63) + std::string("\x00\x00\x00", 3);
    const std::string path = dir_.path() + "/sizes.7z";
    WriteFile(path, StartHeader(0, header) + header);
    auto ours = Read(path);
    EXPECT_EQ(0, ours->status);
    int64_t size = 0, packed = 0;
    ours->GetTotals(size, packed);
    EXPECT_EQ(0, size);
    EXPECT_EQ(INT64_MAX, packed);
}

}  // namespace
