// Exact conversion of file names between the system's bytes and wide text.
#include "lib/fsname.h"

#include <gtest/gtest.h>

#include <string>

#include "lib/stdfile.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Bytes(const Estring& e) { return std::string(e.c_str(), e.strlen()); }
std::wstring Wide(const Westring& w) { return std::wstring(w.c_str(), w.strlen()); }

// Decodes and encodes again; the bytes must come back unchanged.
void ExpectRoundTrip(const std::string& bytes) {
    Westring name = DecodeFileName(bytes.data(), bytes.size());
    std::string back = Bytes(EncodeFileName(name));
    ASSERT_EQ(back, bytes) << "first byte " << (bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]));
}

TEST(FileNameTest, InvalidSequencesBecomeRawBytes) {
    struct Case { const char* bytes; std::wstring expected; } cases[] = {
        {"plain", L"plain"}, {"caf\xc3\xa9", L"caf\u00e9"},
        {"caf\xe9", L"caf\xdce9"},                          // Latin-1 byte
        {"\x80x", L"\xdc80x"},                              // stray continuation byte
        {"\xc0\x80", L"\xdcc0\xdc80"},                      // overlong 0
        {"\xf0\x80\x80\xaf", L"\xdcf0\xdc80\xdc80\xdcaf"},  // overlong '/'
        {"\xed\xa0\x80", L"\xdced\xdca0\xdc80"},            // surrogate U+D800
        {"\xf4\x90\x80\x80", L"\xdcf4\xdc90\xdc80\xdc80"},  // U+110000
        {"\xf4\x8f\xbf\xbf", L"\U0010ffff"},                // the last code point
        {"\xe2\x82" "A", L"\xdce2\xdc82" L"A"},             // truncated before ASCII
        {"\xe2\xe2\x82\xac", L"\xdce2\u20ac"},              // broken lead, then a valid one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Wide(DecodeFileName(c.bytes)), c.expected) << c.bytes;
        EXPECT_EQ(Bytes(EncodeFileName(DecodeFileName(c.bytes))), std::string(c.bytes));
    }
}

TEST(FileNameTest, RawBytesGoBackEverythingElseAsUtf8AndZeroEnds) {
    EXPECT_EQ(Bytes(EncodeFileName(L"\xdc80\xdcff")), "\x80\xff");
    // Just outside the raw-byte range: ordinary characters.
    EXPECT_EQ(Bytes(EncodeFileName(L"\xdc7f")), "\xed\xb1\xbf");
    // No such character: the replacement character, never a broken sequence.
    const wchar_t beyond[] = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1), 0};
    EXPECT_EQ(Bytes(EncodeFileName(beyond)), "\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(Bytes(EncodeFileName(static_cast<const wchar_t*>(nullptr))), "");
    EXPECT_TRUE(DecodeFileName(nullptr, 5).empty());
    // A zero byte cannot be in a name: it ends it.
    EXPECT_EQ(Wide(DecodeFileName("ab\0cd", 5)), L"ab");
    // The counted form reads no further than asked.
    EXPECT_EQ(Wide(DecodeFileName("\xc3\xa9", 1)), L"\xdcc3");
}

TEST(FileNameTest, EveryShortAndOneVeryLongNameRoundTrip) {
    for (int a = 1; a < 256; a++) {
        ExpectRoundTrip(std::string(1, static_cast<char>(a)));
        for (int b = 1; b < 256; b++) {
            char pair[2] = {static_cast<char>(a), static_cast<char>(b)};
            ExpectRoundTrip(std::string(pair, 2));
        }
    }
    // Past any inline or fixed buffer: over 1 MB, valid and invalid mixed.
    std::string bytes;
    while (bytes.size() < (1u << 20) + 100) bytes += "dir/caf\xc3\xa9-\xe9\xff\xe2\x82-";
    ExpectRoundTrip(bytes);
}

TEST(FileNameFileTest, InvalidUtf8NamesReachTheFileByWideAndNarrowName) {
    CTempDir dir;
    // A wide name decoded from raw bytes opens that file...
    StdFile file(DecodeFileName(dir.Write("caf\xe9-\xff.txt", "latin").c_str()));
    char text[8] = {};
    EXPECT_EQ(file.read(text, 5), 0);
    EXPECT_STREQ(text, "latin");
    // ...and creates one with the raw bytes, not the UTF-8 form of the character.
    {
        StdFile created(DecodeFileName(dir.path().c_str()) + L"/n\xdce9w", StdFile::kWrite | StdFile::kCreate);
        ASSERT_TRUE(created.isopen());
    }
    ExpectPaths({"n\xe9w", "!n\xed\xb3\xa9w"}, dir.path() + "/");
    // A narrow name goes to the system as it is, and the name the file
    // reports goes back to the same bytes.
    std::string raw = dir / "x\x80y";
    StdFile narrow(raw.c_str(), StdFile::kWrite | StdFile::kCreate);
    EXPECT_TRUE(PathExists(raw));
    EXPECT_EQ(Bytes(EncodeFileName(narrow.getname())), raw);
}

}  // namespace
