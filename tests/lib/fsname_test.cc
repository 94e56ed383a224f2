// Exact conversion of file names between the system's bytes and wide text.
#include "lib/fsname.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "lib/stdfile.h"
#include "tests/fileops/temp_dir.h"

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
    struct Case {
        const char* bytes;
        std::wstring expected;
    } cases[] = {
        {"plain", L"plain"}, {"caf\xc3\xa9", L"caf\u00e9"},
        {"caf\xe9", L"caf\xdce9"},                          // Latin-1 byte
        {"\x80x", L"\xdc80x"},                              // stray continuation byte
        {"\xc0\x80", L"\xdcc0\xdc80"},                      // overlong 0
        {"\xc1\xbf", L"\xdcc1\xdcbf"},                      // overlong '?'
        {"\xe0\x80\xaf", L"\xdce0\xdc80\xdcaf"},            // overlong '/'
        {"\xf0\x80\x80\xaf", L"\xdcf0\xdc80\xdc80\xdcaf"},  // overlong '/'
        {"\xed\xa0\x80", L"\xdced\xdca0\xdc80"},            // surrogate U+D800
        {"\xed\xbf\xbf", L"\xdced\xdcbf\xdcbf"},            // surrogate U+DFFF
        {"\xed\x9f\xbf", L"\ud7ff"},                        // just below the surrogates
        {"\xf4\x90\x80\x80", L"\xdcf4\xdc90\xdc80\xdc80"},  // U+110000
        {"\xf4\x8f\xbf\xbf", L"\U0010ffff"},                // the last code point
        {"\xf5\x80\x80\x80", L"\xdcf5\xdc80\xdc80\xdc80"},  // impossible lead byte
        {"\xff\xfe", L"\xdcff\xdcfe"}, {"\xe2\x82", L"\xdce2\xdc82"},  // truncated at the end
        {"\xe2\x82" "A", L"\xdce2\xdc82" L"A"},             // truncated before ASCII
        {"\xe2\xe2\x82\xac", L"\xdce2\u20ac"},              // broken lead, then a valid one
        {"\xf0\x9f\x98\x80", L"\U0001f600"}, {"\xf0\x9f\x98", L"\xdcf0\xdc9f\xdc98"},
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
    EXPECT_EQ(Bytes(EncodeFileName(L"\xdd00")), "\xed\xb4\x80");
    EXPECT_EQ(Bytes(EncodeFileName(L"\u00e9\u4e2d\U0001f600")), "\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
    // No such character: the replacement character, never a broken sequence.
    const wchar_t beyond[] = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1), 0};
    EXPECT_EQ(Bytes(EncodeFileName(beyond)), "\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(Bytes(EncodeFileName(static_cast<const wchar_t*>(nullptr))), "");
    EXPECT_EQ(Bytes(EncodeFileName(Westring())), "");
    EXPECT_TRUE(DecodeFileName(nullptr).empty());
    EXPECT_TRUE(DecodeFileName(nullptr, 5).empty());
    EXPECT_TRUE(DecodeFileName("", 0).empty());
    // A zero byte cannot be in a name: it ends it.
    EXPECT_EQ(Wide(DecodeFileName("ab\0cd", 5)), L"ab");
    // The counted form reads no further than asked.
    EXPECT_EQ(Wide(DecodeFileName("\xc3\xa9", 1)), L"\xdcc3");
}

TEST(FileNameTest, EveryShortNameRoundTrips) {
    for (int a = 1; a < 256; a++) {
        ExpectRoundTrip(std::string(1, static_cast<char>(a)));
        for (int b = 1; b < 256; b++) {
            char pair[2] = {static_cast<char>(a), static_cast<char>(b)};
            ExpectRoundTrip(std::string(pair, 2));
        }
    }
    // Lead bytes around every rule of the decoder, with all second bytes and
    // the interesting third and fourth ones.
    const int leads[] = {0x7F, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED,
                         0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xFE, 0xFF};
    const int tails[] = {0x01, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xE0, 0xF0, 0xFF};
    for (int lead : leads) {
        for (int second = 1; second < 256; second++) {
            for (int third : tails) {
                char three[3] = {static_cast<char>(lead), static_cast<char>(second),
                                 static_cast<char>(third)};
                ExpectRoundTrip(std::string(three, 3));
                for (int fourth : {0x41, 0x80, 0xBF, 0xC0}) {
                    char four[4] = {three[0], three[1], three[2], static_cast<char>(fourth)};
                    ExpectRoundTrip(std::string(four, 4));
                }
            }
        }
    }
}

