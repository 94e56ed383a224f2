#include "exec/keybytes.h"

#include "console/keys.h"

namespace {

struct KeySequence {
    int code;
    const char* bytes;
};

// Keys whose sequence is the same in both cursor modes.
constexpr KeySequence kFixed[] = {
    {KEY_F1, "\x1bOP"},     {KEY_F2, "\x1bOQ"},       {KEY_F3, "\x1bOR"},       {KEY_F4, "\x1bOS"},
    {KEY_F5, "\x1b[15~"},   {KEY_F6, "\x1b[17~"},     {KEY_F7, "\x1b[18~"},     {KEY_F8, "\x1b[19~"},
    {KEY_F9, "\x1b[20~"},   {KEY_F10, "\x1b[21~"},    {KEY_F11, "\x1b[23~"},    {KEY_F12, "\x1b[24~"},
    {KEY_PGUP, "\x1b[5~"},  {KEY_PGDN, "\x1b[6~"},    {KEY_INS, "\x1b[2~"},     {KEY_DEL, "\x1b[3~"},
    {KEY_CTRL_PGUP, "\x1b[5;5~"}, {KEY_CTRL_PGDN, "\x1b[6;5~"},
    {KEY_BACKSPACE, "\x7f"},  // the erase character of a new terminal, as an xterm sends it
};

// Cursor keys: the final letter after ESC [ or ESC O.
constexpr struct {
    int code;
    char letter;
} kCursor[] = {
    {KEY_UP, 'A'}, {KEY_DOWN, 'B'}, {KEY_RIGHT, 'C'}, {KEY_LEFT, 'D'}, {KEY_HOME, 'H'}, {KEY_END, 'F'},
};

void append_utf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

}  // namespace

bool TerminalKeyBytes(int code, bool application_cursor, std::string& out) {
    if (code >= 0 && code < KEY_EXTENDED) {
        // Surrogate halves are no characters.
        if (code >= 0xD800 && code <= 0xDFFF) return false;
        append_utf8(out, static_cast<unsigned>(code));
        return true;
    }
    for (const KeySequence& key : kFixed) {
        if (key.code != code) continue;
        out.append(key.bytes);
        return true;
    }
    for (const auto& key : kCursor) {
        if (key.code != code) continue;
        out.append(application_cursor ? "\x1bO" : "\x1b[");
        out.push_back(key.letter);
        return true;
    }
    return false;
}
