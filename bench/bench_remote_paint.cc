// remote_paint: full repaints of a panel-like screen through the remote
// end's view, whose commands cross a pipe to a thread that reads them as the
// window would, against the same changes through the headless view, which
// sends nothing: the difference is the cost of encoding and carrying the
// cells. Also prints the bytes one full repaint of an 80x25 and a 200x60
// screen takes, and one cursor move.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "remote/parameter.h"
#include "remote/remoteendlink.h"
#include "remote/remoteendview.h"

namespace {

constexpr int kRepaints = 1000;

// Reads the commands from the remote end and answers its requests, as the
// window does, keeping no cells.
class CCommandSink {
public:
    CCommandSink() {
        if (pipe2(commands_, O_CLOEXEC) != 0 || pipe2(answers_, O_CLOEXEC) != 0) return;
        thread_ = std::thread(&CCommandSink::Loop, this);
    }
    ~CCommandSink() {
        if (thread_.joinable()) thread_.join();  // ends when the link closes its side
        close(commands_[0]);
        close(answers_[1]);
    }
    std::unique_ptr<CRemoteEndLink> Link() { return std::make_unique<CRemoteEndLink>(answers_[0], commands_[1]); }

private:
    void Loop() {
        std::string buffer;
        char chunk[65536];
        for (;;) {
            ssize_t n = read(commands_[0], chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            buffer.append(chunk, static_cast<size_t>(n));
            size_t start = 0;
            RemoteMessage message;
            for (;;) {
                auto result = ReadCommand(reinterpret_cast<const unsigned char*>(buffer.data()) + start,
                                          buffer.size() - start, message);
                if (result == MessageReadResult::NeedMore) break;
                if (result == MessageReadResult::Bad) {
                    std::fprintf(stderr, "remote_paint: the window could not read a message\n");
                    start = buffer.size();
                    break;
                }
                start += message.consumed;
                Answer(static_cast<RemoteCommand>(message.code), message.params);
            }
            buffer.erase(0, start);
        }
    }
    void Answer(RemoteCommand code, const CParameterList& params) {
        CParameterList reply;
        switch (code) {
        case RemoteCommand::Init: reply.AddInteger(1); break;
        case RemoteCommand::GetSize:
            reply.AddInteger(columns_);
            reply.AddInteger(rows_);
            break;
        case RemoteCommand::SetSize:
            if (params.Count() >= 2 && params[0].Integer(columns_) && params[1].Integer(rows_)) reply.AddInteger(1);
            else reply.AddInteger(0);
            break;
        case RemoteCommand::GetClipText:
            reply.AddInteger(1);
            reply.AddUnicodeString(Westring());
            break;
        default: return;
        }
        std::string bytes = EncodeReply(reply);
        if (write(answers_[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::fprintf(stderr, "remote_paint: a reply was cut short\n");
    }

    int commands_[2] = {-1, -1}, answers_[2] = {-1, -1};
    int columns_ = 80, rows_ = 25;
    std::thread thread_;
};

// Writes the whole screen as two panels of file names; odd and even rounds
// differ in every cell, so each repaints all of it.
void WriteScreen(CConsole& console, int round) {
    static const wchar_t* const kFiles[] = {L"Makefile", L"notes \u65E5\u672C.txt", L"photo_\u00E9t\u00E9.jpg",
                                            L"archive.tar.xz", L"\u0441\u043F\u0438\u0441\u043E\u043A.csv", L"bin"};
    const int columns = console.columns(), rows = console.rows(), half = columns / 2;
    const unsigned char frame = round % 2 ? 0x1B : 0x3F, text = round % 2 ? 0x1E : 0x30;
    console.BeginPaint();
    for (int y = 0; y < rows; y++) {
        for (int side = 0; side < 2; side++) {
            const int x = side * half;
            std::wstring row(half, y == 0 || y == rows - 1 ? (round % 2 ? L'\u2550' : L'\u2500') : L' ');
            row.front() = row.back() = round % 2 ? L'\u2551' : L'\u2502';
            console.PutStringAt(x, y, row.c_str(), frame);
            if (y == 0 || y == rows - 1) continue;
            console.PutStringAt(x + 2, y, kFiles[(y + round) % 6], text);
            console.PutStringAt(x + half - 20, y, round % 2 ? L"\u2502 4096 08.12.26" : L"\u2502 1234 26.12.08", text);
        }
    }
    console.EndPaint();
}

// The bytes the view sent for one full repaint at the given size.
uint64_t RepaintBytes(CConsole& console, CRemoteEndView& view, int columns, int rows) {
    if (!console.SetSize(columns, rows)) return 0;
    WriteScreen(console, 0);
    const uint64_t before = view.Link().BytesSent();
    WriteScreen(console, 1);
    return view.Link().BytesSent() - before;
}

}  // namespace

int main(int argc, char** argv) {
    CCommandSink sink;
    auto* view = new CRemoteEndView(sink.Link());
    Estring message;
    if (!view->Handshake(message)) {
        std::fprintf(stderr, "remote_paint: %s\n", message.c_str());
        delete view;
        return 1;
    }
    int status = 1;
    {
        auto remote = std::make_unique<CConsole>(view);
        auto headless = std::make_unique<CConsole>(new CHeadlessView());
        const uint64_t small = RepaintBytes(*remote, *view, 80, 25);
        const uint64_t large = RepaintBytes(*remote, *view, 200, 60);
        remote->SetCursorPos(3, 4);
        const uint64_t before = view->Link().BytesSent();
        remote->SetCursorPos(50, 30);
        const uint64_t cursor = view->Link().BytesSent() - before;
        if (headless->SetSize(200, 60) && small > 0 && large > 0) {
            auto repaints = [](CConsole* console) {
                return [console](benchmark::State& state) {
                    int round = 0;
                    for (auto _ : state) WriteScreen(*console, round++);
                };
            };
            Comparison comparison{"remote_paint", "headless view", repaints(remote.get()), repaints(headless.get()),
                                  kRepaints};
            status = RunComparison(argc, argv, comparison);
            std::printf("remote_paint: bytes per full repaint 80x25 %llu, 200x60 %llu; per cursor move %llu\n",
                        static_cast<unsigned long long>(small), static_cast<unsigned long long>(large),
                        static_cast<unsigned long long>(cursor));
        } else {
            std::fprintf(stderr, "remote_paint: cannot make the screens\n");
        }
    }
    return status;
}
