// A command's terminal output shown on the console: through the attached
// terminal emulator when there is one, else on the console's teletype.
#pragma once

#include <string>

#include "exec/ptysession.h"

class ConsoleOutput : public PtyOutput {
public:
    ~ConsoleOutput() override { Flush(); }
    // Passes on the complete characters; a character split between two reads
    // waits for its remaining bytes. NUL bytes are dropped.
    void Output(const char* bytes, size_t n) override;
    // Passes on a split character left at the end as it is.
    void Flush();

private:
    void Write(std::string& text);

    std::string pending_;  // the start of a character still incomplete
};
