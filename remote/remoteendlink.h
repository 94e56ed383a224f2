// The remote end's connection to the window that shows its console: console
// commands go out on one descriptor, the window's events and the replies to
// its requests come back on the other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "console/console.h"
#include "remote/parameter.h"

// Splits the bytes from the window into whole messages. Bytes that do not
// start a message are skipped up to the next marker, and a message that
// cannot be read (an unknown kind, bad data, lengths that need more than
// kMessageLimit bytes) is dropped the same way, so that a damaged stream
// never holds up the messages after it and never grows without bound.
class CRemoteMessageReader {
public:
    // The longest message taken: a reply with the clipboard's text (a
    // parameter of up to 64 KiB) and room to spare.
    static constexpr size_t kMessageLimit = 256 * 1024;

    enum class Kind { Reply, Event };

    void Feed(const unsigned char* data, size_t size);
    // Takes the next whole message from the bytes fed so far; false when
    // none is complete yet.
    [[nodiscard]] bool Next(Kind& kind, CParameterList& params);
    // The bytes skipped as not belonging to any message.
    size_t Skipped() const { return skipped_; }
    // The bytes fed and not yet taken or skipped.
    size_t Pending() const { return buffer_.size() - start_; }

private:
    void Skip(size_t count);

    std::string buffer_;
    size_t start_ = 0;
    size_t skipped_ = 0;
};

// The six integers of an event message as a console event; false when the
// message is not one.
[[nodiscard]] bool EventFromParameters(const CParameterList& params, CConsole::TEvent& event);

class CRemoteEndLink {
public:
    // How long a request waits for its reply before the link counts as
    // broken (and the program ends), unless set otherwise.
    static constexpr int kReplyTimeoutMs = 60000;

    // Takes both descriptors and closes them when destroyed.
    CRemoteEndLink(int in_fd, int out_fd);
    ~CRemoteEndLink();
    CRemoteEndLink(const CRemoteEndLink&) = delete;
    CRemoteEndLink& operator=(const CRemoteEndLink&) = delete;

    // Writes one command whole; false once the window is gone.
    [[nodiscard]] bool Send(RemoteCommand command, const CParameterList& params);
    // Sends a command and waits for its reply; false when the window is gone
    // or no reply came. One request is in flight at a time: requests from
    // several threads wait for each other.
    [[nodiscard]] bool Request(RemoteCommand command, const CParameterList& params, CParameterList& reply);

    // Starts the thread that reads the window's messages: events go to the
    // console (those that arrived while requests were read before go first),
    // and the end of the input queues a Quit event.
    void StartReader(CConsole* console);
    // Ends the reading thread (it is also ended by the destructor).
    void StopReader();

    void SetReplyTimeout(int milliseconds) { reply_timeout_ms_ = milliseconds; }

    // Whether the window's input ended, a write failed or a reply never came.
    bool Broken() const;
    // The bytes written so far.
    uint64_t BytesSent() const;

private:
    // Reads what the input has (waiting at most timeout_ms, -1 for ever, and
    // waking for StopReader); false at the end of the input or on a stop.
    bool ReadSome(int timeout_ms);
    // Handles the complete messages read: replies to the waiting request,
    // events to the console or, before the reader runs, to the early events.
    void Dispatch();
    void QueueEvent(const CConsole::TEvent& event);
    void MarkBroken();
    void ReaderLoop();
    void DeliveryLoop();

    const int in_fd_, out_fd_;
    int wake_fds_[2] = {-1, -1};  // a byte on it ends the reader's wait

    mutable std::mutex write_mutex_;
    uint64_t bytes_sent_ = 0;

    std::mutex request_mutex_;  // held by the request in flight
    int reply_timeout_ms_ = kReplyTimeoutMs;

    mutable std::mutex state_mutex_;
    std::condition_variable reply_arrived_;
    bool awaiting_reply_ = false;
    bool reply_ready_ = false;
    CParameterList reply_;
    bool broken_ = false;
    // Events wait here for the delivering thread: the reader itself must
    // never wait for the toolkit lock, which a request may hold while it
    // waits for its reply.
    std::condition_variable event_arrived_;
    std::deque<CConsole::TEvent> events_;
    bool stopping_ = false;
    bool reader_running_ = false;

    CRemoteMessageReader reader_;  // the reader thread's, or the requester's before it starts
    CConsole* console_ = nullptr;
    std::thread reader_thread_, delivery_thread_;
};
