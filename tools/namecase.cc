#include "tools/namecase.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cwctype>
#include <vector>

#include "console/wordedit.h"
#include "console/msgbox.h"
#include "fileops/fileprompt.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
#include "lib/atpath.h"
#include "lib/fsname.h"
#include "lib/nls.h"

namespace {

// Below 128 the C library's letters; above, the characters words are made of.
bool is_letter(wchar_t c) { return c < 128 ? std::iswalpha(static_cast<wint_t>(c)) != 0 : iswordchar(c); }

// After an upper-cased letter at i: whether it is followed by an apostrophe
// and a word of two or more letters other than "ll", as in "O'Neil" (but
// not "Don't" or "We'll"), so that the word after it is capitalised too.
bool capitalise_after_apostrophe(const Westring& text, int i) {
    if (text[i + 1] != L'\'') return false;
    int letters = 0;
    for (int j = i + 2; text[j] && is_letter(text[j]); j++) letters++;
    if (letters < 2) return false;
    return !(letters == 2 && nls_tolower(text[i + 2]) == L'l' && nls_tolower(text[i + 3]) == L'l');
}

Westring mixed_case(const Westring& text) {
    Westring out = text;
    bool capitalise = true;
    for (int i = 0; text[i]; i++) {
        const wchar_t c = text[i];
        if (is_letter(c)) {
            if (capitalise) {
                out[i] = nls_toupper(c);
                capitalise = capitalise_after_apostrophe(text, i);
            } else {
                out[i] = nls_tolower(c);
            }
        } else if (c >= L'0' && c <= L'9') {
            capitalise = false;
        } else if (c != L'\'') {
            capitalise = true;
        }
    }
    return out;
}

int default_error_prompt(int code, const Westring& from, const Westring& to) {
    // A clash names the file that is in the way: it stays as it is.
    if (code == EEXIST) return file_error(Westring(L"Another file already has the name"), to, MB_RETRY);
    int shown = code;
    int done = 0;
    return fs_error(shown, done, from.c_str());
}

int ask(const CaseChangeOptions& options, int code, const Westring& from, const Westring& to) {
    return options.on_error ? options.on_error(code, from, to) : default_error_prompt(code, from, to);
}

bool is_real_directory(const Westring& path) {
    struct stat status;
    return lstat(EncodeFileName(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A directory, or a link to one, for the choice between "Change
// directories" and "Change files".
bool counts_as_directory(const Westring& path) {
    struct stat status;
    return stat(EncodeFileName(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

enum class Outcome { kKept, kRenamed, kSkipped, kStopped };

// Renames directory/name to its new case when its kind is chosen,
// prompting on failure until it succeeds or the user gives up. new_name
// receives the name the entry has afterwards.
Outcome change_one(const Westring& directory, const Westring& name, const CaseChangeOptions& options,
                   Westring& new_name) {
    new_name = name;
    const Westring from = join_path(directory, name);
    const bool directory_entry = counts_as_directory(from);
    if (directory_entry ? !options.directories : !options.files) return Outcome::kKept;
    const Westring changed = ChangeFileNameCase(name, options.name_mode, options.extension_mode);
    if (SameChars(changed, name)) return Outcome::kKept;
    const Westring to = join_path(directory, changed);
    for (;;) {
        const int code = RenameWithoutReplacing(from, to);
        if (code == 0) {
            new_name = changed;
            return Outcome::kRenamed;
        }
        const int answer = ask(options, code, from, to);
        if (answer == 27) return Outcome::kStopped;
        if (answer != 'r') return Outcome::kSkipped;
    }
}

// The names in directory except "." and "..", read before anything in it
// is renamed; false when it cannot be read (errno set).
bool list_directory(const Westring& directory, std::vector<Westring>& names) {
    AtPath path(EncodeFileName(directory).c_str());
    if (path.error() != 0) {
        errno = path.error();
        return false;
    }
    const int fd = path.OpenDirectory(false);
    if (fd < 0) return false;
    DIR* stream = fdopendir(fd);
    if (!stream) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return false;
    }
    while (dirent* found = readdir(stream)) {
        const char* leaf = found->d_name;
        if (leaf[0] == '.' && (leaf[1] == 0 || (leaf[1] == '.' && leaf[2] == 0))) continue;
        names.push_back(DecodeFileName(leaf));
    }
    closedir(stream);
    return true;
}

}  // namespace

Westring ChangeNameCase(const Westring& text, wchar_t mode) {
    Westring out = text;
    switch (mode) {
    case L'l': nls_strlwr(out.data()); break;
    case L'u': nls_strupr(out.data()); break;
    case L'm': return mixed_case(text);
    default: break;
    }
    return out;
}

Westring ChangeFileNameCase(const Westring& name, wchar_t name_mode, wchar_t extension_mode) {
    const int dot = name.rchr(L'.');
    if (dot < 0) return ChangeNameCase(name, name_mode);
    return ChangeNameCase(name.left(dot), name_mode) + ChangeNameCase(name.mid(dot), extension_mode);
}

int RenameWithoutReplacing(const Westring& from, const Westring& to) {
    AtPath source(EncodeFileName(from).c_str());
    AtPath target(EncodeFileName(to).c_str());
    if (source.error() != 0) return source.error();
    if (target.error() != 0) return target.error();
    if (renameat2(source.dir(), source.leaf(), target.dir(), target.leaf(), RENAME_NOREPLACE) == 0) return 0;
    const int code = errno;
    if (code != EEXIST) return code;
    // On a file system that ignores case the new spelling finds the file
    // itself; only then may the name be given over in place.
    struct stat old_status, new_status;
    if (fstatat(source.dir(), source.leaf(), &old_status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (fstatat(target.dir(), target.leaf(), &new_status, AT_SYMLINK_NOFOLLOW) != 0) return EEXIST;
    if (old_status.st_dev != new_status.st_dev || old_status.st_ino != new_status.st_ino) return EEXIST;
    return renameat(source.dir(), source.leaf(), target.dir(), target.leaf()) == 0 ? 0 : errno;
}

int ChangeEntryCase(const Westring& directory, const Westring& name, const CaseChangeOptions& options) {
    Westring new_name;
    const Outcome outcome = change_one(directory, name, options, new_name);
    if (outcome == Outcome::kStopped) return -1;
    if (!options.recurse) return 0;
    const Westring top = join_path(directory, new_name);
    if (!is_real_directory(top)) return 0;

    // The directories still to go through; a list instead of recursion, so
    // depth costs no stack.
    std::vector<Westring> pending{top};
    int64_t handled = 0;
    while (!pending.empty()) {
        const Westring current = pending.back();
        pending.pop_back();
        if (options.progress) options.progress(current, handled);
        std::vector<Westring> names;
        while (!list_directory(current, names)) {
            const int answer = ask(options, errno, current, current);
            if (answer == 27) return -1;
            if (answer != 'r') break;
            names.clear();
        }
        for (const Westring& leaf : names) {
            if (options.stop_requested && options.stop_requested()) return -1;
            Westring renamed;
            if (change_one(current, leaf, options, renamed) == Outcome::kStopped) return -1;
            ++handled;
            const Westring path = join_path(current, renamed);
            if (is_real_directory(path)) pending.push_back(path);
        }
    }
    return 0;
}
