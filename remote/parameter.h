// The wire form of remote operation: typed parameters and the command,
// reply and event messages built from them. The window side and the remote
// end share it. All numbers are little-endian.
//
//   parameter: u16 kind, u16 length in bytes, the data
//   command:   u16 kCommandMarker, u16 command code, u16 count, parameters
//   reply:     u16 kCommandMarker, u16 count, parameters
//   event:     u16 kEventMarker, u16 count, parameters
//
// Everything read here comes from another process over a connection, so
// every length is checked against the bytes that exist before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "console/cells.h"
#include "lib/estring.h"
#include "lib/westring.h"

enum class ParameterKind : uint16_t { Integer = 0, String = 1, UnicodeString = 2, Attribute = 3, CellString = 4 };
constexpr uint16_t kParameterKinds = 5;

constexpr uint16_t kCommandMarker = 0xFBBF;
constexpr uint16_t kEventMarker = 0xFDDF;

// The window side's receive buffer: no message longer than this can ever
// be carried out, so the remote end keeps each message below it.
constexpr size_t kReceiveBufferSize = 64 * 1024;
// The most bytes the codec puts into one parameter's data. The 16-bit
// length would allow 65535, but then a reply of one large parameter (a
// rectangle's cells, the clipboard's text) would not fit the other side's
// receive buffer; with this a message of a few integers and one large
// parameter always does. Readers take any 16-bit length that fits.
constexpr size_t kMaxParameterData = kReceiveBufferSize - 64;

enum class RemoteCommand : uint16_t {
    Init = 0, BeginPaint, EndPaint, GetCursorPos, SetCursorPos, SetCodePage, GetSize, SetSize, Clear, ScrollUp,
    ScrollDown, SetTitle, SetCursorType, GetCursorType, SetAttr, PutStringAt, FillCell, FillAttr, GetRect, PutRect,
    PutClipText, GetClipText, Write, Beep, SetSelectionZone, GetSelectionZone, ResetSelectionZone, Count
};

// One parameter. The accessors give its value when it is of their kind and
// return false for any other kind.
class CParameter {
public:
    virtual ~CParameter();
    virtual ParameterKind GetType() const = 0;
    // The u16 length and the data.
    virtual void StreamData(std::string& out) const = 0;
    // The u16 kind, then StreamData.
    void Stream(std::string& out) const;

    virtual bool Integer(int& value) const;
    virtual bool String(Estring& value) const;
    virtual bool UnicodeString(Westring& value) const;
    virtual bool Attribute(unsigned char& value) const;
    virtual bool GetCellString(CellString& value) const;
};

// An ordered list of parameters, which it owns.
class CParameterList {
public:
    // Read: one parameter was taken. NeedMore: its bytes have not all
    // arrived. Bad: an unknown kind or data that can never be valid.
    enum class ReadResult { Read, NeedMore, Bad };

    CParameterList();
    ~CParameterList();
    CParameterList(CParameterList&&) noexcept;
    CParameterList& operator=(CParameterList&&) noexcept;
    CParameterList(const CParameterList&) = delete;
    CParameterList& operator=(const CParameterList&) = delete;

    // Reads one parameter from cursor and appends it; cursor and remaining
    // move past it only when the result is Read.
    [[nodiscard]] ReadResult Read(const unsigned char*& cursor, size_t& remaining);

    void AddInteger(int value);
    // Data beyond kMaxParameterData bytes is cut off (a UTF-8 text at a
    // character boundary; a cell string after its last whole cell).
    void AddString(const Estring& value);
    void AddUnicodeString(const Westring& value);
    void AddAttribute(unsigned char value);
    void AddCellString(const ScreenCell* cells, size_t count);

    size_t Count() const { return items_.size(); }
    const CParameter& operator[](size_t i) const { return *items_[i]; }
    void Clear() { items_.clear(); }

    // Each parameter in turn.
    void Stream(std::string& out) const;

    // Whether the parameters have exactly these kinds, in this order.
    bool HasKinds(std::initializer_list<ParameterKind> kinds) const;

private:
    std::vector<std::unique_ptr<CParameter>> items_;
};

// Whole messages, ready to write.
std::string EncodeCommand(RemoteCommand command, const CParameterList& params);
std::string EncodeReply(const CParameterList& params);
std::string EncodeEvent(const CParameterList& params);

// One message read from the front of a buffer.
struct RemoteMessage {
    uint16_t code = 0;  // the command code; 0 for replies and events
    CParameterList params;
    size_t consumed = 0;  // its bytes: when Read, and when Bad but its extent is known
};

// Reads one whole message from the front of bytes, which must begin with
// the marker. NeedMore: the message is not complete yet but fits in limit
// bytes. Bad: the marker is wrong, a parameter has an unknown kind or bad
// data, or the message's declared lengths need more than limit bytes, so
// it can never complete. On Bad, message.consumed is the message's length
// when all its bytes are there (skip it whole), else 0 (skip the marker and
// look for the next one).
using MessageReadResult = CParameterList::ReadResult;
[[nodiscard]] MessageReadResult ReadCommand(const unsigned char* bytes, size_t size, RemoteMessage& message,
                                            size_t limit = kReceiveBufferSize);
[[nodiscard]] MessageReadResult ReadReply(const unsigned char* bytes, size_t size, RemoteMessage& message,
                                          size_t limit = kReceiveBufferSize);
[[nodiscard]] MessageReadResult ReadEvent(const unsigned char* bytes, size_t size, RemoteMessage& message,
                                          size_t limit = kReceiveBufferSize);
