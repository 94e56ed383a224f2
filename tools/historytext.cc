#include "tools/historytext.h"

namespace {

constexpr int kFieldHistories = 12;

// The field history a line's leading one or two digits name, or -1.
int field_number(std::string_view digits) {
    if (digits.empty() || digits.size() > 2) return -1;
    int number = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') return -1;
        number = number * 10 + (ch - '0');
    }
    return number < kFieldHistories ? number : -1;
}

// Where the mark of a field line stands (1 or 2), or 0 for a command.
size_t mark_position(std::string_view line) {
    if (line.size() > 1 && line[1] == kFieldHistoryMark) return 1;
    if (line.size() > 2 && line[2] == kFieldHistoryMark) return 2;
    return 0;
}

Westring decode(std::string_view bytes) {
    Westring text;
    // Bytes that are no UTF-8 come through one character each; nothing is refused.
    (void)text.FromUTF8(bytes.data(), bytes.size());
    return text;
}

bool breaks_line(std::string_view bytes) { return bytes.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

HistoryLine ClassifyHistoryLine(std::string_view bytes) {
    HistoryLine line;
    line.bytes = bytes;
    const size_t mark = mark_position(bytes);
    const std::string_view value = mark ? bytes.substr(mark + 1) : bytes;
    if (value.size() > kMaxHistoryValueBytes) return line;
    if (mark == 0) {
        line.kind = HistoryLine::kCommand;
    } else {
        line.field = field_number(bytes.substr(0, mark));
        if (line.field < 0) return line;
        line.kind = HistoryLine::kFieldValue;
    }
    line.text = decode(value);
    return line;
}

void ParseHistoryText(std::string_view bytes, const std::function<void(const HistoryLine&)>& sink) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!last || !line.empty()) sink(ClassifyHistoryLine(line));
        start = end + 1;
    }
}

std::string CommandHistoryLine(const Westring& command) {
    if (command.empty()) return std::string();
    std::string line = command.ToUTF8().c_str();
    if (breaks_line(line) || mark_position(line) != 0 || line.size() > kMaxHistoryValueBytes) return std::string();
    return line;
}

std::string FieldHistoryLine(int field, const Westring& value) {
    if (field < 0 || field >= kFieldHistories) return std::string();
    std::string text = value.ToUTF8().c_str();
    if (breaks_line(text) || text.size() > kMaxHistoryValueBytes) return std::string();
    return std::to_string(field) + kFieldHistoryMark + text;
}
