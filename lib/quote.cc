#include "lib/quote.h"

#include <cwchar>
#include <string>

namespace {

// Characters sh reads literally only after a backslash or inside quotes.
// '=' would make a first word an assignment, '^' is a pipe to old shells.
bool NeedsBackslash(wchar_t ch) { return ch != 0 && std::wcschr(L" !$~`[]{}()\\'\"<>&|;#*?=^", ch) != nullptr; }

// Control characters, C0 and C1 and DEL: a backslash does not keep a newline,
// and the others are not something to hide behind a backslash on a command line.
bool NeedsSingleQuotes(wchar_t ch) { return ch < 0x20 || (ch >= 0x7F && ch < 0xA0); }

Westring FromStd(const std::wstring& s) { return Westring(s.c_str(), static_cast<int>(s.size())); }

}  // namespace

bool IsShellSpecial(wchar_t ch) { return ch != 0 && (NeedsBackslash(ch) || NeedsSingleQuotes(ch)); }

// Built in a standard string: appending to a Westring one character at a
// time measures the text each time.
Westring QuoteName(const Westring& name) {
    bool single = false;
    for (const wchar_t* p = name.c_str(); *p && !single; p++) single = NeedsSingleQuotes(*p);
    std::wstring out;
    out.reserve(static_cast<size_t>(name.strlen()) + 8);
    if (single) {
        out += L'\'';
        for (const wchar_t* p = name.c_str(); *p; p++) {
            if (*p == L'\'') out += L"'\\''";
            else out += *p;
        }
        out += L'\'';
    } else {
        for (const wchar_t* p = name.c_str(); *p; p++) {
            if (NeedsBackslash(*p)) out += L'\\';
            out += *p;
        }
    }
    return FromStd(out);
}

Westring QuoteArgumentName(const Westring& name) {
    if (name.c_str()[0] == L'-') return QuoteName(Westring(L"./") + name);
    return QuoteName(name);
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
    return FromStd(out);
}

Westring DequoteWord(const Westring& text) {
    std::wstring out;
    out.reserve(static_cast<size_t>(text.strlen()));
    wchar_t quote = 0;  // the quote the text is inside, or 0
    for (const wchar_t* p = text.c_str(); *p; p++) {
        if (quote == L'\'') {
            if (*p == L'\'') quote = 0;
            else out += *p;
        } else if (*p == L'\\' && (!quote || (p[1] && std::wcschr(L"$`\"\\", p[1])))) {
            if (!p[1]) break;  // a lone backslash at the end escapes nothing
            out += *++p;
        } else if (*p == L'"' || (!quote && *p == L'\'')) {
            quote = quote ? 0 : *p;
        } else {
            out += *p;
        }
    }
    return FromStd(out);
}
