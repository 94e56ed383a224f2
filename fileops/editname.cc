#include "fileops/editname.h"

#include "fileops/fileattr.h"
#include "fileops/resolvepath.h"
#include "lib/nls.h"
#include "panels/entry.h"

namespace {

constexpr int kMaxEditedName = 2048;

bool has_wildcard(const Westring& text) { return text.chr(L'*') >= 0 || text.chr(L'?') >= 0; }

}  // namespace

Westring DosEditName(const wchar_t* name, const wchar_t* pattern) {
    Westring out;
    if (!name) name = L"";
    if (!pattern) return out;
    const wchar_t* n = name;
    for (const wchar_t* p = pattern; *p && out.strlen() < kMaxEditedName; p++) {
        switch (*p) {
            case L'*':
                while (*n && *n != L'.' && out.strlen() < kMaxEditedName) out += *n++;
                break;
            case L'?':
                if (*n) out += *n++;
                break;
            case L'.':
                while (*n && *n != L'.') n++;
                out += L'.';
                if (*n == L'.') n++;
                break;
            default: out += *p; break;
        }
    }
    return out;
}

void editname(const wchar_t* name, const wchar_t* destination, Westring& out) {
    Westring dest(destination);
    bool trailing_slash = false;
    int length = dest.strlen();
    if (length > 0 && dest[length - 1] == L'/') {
        dest = dest.left(length - 1);
        trailing_slash = true;
    }
    Westring last = last_component(dest);
    Westring item = last_component(Westring(name));

    if (!has_wildcard(last)) {
        out = dest;
        if (!trailing_slash) {
            int attr = 0;
            bool directory = GetFileAttr(dest.c_str(), attr) == 0 && (attr & FA_DIREC);
            if (!directory || fncompare(dest.c_str(), name) == 0 || fncompare(last.c_str(), item.c_str()) == 0)
                return;
        }
        out = dest.empty() && trailing_slash ? Westring(L"/") + item : join_path(dest, item);
        return;
    }
    Westring dir = dir_part(dest);
    Westring edited = DosEditName(item.c_str(), last.c_str());
    out = dir.empty() ? edited : join_path(dir, edited);
}
