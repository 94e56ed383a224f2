// The parameters and messages of remote operation (see parameter.h).
#include "remote/parameter.h"

#include <cstring>
#include <utility>

#include "lib/cellwidth.h"

namespace {

void PutU16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

uint16_t GetU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The UTF-8 bytes of one character: what Westring::ToUTF8 makes of it, but
// never a 0 byte, which ends the characters of a cell string.
void AppendUtf8(std::string& out, wchar_t ch) {
    uint32_t c = static_cast<uint32_t>(ch);
    if (c == 0) c = ' ';
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x200000) {  // beyond Unicode too: the wide-character tail
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.append("\xEF\xBF\xBD");
    }
}

// The characters of the text part of a cell string, decoded as
// Westring::FromUTF8 does: a byte that starts no complete sequence stands
// for itself. The text holds no 0 byte, so every character is counted.
Westring DecodeCellText(const unsigned char* text, size_t length) {
    Westring chars;
    (void)chars.FromUTF8(reinterpret_cast<const char*>(text), length);
    return chars;
}

// The longest prefix of a UTF-8 text within max bytes that does not cut a
// character in two.
size_t Utf8Prefix(const char* text, size_t length, size_t max) {
    if (length <= max) return length;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) end--;
    return end;
}

class CIntegerParameter : public CParameter {
public:
    explicit CIntegerParameter(int value) : value_(value) {}
    ParameterKind GetType() const override { return ParameterKind::Integer; }
    void StreamData(std::string& out) const override {
        PutU16(out, 4);
        uint32_t v = static_cast<uint32_t>(value_);
        for (int i = 0; i < 4; i++) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    bool Integer(int& value) const override {
        value = value_;
        return true;
    }

private:
    int value_;
};

class CStringParameter : public CParameter {
public:
    explicit CStringParameter(Estring value) : value_(std::move(value)) {}
    ParameterKind GetType() const override { return ParameterKind::String; }
    void StreamData(std::string& out) const override {
        size_t n = static_cast<size_t>(value_.strlen());
        PutU16(out, static_cast<uint16_t>(n));
        out.append(value_.c_str(), n);
    }
    bool String(Estring& value) const override {
        value = value_;
        return true;
    }

private:
    Estring value_;  // at most kMaxParameterData bytes
};

class CUnicodeStringParameter : public CParameter {
public:
    explicit CUnicodeStringParameter(std::string utf8) : utf8_(std::move(utf8)) {}
    ParameterKind GetType() const override { return ParameterKind::UnicodeString; }
    void StreamData(std::string& out) const override {
        PutU16(out, static_cast<uint16_t>(utf8_.size()));
        out.append(utf8_);
    }
    bool UnicodeString(Westring& value) const override {
        value = Westring();
        (void)value.FromUTF8(utf8_.data(), utf8_.size());  // invalid bytes stand for themselves
        return true;
    }

private:
    std::string utf8_;  // at most kMaxParameterData bytes
};

class CAttributeParameter : public CParameter {
public:
    explicit CAttributeParameter(unsigned char value) : value_(value) {}
    ParameterKind GetType() const override { return ParameterKind::Attribute; }
    void StreamData(std::string& out) const override {
        PutU16(out, 1);
        out.push_back(static_cast<char>(value_));
    }
    bool Attribute(unsigned char& value) const override {
        value = value_;
        return true;
    }

private:
    unsigned char value_;
};

// The characters in UTF-8, a 0 byte, one attribute byte per character. A
// cell's combining mark travels as a character of its own after it and
// joins that cell again when read.
class CCellStringParameter : public CParameter {
public:
    explicit CCellStringParameter(std::string data) : data_(std::move(data)) {}
    ParameterKind GetType() const override { return ParameterKind::CellString; }
    void StreamData(std::string& out) const override {
        PutU16(out, static_cast<uint16_t>(data_.size()));
        out.append(data_);
    }
    bool GetCellString(CellString& value) const override;

