#include "archive/archivecommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/archiverprogram.h"
#include "config/archivers.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "exec/run.h"
#include "exec/tmpfiles.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/quote.h"
#include "panels/entry.h"
#include "panels/panel.h"

namespace {

// The names of one entry for the archiver, before shell quoting: the
// member's stored name (or prefix + name), or every member below a
// directory the archiver cannot name as a whole.
std::vector<Westring> literal_names(const Archive* archive, const entry* e, const Westring& prefix,
                                    const ArchiverNaming& rules) {
    std::vector<Westring> names;
    if (rules.single_file) {
        // The one member is written to a plain name, never to a stored path.
        names.push_back(ArchiverLiteral(Westring(e->name), rules));
        return names;
    }
    if (archive && e->is_dir() && rules.name_each_member) {
        Westring dir = archive->current_dir.AppendBackslash() + e->name;
        for (const ArchiveEntry* member : archive->MembersBelow(dir)) {
            const std::string stored = Archive::StoredName(member);
            names.push_back(ArchiverLiteral(DecodeFileName(stored.c_str(), stored.size()), rules));
        }
        return names;
    }
    const ArchiveEntry* member = archive && !e->is_dir() ? archive->FindMember(archive->current_dir, e->name) : nullptr;
    if (member) {
        const std::string stored = Archive::StoredName(member);
        names.push_back(ArchiverLiteral(DecodeFileName(stored.c_str(), stored.size()), rules));
    } else {
        names.push_back(ArchiverLiteral(prefix + e->name, rules));
    }
    return names;
}

// Text of a directory's pattern that is not the directory's name, kept from
// the shell: its wildcards are the archiver's to expand.
void append_spec_character(Westring& text, wchar_t ch, bool listmode) {
    if (listmode) {
        text += ch == L' ' ? L'\n' : ch;
        return;
    }
    if (ch != L' ' && IsShellSpecial(ch)) text += L'\\';
    text += ch;
}

// Why the entry cannot be named to the archiver; empty when it can.
Westring refusal(const Archive* archive, const entry* e, ArchiveOperation op, const ArchiverNaming& rules) {
    if (!archive) return Westring();
    const ArchiveEntry* member = e->is_dir() ? nullptr : archive->FindMember(archive->current_dir, e->name);
    if (op == ArchiveOperation::kExtract && member && member->unsafe())
        return Westring(L"its stored name leads outside the folder it would be extracted to");
    if (rules.unescapable_patterns && op == ArchiveOperation::kDelete && HoldsPatternCharacters(e->name))
        return Westring(L"the archiver would take its * or ? for a wildcard and act on other members too");
    return Westring();
}

// Marks a named entry as processed.
void mark_done(PANEL* panel, entry* e) {
    if (e->tagged) {
        e->tagged = 0;
        panel->num_tagged--;
        panel->tagged_size -= e->size;
    }
    e->done = 1;
}

bool holds_line_break(const entry* e) {
    for (const wchar_t* p = e->name; *p; p++)
        if (*p == L'\n' || *p == L'\r') return true;
    return false;
}

// Byte length of text as the system gets it.
size_t byte_length(const Westring& text) { return static_cast<size_t>(EncodeFileName(text).strlen()); }

// The names of the tagged entries written to a new list file, one per
// line; 0 or the error number.
int write_list_file(PANEL* panel, const Archive* archive, const Westring& prefix, const Estring& dirspec,
                    const ArchiverNaming& rules, ArchiveOperation op, Westring& list_file,
                    std::vector<Westring>& refused) {
    int fd = -1;
    if (int failure = TmpFileName(list_file, nullptr, &fd)) return failure;
    std::string text;
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (!e->tagged) continue;
        const Westring why = refusal(archive, e, op, rules);
        if (!why.empty()) {
            refused.push_back(Westring(e->name) + L": " + why);
            continue;
        }
        const Estring line = EncodeFileName(pentry2cmd(archive, e, prefix, dirspec, true, rules));
        text.append(line.c_str(), static_cast<size_t>(line.strlen()));
        text.push_back('\n');
        mark_done(panel, e);
    }
    int failure = 0;
    for (size_t written = 0; written < text.size() && !failure;) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        else if (errno != EINTR) failure = errno;
    }
    if (close(fd) != 0 && !failure) failure = errno;
    return failure;
}

void report_refused(const std::vector<Westring>& refused) {
    if (refused.empty()) return;
    Westring text = refused.front();
    if (refused.size() > 1) text += Westring(L" (and ") + Westring(std::to_wstring(refused.size() - 1).c_str()) + L" more)";
    static_cast<void>(error(L"Left alone: " + text, Westring(), MB_OK));
}

}  // namespace

Westring pentry2cmd(const Archive* archive, const entry* e, const Westring& prefix, const Estring& dirspec,
                    bool listmode, const ArchiverNaming& rules) {
    const wchar_t separator = listmode ? L'\n' : L' ';
    Westring text;
    if (e->is_dir() && !dirspec.empty() && !(archive && rules.name_each_member)) {
        const Westring name = ArchiverLiteral(prefix + e->name, rules);
        for (const char* p = dirspec.c_str(); *p; p++) {
            if (*p == '!') text += listmode ? name : QuoteName(name);
            else append_spec_character(text, static_cast<unsigned char>(*p), listmode);
        }
        return text;
    }
    for (const Westring& name : literal_names(archive, e, prefix, rules)) {
        if (!text.empty()) text += separator;
        text += listmode ? name : QuoteName(name);
    }
    return text;
}

