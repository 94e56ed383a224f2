#include "archive/archivernaming.h"

#include "archive/archive.h"

bool IsSingleFileFormat(int type) { return type == ARCHIVE_GZIP || type == ARCHIVE_BZIP2 || type == ARCHIVE_XZ; }

ArchiverNaming NamingFor(int type, ArchiveOperation op) {
    ArchiverNaming rules;
    switch (type) {
    case ARCHIVE_ZIP:
        // zip adds names as given, but unzip and zip -d match patterns;
        // unzip reads options after the archive's name and knows no "--".
        rules.backslash_escapes = op != ArchiveOperation::kAdd;
        rules.double_dash = op != ArchiveOperation::kExtract;
        rules.bracket_dash = op == ArchiveOperation::kExtract;
        break;
    case ARCHIVE_TAR:
    case ARCHIVE_7ZIP:  // its commands carry -spd, which turns its patterns off
        rules.double_dash = true;
        break;
    case ARCHIVE_ARJ:
        // Its "dir/*" reaches one level down only, and "-r" would let every
        // name match in every folder: a folder's members are named one by one.
        rules.name_each_member = op != ArchiveOperation::kAdd;
        rules.unescapable_patterns = op != ArchiveOperation::kAdd;
        rules.double_dash = true;
        break;
    case ARCHIVE_RAR:
    case ARCHIVE_ACE:
        rules.unescapable_patterns = op != ArchiveOperation::kAdd;
        rules.double_dash = true;
        break;
    case ARCHIVE_LHARC:
    case ARCHIVE_HA:
        // Everything after the archive's name is a name, and names are
        // matched exactly: "dir" selects the record of dir, not its members.
        rules.name_each_member = op != ArchiveOperation::kAdd;
        break;
    case ARCHIVE_GZIP:
    case ARCHIVE_BZIP2:
    case ARCHIVE_XZ:
        rules.single_file = true;
        rules.dot_slash_dash = op == ArchiveOperation::kAdd;
        break;
    default:
        break;
    }
    return rules;
}

Westring EscapeArchiverPattern(const Westring& name) {
    Westring escaped;
    for (const wchar_t* p = name.c_str(); *p; p++) {
        if (*p == L'*' || *p == L'?' || *p == L'[' || *p == L']' || *p == L'\\') escaped += L'\\';
        escaped += *p;
    }
    return escaped;
}

bool HoldsPatternCharacters(const Westring& name) {
    for (const wchar_t* p = name.c_str(); *p; p++)
        if (*p == L'*' || *p == L'?') return true;
    return false;
}

Westring ArchiverLiteral(const Westring& name, const ArchiverNaming& rules) {
    Westring literal = rules.backslash_escapes ? EscapeArchiverPattern(name) : name;
    if (literal[0] != L'-') return literal;
    if (rules.bracket_dash) return Westring(L"[-]") + literal.mid(1);
    if (rules.dot_slash_dash) return Westring(L"./") + literal;
    return literal;
}

void ForwardSlash(Westring& text) {
    for (int i = 0; text[i]; i++)
        if (text[i] == L'\\') text[i] = L'/';
}
