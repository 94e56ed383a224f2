#include "lib/quote.h"

#include <cwchar>
#include <string>

bool IsShellSpecial(wchar_t ch) { return ch != 0 && std::wcschr(L" !$~`[]{}()\\'\"<>&|;#", ch) != nullptr; }

// Built in a standard string: appending to a Westring one character at a
// time measures the text each time.
Westring QuoteName(const Westring& name) {
    std::wstring out;
    out.reserve(static_cast<size_t>(name.strlen()) + 8);
    for (const wchar_t* p = name.c_str(); *p; p++) {
        if (IsShellSpecial(*p)) out += L'\\';
        out += *p;
    }
    return Westring(out.c_str(), static_cast<int>(out.size()));
}

Westring DequoteName(const Westring& text) {
    std::wstring out;
    out.reserve(static_cast<size_t>(text.strlen()));
    for (const wchar_t* p = text.c_str(); *p; p++) {
        if (*p == L'\\') {
            if (!p[1]) break;  // a lone backslash at the end escapes nothing
            p++;
        }
        out += *p;
    }
    return Westring(out.c_str(), static_cast<int>(out.size()));
}
