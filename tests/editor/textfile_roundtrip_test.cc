// The property the editor relies on most: any file opened and saved without
// a change comes back byte for byte, whatever its bytes, encoding and line
// ends, and however long its lines.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/editor/textfile_helpers.h"

namespace {

using Random = std::mt19937;

int Pick(Random& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

void PutUnit(std::string& out, uint32_t unit, int size, bool big_endian) {
    for (int i = 0; i < size; i++) out += static_cast<char>(unit >> (big_endian ? 8 * (size - 1 - i) : 8 * i));
}

const char* kLineEnds[] = {"\n", "\r\n", "\r", "\n\r"};

// A character a text might hold: mostly ASCII, some accented letters,
// CJK, emoji and line ends, now and then a NUL.
uint32_t TextChar(Random& rng) {
    switch (Pick(rng, 0, 19)) {
    case 0: return static_cast<uint32_t>(Pick(rng, 0xA0, 0x17F));
    case 1: return static_cast<uint32_t>(Pick(rng, 0x4E00, 0x9FFF));
    case 2: return static_cast<uint32_t>(Pick(rng, 0x1F300, 0x1F64F));
    case 3: return '\n';
    case 4: return Pick(rng, 0, 3) == 0 ? 0 : '\r';
    case 5: return ' ';
    default: return static_cast<uint32_t>(Pick(rng, 0x21, 0x7E));
    }
}

std::string RandomBytes(Random& rng, int length) {
    std::string out;
    for (int i = 0; i < length; i++) out += static_cast<char>(Pick(rng, 0, 255));
    return out;
}

// UTF-8 text, spoilt now and then when broken is set: stray continuation
// bytes, cut sequences, over-long forms, encoded surrogates, bytes that are
// never UTF-8.
std::string Utf8Text(Random& rng, int chars, bool broken) {
    std::string out;
    for (int i = 0; i < chars; i++) {
        if (broken && Pick(rng, 0, 9) == 0) {
            static const char* kBad[] = {"\x80", "\xBF", "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xC0\x80",
                                         "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xFF", "\xE9x", "\xF4\x90\x80\x80"};
            out += kBad[Pick(rng, 0, 10)];
            continue;
        }
        AppendUTF8(out, static_cast<wchar_t>(TextChar(rng)));
    }
    return out;
}

// UTF-16 text with pairs, lone high and low surrogates and (with odd set)
// a stray last byte.
std::string Utf16Text(Random& rng, int chars, bool big_endian, bool bom, bool odd) {
    std::string out;
    if (bom) PutUnit(out, 0xFEFF, 2, big_endian);
    for (int i = 0; i < chars; i++) {
        int kind = Pick(rng, 0, 15);
        if (kind == 0) PutUnit(out, static_cast<uint32_t>(Pick(rng, 0xD800, 0xDBFF)), 2, big_endian);
        else if (kind == 1) PutUnit(out, static_cast<uint32_t>(Pick(rng, 0xDC00, 0xDFFF)), 2, big_endian);
        else {
            uint32_t c = TextChar(rng);
            if (c > 0xFFFF) {
                c -= 0x10000;
                PutUnit(out, 0xD800 | c >> 10, 2, big_endian);
                PutUnit(out, 0xDC00 | (c & 0x3FF), 2, big_endian);
            } else {
                PutUnit(out, c, 2, big_endian);
            }
        }
    }
    if (odd) out += static_cast<char>(Pick(rng, 0, 255));
    return out;
}

// UTF-32 text with surrogates, values beyond Unicode and a cut last group.
std::string Utf32Text(Random& rng, int chars, bool big_endian, bool bom, int tail) {
    std::string out;
    if (bom) PutUnit(out, 0xFEFF, 4, big_endian);
    for (int i = 0; i < chars; i++) {
        int kind = Pick(rng, 0, 15);
        uint32_t c = kind == 0   ? static_cast<uint32_t>(Pick(rng, 0xD800, 0xDFFF))
                     : kind == 1 ? static_cast<uint32_t>(rng())
                                 : TextChar(rng);
        PutUnit(out, c, 4, big_endian);
    }
    out += RandomBytes(rng, tail);
    return out;
}

// Lines of ASCII with the given line ends, mixed or one kind, with or
// without a final one.
std::string LinesText(Random& rng, int lines, int max_length, bool mixed, bool final_end) {
    std::string out;
    const char* usual = kLineEnds[Pick(rng, 0, 3)];
    for (int i = 0; i < lines; i++) {
        int length = Pick(rng, 0, max_length);
        for (int j = 0; j < length; j++) out += static_cast<char>(Pick(rng, 0x20, 0x7E));
        if (i + 1 < lines || final_end) out += mixed ? kLineEnds[Pick(rng, 0, 3)] : usual;
    }
    return out;
}

std::string MakeFile(Random& rng, int kind) {
    switch (kind) {
    case 0: return RandomBytes(rng, Pick(rng, 0, 600));
    case 1: return Utf8Text(rng, Pick(rng, 0, 400), false);
    case 2: return Utf8Text(rng, Pick(rng, 0, 400), true);
    case 3: return Utf16Text(rng, Pick(rng, 0, 300), Pick(rng, 0, 1), Pick(rng, 0, 1), Pick(rng, 0, 3) == 0);
    case 4: return Utf32Text(rng, Pick(rng, 0, 200), Pick(rng, 0, 1), Pick(rng, 0, 1), Pick(rng, 0, 3));
    case 5: {  // NULs among text
        std::string text = Utf8Text(rng, Pick(rng, 1, 200), Pick(rng, 0, 1));
        for (int i = Pick(rng, 1, 10); i > 0; i--) text.insert(static_cast<size_t>(Pick(rng, 0, static_cast<int>(text.size()))), 1, '\0');
        return text;
    }
    case 6: return LinesText(rng, Pick(rng, 0, 40), 30, Pick(rng, 0, 1), Pick(rng, 0, 1));
    default: return LinesText(rng, Pick(rng, 1, 3), 150000, false, Pick(rng, 0, 1));  // very long lines
    }
}

// Opens bytes with the format preset (FF_UNKNOWN: recognised), loads every
// line, saves them unchanged and returns what the file then holds.
std::string RoundTrip(const TextScratch& scratch, const std::string& bytes, EFileFormat preset, long long maxlen) {
    std::string path = scratch.Write("text", bytes);
    CTextFile file;
    file.format = preset;
    file.code_page = 1252;
    if (file.Open(Wide(path).c_str()) != 0) return "(cannot open)";
    std::vector<TextLine> lines = ReadAllLines(file, maxlen);
    if (file.read_only) return "(read error)";
    if (SaveLines(file, lines) != 0) return "(cannot save)";
    return ReadBytes(path);
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (size_t i = 0; i < bytes.size() && i < 64; i++) {
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(bytes[i]));
        out += digits;
    }
    return out;
}

TEST(TextFileRoundTrip, EveryGeneratedFileSavesBackByteForByte) {
    TextScratch scratch(true);
    ASSERT_FALSE(scratch.dir().empty());
    Random rng(20240611);
    int failures = 0;
    for (int i = 0; i < 2400 && failures < 5; i++) {
        const int kind = i % 8;
        if (kind == 7 && i % 48 != 7) continue;  // a few of the very long ones
        std::string bytes = MakeFile(rng, kind);
        long long maxlen = Pick(rng, 0, 5) == 0 ? Pick(rng, 1, 40) : 0;
        std::string saved = RoundTrip(scratch, bytes, FF_UNKNOWN, maxlen);
        if (saved != bytes) {
            failures++;
            ADD_FAILURE() << "file " << i << " (kind " << kind << ", maxlen " << maxlen << ", " << bytes.size()
                          << " bytes) came back different: " << Hex(bytes) << " -> " << Hex(saved);
        }
    }
}

// Each decoder on its own, whatever the bytes: a format set before opening
// is kept unless a byte-order mark says otherwise.
TEST(TextFileRoundTrip, RandomBytesSurviveEveryFormat) {
    TextScratch scratch(true);
    ASSERT_FALSE(scratch.dir().empty());
    Random rng(77);
    int failures = 0;
    for (int i = 0; i < 300 && failures < 5; i++) {
        std::string bytes = RandomBytes(rng, Pick(rng, 0, 300));
        for (EFileFormat preset : {FF_UTF32LE, FF_UTF32BE, FF_UTF16LE, FF_UTF16BE, FF_UTF8, FF_CODEPAGE}) {
            std::string saved = RoundTrip(scratch, bytes, preset, 0);
            if (saved != bytes) {
                failures++;
                ADD_FAILURE() << "format " << preset << ": " << Hex(bytes) << " -> " << Hex(saved);
            }
        }
    }
}

// Code pages whose converter leaves bytes undefined or maps two bytes to
// one character still give every byte back.
TEST(TextFileRoundTrip, EveryByteOfEveryCodePageComesBack) {
    TextScratch scratch;
    std::string all;
    for (int b = 0; b < 256; b++) all += static_cast<char>(b);
    for (int code_page : {437, 850, 866, 1250, 1251, 1252, 819, 878, 874}) {
        std::string path = scratch.Write("cp", all);
        CTextFile file;
        file.format = FF_CODEPAGE;
        file.code_page = code_page;
        ASSERT_EQ(0, file.Open(Wide(path).c_str()));
        ASSERT_EQ(0, SaveLines(file, ReadAllLines(file)));
        EXPECT_EQ(all, ReadBytes(path)) << "code page " << code_page;
    }
}

}  // namespace
