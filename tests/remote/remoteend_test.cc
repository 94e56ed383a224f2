// The remote end's view and link against a window in the test: what the
// window shows must be what the console holds, and what the window sends
// must arrive as console events.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "console/console.h"
#include "remote/remoteendlink.h"
#include "remote/remoteendview.h"
#include "tests/remote/remoteend_window.h"

namespace {

// A console over the remote end's view, talking to a test window.
class RemoteEndTest : public ::testing::Test {
protected:
    void Open(int columns = 80, int rows = 25, bool non_blocking = false) {
        window_ = std::make_unique<CTestWindow>(columns, rows);
        if (non_blocking) window_->SetRemoteSideNonBlocking();
        view_ = new CRemoteEndView(window_->MakeLink());
        Estring message;
        ASSERT_TRUE(view_->Handshake(message)) << message.c_str();
        console_ = std::make_unique<CConsole>(view_);
    }
    void TearDown() override {
        console_.reset();
        window_.reset();
    }

    // Waits until the window has carried out everything sent so far: its
    // answer to a request comes after all commands before it.
    void Sync() {
        Westring clip;
        ASSERT_TRUE(console_->GetClipText(clip));
    }

    // Cells where the window differs from the console.
    int Mismatches() {
        Sync();
        int count = 0;
        EXPECT_EQ(window_->Columns(), console_->columns());
        EXPECT_EQ(window_->Rows(), console_->rows());
        for (int y = 0; y < console_->rows(); y++) {
            for (int x = 0; x < console_->columns(); x++) {
                if (window_->Cell(x, y) != console_->cell(x, y)) count++;
            }
        }
        return count;
    }

    size_t BytesOf(RemoteCommand code) {
        size_t bytes = 0;
        for (const auto& command : window_->Commands()) {
            if (command.code == code) bytes += command.bytes;
        }
        return bytes;
    }

    // The next event of the console, waiting a while for it.
    CConsole::TEvent NextEvent() {
        CConsole::TEvent event;
        event.type = -1;
        EXPECT_TRUE(console_->GetEvent(event, 10000)) << "no event arrived";
        return event;
    }

    // A panel-like screen: frames, names of several scripts, colours.
    void PaintPanels() {
        console_->BeginPaint();
        console_->Clear(0, 0, console_->columns(), console_->rows(), 0x17);
        for (int y = 1; y < console_->rows() - 2; y++) {
            Westring line = Westring(L"\u2551 файл") + Westring(std::to_string(y).c_str()) + L".txt \u2502 €uro 中文 ";
            console_->PutStringAt(0, y, line.c_str(), static_cast<unsigned char>(0x10 + y % 7));
            console_->PutStringAt(console_->columns() / 2, y, line.c_str(), 0x1E);
        }
        console_->EndPaint();
    }

