#include "remote/remoteendlink.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// ---------------------------------------------------------------- message reader

void CRemoteMessageReader::Feed(const unsigned char* data, size_t size) {
    // Drop what was taken before the buffer grows again.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(reinterpret_cast<const char*>(data), size);
}

void CRemoteMessageReader::Skip(size_t count) {
    start_ += count;
    skipped_ += count;
}

bool CRemoteMessageReader::Next(Kind& kind, CParameterList& params) {
    for (;;) {
        const size_t size = buffer_.size() - start_;
        if (size < 2) return false;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data()) + start_;
        const unsigned marker = bytes[0] | (bytes[1] << 8);
        if (marker != kCommandMarker && marker != kEventMarker) {
            Skip(1);
            continue;
        }
        RemoteMessage message;
        MessageReadResult result = marker == kEventMarker
                                       ? ReadEvent(bytes, size, message, kMessageLimit)
                                       : ReadReply(bytes, size, message, kMessageLimit);
        if (result == MessageReadResult::NeedMore) return false;
        if (result == MessageReadResult::Bad) {
            // Only the marker goes: the lengths of a bad message cannot be
            // trusted, and a good message may start inside what they claim.
            Skip(2);
            continue;
        }
        start_ += message.consumed;
        kind = marker == kEventMarker ? Kind::Event : Kind::Reply;
        params = std::move(message.params);
        return true;
    }
}

bool EventFromParameters(const CParameterList& params, CConsole::TEvent& event) {
    // A window may add parameters after the six.
    if (params.Count() < 6) return false;
    int values[6];
    for (size_t i = 0; i < 6; i++) {
        if (!params[i].Integer(values[i])) return false;
    }
    event.type = values[0];
    event.key = values[1];
    event.shift = values[2];
    event.x = values[3];
    event.y = values[4];
    event.unicode = values[5];
    return true;
}

// ---------------------------------------------------------------- link

namespace {

enum class ReadOutcome { Data, TimedOut, End, Stopped };

}  // namespace

