#include "fileops/resolvepath.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "lib/fsname.h"

Westring join_path(const Westring& dir, const Westring& name) {
    if (dir.empty()) return name;
    Westring out = dir;
    if (out[out.strlen() - 1] != L'/') out += L'/';
    out += name;
    return out;
}

Westring dir_part(const Westring& path) {
    int slash = path.rchr(L'/');
    if (slash < 0) return Westring();
    if (slash == 0) return Westring(L"/");
    return path.left(slash);
}

Westring last_component(const Westring& path) {
    int slash = path.rchr(L'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

namespace {

bool current_directory(Westring& out) {
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    if (!cwd) return false;
    out = DecodeFileName(cwd.get());
    return true;
}

}  // namespace

int ResolvePath(Westring& path, const wchar_t* base) {
    Westring full = path;
    for (int i = 0; full[i]; i++)
        if (full[i] == L'\\') full[i] = L'/';
    if (full[0] != L'/') {
        Westring start;
        if (base) {
            start = base;
            for (int i = 0; start[i]; i++)
                if (start[i] == L'\\') start[i] = L'/';
        } else if (!current_directory(start)) {
            return -1;
        }
        full = join_path(start, full);
        // A relative base is taken from the current directory in turn.
        if (full[0] != L'/') {
            Westring cwd;
            if (!current_directory(cwd)) return -1;
            full = join_path(cwd, full);
        }
    }

    std::vector<Westring> parts;
    const wchar_t* p = full.c_str();
    while (*p) {
        while (*p == L'/') p++;
        const wchar_t* start = p;
        while (*p && *p != L'/') p++;
        if (p == start) break;
        Westring component(start, static_cast<int>(p - start));
        if (component == L".") continue;
        // Only ".." goes up: "..." and longer runs of dots are ordinary names.
        if (component == L"..") {
            if (parts.empty()) return -1;
            parts.pop_back();
            continue;
        }
        parts.push_back(component);
    }
    Westring out;
    for (const Westring& component : parts) {
        out += L'/';
        out += component;
    }
    if (out.empty()) out = L"/";
    path = out;
    return 0;
}
