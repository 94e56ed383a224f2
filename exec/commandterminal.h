// The plain terminal of a running command: its output goes onto the
// console as a teletype writes it, and the keys pressed meanwhile go to the
// command as the bytes an xterm would send. The terminal emulator takes its
// place through exec_hooks.make_terminal.
#pragma once

#include "console/console.h"

class PtySession;

class CCommandTerminal : public CTerminalAttachment {
public:
    explicit CCommandTerminal(PtySession& session) : session_(session) {}

    // Toolkit thread: never blocks, the session queues the bytes.
    void Key(int code) override;
    // The thread that runs the command.
    void Output(const char* utf8) override;

private:
    PtySession& session_;
};
