#include "lib/pathparts.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "lib/nls.h"

CPathParts::CPathParts(const Westring& path) {
    const wchar_t* text = path.c_str();
    if (text[0] == L'/') AddObject(new Westring());
    const wchar_t* start = text;
    for (const wchar_t* p = text;; p++) {
        if (*p == L'/' || *p == 0) {
            if (p > start) AddObject(new Westring(start, static_cast<int>(p - start)));
            if (*p == 0) break;
            start = p + 1;
        }
    }
}

int CPathParts::Common(const CPathParts& other) const {
    int n = 0;
    while (n < count() && n < other.count() && fncompare((*this)[n]->c_str(), other[n]->c_str()) == 0)
        n++;
    return n;
}

Westring CPathParts::Path() const {
    // The root alone would otherwise join to an empty path, which means
    // somewhere else entirely.
    if (count() == 1 && (*this)[0]->empty()) return Westring(L"/");
    // Measured first and copied in place: appending piece by piece would
    // measure the growing path again for every component.
    int64_t total = 0;
    for (int i = 0; i < count(); i++) total += (*this)[i]->strlen() + (i > 0 ? 1 : 0);
    if (total > INT_MAX - 1) {
        std::fputs("dv: path too long to join\n", stderr);
        std::abort();
    }
    Westring path;
    path.reserve_discard(static_cast<int>(total));
    wchar_t* out = path.data();
    for (int i = 0; i < count(); i++) {
        if (i > 0) *out++ = L'/';
        int n = (*this)[i]->strlen();
        std::wmemcpy(out, (*this)[i]->c_str(), n);
        out += n;
    }
    path.set_length(static_cast<int>(total));
    return path;
}

namespace {

// The length of text[0, length) without its trailing "/", keeping one
// character so that "/" stays the root.
int without_trailing_slashes(const wchar_t* text, int length) {
    while (length > 1 && text[length - 1] == L'/') length--;
    return length;
}

}  // namespace

Westring ParentDirectory(const Westring& path) {
    const wchar_t* text = path.c_str();
    int length = without_trailing_slashes(text, path.strlen());
    while (length > 0 && text[length - 1] != L'/') length--;
    if (length == 0) return Westring(path.empty() || text[0] == L'/' ? L"/" : L".");
    return Westring(text, without_trailing_slashes(text, length));
}
