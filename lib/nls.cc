#include "lib/nls.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cwctype>

#include "lib/casefold.h"

namespace {

struct CaseTables {
    unsigned char upcase[256];
    unsigned char downcase[256];
};

// Until nls_init runs, the tables hold the "C" locale's ASCII mapping.
constexpr CaseTables ascii_tables() {
    CaseTables t{};
    for (int c = 0; c < 256; c++) {
        t.upcase[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        t.downcase[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return t;
}

CaseTables tables = ascii_tables();

// The difference of two wide characters, kept inside int so that its sign is
// right even for values far apart.
int wide_difference(wchar_t a, wchar_t b) {
    int64_t d = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    if (d > INT_MAX) return INT_MAX;
    if (d < INT_MIN) return INT_MIN;
    return static_cast<int>(d);
}

unsigned char narrow_upper(char c) { return tables.upcase[static_cast<unsigned char>(c)]; }

}  // namespace

void nls_init() {
    for (int c = 1; c < 256; c++) {
        int up = std::toupper(c), down = std::tolower(c);
        // A 0 would end the text early; a byte without a case keeps its value.
        tables.upcase[c] = static_cast<unsigned char>(up > 0 && up < 256 ? up : c);
        tables.downcase[c] = static_cast<unsigned char>(down > 0 && down < 256 ? down : c);
    }
    tables.upcase[0] = 0;
    tables.downcase[0] = 0;
}

char* nls_strupr(char* text) {
    if (!text) return text;
    for (char* p = text; *p; p++) *p = static_cast<char>(tables.upcase[static_cast<unsigned char>(*p)]);
    return text;
}

char* nls_strlwr(char* text) {
    if (!text) return text;
    for (char* p = text; *p; p++) *p = static_cast<char>(tables.downcase[static_cast<unsigned char>(*p)]);
    return text;
}

wchar_t nls_toupper(wchar_t ch) { return CUnicodeCaseFold::Get().toupper(ch); }

wchar_t nls_tolower(wchar_t ch) {
    if (ch >= 0 && ch < 128) return static_cast<wchar_t>(std::tolower(static_cast<int>(ch)));
    if (ch <= 0) return ch;  // not a character the C library can lower-case
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
}

wchar_t* nls_strupr(wchar_t* text) {
    CUnicodeCaseFold::Get().strupr(text);
    return text;
}

wchar_t* nls_strlwr(wchar_t* text) {
    if (!text) return text;
    for (wchar_t* p = text; *p; p++) {
        if (*p > 0) *p = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(*p)));
    }
    return text;
}

int nls_stricmp(const char* a, const char* b) { return nls_strnicmp(a, b, SIZE_MAX); }

int nls_strnicmp(const char* a, const char* b, size_t n) {
    if (!a) a = "";
    if (!b) b = "";
    for (size_t i = 0; i < n; i++) {
        unsigned char ua = narrow_upper(a[i]), ub = narrow_upper(b[i]);
        if (ua != ub) return ua - ub;
        if (a[i] == 0) return 0;
    }
    return 0;
}

int nls_stricmp(const wchar_t* a, const wchar_t* b) { return nls_strnicmp(a, b, SIZE_MAX); }

int nls_strnicmp(const wchar_t* a, const wchar_t* b, size_t n) {
    if (!a) a = L"";
    if (!b) b = L"";
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    for (size_t i = 0; i < n; i++) {
        wchar_t ua = fold.toupper(a[i]), ub = fold.toupper(b[i]);
        if (ua != ub) return wide_difference(ua, ub);
        if (a[i] == 0) return 0;
    }
    return 0;
}

int fncompare(const wchar_t* a, const wchar_t* b) { return fncomparen(a, b, SIZE_MAX); }

int fncomparen(const wchar_t* a, const wchar_t* b, size_t n) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (size_t i = 0; i < n; i++) {
        if (a[i] != b[i]) return wide_difference(a[i], b[i]);
        if (a[i] == 0) return 0;
    }
    return 0;
}

int nls_fname_cmp(const wchar_t* a, const wchar_t* b) {
    if (!a) a = L"";
    if (!b) b = L"";
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    // Equal characters need no folding; most of a shared prefix is exact.
    while (*a && (*a == *b || (*b && fold.toupper(*a) == fold.toupper(*b)))) {
        a++;
        b++;
    }
    wchar_t ua = fold.toupper(*a), ub = fold.toupper(*b);
    // "_" sorts as code 1, before letters and digits; the end of a name is 0.
    wchar_t ka = ua == L'_' ? 1 : ua, kb = ub == L'_' ? 1 : ub;
    if (ka != kb) return wide_difference(ka, kb);
    // "_" against the control character 1: both weigh 1, yet the names differ.
    // Putting "_" first keeps the order consistent, so sorting stays sound.
    if (ua != ub) return ua == L'_' ? -1 : 1;
    return 0;
}
