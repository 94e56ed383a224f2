// Reading text files: which encoding a file is taken to be in, how its
// bytes become characters and lines, and how a failed read is reported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <random>

#include "tests/editor/textfile_helpers.h"

namespace {

struct Opened {
    TextScratch scratch;
    std::string path;
    CTextFile file;
    explicit Opened(const std::string& bytes, EFileFormat preset = FF_UNKNOWN, int code_page = 1252) {
        path = scratch.Write("t", bytes);
        file.format = preset;
        file.code_page = code_page;
        EXPECT_EQ(0, file.Open(Wide(path).c_str()));
    }
};

std::wstring Chars(CTextFile& file) {
    std::wstring out;
    for (int c; (c = file.ReadChar()) >= 0;) out += static_cast<wchar_t>(c);
    return out;
}

TEST(TextFileFormat, RecognisesEncodingsFromTheirBytes) {
    EXPECT_EQ(FF_UTF8, Opened("plain ascii\n").file.format);
    EXPECT_FALSE(Opened("plain ascii\n").file.has_bom);
    EXPECT_EQ(FF_UTF8, Opened("caf\xC3\xA9\n").file.format);
    EXPECT_EQ(FF_UTF8, Opened("").file.format);

    Opened utf32(std::string("\xFF\xFE\0\0a\0\0\0", 8));  // not UTF-16 with a NUL
    EXPECT_EQ(FF_UTF32LE, utf32.file.format);
    EXPECT_EQ(4, utf32.file.data_start);
    EXPECT_EQ(L"a", Chars(utf32.file));
    EXPECT_EQ(FF_UTF32BE, Opened(std::string("\0\0\xFE\xFF", 4)).file.format);
    EXPECT_EQ(FF_UTF16LE, Opened("\xFF\xFE" "a\0").file.format);
    EXPECT_EQ(FF_UTF16BE, Opened("\xFE\xFF\0a").file.format);
    Opened bom8("\xEF\xBB\xBFx");
    EXPECT_EQ(FF_UTF8, bom8.file.format);
    EXPECT_TRUE(bom8.file.has_bom);
    EXPECT_EQ(L"x", Chars(bom8.file));

    // Without a mark: a blank and a line feed in either byte order.
    EXPECT_EQ(FF_UTF16LE, Opened(std::string("h\0i\0 \0x\0\n\0", 10)).file.format);
    EXPECT_EQ(FF_UTF16BE, Opened(std::string("\0h\0i\0 \0x\0\n", 10)).file.format);
    EXPECT_EQ(FF_UTF32LE, Opened(std::string("h\0\0\0 \0\0\0\n\0\0\0", 12)).file.format);
    EXPECT_EQ(FF_UTF32BE, Opened(std::string("\0\0\0h\0\0\0 \0\0\0\n", 12)).file.format);

    // A mark wins over a preset format; without one the preset stays.
    EXPECT_EQ(FF_UTF16BE, Opened("\xFE\xFF\0a", FF_CODEPAGE).file.format);
    EXPECT_EQ(FF_CODEPAGE, Opened("caf\xC3\xA9", FF_CODEPAGE).file.format);
}

// A Latin-1 letter before a line end is no UTF-8 lead byte: the file is
// code-page text and the line end stays a line end.
TEST(TextFileFormat, LatinOneTextIsNotTakenForUtf8) {
    Opened latin("caf\xE9\nx", FF_UNKNOWN, 1252);
    EXPECT_EQ(FF_CODEPAGE, latin.file.format);
    std::vector<TextLine> lines = ReadAllLines(latin.file);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"caf\u00E9", lines[0].text);
    EXPECT_EQ(L"x", lines[1].text);
    EXPECT_EQ(FF_CODEPAGE, Opened("na\xEFve\n", FF_UNKNOWN).file.format);
    // A sequence cut only by the end of the probe does not count against UTF-8.
    std::string long_text(kFormatProbeBytes - 1, 'a');
    EXPECT_EQ(FF_UTF8, Opened(long_text + "\xC3\xA9 more").file.format);
}

