// The window side of remote operation fed bytes as the connection brings
// them, against a headless console, with its replies and events read back
// from a pipe: what the remote end asks for reaches the screen, and what a
// broken or hostile remote end sends neither stalls the stream nor makes
// the window allocate without bound.
#include "remote/consoleserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/headless_console.h"

namespace {

std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string Command(RemoteCommand command, std::initializer_list<int> ints) {
    CParameterList params;
    for (int v : ints) params.AddInteger(v);
    return EncodeCommand(command, params);
}

std::string CellCommand(RemoteCommand command, std::initializer_list<int> ints, const CellString& cells) {
    CParameterList params;
    for (int v : ints) params.AddInteger(v);
    params.AddCellString(cells.cells(), static_cast<size_t>(cells.length()));
    return EncodeCommand(command, params);
}

std::string Raw(uint16_t code, uint16_t count, const std::string& params) {
    return U16(kCommandMarker) + U16(code) + U16(count) + params;
}

CellString Cells(const wchar_t* text, std::initializer_list<unsigned char> attrs) {
    CellString cells;
    const unsigned char* attr = attrs.begin();
    for (const wchar_t* p = text; *p; p++) cells += ScreenCell(*p, *attr++);
    return cells;
}

struct Received {
    bool event;
    std::vector<int> ints;
    int params;
};

class RemoteServer : public ::testing::Test {
protected:
    RemoteServer() : hc(80, 25) {
        signal(SIGPIPE, SIG_IGN);
        EXPECT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        server = std::make_unique<CConsoleServer>(fds[1], console);
    }
    ~RemoteServer() override {
        server.reset();
        if (fds[0] >= 0) close(fds[0]);
        close(fds[1]);
    }

    void Feed(const std::string& bytes) { server->ProcessData(bytes.data(), bytes.size()); }

    // The messages written back so far (waiting up to a few seconds for at
    // least `least` of them, for events from the input thread).
    std::vector<Received> Replies(size_t least = 0) {
        for (int tries = 0; tries < 50; tries++) {
            char chunk[4096];
            ssize_t n;
            while ((n = read(fds[0], chunk, sizeof chunk)) > 0) pending.append(chunk, static_cast<size_t>(n));
            if (Parse() >= least) break;
            pollfd waiting{fds[0], POLLIN, 0};
            (void)poll(&waiting, 1, 100);
        }
        std::vector<Received> out;
        out.swap(parsed);
        return out;
    }

    size_t Parse() {
        while (pending.size() >= 2) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pending.data());
            bool event = bytes[0] == (kEventMarker & 0xFF);
            RemoteMessage message;
            MessageReadResult result = event ? ReadEvent(bytes, pending.size(), message)
                                             : ReadReply(bytes, pending.size(), message);
            if (result == MessageReadResult::NeedMore) break;
            EXPECT_EQ(result, MessageReadResult::Read) << "the server wrote a malformed message";
            if (result != MessageReadResult::Read) break;
            Received r{event, {}, static_cast<int>(message.params.Count())};
            for (size_t i = 0; i < message.params.Count(); i++) {
                int v;
                if (message.params[i].Integer(v)) r.ints.push_back(v);
            }
            parsed.push_back(r);
            pending.erase(0, message.consumed);
        }
        return parsed.size();
    }

    ScreenCell Cell(int x, int y) { return console->cell(x, y); }
    // The row's text without its trailing blanks.
    std::string Row(int y) {
        std::string text = hc.RowText(y);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    }

    CHeadlessConsole hc;
    int fds[2] = {-1, -1};
    std::unique_ptr<CConsoleServer> server;
    std::string pending;
    std::vector<Received> parsed;
};

TEST_F(RemoteServer, TextShowsUntilInitAndIsDroppedAfter) {
    console->SetCursorPos(0, 0);
    // A two-byte character split between two reads arrives whole.
    Feed("Password: caf\xC3");
    Feed("\xA9 ok");
    EXPECT_EQ(Row(0), "Password: caf\xC3\xA9 ok");
    // 0xBF ends an inverted question mark as well as beginning a marker:
    // held back at the end of a read, it is text when no 0xFB follows.
    Feed(" \xC2\xBF");
    Feed("x\r\n");
    EXPECT_EQ(Row(0), "Password: caf\xC3\xA9 ok \xC2\xBFx");
    EXPECT_FALSE(server->Active());
    // A marker split between two reads is still a marker.
    std::string init = Command(RemoteCommand::Init, {1});
    Feed(init.substr(0, 1));
    Feed(init.substr(1) + "stray text");
    EXPECT_TRUE(server->Active());
    EXPECT_EQ(Row(0), "Password: caf\xC3\xA9 ok \xC2\xBFx");
    EXPECT_EQ(Row(1), "");
    std::vector<Received> replies = Replies();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].ints, std::vector<int>{1});
    EXPECT_EQ(server->Failure(), nullptr);
}

