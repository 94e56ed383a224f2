#include "archive/madeupname.h"

#include <cwctype>
#include <string>

namespace {

bool same_ignoring_case(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; a++, b++)
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
    return *a == *b;
}

}  // namespace

Westring MadeUpMemberName(const Westring& archive_name, const CompressedExtension* extensions, int count) {
    std::wstring name(archive_name.c_str());
    const size_t slash = name.find_last_of(L'/');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || dot == 0) return Westring(name.c_str());
    const std::wstring extension = name.substr(dot + 1);
    for (int i = 0; i < count; i++) {
        if (!same_ignoring_case(extension.c_str(), extensions[i].extension)) continue;
        name.replace(dot, std::wstring::npos, extensions[i].replacement);
        break;
    }
    return Westring(name.c_str());
}