    std::unique_ptr<CTestWindow> window_;
    CRemoteEndView* view_ = nullptr;  // owned by the console
    std::unique_ptr<CConsole> console_;
};

TEST_F(RemoteEndTest, WindowShowsWhatTheConsoleHolds) {
    Open();
    PaintPanels();
    EXPECT_EQ(Mismatches(), 0);
    EXPECT_EQ(window_->Title(), Westring(L"DV/L"));

    // Scrolling moves the window's cells too, and only the freed rows are sent again.
    window_->ClearCommands();
    console_->ScrollUp(0, 2, 40, 10, 3, 0x4F);
    console_->ScrollDown(40, 5, 40, 15, 2, 0x2A);
    EXPECT_EQ(Mismatches(), 0);
    EXPECT_LT(BytesOf(RemoteCommand::PutRect), 2000u);
    // The moved rows are known for what they show now: blanking them in the
    // colour of the freed rows reaches the window.
    console_->Clear(0, 2, 40, 10, 0x4F);
    EXPECT_EQ(Mismatches(), 0);

    // Text written as a teletype, with double-width characters cut by later text.
    console_->SetCursorPos(0, 20);
    console_->WriteTeletype("line one\nline two 中文中文\n");
    console_->PutStringAt(12, 21, "x", 0x07);
    EXPECT_EQ(Mismatches(), 0);
    EXPECT_EQ(window_->CursorX(), 0);
    EXPECT_EQ(window_->Faults(), 0);
}

TEST_F(RemoteEndTest, ScrollingCutsDoubleWidthCharactersAsTheConsoleDoes) {
    Open();
    console_->Clear();
    // Double-width characters across both edges of the scrolled columns.
    for (int y = 0; y < 12; y++) {
        console_->PutStringAt(9, y, y % 2 ? L"\u4E2D\u6587\u5B57" : L"ab\u4E2D", 0x1F);
        console_->PutStringAt(29, y, L"\u6587x", 0x2E);
    }
    console_->ScrollUp(10, 0, 20, 12, 1, 0x07);
    EXPECT_EQ(Mismatches(), 0);
    console_->ScrollDown(10, 0, 20, 12, 2, 0x07);
    EXPECT_EQ(Mismatches(), 0);
    // What the window now shows is what it is thought to show: putting the
    // old characters back reaches it.
    for (int y = 0; y < 12; y++) console_->PutStringAt(9, y, y % 2 ? L"\u4E2D" : L"ab", 0x1F);
    EXPECT_EQ(Mismatches(), 0);
}

TEST_F(RemoteEndTest, UnchangedCellsAndCursorMovesSendNoCells) {
    Open();
    PaintPanels();
    Sync();
    window_->ClearCommands();

    // Painting the same text again sends nothing at all.
    console_->PutStringAt(0, 3, console_->cell(0, 3).ch == L'\u2551' ? L"\u2551" : L"?", console_->cell(0, 3).attr);
    Sync();
    EXPECT_EQ(BytesOf(RemoteCommand::PutRect), 0u);

    // A cursor move is one small message, not a repaint.
    const uint64_t before = view_->Link().BytesSent();
    console_->SetCursorPos(17, 9);
    console_->SetCursorType(50);
    const uint64_t moved = view_->Link().BytesSent() - before;
    Sync();
    EXPECT_LE(moved, 40u);
    EXPECT_EQ(BytesOf(RemoteCommand::PutRect), 0u);
    EXPECT_EQ(window_->CursorX(), 17);
    EXPECT_EQ(window_->CursorY(), 9);
    EXPECT_EQ(window_->CursorType(), 50);

    // One changed cell in a row costs that cell, not the row.
    window_->ClearCommands();
    console_->PutStringAt(30, 4, "Z", 0x70);
    Sync();
    EXPECT_LT(BytesOf(RemoteCommand::PutRect), 60u);
    EXPECT_EQ(Mismatches(), 0);
}

TEST_F(RemoteEndTest, BigScreenGoesInMessagesTheWindowCanTake) {
    // Over descriptors that do not block: a full pipe must not lose a message.
    Open(300, 120, true);
    // The window's size reaches the program as a Resize event.
    CConsole::TEvent resize = NextEvent();
    EXPECT_EQ(resize.type, CConsole::TEvent::Resize);
    EXPECT_EQ(resize.x, 300);
    EXPECT_EQ(resize.y, 120);
    ASSERT_TRUE(console_->SetSize(300, 120));
    Sync();
    window_->HoldReading(true);
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        window_->HoldReading(false);
    });
    // More than the pipe holds: every cell twice.
    console_->Clear(0, 0, 300, 120, 0x70);
    PaintPanels();
    release.join();
    EXPECT_EQ(Mismatches(), 0);
    size_t largest = 0, put_rects = 0;
    for (const auto& command : window_->Commands()) {
        largest = std::max(largest, command.bytes);
        if (command.code == RemoteCommand::PutRect) put_rects++;
    }
    EXPECT_LE(largest, kReceiveBufferSize);
    EXPECT_GT(put_rects, 1u);
    EXPECT_EQ(window_->Faults(), 0);

    // A smaller screen makes the window follow.
    ASSERT_TRUE(console_->SetSize(100, 30));
    PaintPanels();
    EXPECT_EQ(window_->Columns(), 100);
    EXPECT_EQ(Mismatches(), 0);
}