    static std::string Encode(const ScreenCell* cells, size_t count);
    // Whether data is well formed: a 0 byte, and as many attribute bytes
    // after it as there are characters before it.
    static bool Valid(const unsigned char* data, size_t length);

private:
    std::string data_;
};

std::string CCellStringParameter::Encode(const ScreenCell* cells, size_t count) {
    std::string chars, attrs;
    for (size_t i = 0; i < count; i++) {
        std::string one;
        AppendUtf8(one, cells[i].ch);
        size_t characters = 1;
        if (cells[i].mark != 0) {
            AppendUtf8(one, cells[i].mark);
            characters = 2;
        }
        // Only whole cells: a cut one would shift every cell after it.
        if (chars.size() + one.size() + 1 + attrs.size() + characters > kMaxParameterData) break;
        chars += one;
        attrs.append(characters, static_cast<char>(cells[i].attr));
    }
    chars.push_back('\0');
    return chars + attrs;
}

bool CCellStringParameter::Valid(const unsigned char* data, size_t length) {
    const void* zero = std::memchr(data, 0, length);
    if (!zero) return false;
    size_t textBytes = static_cast<size_t>(static_cast<const unsigned char*>(zero) - data);
    size_t characters = static_cast<size_t>(DecodeCellText(data, textBytes).strlen());
    return characters == length - textBytes - 1;
}

bool CCellStringParameter::GetCellString(CellString& value) const {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(data_.data());
    size_t textBytes = data_.find('\0');  // Valid has made sure it is there
    const unsigned char* attr = data + textBytes + 1;
    Westring chars = DecodeCellText(data, textBytes);
    value = CellString();
    ScreenCell* last = nullptr;
    for (const wchar_t* p = chars.c_str(); *p; p++, attr++) {
        wchar_t ch = *p;
        if (last && last->mark == 0 && CellWidth(ch) == 0) {
            last->mark = ch;
            continue;
        }
        value += ScreenCell(ch, 0, *attr);
        last = &value[value.length() - 1];
    }
    return true;
}

}  // namespace

CParameter::~CParameter() = default;

void CParameter::Stream(std::string& out) const {
    PutU16(out, static_cast<uint16_t>(GetType()));
    StreamData(out);
}

bool CParameter::Integer(int&) const { return false; }
bool CParameter::String(Estring&) const { return false; }
bool CParameter::UnicodeString(Westring&) const { return false; }
bool CParameter::Attribute(unsigned char&) const { return false; }
bool CParameter::GetCellString(CellString&) const { return false; }

CParameterList::CParameterList() = default;
CParameterList::~CParameterList() = default;
CParameterList::CParameterList(CParameterList&&) noexcept = default;
CParameterList& CParameterList::operator=(CParameterList&&) noexcept = default;

namespace {

// Whether a parameter of kind may have this length at all: integers and
// attributes have fixed sizes, and a cell string holds at least its 0 byte.
// Known from the parameter's header alone, before its data arrives.
bool LengthFitsKind(uint16_t kind, size_t length) {
    switch (static_cast<ParameterKind>(kind)) {
    case ParameterKind::Integer: return length >= 1 && length <= 4;
    case ParameterKind::Attribute: return length == 1;
    case ParameterKind::CellString: return length >= 1;
    default: return kind < kParameterKinds;
    }
}

}  // namespace

CParameterList::ReadResult CParameterList::Read(const unsigned char*& cursor, size_t& remaining) {
    if (remaining < 4) return ReadResult::NeedMore;
    uint16_t kind = GetU16(cursor);
    size_t length = GetU16(cursor + 2);
    if (kind >= kParameterKinds) return ReadResult::Bad;
    if (length > remaining - 4) return ReadResult::NeedMore;
    const unsigned char* data = cursor + 4;
    switch (static_cast<ParameterKind>(kind)) {
    case ParameterKind::Integer: {
        if (length < 1 || length > 4) return ReadResult::Bad;
        uint32_t value = 0;
        for (size_t i = 0; i < length; i++) value |= static_cast<uint32_t>(data[i]) << (8 * i);
        AddInteger(static_cast<int>(value));
        break;
    }
    case ParameterKind::String:
        items_.push_back(std::make_unique<CStringParameter>(
            Estring(reinterpret_cast<const char*>(data), static_cast<int>(length))));
        break;
    case ParameterKind::UnicodeString:
        items_.push_back(
            std::make_unique<CUnicodeStringParameter>(std::string(reinterpret_cast<const char*>(data), length)));
        break;
    case ParameterKind::Attribute:
        if (length != 1) return ReadResult::Bad;
        AddAttribute(data[0]);
        break;
    case ParameterKind::CellString:
        if (!CCellStringParameter::Valid(data, length)) return ReadResult::Bad;
        items_.push_back(
            std::make_unique<CCellStringParameter>(std::string(reinterpret_cast<const char*>(data), length)));
        break;
    }
    cursor += 4 + length;
    remaining -= 4 + length;
    return ReadResult::Read;
}

void CParameterList::AddInteger(int value) { items_.push_back(std::make_unique<CIntegerParameter>(value)); }

