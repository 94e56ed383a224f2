#include "shell/completion.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/quote.h"
#include "panels/panel.h"
#include "shell/cmdedit.h"
#include "shell/keybar.h"

namespace {

bool starts_with(const Westring& name, const Westring& prefix) {
    const int n = prefix.strlen();
    return name.strlen() >= n && fncomparen(name.c_str(), prefix.c_str(), static_cast<size_t>(n)) == 0;
}

// The directory part of word (up to and with its last '/') and the name part.
void split_word(const Westring& word, Westring& dir_part, Westring& name_part) {
    const int slash = word.rchr(L'/');
    dir_part = slash < 0 ? Westring() : word.left(slash + 1);
    name_part = word.mid(slash + 1);
}

}  // namespace

CFileNameCompletion::CFileNameCompletion(const Westring& base_dir) : base_dir_(base_dir) {}

void CFileNameCompletion::CheckName(const Westring& name, const Westring& prefix) {
    if (!starts_with(name, prefix)) return;
    if (!seen_.insert(std::wstring(name.c_str())).second) return;
    matches_.push_back(name);
}

bool CFileNameCompletion::CheckDirectory(const Westring& dir, const Westring& prefix, bool programs_only) {
    const Estring path = EncodeFileName(dir.empty() ? Westring(L".") : dir);
    DIR* stream = opendir(path.c_str());
    if (!stream) return false;
    const Estring dir_slash = path.AppendBackslash();
    while (struct dirent* item = readdir(stream)) {
        const char* raw = item->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0))) continue;
        Westring name = DecodeFileName(raw);
        if (!starts_with(name, prefix)) continue;
        const Estring full = dir_slash + raw;
        struct stat status;
        const bool exists = stat(full.c_str(), &status) == 0;
        const bool directory = exists && S_ISDIR(status.st_mode);
        if (programs_only) {
            if (!exists || directory || access(full.c_str(), X_OK) != 0) continue;
        } else if (directory) {
            name += L'/';
        }
        CheckName(name, prefix);
    }
    closedir(stream);
    return true;
}

Westring CFileNameCompletion::CommonPrefix() const {
    if (matches_.empty()) return Westring();
    const Westring& first = matches_[0];
    int common = first.strlen();
    for (const Westring& name : matches_) {
        const wchar_t* text = name.c_str();
        int n = 0;
        while (n < common && text[n] == first[n]) n++;
        common = n;
    }
    return first.left(common);
}

bool CFileNameCompletion::Finish(const Westring& prefix, Westring& name, bool& complete) {
    complete = false;
    if (matches_.empty()) return false;
    Westring common = CommonPrefix();
    if (common.strlen() > prefix.strlen()) {
        name = common;
        return true;
    }
    if (matches_.size() == 1) {
        name = matches_[0];
        complete = true;
        return true;
    }
    if (!PickMatch(prefix, name)) return false;
    complete = true;
    return true;
}

bool CFileNameCompletion::CompleteFilename(const Westring& word, Westring& result, bool& complete) {
    Westring dir_part, prefix;
    split_word(word, dir_part, prefix);
    matches_.clear();
    seen_.clear();
    Westring dir;
    if (dir_part.empty()) dir = base_dir_;
    else if (dir_part[0] == L'/') dir = dir_part;
    else dir = base_dir_.AppendBackslash() + dir_part;
    CheckDirectory(dir, prefix, false);
    Westring name;
    if (!Finish(prefix, name, complete)) return false;
    result = dir_part + name;
    return true;
}

bool CFileNameCompletion::CompleteProgramName(const Westring& word, Westring& result, bool& complete) {
    if (word.chr(L'/') >= 0) return CompleteFilename(word, result, complete);
    matches_.clear();
    seen_.clear();
    WestringStore paths;
    GetPaths(paths, config.PathAppend);
    for (int i = 0; i < paths.count(); i++) CheckDirectory(*paths[i], word, true);
    return Finish(word, result, complete);
}

