// The window side of remote operation (see consoleserver.h). Every number
// in a command comes from the other host: rectangles are checked against
// the screen before a cell is allocated, and a message that can never be
// whole is skipped rather than waited for.
#include "remote/consoleserver.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned char kMarkerLow = kCommandMarker & 0xFF, kMarkerHigh = kCommandMarker >> 8;
// How long the input thread waits for an event before it looks whether it
// is to end.
constexpr int kEventWaitMs = 100;
// Cursor and selection positions are kept near the screen, so that no
// arithmetic on them can overflow.
constexpr int kPositionBound = 1 << 16;

bool IntAt(const CParameterList& params, size_t i, int& value) { return i < params.Count() && params[i].Integer(value); }

// The first n integers, all of them integers.
bool Ints(const CParameterList& params, int* values, size_t n) {
    for (size_t i = 0; i < n; i++)
        if (!IntAt(params, i, values[i])) return false;
    return true;
}

// An attribute: an attribute parameter, or an integer that fits in one.
bool AttrAt(const CParameterList& params, size_t i, unsigned char& attr) {
    if (i >= params.Count()) return false;
    if (params[i].Attribute(attr)) return true;
    int value;
    if (!params[i].Integer(value) || value < 0 || value > 255) return false;
    attr = static_cast<unsigned char>(value);
    return true;
}

// The rectangle lies wholly on a screen of columns x rows and is not empty.
bool RectOnScreen(int x, int y, int width, int height, int columns, int rows) {
    return x >= 0 && y >= 0 && width > 0 && height > 0 && width <= columns - x && height <= rows - y;
}

// The commands without parameters: with some, they are not what they seem.
bool TakesNothing(RemoteCommand command) {
    switch (command) {
    case RemoteCommand::BeginPaint:
    case RemoteCommand::EndPaint:
    case RemoteCommand::GetCursorPos:
    case RemoteCommand::GetSize:
    case RemoteCommand::GetCursorType:
    case RemoteCommand::GetClipText:
    case RemoteCommand::Beep:
    case RemoteCommand::GetSelectionZone:
    case RemoteCommand::ResetSelectionZone:
        return true;
    default:
        return false;
    }
}

int Bounded(int value) { return std::clamp(value, -kPositionBound, kPositionBound); }

// How many bytes at the end of text[0..n) start a UTF-8 character that has
// not arrived whole yet.
size_t IncompleteTail(const unsigned char* text, size_t n) {
    for (size_t back = 1; back <= 3 && back <= n; back++) {
        unsigned char b = text[n - back];
        if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        size_t needed = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
        return needed > back ? back : 0;
    }
    return 0;
}

}  // namespace

CConsoleServer::CConsoleServer(int descriptor, CConsole* console, bool forward_events)
    : descriptor_(descriptor), console_(console), forward_events_(forward_events) {
    console_->SetAttr(7);
    console_->SetCursorType(15);
}

CConsoleServer::~CConsoleServer() {
    Close();
    while (open_paints_ > 0) {
        console_->EndPaint();
        open_paints_--;
    }
}

void CConsoleServer::Close() {
    closing_ = true;
    (void)input_thread_.Wait();
}

// ---------------------------------------------------------------- receiving

void CConsoleServer::ProcessData(const void* bytes, size_t count) {
    const unsigned char* next = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        size_t take = std::min(count, sizeof buffer_ - used_);
        if (take == 0) {
            // Cannot happen: what stays behind is a message that fits, or a
            // few bytes of text. Should it ever, the oldest byte goes.
            std::memmove(buffer_, buffer_ + 1, --used_);
            continue;
        }
        std::memcpy(buffer_ + used_, next, take);
        used_ += take;
        next += take;
        count -= take;
        Consume();
    }
}

