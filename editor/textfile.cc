#include "editor/textfile.h"

#include <algorithm>
#include <cstring>
#include <cerrno>

#include "lib/codepage.h"

namespace {

constexpr size_t kInitialLineRoom = 65536;

bool IsHighSurrogate(int64_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(int64_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
int CombinePair(int64_t high, int64_t low) {
    return static_cast<int>(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
}

}  // namespace

CTextFile::CTextFile() : code_page(DefaultTextCodePage()), line_buf_(kInitialLineRoom) {}

int CTextFile::Open(const wchar_t* name, int /*mode*/, int /*flags*/) {
    name_ = name;
    pos = 0;
    ends_with_newline = false;
    bad_utf8 = 0;
    line_end = 2;
    last_line_end = LE_NONE;
    has_bom = false;
    data_start = 0;
    read_error = 0;
    read_only = false;
    search_buf_at_ = -1;
    search_buf_len_ = 0;
    int result = open(name_);
    if (result != 0) return result;
    DetermineFileFormat();
    return 0;
}

void CTextFile::DetermineFileFormat() {
    std::vector<uint8_t> probe(kFormatProbeBytes);
    int n = static_cast<int>(std::min<int64_t>(size(), kFormatProbeBytes));
    if (n > 0 && GetBlock(0, probe.data(), n) != 0) n = 0;
    if (n < std::min<int64_t>(size(), kFormatProbeBytes) && read_error == 0) {
        read_error = EIO;
        read_only = true;
    }
    FormatGuess guess = DetectFileFormat(probe.data(), static_cast<size_t>(n), n >= size(), format);
    format = guess.format;
    has_bom = guess.bom_length > 0;
    data_start = guess.bom_length;
    if (pos < data_start) pos = data_start;
    swap = IsBigEndian(format);
}

int CTextFile::Byte(int64_t at) {
    int c = GetChar(at);
    if (c < 0 && at >= 0 && at < size() && read_error == 0) {
        read_error = EIO;  // the file is shorter than it was or cannot be read
        read_only = true;
    }
    return c;
}

int64_t CTextFile::UnitAt(int64_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; i++) {
        int b = Byte(at + i);
        if (b < 0) return -1;
        int shift = swap ? 8 * (size - 1 - i) : 8 * i;
        value |= static_cast<uint32_t>(b) << shift;
    }
    return value;
}

int CTextFile::ReadUTF8() {
    int lead = Byte(pos);
    if (lead < 0x80) {
        if (lead >= 0) pos++;
        return lead;
    }
    uint8_t sequence[4] = {static_cast<uint8_t>(lead)};
    size_t have = 1;
    const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    while (have < need) {
        int b = Byte(pos + static_cast<int64_t>(have));
        if (b < 0) break;
        sequence[have++] = static_cast<uint8_t>(b);
        if ((b & 0xC0) != 0x80) break;
    }
    wchar_t value;
    int length = DecodeUTF8(sequence, have, &value);
    if (length > 0) {
        pos += length;
        return value;
    }
    // Only the first byte is taken: the next one is read afresh.
    bad_utf8++;
    pos++;
    return TextRawByte(lead);
}

int CTextFile::ReadPrevUTF8() {
    int last = Byte(pos - 1);
    if (last < 0) return -1;
    if ((last & 0xC0) == 0x80) {
        // A continuation byte: a valid sequence ending here starts at most
        // three bytes back, at the first byte that is not a continuation.
        for (int back = 2; back <= 4 && pos - back >= data_start; back++) {
            int lead = Byte(pos - back);
            if (lead < 0) break;
            if ((lead & 0xC0) == 0x80) continue;
            uint8_t sequence[4];
            for (int i = 0; i < back; i++) sequence[i] = static_cast<uint8_t>(Byte(pos - back + i));
            wchar_t value;
            if (DecodeUTF8(sequence, static_cast<size_t>(back), &value) == back) {
                pos -= back;
                return value;
            }
            break;
        }
    }
    pos--;
    return last < 0x80 ? last : TextRawByte(last);
}

int CTextFile::ReadUnit(int unit) {
    if ((pos - data_start) % unit == 0 && pos + unit <= size()) {
        const int64_t value = UnitAt(pos, unit);
        if (value < 0) return -1;
        if (unit == 2) {
            if (IsHighSurrogate(value) && pos + 4 <= size()) {
                const int64_t low = UnitAt(pos + 2, 2);
                if (IsLowSurrogate(low)) {
                    pos += 4;
                    return CombinePair(value, low);
                }
            }
            pos += 2;
            return static_cast<int>(value);
        }
        if (value < 0x110000) {
            pos += 4;
            return static_cast<int>(value);
        }
    }
    // A group of four bytes beyond Unicode, or the odd bytes at the end:
    // each byte stands for itself.
    int b = Byte(pos);
    if (b < 0) return -1;
    pos++;
    return TextRawByte(b);
}

int CTextFile::ReadPrevUnit(int unit) {
    if ((pos - data_start) % unit == 0 && pos - unit >= data_start && pos <= size()) {
        const int64_t value = UnitAt(pos - unit, unit);
        if (value < 0) return -1;
        if (unit == 2) {
            if (IsLowSurrogate(value) && pos - 4 >= data_start) {
                const int64_t high = UnitAt(pos - 4, 2);
                if (IsHighSurrogate(high)) {
                    pos -= 4;
                    return CombinePair(high, value);
                }
            }
            pos -= 2;
            return static_cast<int>(value);
        }
        if (value < 0x110000) {
            pos -= 4;
            return static_cast<int>(value);
        }
    }
    int b = Byte(pos - 1);
    if (b < 0) return -1;
    pos--;
    return TextRawByte(b);
}

int CTextFile::ReadChar() {
    int c;
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE: c = ReadUnit(4); break;
    case FF_UTF16LE:
    case FF_UTF16BE: c = ReadUnit(2); break;
    case FF_CODEPAGE: {
        int b = Byte(pos);
        if (b < 0) return -1;
        pos++;
        cp_table_.Build(code_page);
        c = cp_table_.ToChar(static_cast<uint8_t>(b));
        break;
    }
    default: c = ReadUTF8(); break;
    }
    return c == 0 && !keep_nul ? ' ' : c;
}

int CTextFile::ReadPrevChar() {
    if (pos <= data_start) return -1;
    int c;
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE: c = ReadPrevUnit(4); break;
    case FF_UTF16LE:
    case FF_UTF16BE: c = ReadPrevUnit(2); break;
    case FF_CODEPAGE: {
        int b = Byte(pos - 1);
        if (b < 0) return -1;
        pos--;
        cp_table_.Build(code_page);
        c = cp_table_.ToChar(static_cast<uint8_t>(b));
        break;
    }
    default: c = ReadPrevUTF8(); break;
    }
    return c == 0 && !keep_nul ? ' ' : c;
}

