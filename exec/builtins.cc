#include "exec/builtins.h"

#include <cstdlib>
#include <pwd.h>

#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/environment.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "lib/quote.h"
#include "panels/dirtree.h"
#include "panels/panel.h"
#include "panels/treeupdate.h"

namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

Westring home_directory(const Westring& user) {
    if (user.empty()) {
        const char* home = std::getenv("HOME");
        if (home && *home) return DecodeFileName(home);
    }
    struct passwd* entry = user.empty() ? getpwuid(getuid()) : getpwnam(EncodeFileName(user).c_str());
    return entry && entry->pw_dir ? DecodeFileName(entry->pw_dir) : Westring();
}

// A directory the panel cannot reach by its path, such as "cd lib" or
// "cd share/doc": looked for in the directory tree of the panel's file
// system, below the panel's directory first, then in the whole tree.
bool find_by_name(PANEL* panel, const Westring& relative, Westring& path) {
    if (relative.empty() || relative[0] == L'/' || relative[0] == L'~') return false;
    const CTree* tree = panel_tree(panel);
    if (!tree) return false;
    return tree->Search(relative, path, false, tree->Find(panel->dir, false));
}

BuiltinResult change_directory(PANEL* panel, const Westring& argument) {
    Westring path;
    if (!CdTarget(panel, argument, path)) {
        static_cast<void>(error(L"Invalid path", argument, MB_OK));
        return BuiltinResult::kFailed;
    }
    if (goto_directory(panel, path) == 0) return BuiltinResult::kDone;
    Westring found;
    if (find_by_name(panel, DequoteWord(argument.trim()), found) && goto_directory(panel, found) == 0)
        return BuiltinResult::kDone;
    static_cast<void>(error(L"Invalid directory", argument, MB_OK));
    return BuiltinResult::kFailed;
}

BuiltinResult set_variable(const Westring& assignment) {
    int equals = assignment.chr(L'=');
    Westring name = assignment.left(equals).trim();
    if (name.empty()) return BuiltinResult::kNotBuiltin;
    Westring value = assignment.mid(equals + 1).trim();
    SessionEnv.Set(EncodeFileName(name).c_str(), EncodeFileName(value).c_str());
    return BuiltinResult::kDone;
}

}  // namespace

bool CdTarget(const PANEL* panel, const Westring& argument, Westring& path) {
    Westring word = DequoteWord(argument.trim());
    const bool quoted_tilde = argument.trim()[0] != L'~';
    if (word.empty()) {
        path = home_directory(Westring());
    } else if (word == L"-") {
        path = panel->prev_dir.empty() ? panel->dir : panel->prev_dir;
    } else if (word[0] == L'~' && !quoted_tilde) {
        int slash = word.chr(L'/');
        Westring user = slash < 0 ? word.mid(1) : word.mid(1, slash - 1);
        Westring home = home_directory(user);
        if (home.empty()) return false;
        path = slash < 0 ? home : home + word.mid(slash);
    } else {
        path = word;
    }
    return !path.empty() && ResolvePath(path, panel->dir.c_str()) == 0;
}

BuiltinResult RunBuiltin(PANEL* panel, const Westring& command) {
    const wchar_t* text = command.c_str();
    // "cd.." needs no blank either.
    if (text[0] == L'c' && text[1] == L'd' && (text[2] == 0 || is_blank(text[2]) || text[2] == L'.'))
        return change_directory(panel, command.mid(2));
    if (text[0] == L's' && text[1] == L'e' && text[2] == L't' && text[3] == L' ' && command.chr(L'=') > 4)
        return set_variable(command.mid(4));
    return BuiltinResult::kNotBuiltin;
}
