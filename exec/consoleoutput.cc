#include "exec/consoleoutput.h"

#include <algorithm>

#include "console/console.h"

namespace {

// How many bytes at the end of text begin a UTF-8 sequence that is not
// complete yet.
size_t IncompleteTail(const std::string& text) {
    size_t back = 0;
    for (size_t i = text.size(); i > 0 && back < 4; i--, back++) {
        unsigned char byte = static_cast<unsigned char>(text[i - 1]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back + 1 ? back + 1 : 0;
    }
    return 0;  // continuation bytes only: not ours to hold back
}

}  // namespace

void ConsoleOutput::Write(std::string& text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    if (!text.empty() && console) console->Write(text.c_str());
}

void ConsoleOutput::Output(const char* bytes, size_t n) {
    std::string text;
    text.swap(pending_);
    text.append(bytes, n);
    size_t tail = IncompleteTail(text);
    pending_.assign(text, text.size() - tail, tail);
    text.resize(text.size() - tail);
    Write(text);
}

void ConsoleOutput::Flush() {
    std::string rest;
    rest.swap(pending_);
    Write(rest);
}
