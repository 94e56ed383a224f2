// The wire codec of remote operation: what one side writes the other reads
// back unchanged, and bytes from the connection that are cut short, of an
// unknown kind or malformed are told apart.
#include "remote/parameter.h"

#include <gtest/gtest.h>

#include <string>

#include "console/cells.h"

namespace {

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string Param(uint16_t kind, const std::string& data) { return U16(kind) + U16(static_cast<uint16_t>(data.size())) + data; }

std::string Command(uint16_t code, uint16_t count, const std::string& params) {
    return U16(kCommandMarker) + U16(code) + U16(count) + params;
}

TEST(RemoteParameter, CellStringsComeBackCellForCell) {
    // Plain, two-byte, three-byte and four-byte characters, a wide character
    // with its tail, a cell with a combining mark, and a 0 character (which
    // would end the text) sent as a blank.
    CellString cells;
    cells += ScreenCell(L'a', 0x17);
    cells += ScreenCell(L'\u00e9', 0x20);
    cells += ScreenCell(L'\u4e2d', 0x31);
    cells += ScreenCell(kWideTail, 0x31);
    cells += ScreenCell(static_cast<wchar_t>(0x1F600), 0x4F);
    cells += ScreenCell(L'e', L'\u0301', 0x07);
    cells += ScreenCell(L'\0', 0x70);
    CParameterList out;
    out.AddCellString(cells.cells(), cells.length());
    std::string wire = EncodeCommand(RemoteCommand::PutRect, out);

    RemoteMessage message;
    ASSERT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Read);
    EXPECT_EQ(message.consumed, wire.size());
    EXPECT_EQ(message.code, static_cast<uint16_t>(RemoteCommand::PutRect));
    ASSERT_EQ(message.params.Count(), 1u);
    CellString back;
    ASSERT_TRUE(message.params[0].GetCellString(back));
    ASSERT_EQ(back.length(), cells.length());
    for (int i = 0; i < 6; i++) EXPECT_EQ(back[i], cells[i]) << "cell " << i;
    EXPECT_EQ(back[6], ScreenCell(L' ', 0x70));
    int value;
    EXPECT_FALSE(message.params[0].Integer(value));
}

TEST(RemoteParameter, ValuesOfEveryKindRoundTrip) {
    CParameterList out;
    out.AddInteger(-5);
    out.AddInteger(0x7FFFFFFF);
    out.AddString("narrow");
    out.AddUnicodeString(Westring(L"\u00fcber \u4e2d"));
    out.AddAttribute(0x9E);
    std::string wire = EncodeEvent(out);
    RemoteMessage message;
    ASSERT_EQ(ReadEvent(Bytes(wire), wire.size(), message), MessageReadResult::Read);
    ASSERT_TRUE(message.params.HasKinds({ParameterKind::Integer, ParameterKind::Integer, ParameterKind::String,
                                          ParameterKind::UnicodeString, ParameterKind::Attribute}));
    int a, b;
    Estring narrow;
    Westring wide;
    unsigned char attr;
    ASSERT_TRUE(message.params[0].Integer(a) && message.params[1].Integer(b));
    EXPECT_EQ(a, -5);
    EXPECT_EQ(b, 0x7FFFFFFF);
    ASSERT_TRUE(message.params[2].String(narrow));
    EXPECT_EQ(narrow, "narrow");
    ASSERT_TRUE(message.params[3].UnicodeString(wide));
    EXPECT_TRUE(SameChars(wide, Westring(L"\u00fcber \u4e2d")));
    ASSERT_TRUE(message.params[4].Attribute(attr));
    EXPECT_EQ(attr, 0x9E);
    // An event is not a reply: its marker differs.
    EXPECT_EQ(ReadReply(Bytes(wire), wire.size(), message), MessageReadResult::Bad);
}

TEST(RemoteParameter, ShortIntegersAreZeroExtended) {
    std::string wire = Command(4, 3, Param(0, "\xFF\xFF") + Param(0, "\x80") + Param(0, std::string("\x01\x00\x00", 3)));
    RemoteMessage message;
    ASSERT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Read);
    int v[3];
    for (int i = 0; i < 3; i++) ASSERT_TRUE(message.params[i].Integer(v[i]));
    EXPECT_EQ(v[0], 0xFFFF);
    EXPECT_EQ(v[1], 0x80);
    EXPECT_EQ(v[2], 1);
}

