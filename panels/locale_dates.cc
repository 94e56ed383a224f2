#include "panels/locale_dates.h"

#include <langinfo.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// Which field a conversion of the format stands for: 'd', 'm', 'y' or 0.
char field_of(char conversion) {
    switch (conversion) {
    case 'd': case 'e': return 'd';
    case 'm': case 'b': case 'B': case 'h': return 'm';
    case 'y': case 'Y': case 'C': case 'G': case 'g': return 'y';
    default: return 0;
    }
}

// The format with the shorthands for whole dates written out.
std::string expand(const char* format) {
    std::string out;
    for (const char* p = format; *p; p++) {
        if (p[0] == '%' && p[1] == 'D') {
            out += "%m/%d/%y";
            p++;
        } else if (p[0] == '%' && p[1] == 'F') {
            out += "%Y-%m-%d";
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

// Skips the flags and width a conversion may carry ("%-d", "%02d", "%Ey").
const char* conversion_letter(const char* p) {
    while (*p == '-' || *p == '_' || *p == '0' || *p == '^' || *p == '#' || (*p >= '1' && *p <= '9')) p++;
    if (*p == 'E' || *p == 'O') p++;
    return p;
}

// The character at text when it separates fields (not a conversion), else
// fallback.
wchar_t separator_after(const char* text, wchar_t fallback) {
    if (!*text || *text == '%') return fallback;
    std::mbstate_t state{};
    wchar_t wide;
    size_t n = std::mbrtowc(&wide, text, std::strlen(text), &state);
    if (n == 0 || n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) return fallback;
    return wide;
}

struct DateFormat {
    wchar_t separator = L'/';
    const char* order = "mdy";
};

// The order is that in which the day, month and year fields appear in the
// format; the separator is the character right after the first of them.
DateFormat parse(const char* format) {
    DateFormat result;
    if (!format || !*format) return result;
    std::string expanded = expand(format);
    std::string fields;
    for (const char* p = expanded.c_str(); *p; p++) {
        if (*p != '%') continue;
        const char* letter = conversion_letter(p + 1);
        if (!*letter) break;
        char field = field_of(*letter);
        p = letter;
        if (!field || fields.find(field) != std::string::npos) continue;
        if (fields.empty()) result.separator = separator_after(letter + 1, result.separator);
        fields += field;
    }
    if (fields == "dmy") result.order = "dmy";
    else if (!fields.empty() && fields != "mdy") result.order = "ymd";
    return result;
}

}  // namespace

wchar_t date_separator_of(const char* format) { return parse(format).separator; }
const char* date_order_of(const char* format) { return parse(format).order; }

wchar_t date_separator() { return date_separator_of(nl_langinfo(D_FMT)); }
const char* date_order() { return date_order_of(nl_langinfo(D_FMT)); }