// Every match begins with the prefix, but the one that is the prefix itself
// need not sort first: a directory's '/' sorts after '.', '-' and '_'.
int CFileNameCompletion::PrefixItem(const std::vector<Westring>& items, const Westring& prefix) {
    const Westring directory = prefix + L"/";
    for (size_t i = 0; i < items.size(); i++)
        if (items[i] == prefix || items[i] == directory) return static_cast<int>(i);
    return 0;
}

bool CFileNameCompletion::PickMatch(const Westring& prefix, Westring& chosen) {
    if (matches_.empty() || !console) return false;
    std::vector<Westring> sorted = matches_;
    std::sort(sorted.begin(), sorted.end(),
              [](const Westring& a, const Westring& b) { return nls_fname_cmp(a.c_str(), b.c_str()) < 0; });
    WestringStore items;
    int longest = 0;
    for (const Westring& name : sorted) {
        items.Add(name);
        longest = std::max(longest, name.strlen());
    }
    const int columns = console->columns(), rows = console->rows();
    const int width = std::min(longest + 4, columns);
    const int height = std::min(static_cast<int>(sorted.size()) + 2, rows);
    const int left = (columns - width) / 2;
    const int top = std::max(0, (rows - height) / 2 - 2);
    int selected = PrefixItem(sorted, prefix);
    Dialog dialog(left, top, left + width - 1, top + height - 1, colours[CLR_MENU]);
    dialog.AddListBox(1, 0, 1, std::max(1, width - 4), std::max(1, height - 2), items, selected);
    dialog.AddExitKey(KEY_CTRL_ENTER);
    // Ctrl-Tab opened the list: the key bar follows Ctrl going up, and any
    // modifier after it, unless the list (with its shadow) covers the bar.
    if (top + height + (win_shadows ? 1 : 0) < rows) dialog.SetShiftStateHandler(draw_key_bar);
    const int result = dialog.Process();
    if ((result != KEY_ENTER && result != KEY_CTRL_ENTER) || selected < 0 || selected >= items.count()) return false;
    chosen = *items[selected];
    return true;
}

bool FileCompletion(Westring& cmdline, int& pos, const PANEL* panel) {
    const int length = cmdline.strlen();
    if (pos < 0 || pos > length) pos = length;
    // The word runs from after the last blank, '<' or '>' that is neither
    // escaped nor inside quotes.
    int start = 0;
    wchar_t quote = 0;
    for (int i = 0; i < pos; i++) {
        const wchar_t ch = cmdline[i];
        if (quote == L'\'') {
            if (ch == L'\'') quote = 0;
        } else if (ch == L'\\') {
            i++;
        } else if (ch == L'"' || (!quote && ch == L'\'')) {
            quote = quote ? 0 : ch;
        } else if (!quote && (ch == L' ' || ch == L'<' || ch == L'>')) {
            start = i + 1;
        }
    }
    if (start >= pos) return false;  // an empty word (or a backslash just before the cursor)
    const Westring word = DequoteWord(cmdline.mid(start, pos - start));
    if (word.empty()) return false;

    bool first_word = true;
    for (int i = 0; i < start; i++)
        if (cmdline[i] != L' ') first_word = false;

    CFileNameCompletion completion(panel ? panel->GetWD() : Westring(L"."));
    Westring result;
    bool complete = false;
    const bool found = first_word ? completion.CompleteProgramName(word, result, complete)
                                  : completion.CompleteFilename(word, result, complete);
    if (!found) return false;
    Westring replacement = QuoteName(result);
    const int rlength = replacement.strlen();
    if (complete && (rlength == 0 || replacement[rlength - 1] != L'/')) replacement += L' ';
    Westring line = cmdline.left(start) + replacement + cmdline.mid(pos);
    if (line.strlen() > CCommandLine::kMaxLength) return false;
    cmdline = line;
    pos = start + replacement.strlen();
    return true;
}
