#include "exec/substitute.h"

#include <string>
#include <unistd.h>

#include "config/config.h"
#include "exec/environment.h"
#include "exec/exechooks.h"
#include "exec/paramprompt.h"
#include "exec/tmpfiles.h"
#include "lib/fsname.h"
#include "lib/quote.h"
#include "panels/panel.h"

namespace {

bool is_name_start(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'; }
bool is_name_char(wchar_t c) { return is_name_start(c) || (c >= L'0' && c <= L'9'); }

// Characters after which a name starts a new shell word.
bool ends_word(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || wcschr(L";|&()<>", c) != nullptr; }

Westring without_extension(const Westring& name) {
    int dot = name.rchr(L'.');
    int slash = name.rchr(L'/');
    return dot > 0 && dot > slash + 1 ? name.left(dot) : name;
}

Westring full_path(const PANEL* panel, const Westring& name) {
    if (name.empty() || name[0] == L'/') return name;
    return panel->dir.AppendBackslash() + name;
}

// One expansion of a command: the text done so far, the chunk of macro
// values still to be quoted, and the quoting state of the typed text.
class Substitution {
public:
    Substitution(const wchar_t* name, int side, SubstMode mode)
        : panel_(panel_base + side), other_(panel_base + (1 - side)), mode_(mode) {
        command_char_ = static_cast<unsigned char>(config.CmdChar);
        if (!command_char_) command_char_ = L'!';
        if (mode == SUBST_RUN_FILE) {
            current_ = name ? name : L"";
        } else if (entry* e = panel_->CurrentEntry()) {
            current_ = e->name;
        }
        file_ = name ? name : L"";
    }

    int Expand(Westring& command);

private:
    void Literal(const wchar_t*& p);
    void Flush();
    void MoveOver() {
        done_ += pending_;
        pending_.clear();
    }
    [[nodiscard]] bool Macro(const wchar_t*& p);
    [[nodiscard]] bool CurrentName(Westring& value, bool full);
    [[nodiscard]] bool TheFile(Westring& value, wchar_t form);
    [[nodiscard]] bool Extract(PANEL* panel, const entry* e, Westring& value);
    void TaggedList(PANEL* panel, bool with_directory);
    [[nodiscard]] bool ListFile(Westring& value);
    [[nodiscard]] bool Parameter(const wchar_t*& p);
    void EnvironmentReference(const wchar_t*& p);

    PANEL* panel_;
    PANEL* other_;
    SubstMode mode_;
    wchar_t command_char_;
    Westring current_;
    Westring file_;
    std::wstring done_, pending_;
    bool per_file_ = false;
    bool escaped_ = false, in_single_ = false, in_double_ = false;
};

int Substitution::Expand(Westring& command) {
    const wchar_t* p = command.c_str();
    Westring appended;
    if (mode_ == SUBST_RUN_FILE && command.chr(command_char_) < 0) {
        appended = command.empty() ? Westring() : command + L" ";
        appended += command_char_;
        p = appended.c_str();
    }
    while (*p) {
        if (*p == command_char_) {
            if (!Macro(p)) return -1;
        } else {
            Literal(p);
        }
    }
    Flush();
    command = Westring(done_.c_str(), static_cast<int>(done_.size()));
    return per_file_ ? 1 : 0;
}

// The value chunk goes into the text as one shell word.
void Substitution::Flush() {
    if (pending_.empty()) return;
    Westring value(pending_.c_str(), static_cast<int>(pending_.size()));
    pending_.clear();
    const bool word_start = done_.empty() || ends_word(done_.back());
    Westring quoted = word_start ? QuoteArgumentName(value) : QuoteName(value);
    done_.append(quoted.c_str());
}

void Substitution::Literal(const wchar_t*& p) {
    Flush();
    const wchar_t c = *p;
    if (c == L'$' && !escaped_ && !in_single_ && mode_ != SUBST_FIRST_PASS) {
        EnvironmentReference(p);
        return;
    }
    done_ += c;
    p++;
    if (escaped_) {
        escaped_ = false;
    } else if (c == L'\\' && !in_single_) {
        escaped_ = true;
    } else if (c == L'\'' && !in_double_) {
        in_single_ = !in_single_;
    } else if (c == L'"' && !in_single_) {
        in_double_ = !in_double_;
    }
}

// $NAME in the typed text: the variable's value when it has one; else the
// text stays for the shell.
void Substitution::EnvironmentReference(const wchar_t*& p) {
    const wchar_t* name = p + 1;
    const wchar_t* end = name;
    if (is_name_start(*end))
        while (is_name_char(*end)) end++;
    const char* value = nullptr;
    if (end > name) {
        Estring key = Westring(name, static_cast<int>(end - name)).ToUTF8();
        value = SessionEnv.GetAnyCase(key.c_str());
    }
    if (!value) {
        done_ += L'$';
        p++;
        return;
    }
    done_.append(DecodeFileName(value).c_str());
    p = end;
    if (*p == L'$') p++;  // a "$" closing the name goes with it
}

bool Substitution::Extract(PANEL* panel, const entry* e, Westring& value) {
    if (!e || !exec_hooks.extract_entry) return false;
    return exec_hooks.extract_entry(panel, e, value) == 0 && !value.empty();
}

entry* find_entry(const PANEL* panel, const Westring& name) {
    for (int i = 0; i < panel->num_files; i++)
        if (SameChars(name, panel->files[i]->name)) return panel->files[i];
    return nullptr;
}

// The current name; inside an archive the entry taken out into a temporary
// file (a name with a "/" is a real file already).
bool Substitution::CurrentName(Westring& value, bool full) {
    if (panel_->archive && current_.chr(L'/') < 0) return Extract(panel_, find_entry(panel_, current_), value);
    value = full ? full_path(panel_, current_) : current_;
    return true;
}

// !t, !tf, !tx: the file of the per-file run.
bool Substitution::TheFile(Westring& value, wchar_t form) {
    per_file_ = true;
    value = file_;
    if (panel_->archive) return Extract(panel_, find_entry(panel_, file_), value);
    if (form == L'f') value = full_path(panel_, value);
    else if (form == L'x') value = without_extension(value);
    return true;
}

// The tagged names of panel, each quoted and followed by a blank, as long
// as the command stays within kMaxListCommand; the entries listed are
// untagged and marked done.
void Substitution::TaggedList(PANEL* panel, bool with_directory) {
    const Westring prefix = panel->dir.AppendBackslash();
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (!e->tagged) continue;
        Westring name = with_directory ? prefix + e->name : Westring(e->name);
        Westring item = QuoteArgumentName(name) + L" ";
        if (static_cast<int>(done_.size() + pending_.size()) + item.strlen() > kMaxListCommand) break;
        pending_.append(item.c_str());
        e->tagged = 0;
        e->done = 1;
        panel->num_tagged--;
        panel->tagged_size -= e->size;
    }
}

// !@: a new temporary file with the quoted tagged names (or the current
// name), one per line.
bool Substitution::ListFile(Westring& value) {
    std::string lines;
    bool any = false;
    for (int i = 0; i < panel_->num_files; i++) {
        if (!panel_->files[i]->tagged) continue;
        lines.append(EncodeFileName(QuoteName(panel_->files[i]->name)).c_str());
        lines.push_back('\n');
        any = true;
    }
    if (!any) {
        lines.append(EncodeFileName(QuoteName(current_)).c_str());
        lines.push_back('\n');
    }
    int fd = -1;
    if (TmpFileName(value, nullptr, &fd) != 0) return false;
    size_t written = 0;
    while (written < lines.size()) {
        ssize_t n = write(fd, lines.data() + written, lines.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    close(fd);
    return written == lines.size();
}

// !i and !i"title": asks for a parameter. The answer goes in quoted, with
// its command characters doubled, so that a later pass keeps it as typed.
bool Substitution::Parameter(const wchar_t*& p) {
    Westring title;
    if (*p == L'"') {
        const wchar_t* start = ++p;
        while (*p && *p != L'"') p++;
        title = Westring(start, static_cast<int>(p - start));
        if (*p) p++;
    }
    Westring answer;
    if (!AskParameter(title, answer)) return false;
    Flush();
    done_.append(DoubleCmdChar(QuoteName(answer)).c_str());
    return true;
}

bool Substitution::Macro(const wchar_t*& p) {
    const wchar_t* start = p++;
    const wchar_t letter = *p;
    if (letter == L'i') {
        p++;
        return Parameter(p);
    }
    if (mode_ == SUBST_FIRST_PASS) {
        // Kept as written: the letter and, for !l, !L and !t, their second letter.
        if (letter) p++;
        if ((letter == L'l' || letter == L'L') && *p == L'f') p++;
        if (letter == L't' && (*p == L'f' || *p == L'x')) p++;
        if (letter == L't') per_file_ = true;
        Flush();
        done_.append(start, static_cast<size_t>(p - start));
        return true;
    }

    Westring value;
    if (letter == command_char_) {
        p++;
        pending_ += command_char_;
        MoveOver();
        return true;
    }
    switch (letter) {
    case L'f':
        p++;
        if (!CurrentName(value, true)) return false;
        break;
    case L'F': {
        p++;
        entry* e = other_->CurrentEntry();
        if (e && other_->archive) {
            if (!Extract(other_, e, value)) return false;
        } else if (e) {
            value = full_path(other_, e->name);
        }
        break;
    }
    case L'p': case L's': case L'P': case L'S': {
        p++;
        const PANEL* which = (letter == L'p' || letter == L's') ? panel_ : other_;
        value = which->dir;
        if (letter == L's' || letter == L'S') value = value.AppendBackslash();
        break;
    }
    case L'l': case L'L': {
        p++;
        const bool with_directory = letter == L'L' || *p == L'f';
        if (*p == L'f') p++;
        PANEL* which = letter == L'l' ? panel_ : other_;
        Flush();
        if (mode_ == SUBST_COMMAND_LINE && which->num_tagged > 0) {
            TaggedList(which, with_directory);
        } else if (letter == L'l') {
            if (!CurrentName(value, with_directory)) return false;
            pending_.append(QuoteArgumentName(value).c_str());
        }
        MoveOver();
        return true;
    }
    case L'x':
        p++;
        value = without_extension(current_);
        break;
    case L't': {
        p++;
        wchar_t form = 0;
        if (*p == L'f' || *p == L'x') form = *p++;
        if (!TheFile(value, form)) return false;
        break;
    }
    case L'@':
        p++;
        if (!ListFile(value)) return false;
        break;
    case L'n':
        p++;
        return true;
    default:
        // Only the command character is taken: the name as it is.
        if (!CurrentName(value, false)) return false;
        break;
    }
    pending_.append(value.c_str());
    return true;
}

}  // namespace

int pling_subst(Westring& command, const wchar_t* name, int side, SubstMode mode) {
    Substitution substitution(name, side, mode);
    return substitution.Expand(command);
}

Westring DoubleCmdChar(const Westring& command) {
    const wchar_t command_char = static_cast<unsigned char>(config.CmdChar);
    std::wstring out;
    for (const wchar_t* p = command.c_str(); *p; p++) {
        out += *p;
        if (command_char && *p == command_char) out += *p;
    }
    return Westring(out.c_str(), static_cast<int>(out.size()));
}
