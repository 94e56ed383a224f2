#include "archive/membername.h"

#include <string>

namespace {

void append_component(std::wstring& path, const wchar_t* start, size_t length) {
    if (!path.empty()) path.push_back(L'/');
    path.append(start, length);
}

}  // namespace

MemberPath CleanMemberPath(const Westring& stored, bool is_directory, const wchar_t* made_up_name) {
    MemberPath result;
    const wchar_t* p = stored.c_str();
    if (*p == L'/') result.unsafe = true;
    if (p[0] == L'.' && (p[1] == 0 || p[1] == L'/')) result.dot_slash = true;

    std::wstring path;
    std::wstring last;  // the last kept component, not yet placed
    bool have_last = false;
    bool ends_with_slash = false;
    while (*p) {
        const wchar_t* start = p;
        while (*p && *p != L'/') p++;
        const size_t length = static_cast<size_t>(p - start);
        ends_with_slash = *p == L'/';
        if (*p) p++;
        if (length == 0 || (length == 1 && start[0] == L'.')) continue;
        if (length == 2 && start[0] == L'.' && start[1] == L'.') {
            result.unsafe = true;
            continue;
        }
        if (have_last) append_component(path, last.data(), last.size());
        last.assign(start, length);
        have_last = true;
    }
    if (is_directory || ends_with_slash) {
        if (have_last) append_component(path, last.data(), last.size());
    } else if (have_last) {
        result.name = Westring(last.c_str(), static_cast<int>(last.size()));
    } else {
        result.name = made_up_name;
    }
    result.path = Westring(path.c_str(), static_cast<int>(path.size()));
    return result;
}
