// Comma-separated fields (lib/csv.h, StringCollection::AddCSV): the input up
// to its first NUL byte as one line. Beyond not crashing it checks that every
// field read moves on through the line, that the collection holds each field
// once in order, and that the fields written back with escapes read back the
// same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "fuzz/check.h"
#include "lib/csv.h"
#include "lib/strcoll.h"

namespace {

std::vector<std::string> fields_of(const char* line) {
    std::vector<std::string> fields;
    const char* pos = line;
    while (*pos) {
        const char* before = pos;
        fields.push_back(ParseCSVField(pos).c_str());
        fuzz_check(pos > before, "a field read did not move on");
    }
    return fields;
}

// A field as a line holds it: the characters the reader takes as syntax
// after a backslash, a line end as its decimal code, an empty field as an
// empty quoted part (otherwise a last empty field would vanish).
std::string escaped(const std::string& field) {
    if (field.empty()) return "\"\"";
    std::string out;
    for (char c : field) {
        if (c == '\n') out += "\\010";
        else if (c == ',' || c == '"' || c == '\\') out += std::string("\\") + c;
        else out += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.substr(0, line.find('\0'));

    std::vector<std::string> fields = fields_of(line.c_str());
    StringCollection collection;
    int added = collection.AddCSV(line.c_str());
    fuzz_check(added == collection.count() && added <= static_cast<int>(fields.size()),
               "AddCSV miscounted");
    for (int i = 1; i < collection.count(); i++)
        fuzz_check(strcasecmp(collection.At(i - 1)->c_str(), collection.At(i)->c_str()) < 0, "items out of order");
    for (const std::string& field : fields) {
        Estring key(field.c_str());
        fuzz_check(collection.FindItem(&key) != nullptr, "a field is missing from the collection");
    }

    std::string written;
    for (size_t i = 0; i < fields.size(); i++) written += (i > 0 ? "," : "") + escaped(fields[i]);
    fuzz_check(fields_of(written.c_str()) == fields, "escaped fields read back differently");
    return 0;
}
