#include "tests/remote/remoteend_window.h"

#include <cerrno>
#include <fcntl.h>

namespace {

// What the window shows where nothing was painted yet.
const ScreenCell kUnpainted(L'?', 0x77);

void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

bool Ints(const CParameterList& params, size_t count, int* values) {
    if (params.Count() < count) return false;
    for (size_t i = 0; i < count; i++) {
        if (!params[i].Integer(values[i])) return false;
    }
    return true;
}

}  // namespace

CTestWindow::CTestWindow(int columns, int rows)
    : columns_(columns), rows_(rows), cells_(static_cast<size_t>(columns) * rows, kUnpainted) {
    if (pipe2(to_remote_, O_CLOEXEC) != 0 || pipe2(from_remote_, O_CLOEXEC) != 0) ADD_FAILURE() << "no pipes";
}

// The reading thread starts only once the remote end has its side, so that
// a child forked for it finds this process with one thread.
void CTestWindow::StartReading() { thread_ = std::thread(&CTestWindow::ReadLoop, this); }

CTestWindow::~CTestWindow() {
    CloseInput();
    // The thread ends when the remote end closes its side of the commands.
    if (from_remote_[1] >= 0) close(from_remote_[1]);
    if (to_remote_[0] >= 0) close(to_remote_[0]);
    if (thread_.joinable()) thread_.join();
    close(from_remote_[0]);
}

std::unique_ptr<CRemoteEndLink> CTestWindow::MakeLink() {
    auto link = std::make_unique<CRemoteEndLink>(to_remote_[0], from_remote_[1]);
    to_remote_[0] = from_remote_[1] = -1;  // the link closes them
    StartReading();
    return link;
}

void CTestWindow::SetRemoteSideNonBlocking() {
    for (int fd : {to_remote_[0], from_remote_[1]}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void CTestWindow::HoldReading(bool hold) {
    std::lock_guard<std::mutex> guard(mutex_);
    holding_ = hold;
    released_.notify_all();
}

pid_t CTestWindow::ForkRemote(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0) {
        if (dup2(to_remote_[0], STDIN_FILENO) < 0 || dup2(from_remote_[1], STDOUT_FILENO) < 0) _exit(120);
        close(to_remote_[1]);
        close(from_remote_[0]);
        _exit(body());
    }
    close(to_remote_[0]);
    close(from_remote_[1]);
    to_remote_[0] = from_remote_[1] = -1;
    StartReading();
    return child;
}

void CTestWindow::SetClipboard(const Westring& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    clipboard_ = text;
}

void CTestWindow::SendEvent(int type, int key, int shift, int x, int y, int unicode) {
    CParameterList params;
    for (int value : {type, key, shift, x, y, unicode}) params.AddInteger(value);
    SendRaw(EncodeEvent(params));
}

void CTestWindow::SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(write_mutex_);
    if (to_remote_[1] >= 0) WriteAll(to_remote_[1], bytes);
}

void CTestWindow::CloseInput() {
    std::lock_guard<std::mutex> guard(write_mutex_);
    if (to_remote_[1] >= 0) close(to_remote_[1]);
    to_remote_[1] = -1;
}

void CTestWindow::Reply(const CParameterList& params) { SendRaw(EncodeReply(params)); }

void CTestWindow::ReadLoop() {
    std::string buffer;
    char chunk[16384];
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            released_.wait(lock, [this] { return !holding_; });
        }
        ssize_t n = read(from_remote_[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        buffer.append(chunk, static_cast<size_t>(n));
        size_t start = 0;
        for (;;) {
            RemoteMessage message;
            auto result = ReadCommand(reinterpret_cast<const unsigned char*>(buffer.data()) + start,
                                      buffer.size() - start, message);
            if (result == MessageReadResult::NeedMore) break;
            if (result == MessageReadResult::Bad) {
                // The remote end must never write what cannot be read whole.
                std::lock_guard<std::mutex> guard(mutex_);
                faults_++;
                start = buffer.size();
                break;
            }
            start += message.consumed;
            auto code = static_cast<RemoteCommand>(message.code);
            {
                std::lock_guard<std::mutex> guard(mutex_);
                commands_.push_back(Command{code, message.consumed});
            }
            Carry(code, message.params);
        }
        buffer.erase(0, start);
    }
}