TEST(FileNameTest, RandomAndVeryLongByteStringsRoundTrip) {
    std::mt19937 random(20240315);
    std::uniform_int_distribution<int> length(1, 48);
    // Mostly high bytes, where the decoder has work to do.
    std::uniform_int_distribution<int> high(0x80, 0xFF), any(1, 0xFF), pick(0, 3);
    for (int round = 0; round < 20000; round++) {
        std::string bytes(static_cast<size_t>(length(random)), ' ');
        for (char& c : bytes) c = static_cast<char>(pick(random) == 0 ? any(random) : high(random));
        ExpectRoundTrip(bytes);
    }
    // Past any inline or fixed buffer: over 1 MB, valid and invalid mixed.
    std::string bytes;
    while (bytes.size() < (1u << 20) + 100) bytes += "dir/caf\xc3\xa9-\xe9\xff\xe2\x82-";
    ExpectRoundTrip(bytes);
}

TEST(FileNameTest, ValidUtf8DecodesAsTheUtf8Decoder) {
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> point(1, 0x10FFFF), small(1, 0x7FF), pick(0, 2);
    for (int round = 0; round < 5000; round++) {
        Westring text;
        for (int i = 0; i < 12; i++) {
            uint32_t c = pick(random) == 0 ? small(random) : point(random);
            if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;  // not encodable as valid UTF-8
            text += static_cast<wchar_t>(c);
        }
        Estring utf8 = text.ToUTF8();
        Westring expected;
        ASSERT_TRUE(expected.FromUTF8(utf8.c_str()));
        EXPECT_EQ(Wide(DecodeFileName(utf8.c_str())), Wide(expected));
        EXPECT_EQ(Bytes(EncodeFileName(DecodeFileName(utf8.c_str()))), Bytes(utf8));
    }
}

// ---- Files with such names --------------------------------------------------

class FileNameFileTest : public ::testing::Test {
protected:
    CTempDir dir_;
};

TEST_F(FileNameFileTest, WideNameOfAnInvalidUtf8FileOpensThatFile) {
    std::string raw = dir_.Write("caf\xe9-\xff.txt", "latin");
    Westring wide = DecodeFileName(raw.c_str());
    StdFile file(wide);
    ASSERT_TRUE(file.isopen()) << file.geterror();
    char text[8] = {};
    EXPECT_EQ(file.read(text, 5), 0);
    EXPECT_STREQ(text, "latin");
    struct stat by_name, by_handle;
    ASSERT_EQ(stat(raw.c_str(), &by_name), 0);
    ASSERT_EQ(fstat(file.gethandle(), &by_handle), 0);
    EXPECT_EQ(by_name.st_ino, by_handle.st_ino);
    EXPECT_EQ(by_name.st_dev, by_handle.st_dev);
}

TEST_F(FileNameFileTest, FileCreatedByWideNameHasTheRawBytes) {
    Westring wide = DecodeFileName(dir_.path().c_str()) + L"/n\xdce9w";
    {
        StdFile file(wide, StdFile::kWrite | StdFile::kCreate);
        ASSERT_TRUE(file.isopen());
    }
    EXPECT_EQ(access((dir_ / "n\xe9w").c_str(), F_OK), 0);
    // Not the UTF-8 form of the character.
    EXPECT_NE(access((dir_ / "n\xed\xb3\xa9w").c_str(), F_OK), 0);

    // A narrow name goes to the system as it is, and the name the file
    // reports goes back to the same bytes.
    std::string raw = dir_ / "x\x80y";
    StdFile narrow(raw.c_str(), StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(narrow.isopen());
    EXPECT_EQ(access(raw.c_str(), F_OK), 0);
    EXPECT_EQ(Bytes(EncodeFileName(narrow.getname())), raw);
}

}  // namespace
