#include "lib/numfmt.h"

#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>
#include <langinfo.h>

wchar_t thousand_separator = L',';

void init_thousand_separator() {
    const char* sep = nl_langinfo(THOUSEP);
    if (!sep || !*sep) {
        const struct lconv* conv = std::localeconv();
        sep = conv ? conv->thousands_sep : nullptr;
    }
    thousand_separator = L',';
    if (!sep || !*sep) return;

    // The separator is one character in the locale's multibyte encoding.
    std::mbstate_t state{};
    wchar_t ch = 0;
    size_t used = std::mbrtowc(&ch, sep, std::strlen(sep), &state);
    if (used != static_cast<size_t>(-1) && used != static_cast<size_t>(-2) && ch != 0) {
        thousand_separator = ch;
        return;
    }
    // LC_CTYPE may not match LC_NUMERIC; UTF-8 is the usual encoding then.
    Westring wide;
    if (wide.FromUTF8(sep) && !wide.empty()) thousand_separator = wide[0];
}

Westring addCommas(const wchar_t* digits) {
    if (!digits) return Westring();
    std::wstring out;
    const wchar_t* p = digits;
    if (*p == L'-' || *p == L'+') out += *p++;
    size_t n = std::wcslen(p);
    out.reserve(out.size() + n + n / 3);
    for (size_t i = 0; i < n; i++) {
        if (i > 0 && (n - i) % 3 == 0) out += thousand_separator;
        out += p[i];
    }
    return Westring(out.c_str(), static_cast<int>(out.size()));
}

namespace {

int64_t power_of_ten(int n) {
    int64_t v = 1;
    while (n-- > 0) v *= 10;
    return v;
}

// Columns for digits in a field of width characters: every fourth column
// holds a separator.
int digit_columns(int width, int most) {
    int digits = width - width / 4;
    if (digits < 1) return 1;
    return digits > most ? most : digits;
}

Westring with_suffix(int64_t value, wchar_t suffix) {
    Estring decimal = IntToStr(value, 10);
    Westring out = addCommas(Westring(decimal).c_str());
    if (suffix) out += suffix;
    return out;
}

}  // namespace

// A number with as many digits as the column has room for is already too
// wide, so the limits are compared with >=.
Westring itoa_comma(uint32_t value, int width) {
    int digits = digit_columns(width, 11);
    if (digits >= 10) return with_suffix(value, 0);  // every 32-bit value fits
    uint32_t limit = static_cast<uint32_t>(power_of_ten(digits));
    if (value < limit) return with_suffix(value, 0);
    uint32_t kilo = value >> 10;
    if (kilo < static_cast<uint32_t>(power_of_ten(digits - 1))) return with_suffix(kilo, L'K');
    return with_suffix(value >> 20, L'M');
}

Westring itoa_comma(int64_t value, int width) {
    int digits = digit_columns(width, 18);
    int64_t limit = power_of_ten(digits);
    if (value < limit) return with_suffix(value, 0);
    static const wchar_t units[] = L"KMGT";
    int unit = 0;
    value /= 1024;
    if (width % 4 != 0) limit /= 10;  // the suffix takes a column
    while (value >= limit && units[unit + 1]) {
        value /= 1024;
        unit++;
    }
    return with_suffix(value, units[unit]);
}