TEST(TextFileFormat, DescriptionsAndUnlikelyUtf16Units) {
    EXPECT_EQ(Estring("UTF-32"), GetFormatDesc(FF_UTF32BE, 0));
    EXPECT_EQ(Estring("UTF-16"), GetFormatDesc(FF_UTF16LE, 0));
    EXPECT_EQ(Estring("UTF-8"), GetFormatDesc(FF_UTF8, 0));
    EXPECT_EQ(Estring("CP1251"), GetFormatDesc(FF_CODEPAGE, 1251));
    EXPECT_EQ(Estring(""), GetFormatDesc(FF_UNKNOWN, 0));
    EXPECT_FALSE(IsValidUTF16(0));
    for (unsigned short c : {0x07FB, 0x0900, 0x1A20, 0x2BFF, 0xA698, 0xA7FA, 0xAA60, 0xD7A4, 0xE000, 0xF8FF})
        EXPECT_FALSE(IsValidUTF16(c)) << std::hex << c;
    for (unsigned short c : {0x20, 0x0A, 0x07FA, 0x0901, 0x1A1F, 0x4E00, 0xD7A3, 0xF900, 0xFFFD})
        EXPECT_TRUE(IsValidUTF16(c)) << std::hex << c;
}

TEST(TextFileChars, InvalidUtf8BecomesStandInsAndTheNextByteIsReadAfresh) {
    Opened bad("\xE9x\xC3\xA9\xF0\x9F\x98\x80\x80\xED\xA0\x80\xC3", FF_UTF8);
    std::wstring expected = {TextRawByte(0xE9), L'x', L'\u00E9', static_cast<wchar_t>(0x1F600), TextRawByte(0x80),
                             TextRawByte(0xED), TextRawByte(0xA0), TextRawByte(0x80), TextRawByte(0xC3)};
    EXPECT_EQ(expected, Chars(bad.file));
    EXPECT_EQ(6, bad.file.bad_utf8);

    // Backwards gives the same characters in reverse.
    std::wstring backward;
    for (int c; (c = bad.file.ReadPrevChar()) >= 0;) backward.insert(backward.begin(), static_cast<wchar_t>(c));
    EXPECT_EQ(expected, backward);
    EXPECT_EQ(0, bad.file.pos);
}

TEST(TextFileChars, Utf16PairsCombineAndLoneSurrogatesStay) {
    // LE: a pair for U+1F600, a lone high surrogate, a lone low one, a
    // stray last byte.
    Opened utf16(std::string("\xFF\xFE" "\x3D\xD8\x00\xDE" "\x01\xD8" "a\0" "\x02\xDC" "\x41", 13));
    std::wstring expected = {static_cast<wchar_t>(0x1F600), 0xD801, L'a', 0xDC02, TextRawByte(0x41)};
    EXPECT_EQ(expected, Chars(utf16.file));
    std::wstring backward;
    for (int c; (c = utf16.file.ReadPrevChar()) >= 0;) backward.insert(backward.begin(), static_cast<wchar_t>(c));
    EXPECT_EQ(expected, backward);
    EXPECT_EQ(2, utf16.file.pos);
}

TEST(TextFileChars, Utf32ValuesBeyondUnicodeAreKeptAsBytes) {
    Opened utf32(std::string("\0\0\0a\x7F\0\0\x01\0\x01\xF6\x00\xFF\xFF\xFF\xFF\xAB", 17), FF_UTF32BE);
    std::wstring expected = {L'a', TextRawByte(0x7F), TextRawByte(0), TextRawByte(0), TextRawByte(1),
                             static_cast<wchar_t>(0x1F600), TextRawByte(0xFF), TextRawByte(0xFF), TextRawByte(0xFF),
                             TextRawByte(0xFF), TextRawByte(0xAB)};
    EXPECT_EQ(expected, Chars(utf32.file));
}

TEST(TextFileChars, NulIsACharacterUnlessAskedToBlankIt) {
    Opened nul(std::string("a\0b\nc", 5), FF_UTF8);
    std::vector<TextLine> lines = ReadAllLines(nul.file);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(std::wstring(L"a\0b", 3), lines[0].text);
    nul.file.keep_nul = false;
    nul.file.pos = 0;
    EXPECT_EQ(L"a b", ReadAllLines(nul.file)[0].text);
    // The same inside a run of plain text read eight bytes at a time.
    Opened long_nul(std::string("0123456789\0abcdefghij\r\nk", 25), FF_UTF8);
    long_nul.file.keep_nul = false;
    EXPECT_EQ(L"0123456789 abcdefghij", ReadAllLines(long_nul.file)[0].text);
}