void CConsoleServer::Consume() {
    size_t start = 0;
    while (start < used_) {
        if (buffer_[start] != kMarkerLow || (start + 1 < used_ && buffer_[start + 1] != kMarkerHigh)) {
            // Text up to the next marker, or to the end less a marker's
            // first byte and a character that has not arrived whole.
            size_t end = start + 1;
            while (end < used_ && !(buffer_[end] == kMarkerLow && (end + 1 == used_ || buffer_[end + 1] == kMarkerHigh)))
                end++;
            // At the end of what has arrived (or before a lone marker byte
            // there) a character may still be coming.
            if (end + 1 >= used_) end -= IncompleteTail(buffer_ + start, end - start);
            if (end == start) break;
            if (!active_) ShowText(start, end);
            start = end;
            continue;
        }
        RemoteMessage message;
        MessageReadResult result = ReadCommand(buffer_ + start, used_ - start, message);
        if (result == MessageReadResult::NeedMore) break;
        if (result == MessageReadResult::Bad) {
            // Skip the bad message whole when its end is known, else its
            // marker, and look for the next one.
            start += message.consumed > 0 ? message.consumed : std::min<size_t>(2, used_ - start);
            continue;
        }
        start += message.consumed;
        Execute(message);
    }
    std::memmove(buffer_, buffer_ + start, used_ - start);
    used_ -= start;
}

void CConsoleServer::ShowText(size_t begin, size_t end) {
    // The console takes zero-terminated text: a 0 byte among the text ends
    // one piece and the next begins after it, so that the bytes on either
    // side of it never join into one character.
    const char* text = reinterpret_cast<const char*>(buffer_ + begin);
    const char* stop = reinterpret_cast<const char*>(buffer_ + end);
    while (text < stop) {
        const char* zero = static_cast<const char*>(std::memchr(text, 0, static_cast<size_t>(stop - text)));
        const char* piece_end = zero ? zero : stop;
        if (piece_end > text) console_->Write(std::string(text, piece_end).c_str());
        text = piece_end + (zero ? 1 : 0);
    }
}

// ---------------------------------------------------------------- commands