void CParameterList::AddString(const Estring& value) {
    int n = value.strlen();
    if (static_cast<size_t>(n) > kMaxParameterData) n = static_cast<int>(kMaxParameterData);
    items_.push_back(std::make_unique<CStringParameter>(Estring(value.c_str(), n)));
}

void CParameterList::AddUnicodeString(const Westring& value) {
    Estring utf8 = value.ToUTF8();
    size_t n = Utf8Prefix(utf8.c_str(), static_cast<size_t>(utf8.strlen()), kMaxParameterData);
    items_.push_back(std::make_unique<CUnicodeStringParameter>(std::string(utf8.c_str(), n)));
}

void CParameterList::AddAttribute(unsigned char value) {
    items_.push_back(std::make_unique<CAttributeParameter>(value));
}

void CParameterList::AddCellString(const ScreenCell* cells, size_t count) {
    items_.push_back(std::make_unique<CCellStringParameter>(CCellStringParameter::Encode(cells, count)));
}

void CParameterList::Stream(std::string& out) const {
    for (const auto& item : items_) item->Stream(out);
}

bool CParameterList::HasKinds(std::initializer_list<ParameterKind> kinds) const {
    if (kinds.size() != items_.size()) return false;
    size_t i = 0;
    for (ParameterKind kind : kinds)
        if (items_[i++]->GetType() != kind) return false;
    return true;
}

namespace {

std::string Encode(uint16_t marker, const uint16_t* code, const CParameterList& params) {
    std::string out;
    PutU16(out, marker);
    if (code) PutU16(out, *code);
    PutU16(out, static_cast<uint16_t>(params.Count()));
    params.Stream(out);
    return out;
}

// Checks the message's frame first, by its lengths alone, so that a message
// still arriving in pieces costs nothing to look at again; only a whole one
// is decoded.
MessageReadResult ReadMessage(uint16_t marker, bool hasCode, const unsigned char* bytes, size_t size,
                              RemoteMessage& message, size_t limit) {
    message.consumed = 0;
    message.code = 0;
    message.params.Clear();
    if (size >= 1 && bytes[0] != (marker & 0xFF)) return MessageReadResult::Bad;
    if (size < 2) return MessageReadResult::NeedMore;
    if (GetU16(bytes) != marker) return MessageReadResult::Bad;
    size_t header = hasCode ? 6 : 4;
    if (size < header) return MessageReadResult::NeedMore;
    size_t count = GetU16(bytes + header - 2);
    if (header + 4 * count > limit) return MessageReadResult::Bad;
    size_t end = header;
    for (size_t i = 0; i < count; i++) {
        if (size - end < 4) return MessageReadResult::NeedMore;
        // A header that cannot be right is refused at once, instead of
        // waiting for data that would only be refused when it came.
        if (!LengthFitsKind(GetU16(bytes + end), GetU16(bytes + end + 2))) return MessageReadResult::Bad;
        size_t next = end + 4 + GetU16(bytes + end + 2);
        if (next > limit) return MessageReadResult::Bad;
        if (next > size) return MessageReadResult::NeedMore;
        end = next;
    }
    message.consumed = end;
    const unsigned char* cursor = bytes + header;
    size_t remaining = end - header;
    for (size_t i = 0; i < count; i++) {
        if (message.params.Read(cursor, remaining) != MessageReadResult::Read) {
            message.params.Clear();
            return MessageReadResult::Bad;
        }
    }
    if (hasCode) message.code = GetU16(bytes + 2);
    return MessageReadResult::Read;
}

}  // namespace

std::string EncodeCommand(RemoteCommand command, const CParameterList& params) {
    uint16_t code = static_cast<uint16_t>(command);
    return Encode(kCommandMarker, &code, params);
}

std::string EncodeReply(const CParameterList& params) { return Encode(kCommandMarker, nullptr, params); }

std::string EncodeEvent(const CParameterList& params) { return Encode(kEventMarker, nullptr, params); }

MessageReadResult ReadCommand(const unsigned char* bytes, size_t size, RemoteMessage& message, size_t limit) {
    return ReadMessage(kCommandMarker, true, bytes, size, message, limit);
}

MessageReadResult ReadReply(const unsigned char* bytes, size_t size, RemoteMessage& message, size_t limit) {
    return ReadMessage(kCommandMarker, false, bytes, size, message, limit);
}

MessageReadResult ReadEvent(const unsigned char* bytes, size_t size, RemoteMessage& message, size_t limit) {
    return ReadMessage(kEventMarker, false, bytes, size, message, limit);
}