TEST(TextFileLines, LineEndsAreReadAndKeptPerLine) {
    Opened crlf("a\r\n\r\nb");
    std::vector<TextLine> lines = ReadAllLines(crlf.file);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(L"a", lines[0].text);
    EXPECT_EQ(L"", lines[1].text);
    EXPECT_EQ(L"b", lines[2].text);
    EXPECT_EQ(LE_CRLF, lines[1].end);
    EXPECT_EQ(LE_NONE, lines[2].end);

    Opened lfcr("a\n\r");
    lines = ReadAllLines(lfcr.file);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(LE_LFCR, lines[0].end);

    Opened mixed("a\rb\nc\r\n\nd\n");
    lines = ReadAllLines(mixed.file);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(LE_CR, lines[0].end);
    EXPECT_EQ(LE_LF, lines[1].end);
    EXPECT_EQ(LE_CRLF, lines[2].end);
    EXPECT_EQ(LE_LF, lines[3].end);
    EXPECT_TRUE(mixed.file.ends_with_newline);
    EXPECT_EQ(1, mixed.file.line_end);  // the first line feed seen was alone

    Opened none("just one line");
    EXPECT_EQ(2, none.file.line_end);
    ReadAllLines(none.file);
    EXPECT_FALSE(none.file.ends_with_newline);
    EXPECT_EQ(1, none.file.line_end);
    Opened dos("x\r\ny\n");
    ReadAllLines(dos.file);
    EXPECT_EQ(0, dos.file.line_end);
}

TEST(TextFileLines, LongLinesAreCutAtMaxlenWithoutALineEnd) {
    Opened cut("abcdefg\nhij\n");
    std::vector<TextLine> lines = ReadAllLines(cut.file, 3);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(L"abc", lines[0].text);
    EXPECT_EQ(LE_NONE, lines[0].end);
    EXPECT_EQ(L"g", lines[2].text);
    EXPECT_EQ(L"hij", lines[3].text);  // the line end just after the cut stays with it
    EXPECT_EQ(LE_LF, lines[3].end);

    std::string huge(300000, 'q');
    Opened big(huge + "\nz");
    lines = ReadAllLines(big.file);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(huge.size(), lines[0].text.size());
}

// A file that shrinks while it is loaded reads short: that is reported and
// the text may not be saved over the file.
TEST(TextFileLines, ReadErrorMarksTheTextReadOnly) {
    std::string text;
    for (int i = 0; i < 20000; i++) text += "line " + std::to_string(i) + "\n";
    Opened shrinking(text);
    ASSERT_EQ(0, truncate(shrinking.path.c_str(), 50000));
    std::vector<TextLine> lines = ReadAllLines(shrinking.file);
    EXPECT_LT(lines.size(), 20000u);
    EXPECT_NE(0, shrinking.file.read_error);
    EXPECT_TRUE(shrinking.file.read_only);
    EXPECT_NE(0, shrinking.file.BeginSave());
    EXPECT_EQ(50000u, ReadBytes(shrinking.path).size());
}

// Backward reading meets the same characters at the same places as
// forward reading, in every format.
TEST(TextFileChars, ReadingBackwardsRetracesForwardReading) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200; i++) {
        std::string bytes;
        for (int n = static_cast<int>(rng() % 200); n > 0; n--) bytes += static_cast<char>(rng() % 4 ? rng() % 0x80 + 0x80 : rng());
        EFileFormat format = static_cast<EFileFormat>(i % 6);
        Opened opened(bytes, format);
        CTextFile& file = opened.file;
        std::vector<std::pair<int64_t, int>> forward;
        for (;;) {
            int64_t at = file.pos;
            int c = file.ReadChar();
            if (c < 0) break;
            forward.push_back({at, c});
        }
        for (size_t k = forward.size(); k-- > 0;) {
            int c = file.ReadPrevChar();
            ASSERT_EQ(forward[k].second, c) << "format " << format << " char " << k;
            ASSERT_EQ(forward[k].first, file.pos);
        }
        EXPECT_EQ(-1, file.ReadPrevChar());
    }
}

}  // namespace