Westring FillArchiverTemplate(const Westring& command, const Westring& archive, const Westring& names,
                              bool end_options) {
    // One pass, so that a name holding "%a" or "%f" is never filled in itself.
    Westring line;
    bool archive_placed = false, names_placed = false;
    for (const wchar_t* p = command.c_str(); *p; p++) {
        if (p[0] == L'%' && p[1] == L'a' && !archive_placed) {
            line += QuoteName(archive);
            archive_placed = true;
            p++;
        } else if (p[0] == L'%' && p[1] == L'f' && !names_placed) {
            line += names;
            names_placed = true;
            p++;
        } else {
            line += *p;
        }
    }
    if (!archive_placed) line += L" " + QuoteName(archive);
    if (!names_placed) {
        if (end_options) line += L" --";
        line += L" " + names;
    }
    return line;
}

int RunArchiveCommand(const Westring& command, const Westring& archive, const Westring& names, bool end_options,
                      int side) {
    const Westring line = FillArchiverTemplate(command, archive, names, end_options);
    return run(line.c_str(), side, L"", RUN_IN_CURRENT_DIRECTORY);
}

int ExecMultiFile(const Westring& command, const Westring& archive, const Westring& prefix, PANEL* panel, int type,
                  ArchiveOperation op) {
    if (type < 0 || type >= ARCHIVER_COUNT) return -1;
    const ArchiverProgram& program = Archiver[type];
    const bool extracting = op == ArchiveOperation::kExtract;
    const Westring list_switch =
        DecodeFileName((extracting ? program.extract_list_switch : program.compress_list_switch).c_str());
    // Adding names files on disk; extracting and deleting name members,
    // which is what the extract pattern names.
    const Estring& dirspec = op == ArchiveOperation::kAdd ? program.compress_dir_spec : program.extract_dir_spec;
    const ArchiverNaming rules = NamingFor(type, op);
    const Archive* source = op == ArchiveOperation::kAdd ? nullptr : panel->archive;
    const int side = panel == panel_base + 1 ? 1 : 0;

    Westring resolved = command;
    if (!FindArchiver(resolved)) {
        static_cast<void>(error(ArchiverNotFoundMessage(command, type), Westring(), MB_OK));
        return -1;
    }
    Westring base = prefix;
    if (program.forward_slash) ForwardSlash(base);
    std::vector<Westring> refused;

    if (panel->num_tagged == 0) {
        entry* e = panel->CurrentEntry();
        if (!e || e->is_parent()) return 0;
        const Westring why = refusal(source, e, op, rules);
        if (!why.empty()) {
            static_cast<void>(error(why, e->name, MB_OK));
            return -1;
        }
        return RunArchiveCommand(resolved, archive, pentry2cmd(source, e, base, dirspec, false, rules),
                                 rules.double_dash, side);
    }

    bool one_per_line = !list_switch.empty();
    for (int i = 0; i < panel->num_files && one_per_line; i++)
        if (panel->files[i]->tagged && holds_line_break(panel->files[i])) one_per_line = false;
    if (one_per_line) {
        const int tagged_before = panel->num_tagged;
        Westring list_file;
        if (int failure = write_list_file(panel, source, base, dirspec, rules, op, list_file, refused)) {
            if (!list_file.empty()) unlink(EncodeFileName(list_file).c_str());
            static_cast<void>(error(GetOSErrorMessage(failure), L"Cannot write the list of names", MB_OK));
            return -1;
        }
        const bool any_named = panel->num_tagged < tagged_before;
        // Every name was refused: an empty list would make some archivers
        // act on the whole archive, others fail.
        const int status =
            any_named ? RunArchiveCommand(resolved, archive, list_switch + QuoteName(list_file), false, side) : 0;
        unlink(EncodeFileName(list_file).c_str());
        report_refused(refused);
        return status;
    }

    // Names on the command line, as many to a run as the system takes.
    const size_t room = ArchiverArgumentRoom();
    const size_t fixed = byte_length(resolved) + byte_length(QuoteName(archive)) + 4;
    Westring names;
    size_t names_bytes = 0;
    int status = 0;
    for (int i = 0; i < panel->num_files && status == 0; i++) {
        entry* e = panel->files[i];
        if (!e->tagged) continue;
        if (break_status == 2) break;
        const Westring why = refusal(source, e, op, rules);
        if (!why.empty()) {
            refused.push_back(Westring(e->name) + L": " + why);
            continue;
        }
        const Westring argument = pentry2cmd(source, e, base, dirspec, false, rules);
        const size_t argument_bytes = byte_length(argument) + 1;
        if (names_bytes > 0 && fixed + names_bytes + argument_bytes >= room) {
            status = RunArchiveCommand(resolved, archive, names, rules.double_dash, side);
            names = Westring();
            names_bytes = 0;
            if (status != 0) break;
        }
        if (names_bytes > 0) names += L" ";
        names += argument;
        names_bytes += argument_bytes;
        mark_done(panel, e);
    }
    if (status == 0 && names_bytes > 0) status = RunArchiveCommand(resolved, archive, names, rules.double_dash, side);
    report_refused(refused);
    return status;
}