void CTextFile::AppendToLine(int& len, wchar_t c) {
    if (static_cast<size_t>(len) + 2 > line_buf_.size()) line_buf_.resize(line_buf_.size() * 2);
    line_buf_[static_cast<size_t>(len++)] = c;
}

namespace {

constexpr uint64_t kEveryByte(uint8_t b) { return 0x0101010101010101ULL * b; }

// Whether some byte of word is zero.
constexpr bool HasZeroByte(uint64_t word) { return ((word - kEveryByte(1)) & ~word & kEveryByte(0x80)) != 0; }

// Whether all eight bytes are ASCII other than CR and LF (and NUL, unless
// NULs are kept).
bool PlainAsciiWord(uint64_t word, bool keep_nul) {
    if (word & kEveryByte(0x80)) return false;
    if (HasZeroByte(word ^ kEveryByte('\n')) || HasZeroByte(word ^ kEveryByte('\r'))) return false;
    return keep_nul || !HasZeroByte(word);
}

}  // namespace

// Takes the plain ASCII characters from pos on (not CR, LF, or NUL when
// NULs read as blanks) straight from the file's cache into the line, up to
// maxlen characters when it is positive: most of a UTF-8 text goes this
// way. Whether any were taken.
bool CTextFile::AppendAsciiRun(int& len, long long maxlen) {
    const int start = len;
    for (;;) {
        int available = 0;
        const uint8_t* bytes = Peek(pos, available);
        if (!bytes || available <= 0) break;
        if (maxlen > 0) available = static_cast<int>(std::min<long long>(available, maxlen - len));
        if (line_buf_.size() < static_cast<size_t>(len) + static_cast<size_t>(available) + 2)
            line_buf_.resize(std::max(line_buf_.size() * 2, static_cast<size_t>(len) + static_cast<size_t>(available) + 2));
        wchar_t* out = line_buf_.data() + len;
        int i = 0;
        // Eight bytes at a time while none of them needs a closer look.
        for (; i + 8 <= available; i += 8) {
            uint64_t word;
            std::memcpy(&word, bytes + i, sizeof word);
            if (!PlainAsciiWord(word, keep_nul)) break;
            for (int k = 0; k < 8; k++) out[i + k] = bytes[i + k];
        }
        for (; i < available; i++) {
            const uint8_t b = bytes[i];
            if (b >= 0x80 || b == '\r' || b == '\n' || (b == 0 && !keep_nul)) break;
            out[i] = b;
        }
        len += i;
        pos += i;
        if (i < available || (maxlen > 0 && len >= maxlen)) break;
    }
    return len > start;
}

// CR LF and LF CR end a line together; any other pairing leaves the second
// character to begin the next line.
ELineEnd CTextFile::ReadLineEnd(int first) {
    const int64_t at = pos;
    const int next = ReadChar();
    if (first == '\r' && next == '\n') return LE_CRLF;
    if (first == '\n' && next == '\r') return LE_LFCR;
    pos = at;
    return first == '\r' ? LE_CR : LE_LF;
}

const wchar_t* CTextFile::ReadTextLine(int& len, long long maxlen) {
    if (format == FF_UNKNOWN) DetermineFileFormat();
    if (pos < data_start) pos = data_start;
    len = 0;
    ELineEnd end = LE_NONE;
    const bool ascii_runs = format == FF_UTF8;
    for (;;) {
        if (ascii_runs && AppendAsciiRun(len, maxlen)) {
            if (maxlen > 0 && len >= maxlen) {
                const int64_t at = pos;
                const int next = ReadChar();
                if (next == '\r' || next == '\n') end = ReadLineEnd(next);
                else pos = at;
                break;
            }
        }
        int c = ReadChar();
        if (c < 0) break;
        if (c == '\r' || c == '\n') {
            end = ReadLineEnd(c);
            break;
        }
        AppendToLine(len, static_cast<wchar_t>(c));
        if (maxlen > 0 && len >= maxlen) {
            // A line end right after the cut still belongs to this line.
            const int64_t at = pos;
            int next = ReadChar();
            if (next == '\r' || next == '\n') end = ReadLineEnd(next);
            else pos = at;
            break;
        }
    }
    last_line_end = end;
    if (len == 0 && end == LE_NONE) {
        if (line_end == 2) line_end = 1;
        return nullptr;
    }
    ends_with_newline = end != LE_NONE;
    if (line_end == 2 && end != LE_CR && end != LE_NONE) line_end = end == LE_LF ? 1 : 0;
    line_buf_[static_cast<size_t>(len)] = 0;
    return line_buf_.data();
}