TEST_F(RemoteServer, SplitMessageIsCarriedOutOnceWhenWhole) {
    std::string message = CellCommand(RemoteCommand::PutStringAt, {5, 2}, Cells(L"xyz", {0x1E, 0x2F, 0x40}));
    std::string query = Command(RemoteCommand::GetCursorPos, {});
    std::string both = message + query;
    for (size_t i = 0; i + 1 < both.size(); i++) {
        Feed(both.substr(i, 1));
        if (i + 1 < message.size()) {
            ASSERT_EQ(Cell(5, 2).ch, L' ') << "carried out at byte " << i;
        }
    }
    EXPECT_TRUE(Replies().empty());
    Feed(both.substr(both.size() - 1));
    // Three cells, each with its own attribute.
    EXPECT_EQ(Cell(5, 2), ScreenCell(L'x', 0x1E));
    EXPECT_EQ(Cell(6, 2), ScreenCell(L'y', 0x2F));
    EXPECT_EQ(Cell(7, 2), ScreenCell(L'z', 0x40));
    EXPECT_EQ(Cell(8, 2).ch, L' ');
    EXPECT_EQ(Replies().size(), 1u);
}

TEST_F(RemoteServer, BadMessagesAreSkippedAndTheStreamGoesOn) {
    Feed(Command(RemoteCommand::Init, {1}));
    const std::string put = CellCommand(RemoteCommand::PutStringAt, {0, 3}, Cells(L"ok", {7, 7}));
    const std::string bad[] = {
        Raw(15, 3, U16(9) + U16(2) + "zz"),          // a parameter of an unknown kind
        Raw(19, 2, U16(4) + U16(0xFFFF)),            // lengths no receive buffer holds
        Raw(19, 0xFFFF, ""),                         // more parameters than it holds
        Raw(15, 1, U16(4) + U16(3) + "ab\x07"),     // a cell string without its 0 byte
        Raw(27, 1, U16(0) + U16(4) + "abcd"),       // commands of a later version
        Raw(0x7FFF, 0, ""),
    };
    for (const std::string& b : bad) {
        console->Clear();
        Feed(b);
        Feed(put);
        EXPECT_EQ(Row(3), "ok") << "stalled after a bad message";
    }
    // Wrong counts and kinds do nothing and answer nothing.
    (void)Replies();
    Feed(Raw(3, 1, U16(0) + U16(4) + std::string(4, '\0')) + Command(RemoteCommand::SetCursorPos, {1}));
    EXPECT_TRUE(Replies().empty());
}

TEST_F(RemoteServer, RectanglesAreCheckedAgainstTheScreen) {
    Feed(CellCommand(RemoteCommand::PutStringAt, {78, 24}, Cells(L"AB", {0x17, 0x71})));
    // Inside: the cells row by row.
    Feed(Command(RemoteCommand::GetRect, {78, 23, 2, 2}));
    // Outside, reaching beyond, empty, and so large that w * h overflows:
    // an empty reply each, and nothing allocated.
    for (auto r : {std::vector<int>{79, 0, 2, 1}, {0, 24, 1, 2}, {-1, 0, 2, 2}, {0, 0, 0, 5},
                   {0, 0, 65536, 65536}, {0x7FFFFFFF, 0, 0x7FFFFFFF, 1}})
        Feed(Command(RemoteCommand::GetRect, {r[0], r[1], r[2], r[3]}));
    Feed(Command(RemoteCommand::GetRect, {1, 2, 3}));  // a parameter short: still answered
    std::vector<Received> replies = Replies();
    ASSERT_EQ(replies.size(), 8u);
    for (size_t i = 1; i < replies.size(); i++) EXPECT_EQ(replies[i].params, 0) << "reply " << i;

    // PutRect with fewer cells than the rectangle holds is refused whole.
    CellString four = Cells(L"abcd", {1, 2, 3, 4});
    Feed(CellCommand(RemoteCommand::PutRect, {0, 0, 2, 2}, four.left(3)));
    Feed(CellCommand(RemoteCommand::PutRect, {79, 0, 2, 2}, four));
    Feed(CellCommand(RemoteCommand::PutRect, {0, 0, 0x10000, 0x10000}, four));
    EXPECT_EQ(Row(0), "");
    Feed(CellCommand(RemoteCommand::PutRect, {0, 0, 2, 2}, four));
    EXPECT_EQ(Cell(0, 0), ScreenCell(L'a', 1));
    EXPECT_EQ(Cell(1, 0), ScreenCell(L'b', 2));
    EXPECT_EQ(Cell(0, 1), ScreenCell(L'c', 3));
    EXPECT_EQ(Cell(1, 1), ScreenCell(L'd', 4));
}

TEST_F(RemoteServer, GetRectReadsBackWhatPutRectWrote) {
    CellString cells;
    for (int i = 0; i < 12; i++) cells += ScreenCell(static_cast<wchar_t>(L'a' + i), static_cast<unsigned char>(i * 17));
    Feed(CellCommand(RemoteCommand::PutRect, {10, 5, 4, 3}, cells));
    // The reply holds a cell string; read it back through the codec.
    Feed(Command(RemoteCommand::GetRect, {10, 5, 4, 3}));
    char chunk[4096];
    ssize_t n = read(fds[0], chunk, sizeof chunk);
    ASSERT_GT(n, 0);
    RemoteMessage reply;
    ASSERT_EQ(ReadReply(reinterpret_cast<unsigned char*>(chunk), static_cast<size_t>(n), reply), MessageReadResult::Read);
    CellString back;
    ASSERT_TRUE(reply.params.Count() == 1 && reply.params[0].GetCellString(back));
    ASSERT_EQ(back.length(), 12);
    for (int i = 0; i < 12; i++) EXPECT_EQ(back[i], cells[i]) << i;
}