TEST_F(RemoteEndTest, WindowEventsBecomeConsoleEvents) {
    Open();
    window_->SendEvent(CConsole::TEvent::Key, 'a', 0, 0, 0, 'a');
    window_->SendEvent(CConsole::TEvent::ButtonPress, 1, CConsole::TEvent::Ctrl, 12, 7, 0);
    window_->SendEvent(CConsole::TEvent::Key, KEY_F10, CConsole::TEvent::Shift, 0, 0, 0);
    CConsole::TEvent key = NextEvent();
    EXPECT_EQ(key.type, CConsole::TEvent::Key);
    EXPECT_EQ(key.key, 'a');
    EXPECT_EQ(key.unicode, 'a');
    CConsole::TEvent click = NextEvent();
    EXPECT_EQ(click.type, CConsole::TEvent::ButtonPress);
    EXPECT_EQ(click.x, 12);
    EXPECT_EQ(click.y, 7);
    EXPECT_EQ(click.shift, CConsole::TEvent::Ctrl);
    CConsole::TEvent f10 = NextEvent();
    EXPECT_EQ(f10.key, KEY_F10);
    EXPECT_EQ(lastShiftState.load(), CConsole::TEvent::Shift);

    // A window smaller than the program's smallest screen asks for that one;
    // an event of a kind nobody knows is dropped.
    window_->SendEvent(42, 1, 2, 3, 4, 5);
    window_->SendEvent(CConsole::TEvent::Resize, 0, 0, 60, 20, 0);
    CConsole::TEvent resize = NextEvent();
    EXPECT_EQ(resize.type, CConsole::TEvent::Resize);
    EXPECT_EQ(resize.x, CConsole::kMinColumns);
    EXPECT_EQ(resize.y, CConsole::kMinRows);

    // The clipboard goes both ways.
    console_->PutClipText(L"from the remote");
    Sync();
    EXPECT_EQ(window_->Clipboard(), Westring(L"from the remote"));
    window_->SetClipboard(L"из окна");
    Westring clip;
    ASSERT_TRUE(console_->GetClipText(clip));
    EXPECT_EQ(clip, Westring(L"из окна"));
}

// Keys a command's terminal receives while it is attached.
class CKeyRecorder : public CTerminalAttachment {
public:
    explicit CKeyRecorder(std::vector<int>* keys) : keys_(keys) {}
    void Key(int code) override { keys_->push_back(code); }
    void Output(const char*) override {}

private:
    std::vector<int>* keys_;
};

TEST_F(RemoteEndTest, KeysGoToAnAttachedTerminalAndBreakToTheBreakHandler) {
    Open();
    std::vector<int> keys;
    console_->AttachTerminal(new CKeyRecorder(&keys));
    window_->SendEvent(CConsole::TEvent::ButtonPress, 1, 0, 3, 3, 0);  // dropped: no mouse for the terminal
    window_->SendEvent(CConsole::TEvent::Key, 'l', 0, 0, 0, 'l');
    window_->SendEvent(CConsole::TEvent::Key, KEY_ENTER, 0, 0, 0, 0);
    break_status = 1;
    window_->SendEvent(CConsole::TEvent::Key, CConsole::kRemoteBreakKey, 0, 0, 0, 0);
    window_->SendEvent(CConsole::TEvent::Wheel, 1, 0, 3, 3, 0);  // the mark that all came
    CConsole::TEvent wheel = NextEvent();
    EXPECT_EQ(wheel.type, CConsole::TEvent::Wheel);
    EXPECT_EQ(keys, (std::vector<int>{'l', KEY_ENTER}));
    EXPECT_EQ(break_status.load(), 2);
    break_status = 0;
    console_->AttachTerminal(nullptr);
    EXPECT_EQ(console_->GetEventQueueLen(), 0);
}

TEST_F(RemoteEndTest, EndOfTheWindowsInputQuitsTheProgram) {
    Open();
    window_->SendEvent(CConsole::TEvent::Key, 'q', 0, 0, 0, 'q');
    window_->CloseInput();
    EXPECT_EQ(NextEvent().key, 'q');
    EXPECT_EQ(NextEvent().type, CConsole::TEvent::Quit);
    EXPECT_TRUE(view_->Link().Broken());
    // Requests fail at once instead of waiting for a reply that cannot come.
    Westring clip = L"unchanged";
    EXPECT_TRUE(console_->GetClipText(clip));
    EXPECT_TRUE(clip.empty());
}

