// The window side of remote operation (remote/consoleserver.h) on arbitrary
// bytes from the connection, cut into chunks where the input says. Beyond
// not crashing it checks that every reply is a well-formed message, that the
// screen stays within the bounds the server allows, and that the same bytes
// in one chunk give the same screen and the same replies as in pieces, so
// that a message split across reads is carried out once and whole.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/headlessview.h"
#include "fuzz/check.h"
#include "remote/consoleserver.h"
#include "remote/parameter.h"

namespace {

CConsole& Screen() {
    static CConsole* screen = [] {
        console = new CConsole(new CHeadlessView());
        return console;
    }();
    return *screen;
}

// The replies go to a scratch file, which never blocks the writer however
// much the input asks for; the fuzzer runs with TMPDIR set to a scratch
// directory of its own.
int ReplyFile() {
    static int fd = [] {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp").append("/remoteXXXXXX");
        int made = mkstemp(pattern.data());
        if (made >= 0) unlink(pattern.c_str());
        return made;
    }();
    return fd;
}

struct Run {
    std::vector<ScreenCell> cells;
    std::string replies;
    int columns = 0, rows = 0;
    int cursor_x = 0, cursor_y = 0;
    bool active = false;
};

void Reset(CConsole& screen) {
    (void)screen.SetSize(80, 25);
    screen.SetCodePage(850);
    screen.SetAttr(0x07);
    screen.Clear();
    screen.SetCursorPos(0, 0);
    screen.ResetSelectionZone();
    screen.PutClipText(L"");
    int fd = ReplyFile();
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) std::abort();
}

Run Feed(const uint8_t* data, size_t size, const std::vector<size_t>& cuts) {
    CConsole& screen = Screen();
    Reset(screen);
    Run run;
    {
        CConsoleServer server(ReplyFile(), &screen, false);
        size_t start = 0;
        for (size_t cut : cuts) {
            server.ProcessData(data + start, cut - start);
            start = cut;
        }
        server.ProcessData(data + start, size - start);
        run.active = server.Active();
    }
    screen.GetCursorPos(run.cursor_x, run.cursor_y);
    run.columns = screen.columns();
    run.rows = screen.rows();
    for (int y = 0; y < screen.rows(); y++)
        for (int x = 0; x < screen.columns(); x++) run.cells.push_back(screen.cell(x, y));
    off_t length = lseek(ReplyFile(), 0, SEEK_END);
    run.replies.resize(static_cast<size_t>(length));
    if (pread(ReplyFile(), run.replies.data(), run.replies.size(), 0) != length) std::abort();
    return run;
}

void CheckRun(const Run& run) {
    fuzz_check(run.columns <= CConsoleServer::kMaxSide && run.rows <= CConsoleServer::kMaxSide &&
                   static_cast<long>(run.columns) * run.rows <= CConsoleServer::kMaxCells,
               "the screen grew beyond the bound");
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(run.replies.data());
    size_t at = 0;
    while (at < run.replies.size()) {
        RemoteMessage message;
        const bool event = bytes[at] == (kEventMarker & 0xFF);
        MessageReadResult result = event ? ReadEvent(bytes + at, run.replies.size() - at, message)
                                         : ReadReply(bytes + at, run.replies.size() - at, message);
        fuzz_check(result == MessageReadResult::Read, "a reply that is no whole message");
        at += message.consumed;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<size_t> cuts;
    if (!fuzz_take_cuts(data, size, cuts)) return 0;
    Run pieces = Feed(data, size, cuts);
    CheckRun(pieces);
    Run whole = Feed(data, size, {});
    fuzz_check(whole.active == pieces.active, "chunks start the protocol where the whole does not");
    fuzz_check(whole.columns == pieces.columns && whole.rows == pieces.rows, "chunks give another screen size");
    fuzz_check(whole.cells == pieces.cells, "chunks give another screen than the whole input");
    fuzz_check(whole.replies == pieces.replies, "chunks give other replies than the whole input");
    fuzz_check(whole.cursor_x == pieces.cursor_x && whole.cursor_y == pieces.cursor_y,
               "chunks leave the cursor elsewhere");
    return 0;
}
