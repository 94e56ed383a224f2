// The history file reader (tools/historytext.h) on arbitrary bytes: the file
// lives in the user's home and anything may have written it. Beyond not
// crashing it checks that every line lies inside the input without its line
// end, that field numbers stay inside 0 to 11, that every value the writer
// accepts reads back the same, and that writing the lines out again reads
// back to the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "tools/historytext.h"

namespace {

struct Seen {
    HistoryLine::Kind kind;
    int field;
    Westring text;
};

std::vector<Seen> read_lines(std::string_view bytes, std::string* rejoined) {
    std::vector<Seen> lines;
    ParseHistoryText(bytes, [&](const HistoryLine& line) {
        fuzz_check(line.bytes.data() >= bytes.data() && line.bytes.data() + line.bytes.size() <= bytes.data() + bytes.size(),
                   "a line lies outside the input");
        fuzz_check(line.bytes.find('\n') == std::string_view::npos, "a line holds a line feed");
        fuzz_check(line.bytes.empty() || line.bytes.back() != '\r', "a line keeps its carriage return");
        if (line.kind == HistoryLine::kFieldValue)
            fuzz_check(line.field >= 0 && line.field < 12, "a field value outside the twelve histories");
        if (line.kind == HistoryLine::kCommand) {
            const std::string stored = CommandHistoryLine(line.text);
            if (!stored.empty()) {
                const HistoryLine again = ClassifyHistoryLine(stored);
                fuzz_check(again.kind == HistoryLine::kCommand && SameChars(again.text, line.text),
                           "a command does not read back as written");
            }
        } else if (line.kind == HistoryLine::kFieldValue) {
            const std::string stored = FieldHistoryLine(line.field, line.text);
            fuzz_check(!stored.empty() || line.text.strlen() > 0, "an empty field value cannot be written");
            if (!stored.empty()) {
                const HistoryLine again = ClassifyHistoryLine(stored);
                fuzz_check(again.kind == HistoryLine::kFieldValue && again.field == line.field &&
                               SameChars(again.text, line.text),
                           "a field value does not read back as written");
            }
        }
        lines.push_back({line.kind, line.field, line.text});
        if (rejoined) rejoined->append(line.bytes).append("\r\n");
    });
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string rejoined;
    const std::vector<Seen> first = read_lines(bytes, &rejoined);
    const std::vector<Seen> second = read_lines(rejoined, nullptr);
    fuzz_check(first.size() == second.size(), "the lines written out again read back as other lines");
    for (size_t i = 0; i < first.size() && i < second.size(); i++)
        fuzz_check(first[i].kind == second[i].kind && first[i].field == second[i].field &&
                       SameChars(first[i].text, second[i].text),
                   "a line written out again reads back differently");
    return 0;
}