CRemoteEndLink::CRemoteEndLink(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {
    if (pipe2(wake_fds_, O_CLOEXEC) != 0) wake_fds_[0] = wake_fds_[1] = -1;
}

CRemoteEndLink::~CRemoteEndLink() {
    StopReader();
    for (int fd : {in_fd_, out_fd_, wake_fds_[0], wake_fds_[1]}) {
        if (fd >= 0) close(fd);
    }
}

bool CRemoteEndLink::Send(RemoteCommand command, const CParameterList& params) {
    const std::string message = EncodeCommand(command, params);
    std::lock_guard<std::mutex> guard(write_mutex_);
    if (Broken()) return false;
    size_t done = 0;
    while (done < message.size()) {
        ssize_t n = write(out_fd_, message.data() + done, message.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The connection may hand us a descriptor that does not block.
            pollfd writable{out_fd_, POLLOUT, 0};
            if (poll(&writable, 1, -1) >= 0 || errno == EINTR) continue;
        }
        if (n <= 0) {
            MarkBroken();
            return false;
        }
        done += static_cast<size_t>(n);
    }
    bytes_sent_ += message.size();
    return true;
}

bool CRemoteEndLink::Request(RemoteCommand command, const CParameterList& params, CParameterList& reply) {
    std::lock_guard<std::mutex> one_at_a_time(request_mutex_);
    bool threaded;
    {
        std::lock_guard<std::mutex> guard(state_mutex_);
        if (broken_) return false;
        awaiting_reply_ = true;
        reply_ready_ = false;
        threaded = reader_running_;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(reply_timeout_ms_);
    bool answered = false;
    if (Send(command, params)) {
        if (threaded) {
            std::unique_lock<std::mutex> lock(state_mutex_);
            reply_arrived_.wait_until(lock, deadline, [this] { return reply_ready_ || broken_; });
            answered = reply_ready_;
        } else {
            // No reader yet: this thread reads until its reply is there.
            for (;;) {
                Dispatch();
                {
                    std::lock_guard<std::mutex> guard(state_mutex_);
                    if (reply_ready_ || broken_) {
                        answered = reply_ready_;
                        break;
                    }
                }
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                   std::chrono::steady_clock::now());
                if (left.count() <= 0) break;
                bool more = ReadSome(static_cast<int>(left.count()));
                if (!more) MarkBroken();
            }
        }
    }
    bool lost = false;
    {
        std::lock_guard<std::mutex> guard(state_mutex_);
        awaiting_reply_ = false;
        reply_ready_ = false;
        if (answered) {
            reply = std::move(reply_);
            return true;
        }
        // A reply that never came would be taken for the next request's:
        // the link is of no more use, and the program has to end.
        lost = !broken_;
        broken_ = true;
        reply_arrived_.notify_all();
    }
    if (lost) {
        CConsole::TEvent quit;
        quit.type = CConsole::TEvent::Quit;
        QueueEvent(quit);
    }
    return false;
}

bool CRemoteEndLink::ReadSome(int timeout_ms) {
    pollfd fds[2] = {{in_fd_, POLLIN, 0}, {wake_fds_[0], POLLIN, 0}};
    int ready = poll(fds, wake_fds_[0] >= 0 ? 2 : 1, timeout_ms);
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;  // timed out: the caller looks at its clock
    if (wake_fds_[0] >= 0 && (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents == 0) return true;
    unsigned char buffer[64 * 1024];
    ssize_t n = read(in_fd_, buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    reader_.Feed(buffer, static_cast<size_t>(n));
    return true;
}

void CRemoteEndLink::Dispatch() {
    CRemoteMessageReader::Kind kind;
    CParameterList params;
    while (reader_.Next(kind, params)) {
        if (kind == CRemoteMessageReader::Kind::Event) {
            CConsole::TEvent event;
            if (EventFromParameters(params, event)) QueueEvent(event);
            continue;
        }
        std::lock_guard<std::mutex> guard(state_mutex_);
        if (!awaiting_reply_ || reply_ready_) continue;  // nobody asked: dropped
        reply_ = std::move(params);
        reply_ready_ = true;
        reply_arrived_.notify_all();
    }
}

void CRemoteEndLink::QueueEvent(const CConsole::TEvent& event) {
    std::lock_guard<std::mutex> guard(state_mutex_);
    events_.push_back(event);
    event_arrived_.notify_all();
}

void CRemoteEndLink::MarkBroken() {
    std::lock_guard<std::mutex> guard(state_mutex_);
    broken_ = true;
    reply_arrived_.notify_all();
}

bool CRemoteEndLink::Broken() const {
    std::lock_guard<std::mutex> guard(state_mutex_);
    return broken_;
}

uint64_t CRemoteEndLink::BytesSent() const {
    std::lock_guard<std::mutex> guard(write_mutex_);
    return bytes_sent_;
}

void CRemoteEndLink::StartReader(CConsole* console) {
    std::lock_guard<std::mutex> one_at_a_time(request_mutex_);
    {
        std::lock_guard<std::mutex> guard(state_mutex_);
        if (reader_running_) return;
        console_ = console;
        reader_running_ = true;
        stopping_ = false;
    }
    delivery_thread_ = std::thread(&CRemoteEndLink::DeliveryLoop, this);
    reader_thread_ = std::thread(&CRemoteEndLink::ReaderLoop, this);
}

void CRemoteEndLink::StopReader() {
    {
        std::lock_guard<std::mutex> guard(state_mutex_);
        stopping_ = true;
        event_arrived_.notify_all();
    }
    if (wake_fds_[1] >= 0) {
        const char byte = 0;
        while (write(wake_fds_[1], &byte, 1) < 0 && errno == EINTR) {
        }
    }
    if (reader_thread_.joinable()) reader_thread_.join();
    if (delivery_thread_.joinable()) delivery_thread_.join();
    std::lock_guard<std::mutex> guard(state_mutex_);
    reader_running_ = false;
}

void CRemoteEndLink::ReaderLoop() {
    for (;;) {
        bool more = ReadSome(-1);
        Dispatch();
        if (more) continue;
        {
            std::lock_guard<std::mutex> guard(state_mutex_);
            if (stopping_) return;
        }
        // The window is gone (or its stream broke): the program ends.
        MarkBroken();
        CConsole::TEvent quit;
        quit.type = CConsole::TEvent::Quit;
        QueueEvent(quit);
        return;
    }
}

void CRemoteEndLink::DeliveryLoop() {
    std::unique_lock<std::mutex> lock(state_mutex_);
    for (;;) {
        event_arrived_.wait(lock, [this] { return stopping_ || !events_.empty(); });
        if (stopping_) return;
        CConsole::TEvent event = events_.front();
        events_.pop_front();
        CConsole* console = console_;
        lock.unlock();
        console->OnRemoteEvent(event);
        lock.lock();
    }
}