void CTestWindow::Carry(RemoteCommand code, const CParameterList& params) {
    int v[6] = {};
    std::unique_lock<std::mutex> lock(mutex_);
    switch (code) {
    case RemoteCommand::Init: {
        CParameterList reply;
        reply.AddInteger(Ints(params, 1, v) && v[0] == 1 ? init_reply_ : 0);
        lock.unlock();
        Reply(reply);
        return;
    }
    case RemoteCommand::GetSize: {
        CParameterList reply;
        reply.AddInteger(columns_);
        reply.AddInteger(rows_);
        lock.unlock();
        Reply(reply);
        return;
    }
    case RemoteCommand::SetSize: {
        bool done = Ints(params, 2, v) && v[0] > 0 && v[1] > 0 && v[0] <= 1000 && v[1] <= 1000;
        if (done) {
            columns_ = v[0];
            rows_ = v[1];
            cells_.assign(static_cast<size_t>(columns_) * rows_, kUnpainted);
        }
        CParameterList reply;
        reply.AddInteger(done ? 1 : 0);
        lock.unlock();
        Reply(reply);
        return;
    }
    case RemoteCommand::GetClipText: {
        if (!clipboard_answered_) return;
        CParameterList reply;
        reply.AddInteger(1);
        reply.AddUnicodeString(clipboard_);
        lock.unlock();
        Reply(reply);
        return;
    }
    case RemoteCommand::PutRect: {
        CellString text;
        if (!Ints(params, 4, v) || params.Count() != 5 || !params[4].GetCellString(text) ||
            static_cast<long>(text.length()) != static_cast<long>(v[2]) * v[3] || v[0] < 0 || v[1] < 0 ||
            v[0] + v[2] > columns_ || v[1] + v[3] > rows_) {
            faults_++;
            return;
        }
        for (int i = 0; i < v[2] * v[3]; i++) At(v[0] + i % v[2], v[1] + i / v[2]) = text[i];
        return;
    }
    case RemoteCommand::ScrollUp:
    case RemoteCommand::ScrollDown: {
        unsigned char attr;
        if (!Ints(params, 5, v) || params.Count() != 6 || !params[5].Attribute(attr) || v[0] < 0 || v[1] < 0 ||
            v[0] + v[2] > columns_ || v[1] + v[3] > rows_ || v[4] <= 0) {
            faults_++;
            return;
        }
        const bool up = code == RemoteCommand::ScrollUp;
        for (int i = 0; i < v[3]; i++) {
            int row = up ? v[1] + i : v[1] + v[3] - 1 - i;
            int source = up ? row + v[4] : row - v[4];
            for (int x = v[0]; x < v[0] + v[2]; x++) {
                At(x, row) = source >= v[1] && source < v[1] + v[3] ? At(x, source) : ScreenCell(L' ', attr);
            }
        }
        // A window's console keeps double-width characters whole at the edges.
        for (int row = v[1]; row < v[1] + v[3]; row++) {
            mend_wide_boundary(&At(0, row), columns_, v[0]);
            mend_wide_boundary(&At(0, row), columns_, v[0] + v[2]);
        }
        return;
    }
    case RemoteCommand::SetCursorPos:
        if (Ints(params, 2, v)) {
            cursor_x_ = v[0];
            cursor_y_ = v[1];
        } else {
            faults_++;
        }
        return;
    case RemoteCommand::SetCursorType:
        if (Ints(params, 1, v)) cursor_type_ = v[0];
        else faults_++;
        return;
    case RemoteCommand::SetTitle:
        if (params.Count() != 1 || !params[0].UnicodeString(title_)) faults_++;
        return;
    case RemoteCommand::PutClipText:
        if (params.Count() != 1 || !params[0].UnicodeString(clipboard_)) faults_++;
        return;
    default: return;
    }
}

std::vector<CTestWindow::Command> CTestWindow::Commands() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return commands_;
}

void CTestWindow::ClearCommands() {
    std::lock_guard<std::mutex> guard(mutex_);
    commands_.clear();
}

int CTestWindow::Columns() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return columns_;
}

int CTestWindow::Rows() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return rows_;
}

ScreenCell CTestWindow::Cell(int x, int y) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return cells_[static_cast<size_t>(y) * columns_ + x];
}

int CTestWindow::CursorX() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return cursor_x_;
}

int CTestWindow::CursorY() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return cursor_y_;
}

int CTestWindow::CursorType() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return cursor_type_;
}

Westring CTestWindow::Title() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return title_;
}

Westring CTestWindow::Clipboard() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return clipboard_;
}

int CTestWindow::Faults() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return faults_;
}