TEST_F(RemoteServer, ARectangleTooLargeForOneReplyComesBackAsItsFirstCells) {
    Feed(Command(RemoteCommand::SetSize, {400, 200}));
    console->FillCell(0, 0, 400, ScreenCell(L'\u00e9', 0x1F));
    (void)Replies();
    Feed(Command(RemoteCommand::GetRect, {0, 0, 400, 200}));
    std::string reply;
    char chunk[65536];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) reply.append(chunk, static_cast<size_t>(n));
    // Within the other side's receive buffer, and whole cells from the start.
    RemoteMessage message;
    ASSERT_EQ(ReadReply(reinterpret_cast<const unsigned char*>(reply.data()), reply.size(), message),
              MessageReadResult::Read);
    CellString back;
    ASSERT_TRUE(message.params[0].GetCellString(back));
    ASSERT_GT(back.length(), 400);
    EXPECT_LT(back.length(), 400 * 200);
    EXPECT_EQ(back[399], ScreenCell(L'\u00e9', 0x1F));
    EXPECT_EQ(back[400], ScreenCell(L' ', 0x07));
}

TEST_F(RemoteServer, ScreenSizesAreBounded) {
    Feed(Command(RemoteCommand::SetSize, {100000, 100000}));
    Feed(Command(RemoteCommand::SetSize, {CConsoleServer::kMaxSide + 1, 2}));
    Feed(Command(RemoteCommand::SetSize, {1000, 1000}));  // each side allowed, the cells not
    Feed(Command(RemoteCommand::SetSize, {0, 25}));
    Feed(Command(RemoteCommand::SetSize, {100}));  // malformed: answered all the same
    Feed(Command(RemoteCommand::GetSize, {}));
    Feed(Command(RemoteCommand::SetSize, {100, 30}));
    Feed(Command(RemoteCommand::GetSize, {}));
    std::vector<Received> replies = Replies();
    ASSERT_EQ(replies.size(), 8u);
    for (int i = 0; i < 5; i++) EXPECT_EQ(replies[i].ints, std::vector<int>{0}) << i;
    EXPECT_EQ(replies[5].ints, (std::vector<int>{80, 25}));
    EXPECT_EQ(replies[6].ints, std::vector<int>{1});
    EXPECT_EQ(replies[7].ints, (std::vector<int>{100, 30}));
}

TEST_F(RemoteServer, WrongVersionIsRefusedWithAQuit) {
    Feed(Command(RemoteCommand::Init, {2}));
    ASSERT_NE(server->Failure(), nullptr);
    EXPECT_STREQ(server->Failure(), "Incorrect protocol version");
    std::vector<Received> replies = Replies(3);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_FALSE(replies[0].event);
    EXPECT_EQ(replies[0].ints, std::vector<int>{0});
    EXPECT_TRUE(replies[1].event);
    EXPECT_EQ(replies[1].ints, (std::vector<int>{CConsole::TEvent::Quit, 0, 0, 0, 0}));
    EXPECT_EQ(replies[2].ints, (std::vector<int>{CConsole::TEvent::Quit, 0, 0, 0, 0, 0}));
    // No input thread: the window's events stay in its queue.
    hc.PostKey('q');
    EXPECT_EQ(console->GetEventQueueLen(), 1);
}

TEST_F(RemoteServer, EventsGoToTheRemoteEndUntilTheConnectionBreaks) {
    Feed(Command(RemoteCommand::Init, {1}));
    (void)Replies(1);
    CConsole::TEvent click;
    click.type = CConsole::TEvent::ButtonPress;
    click.key = 1;
    click.shift = CConsole::TEvent::Ctrl;
    click.x = 12;
    click.y = 7;
    hc.Post(click);
    hc.PostKey(0x263A, 0, 0x263A);
    std::vector<Received> events = Replies(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].event);
    EXPECT_EQ(events[0].ints, (std::vector<int>{1, 1, CConsole::TEvent::Ctrl, 12, 7, 0}));
    EXPECT_EQ(events[1].ints, (std::vector<int>{0, 0x263A, 0, 0, 0, 0x263A}));
    // The other side goes: writing fails instead of killing the program,
    // and the input thread ends (the destructor would wait forever else).
    close(fds[0]);
    fds[0] = -1;
    hc.PostKey('x');
    CParameterList none;
    for (int i = 0; i < 50 && !server->Broken(); i++) (void)poll(nullptr, 0, 100);
    EXPECT_TRUE(server->Broken());
    EXPECT_FALSE(server->SendReply(none));
}

}  // namespace