void CConsoleServer::Execute(const RemoteMessage& message) {
    const CParameterList& p = message.params;
    const size_t n = p.Count();
    int v[5];
    unsigned char attr;
    Estring narrow;
    Westring wide;
    CellString cells;
    if (message.code >= static_cast<uint16_t>(RemoteCommand::Count)) return;  // a later version's command
    if (n != 0 && TakesNothing(static_cast<RemoteCommand>(message.code))) return;
    switch (static_cast<RemoteCommand>(message.code)) {
    case RemoteCommand::Init:
        Init(p);
        break;
    case RemoteCommand::BeginPaint:
        console_->BeginPaint();
        open_paints_++;
        break;
    case RemoteCommand::EndPaint:
        if (open_paints_ > 0) {
            console_->EndPaint();
            open_paints_--;
        }
        break;
    case RemoteCommand::GetCursorPos:
        console_->GetCursorPos(v[0], v[1]);
        Reply({v[0], v[1]});
        break;
    case RemoteCommand::SetCursorPos:
        if (n == 2 && Ints(p, v, 2)) console_->SetCursorPos(Bounded(v[0]), Bounded(v[1]));
        break;
    case RemoteCommand::SetCodePage:
        if (n == 1 && Ints(p, v, 1)) console_->SetCodePage(v[0]);
        break;
    case RemoteCommand::GetSize:
        (void)console_->GetSize(v[0], v[1]);
        Reply({v[0], v[1]});
        break;
    case RemoteCommand::SetSize:
        SetSize(p);
        break;
    case RemoteCommand::Clear:
        if (n == 0) console_->Clear();
        else if (n == 5 && Ints(p, v, 4) && AttrAt(p, 4, attr)) console_->Clear(v[0], v[1], v[2], v[3], attr);
        break;
    case RemoteCommand::ScrollUp:
    case RemoteCommand::ScrollDown:
        if (n == 6 && Ints(p, v, 5) && AttrAt(p, 5, attr)) {
            if (message.code == static_cast<uint16_t>(RemoteCommand::ScrollUp))
                console_->ScrollUp(v[0], v[1], v[2], v[3], v[4], attr);
            else
                console_->ScrollDown(v[0], v[1], v[2], v[3], v[4], attr);
        }
        break;
    case RemoteCommand::SetTitle:
        if (n == 1 && p[0].String(narrow)) console_->SetTitle(narrow.c_str());
        else if (n == 1 && p[0].UnicodeString(wide)) console_->SetTitle(wide.c_str());
        break;
    case RemoteCommand::SetCursorType:
        if (n == 1 && Ints(p, v, 1)) console_->SetCursorType(v[0]);
        break;
    case RemoteCommand::GetCursorType:
        Reply({console_->GetCursorType()});
        break;
    case RemoteCommand::SetAttr:
        if (n == 1 && AttrAt(p, 0, attr)) console_->SetAttr(attr);
        break;
    case RemoteCommand::PutStringAt:
        PutStringAt(p);
        break;
    case RemoteCommand::FillCell:
        if (n == 4 && Ints(p, v, 3) && p[3].GetCellString(cells) && cells.length() > 0)
            console_->FillCell(v[0], v[1], v[2], cells[0]);
        break;
    case RemoteCommand::FillAttr:
        if (n == 4 && Ints(p, v, 3) && AttrAt(p, 3, attr)) console_->FillAttr(v[0], v[1], v[2], attr);
        break;
    case RemoteCommand::GetRect:
        GetRect(p);
        break;
    case RemoteCommand::PutRect:
        PutRect(p);
        break;
    case RemoteCommand::PutClipText:
        if (n == 1 && p[0].String(narrow)) console_->PutClipText(narrow.c_str());
        else if (n == 1 && p[0].UnicodeString(wide)) console_->PutClipText(wide.c_str());
        break;
    case RemoteCommand::GetClipText: {
        CParameterList reply;
        bool got = console_->GetClipText(wide);
        reply.AddInteger(got ? 1 : 0);
        reply.AddUnicodeString(got ? wide : Westring());
        (void)SendReply(reply);
        break;
    }
    case RemoteCommand::Write:
        if (n == 1 && p[0].String(narrow)) console_->Write(narrow.c_str());
        else if (n == 1 && p[0].UnicodeString(wide)) console_->Write(wide.ToUTF8().c_str());
        break;
    case RemoteCommand::Beep:
        console_->Beep();
        break;
    case RemoteCommand::SetSelectionZone:
        if (n == 4 && Ints(p, v, 4))
            console_->SetSelectionZone(CConsole::Rect{Bounded(v[0]), Bounded(v[1]), Bounded(v[2]), Bounded(v[3])});
        break;
    case RemoteCommand::GetSelectionZone: {
        CConsole::Rect zone;
        console_->GetSelectionZone(zone);
        Reply({zone.left, zone.top, zone.right, zone.bottom});
        break;
    }
    case RemoteCommand::ResetSelectionZone:
        console_->ResetSelectionZone();
        break;
    case RemoteCommand::Count:
        break;
    }
}

void CConsoleServer::Init(const CParameterList& params) {
    int version = 0;
    if (params.Count() != 1 || !IntAt(params, 0, version)) return;
    const bool accepted = version == 1;
    active_ = true;
    // Keys go to the event queue again, and from there to the remote end.
    console_->AttachTerminal(nullptr);
    if (!accepted) {
        failure_ = "Incorrect protocol version";
        Reply({0});
        // A Quit for the remote end, in the form this version knows and
        // with one parameter more for a later one.
        CParameterList quit;
        for (int i = 0; i < 5; i++) quit.AddInteger(i == 0 ? CConsole::TEvent::Quit : 0);
        (void)SendEvent(quit);
        quit.AddInteger(0);
        (void)SendEvent(quit);
        return;
    }
    if (forward_events_ && !input_thread_.Valid() && !closing_) input_thread_ = StartThread(InputThread, this);
    Reply({1});
}

