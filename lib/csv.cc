#include "lib/csv.h"

#include <string>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Estring ParseCSVField(const char*& pos) {
    if (!pos) return Estring();
    std::string field;  // gathered here: appending to an Estring rescans it each time
    const char* p = pos;
    bool inside = false;
    bool just_closed = false;  // the previous character closed a quoted part
    while (*p && (inside || *p != ',')) {
        char c = *p++;
        if (c == '"') {
            // Two quotes in a row inside a quoted part stand for one literal quote.
            if (!inside && just_closed) field += '"';
            inside = !inside;
            just_closed = !inside;
            continue;
        }
        just_closed = false;
        if (c == '\\') {
            if (!*p) break;  // a backslash at the end ends the field
            if (is_digit(*p)) {
                unsigned value = 0;
                for (int i = 0; i < 3 && is_digit(*p); i++) value = value * 10 + (*p++ - '0');
                // A byte 0 cannot be held in the text and is left out.
                if (value & 0xFF) field += static_cast<char>(value & 0xFF);
            } else {
                field += *p++;
            }
            continue;
        }
        if (c == '\n') continue;
        field += c;
    }
    if (*p == ',') p++;
    pos = p;
    return Estring(field.data(), static_cast<int>(field.size()));
}

Estring ParseCSVField(Estring& text) {
    const char* pos = text.c_str();
    Estring field = ParseCSVField(pos);
    text = Estring(pos);
    return field;
}