TEST(RemoteParameter, MalformedParametersAreBadAndTheirExtentKnown) {
    // Sizes no integer or attribute can have are bad from the header alone,
    // before the data they announce has come.
    for (const std::string& header : {Param(0, ""), U16(0) + U16(5), U16(3) + U16(2), U16(3) + U16(0x4000)}) {
        std::string wire = Command(15, 1, header);
        RemoteMessage message;
        EXPECT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Bad);
    }
    const std::string bad[] = {
        Param(4, "abc\x07\x07\x07"),                 // cell string without its 0 byte
        Param(4, std::string("abc\0\x07\x07", 6)),   // one attribute short
        Param(4, std::string("ab\0\x07\x07\x07", 6)),  // one attribute over
        Param(4, std::string("\xE4\xB8\xAD\0\x07\x07", 6)),  // one character of three bytes, two attributes
    };
    for (const std::string& p : bad) {
        std::string wire = Command(15, 1, p) + Command(23, 0, "");
        RemoteMessage message;
        EXPECT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Bad);
        // The whole message is there, so it can be skipped whole and the next read.
        EXPECT_EQ(message.consumed, Command(15, 1, p).size());
    }
}

TEST(RemoteParameter, SplitMessagesWaitAndImpossibleOnesAreBad) {
    CParameterList out;
    out.AddInteger(3);
    out.AddString("title");
    std::string wire = EncodeCommand(RemoteCommand::SetTitle, out);
    RemoteMessage message;
    for (size_t cut = 0; cut < wire.size(); cut++)
        EXPECT_EQ(ReadCommand(Bytes(wire), cut, message), MessageReadResult::NeedMore) << "cut at " << cut;
    EXPECT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Read);

    // An unknown kind is bad as soon as its header is there, whatever follows.
    std::string unknown = Command(15, 2, Param(9, "xx"));
    EXPECT_EQ(ReadCommand(Bytes(unknown), unknown.size(), message), MessageReadResult::Bad);
    EXPECT_EQ(message.consumed, 0u);
    // Declared lengths that cannot fit into the receive buffer: bad at once,
    // not waited for.
    std::string huge = Command(19, 2, U16(4) + U16(0xFFFF));
    EXPECT_EQ(ReadCommand(Bytes(huge), huge.size(), message), MessageReadResult::Bad);
    std::string many = Command(19, 0xFFFF, "");
    EXPECT_EQ(ReadCommand(Bytes(many), many.size(), message), MessageReadResult::Bad);
    // Text that is no message at all.
    EXPECT_EQ(ReadCommand(Bytes(std::string("x")), 1, message), MessageReadResult::Bad);
}

TEST(RemoteParameter, OverlongDataIsCutToWholeCharactersAndCells) {
    // 30000 two-byte characters: 60000 bytes, more than one parameter holds
    // once the attributes are added. Only whole cells go, and what goes
    // reads back, with the integers of a command beside it, within the
    // receive buffer.
    CellString cells;
    for (int i = 0; i < 30000; i++) cells += ScreenCell(L'\u00e9', static_cast<unsigned char>(i));
    CParameterList rect;
    for (int i = 0; i < 4; i++) rect.AddInteger(i);
    rect.AddCellString(cells.cells(), cells.length());
    std::string wire = EncodeCommand(RemoteCommand::PutRect, rect);
    RemoteMessage message;
    ASSERT_EQ(ReadCommand(Bytes(wire), wire.size(), message), MessageReadResult::Read);
    CellString back;
    ASSERT_TRUE(message.params[4].GetCellString(back));
    EXPECT_EQ(back.length(), static_cast<int>((kMaxParameterData - 1) / 3));  // two bytes and an attribute each, and the 0 byte
    EXPECT_EQ(back[back.length() - 1], cells[back.length() - 1]);

    CParameterList clip;
    clip.AddInteger(1);
    clip.AddUnicodeString(String(L'\u4e2d', 30000));  // 90000 bytes of UTF-8
    wire = EncodeReply(clip);
    ASSERT_EQ(ReadReply(Bytes(wire), wire.size(), message), MessageReadResult::Read);
    Westring text;
    ASSERT_TRUE(message.params[1].UnicodeString(text));
    EXPECT_EQ(text.strlen(), static_cast<int>(kMaxParameterData / 3));
    EXPECT_EQ(text[text.strlen() - 1], L'\u4e2d');
}

}  // namespace
