// The text of the history file: lines of UTF-8, each a command or, as
// "n" 0x19 value, a value of field history n (0 to 11). Reading splits
// the bytes into lines and says what each holds; writing gives the line of a
// command or a value, or nothing for one that would not read back the same.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lib/westring.h"

// Between a field history's number and its value.
constexpr char kFieldHistoryMark = 0x19;
// A value longer than this is no command or field value the program wrote
// (a command line holds 511 characters, a field 32767): its line is passed
// over when loading, but a rewrite keeps its bytes.
constexpr size_t kMaxHistoryValueBytes = size_t{1} << 20;

struct HistoryLine {
    enum Kind {
        kCommand,
        kFieldValue,
        kIgnored,  // a field line whose number is no history's, or a value too long
    };
    Kind kind = kIgnored;
    int field = -1;     // kFieldValue: the field history, 0 to 11
    Westring text;      // kCommand, kFieldValue: the command or the value
    std::string_view bytes;  // the whole line as stored, without its line end
};

// What one line (without its line end) holds. A line with the mark at byte 1
// or 2 is a field line; every other line is a command.
HistoryLine ClassifyHistoryLine(std::string_view bytes);

// Splits bytes into lines at each line feed, dropping the carriage returns
// that end a line, and hands each line to sink in order; a last line without
// a line feed counts when it is not empty. The views point into bytes.
void ParseHistoryText(std::string_view bytes, const std::function<void(const HistoryLine&)>& sink);

// The stored line of a command or of a value of field history field,
// without its line end; empty when it cannot be stored so that it reads back as the same
// thing (empty, a line break inside, a command that would read as a field
// line, a field number outside 0 to 11).
std::string CommandHistoryLine(const Westring& command);
std::string FieldHistoryLine(int field, const Westring& value);