void CConsoleServer::SetSize(const CParameterList& params) {
    int v[2], font_size = 0;
    Estring font;
    const size_t n = params.Count();
    bool well_formed = (n == 2 || (n == 4 && params[2].String(font) && IntAt(params, 3, font_size))) && Ints(params, v, 2);
    bool done = well_formed && v[0] >= 1 && v[1] >= 1 && v[0] <= kMaxSide && v[1] <= kMaxSide &&
                static_cast<long>(v[0]) * v[1] <= kMaxCells &&
                console_->SetSize(v[0], v[1], n == 4 ? font.c_str() : nullptr, font_size);
    Reply({done ? 1 : 0});
}

void CConsoleServer::GetRect(const CParameterList& params) {
    int v[4], columns, rows;
    (void)console_->GetSize(columns, rows);
    CParameterList reply;
    if (params.Count() == 4 && Ints(params, v, 4) && RectOnScreen(v[0], v[1], v[2], v[3], columns, rows)) {
        CellString cells;
        console_->GetRect(cells, v[0], v[1], v[2], v[3]);
        reply.AddCellString(cells.cells(), static_cast<size_t>(cells.length()));
    }
    (void)SendReply(reply);
}

void CConsoleServer::PutRect(const CParameterList& params) {
    int v[4], columns, rows;
    CellString cells;
    (void)console_->GetSize(columns, rows);
    if (params.Count() != 5 || !Ints(params, v, 4) || !RectOnScreen(v[0], v[1], v[2], v[3], columns, rows)) return;
    if (!params[4].GetCellString(cells) || cells.length() < static_cast<long>(v[2]) * v[3]) return;
    console_->PutRect(v[0], v[1], v[2], v[3], cells.cells());
}

void CConsoleServer::PutStringAt(const CParameterList& params) {
    int v[2];
    unsigned char attr;
    Estring narrow;
    Westring wide;
    CellString cells;
    if (!Ints(params, v, 2)) return;
    if (params.Count() == 4 && AttrAt(params, 3, attr)) {
        if (params[2].String(narrow)) console_->PutStringAt(v[0], v[1], narrow.c_str(), attr);
        else if (params[2].UnicodeString(wide)) console_->PutStringAt(v[0], v[1], wide.c_str(), attr);
    } else if (params.Count() == 3 && params[2].GetCellString(cells)) {
        // The console takes cells up to a terminating one.
        std::vector<ScreenCell> row(cells.cells(), cells.cells() + cells.length());
        row.push_back(ScreenCell(0, 0));
        console_->PutStringAt(v[0], v[1], row.data());
    }
}

// ---------------------------------------------------------------- sending

void CConsoleServer::Reply(std::initializer_list<int> values) {
    CParameterList reply;
    for (int value : values) reply.AddInteger(value);
    (void)SendReply(reply);
}

bool CConsoleServer::SendReply(const CParameterList& params) { return WriteMessage(EncodeReply(params)); }

bool CConsoleServer::SendEvent(const CParameterList& params) { return WriteMessage(EncodeEvent(params)); }

bool CConsoleServer::WriteMessage(const std::string& message) {
    std::lock_guard<std::mutex> hold(write_lock_);
    size_t done = 0;
    while (done < message.size() && !broken_) {
        ssize_t n = write(descriptor_, message.data() + done, message.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !closing_ && break_status != 2) {
            // A descriptor that does not block: wait until the other side
            // reads. A remote end that never does is left with Break.
            pollfd waiting{descriptor_, POLLOUT, 0};
            (void)poll(&waiting, 1, kEventWaitMs);
        } else {
            broken_ = true;  // EPIPE and the like: the remote end has gone
        }
    }
    return !broken_;
}

// ---------------------------------------------------------------- events

void CConsoleServer::InputThread(void* self) { static_cast<CConsoleServer*>(self)->ForwardEvents(); }

void CConsoleServer::ForwardEvents() {
    while (!closing_ && !broken_) {
        CConsole::TEvent event;
        if (!console_->GetEvent(event, kEventWaitMs)) continue;
        CParameterList params;
        for (int value : {event.type, event.key, event.shift, event.x, event.y, event.unicode}) params.AddInteger(value);
        if (!SendEvent(params)) break;
    }
}