TEST_F(RemoteEndTest, WindowThatStopsAnsweringEndsTheProgram) {
    Open();
    view_->Link().SetReplyTimeout(200);
    window_->SetClipboard(L"never read");
    window_->SetClipboardAnswered(false);
    Westring clip = L"unchanged";
    EXPECT_TRUE(console_->GetClipText(clip));
    EXPECT_TRUE(clip.empty());
    EXPECT_EQ(NextEvent().type, CConsole::TEvent::Quit);
    EXPECT_TRUE(view_->Link().Broken());
}

TEST_F(RemoteEndTest, MalformedBytesAreDroppedAndTheNextMessageArrives) {
    Open();
    CParameterList six;
    for (int value : {0, int('x'), 0, 0, 0, int('x')}) six.AddInteger(value);
    const std::string good = EncodeEvent(six);
    // Noise, a marker with an unknown parameter kind, an event of too few
    // integers, an integer of no bytes, then a good event.
    window_->SendRaw("garbage\xBF\xFB\x01\x00\x09\x00\x01\x00Z");
    CParameterList two;
    two.AddInteger(0);
    two.AddInteger('n');
    window_->SendRaw(EncodeEvent(two));
    window_->SendRaw(std::string("\xDF\xFD\x01\x00\x00\x00\x00\x00", 8));
    window_->SendRaw(good);
    CConsole::TEvent event = NextEvent();
    EXPECT_EQ(event.key, 'x');
    // The link still answers requests after the noise.
    window_->SetClipboard(L"still here");
    Westring clip;
    ASSERT_TRUE(console_->GetClipText(clip));
    EXPECT_EQ(clip, Westring(L"still here"));
}

TEST(RemoteEndHandshake, RefusedOrSilentWindowIsAFailure) {
    {
        CTestWindow window(80, 25);
        window.SetInitReply(0);
        CRemoteEndView view(window.MakeLink());
        Estring message;
        EXPECT_FALSE(view.Handshake(message));
        EXPECT_NE(std::string(message.c_str()).find("version"), std::string::npos);
    }
    {
        CTestWindow window(80, 25);
        window.CloseInput();
        CRemoteEndView view(window.MakeLink());
        Estring message;
        EXPECT_FALSE(view.Handshake(message));
    }
}

// The reader alone on bytes split anywhere: every whole message comes out
// once, in order, whatever the pieces.
TEST(RemoteMessageReader, MessagesSurviveAnySplitAndNoise) {
    std::string stream = "\x01\x02\xBF";  // noise, ending in half a marker
    for (int i = 0; i < 50; i++) {
        CParameterList params;
        for (int value : {0, i, 0, 0, 0, i}) params.AddInteger(value);
        stream += EncodeEvent(params);
        CParameterList reply;
        reply.AddInteger(i);
        reply.AddUnicodeString(L"ответ");
        stream += EncodeReply(reply);
        if (i % 7 == 0) stream += "\xDF\xFD\x06\x00\x00\x00\x05";  // a bad length, dropped
    }
    for (size_t piece : {1u, 3u, 7u, 64u, 100000u}) {
        CRemoteMessageReader reader;
        int events = 0, replies = 0;
        for (size_t at = 0; at < stream.size(); at += piece) {
            const std::string part = stream.substr(at, piece);
            reader.Feed(reinterpret_cast<const unsigned char*>(part.data()), part.size());
            CRemoteMessageReader::Kind kind;
            CParameterList params;
            while (reader.Next(kind, params)) {
                int value = -1;
                if (kind == CRemoteMessageReader::Kind::Event) {
                    CConsole::TEvent event;
                    ASSERT_TRUE(EventFromParameters(params, event));
                    EXPECT_EQ(event.key, events) << "piece " << piece;
                    events++;
                } else {
                    ASSERT_TRUE(params[0].Integer(value));
                    EXPECT_EQ(value, replies) << "piece " << piece;
                    replies++;
                }
            }
        }
        EXPECT_EQ(events, 50) << "piece " << piece;
        EXPECT_EQ(replies, 50) << "piece " << piece;
        EXPECT_LE(reader.Pending(), 16u);
    }
}

}  // namespace
