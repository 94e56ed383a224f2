// The window side of remote operation: carries out the console commands the
// remote end sends, answers its questions and sends it every key and mouse
// event of the window.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>

#include "console/console.h"
#include "lib/thread.h"
#include "remote/parameter.h"

class CConsoleServer {
public:
    // Replies and events are written to descriptor, which stays the
    // caller's to close. Without forward_events no input thread starts
    // and the window's events stay in its queue (for feeding bytes alone).
    CConsoleServer(int descriptor, CConsole* console, bool forward_events = true);
    // Ends the input thread and lets go of a paint the remote end left open.
    ~CConsoleServer();
    CConsoleServer(const CConsoleServer&) = delete;
    CConsoleServer& operator=(const CConsoleServer&) = delete;

    // Takes the next bytes of the connection: whole commands are carried
    // out, an incomplete one waits for the rest. Text outside the messages
    // is shown until the remote end starts the protocol, and dropped after.
    void ProcessData(const void* bytes, size_t count);

    // Whether the remote end has started the protocol (Init).
    bool Active() const { return active_; }
    // Whether a write to the remote end failed: the connection is gone.
    bool Broken() const { return broken_; }
    // Why the protocol was refused, or null.
    const char* Failure() const { return failure_; }

    // Ends the input thread; the server takes no more events.
    void Close();

    // Each writes one whole message (under a lock, so that replies and
    // events never interleave); false when the connection is gone.
    [[nodiscard]] bool SendReply(const CParameterList& params);
    [[nodiscard]] bool SendEvent(const CParameterList& params);

    // The largest screen the remote end may ask for: the console's own
    // bound would let one message allocate hundreds of megabytes.
    static constexpr int kMaxSide = 1000;
    static constexpr long kMaxCells = 500000;

private:
    // Carries out what the buffer holds, from its start.
    void Consume();
    void ShowText(size_t begin, size_t end);
    void Execute(const RemoteMessage& message);
    void Init(const CParameterList& params);
    void SetSize(const CParameterList& params);
    // A rectangle whose cells do not fit one parameter comes back as its
    // first cells, as many as fit: the remote end asks again for the rest.
    void GetRect(const CParameterList& params);
    void PutRect(const CParameterList& params);
    void PutStringAt(const CParameterList& params);
    void Reply(std::initializer_list<int> values);
    [[nodiscard]] bool WriteMessage(const std::string& message);

    static void InputThread(void* self);
    void ForwardEvents();

    const int descriptor_;
    CConsole* const console_;
    const bool forward_events_;

    unsigned char buffer_[kReceiveBufferSize];
    size_t used_ = 0;

    std::atomic<bool> active_{false};
    std::atomic<bool> broken_{false};
    std::atomic<bool> closing_{false};
    const char* failure_ = nullptr;
    int open_paints_ = 0;  // BeginPaint without its EndPaint yet

    std::mutex write_lock_;
    ThreadHandle input_thread_;
};
