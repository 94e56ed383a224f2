#include "shell/configfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "exec/environment.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/wild.h"
#include "panels/mask.h"
#include "shell/cmdline.h"
#include "shell/progfiles.h"

ConfigHooks config_hooks;
int (*config_save_fault)(int step) = nullptr;

// ------------------------------------------------------------- archivers

ArchiverProgram Archiver[ARCHIVER_COUNT];

const char* const archiver_names[ARCHIVER_COUNT] = {
    "ZIP", "RAR", "LHARC", "ARJ", "ACE", "HA", "GZIP", "TAR", "7ZIP", "BZIP2", "XZ",
};

void InitializeArchivers() {
    static const ArchiverProgram defaults[ARCHIVER_COUNT] = {
        {"unzip --z", "", "zip -r", "-@ < ", "zip -d", "!", "!/*", false},
        {"rar x -std", "@", "rar a -std -r0", "@", "rar d -std -r", "!", "!", false},
        {"lha x /s", "", "lha a /s /e", "", "lha d /s", "!/*", "!/*", false},
        {"arj x", "!", "arj a -r", "!", "arj d", "!/*", "!/*", false},
        {"unace x", "@", "unace a -r", "@", "unace d", "!", "!", false},
        {"ha x", "", "ha ar", "", "ha d", "!/*", "!/*", false},
        {"gzip -dc %a > %f", "", "gzip -c %f > %a", "", "", "", "", false},
        {"tar -xf", "--files-from=", "tar -rf", "--files-from=", "tar --delete -f", "!", "!", true},
        {"7z x", "@", "7z a", "@", "7z d", "!", "!", false},
        {"bzip2 -dc %a > %f", "", "bzip2 -c %f > %a", "", "", "", "", false},
        {"xz -dc %a > %f", "", "xz -c %f > %a", "", "", "", "", false},
    };
    for (int i = 0; i < ARCHIVER_COUNT; i++) Archiver[i] = defaults[i];
}

// The archiver keys in the order they are written, with their fields.
struct ArchiverKey {
    const char* name;
    Estring ArchiverProgram::*field;
};
static const ArchiverKey kArchiverKeys[] = {
    {"Compress", &ArchiverProgram::compress_cmd},
    {"CompressListfileSwitch", &ArchiverProgram::compress_list_switch},
    {"Extract", &ArchiverProgram::extract_cmd},
    {"ExtractListfileSwitch", &ArchiverProgram::extract_list_switch},
    {"Delete", &ArchiverProgram::delete_cmd},
    {"CompressDirSpec", &ArchiverProgram::compress_dir_spec},
    {"ExtractDirSpec", &ArchiverProgram::extract_dir_spec},
};

// -------------------------------------------------------------- sections

const char* const config_section_headers[SECTION_COUNT] = {
    "[Archiver:ZIP]", "[Archiver:RAR]", "[Archiver:LHARC]", "[Archiver:ARJ]",
    "[Archiver:ACE]", "[Archiver:HA]", "[Archiver:GZIP]", "[Archiver:TAR]",
    "[Archiver:7ZIP]", "[Archiver:BZIP2]", "[Archiver:XZ]",
    "[Associations]", "[Viewer Associations]", "[Editor Associations]",
    "[Colours]", "[Directory Colours]", "[Environment]", "[General Options]",
};

// The association set each association section fills.
static AssociationSet& section_set(int section) {
    switch (section) {
    case SECTION_VIEWER_ASSOCIATIONS: return viewAssociations;
    case SECTION_EDITOR_ASSOCIATIONS: return editAssociations;
    case SECTION_COLOURS: return colourAssociations;
    case SECTION_DIRECTORY_COLOURS: return colourDirAssociations;
    default: return execAssociations;
    }
}

// ------------------------------------------------------------ directives

#define ROW(name, type) {#name, type, &config.name}

const DIRECTIVE directives[] = {
    ROW(AutoIndent, DT_ONOFF),
    ROW(AutoSave, DT_ONOFF),
    ROW(Background, DT_TEXT),
    {"BriefWordRight", DT_ONOFF, &brief_word_right},
    ROW(CaseFilter, DT_TEXT),
    ROW(CaseMod, DT_NARROW),
    ROW(CaseModRecurse, DT_ONOFF),
    ROW(CaseModDirs, DT_ONOFF),
    ROW(CaseModFiles, DT_ONOFF),
    ROW(Clock, DT_ONOFF),
    ROW(CmdChar, DT_CHAR),
    ROW(CMPContents, DT_ONOFF),
    ROW(CMPMask, DT_TEXT),
    ROW(CMPSize, DT_INTEGER),
    ROW(CMPTime, DT_INTEGER),
    ROW(CMPUnmatched, DT_ONOFF),
    {"CodePage", DT_INTEGER, &codepage},
    ROW(Confirmations, DT_INTEGER),
    ROW(ConsoleScrollback, DT_ONOFF),
    ROW(CtrlRDriveChng, DT_ONOFF),
    ROW(DisableInvert, DT_ONOFF),
    ROW(Editor, DT_TEXT),
    ROW(Editor2, DT_TEXT),
    ROW(EscPanelSwitch, DT_ONOFF),
    ROW(ExpandedTrees, DT_ONOFF),
    ROW(FFRootSearch, DT_ONOFF),
    ROW(FFRecurse, DT_ONOFF),
    ROW(FFCase, DT_ONOFF),
    ROW(FFWholeWord, DT_ONOFF),
    ROW(FFMultiDrive, DT_ONOFF),
    ROW(FFDriveList, DT_NARROW),
    ROW(FFFollowLinks, DT_ONOFF),
    {"FontFamily", DT_NARROW, &console_font_family},
    {"FontSize", DT_INTEGER, &console_font_size},
    ROW(FullScreen, DT_ONOFF),
    {"Manual", DT_IGNORED, nullptr},
    ROW(Hidden, DT_ONOFF),
    ROW(IndentWidth, DT_INTEGER),
    ROW(KeepExtVisible, DT_ONOFF),
    ROW(Left, DT_TEXT),
    ROW(Right, DT_TEXT),
    ROW(LeftFilter, DT_TEXT),
    ROW(RightFilter, DT_TEXT),
    ROW(LeftSort, DT_SORT),
    ROW(RightSort, DT_SORT),
    ROW(LeftStyle, DT_STYLE),
    ROW(RightStyle, DT_STYLE),
    ROW(LeftShowing, DT_ONOFF),
    ROW(RightShowing, DT_ONOFF),
    ROW(LeftType, DT_PANELTYPE),
    ROW(RightType, DT_PANELTYPE),
    ROW(Lines, DT_INTEGER),
    ROW(Columns, DT_INTEGER),
    ROW(MaxHist, DT_INTEGER),
    ROW(MaxFieldHist, DT_INTEGER),
    ROW(MouSpeed, DT_INTEGER),
    ROW(NumLock, DT_ONOFF),
    ROW(OverStrike, DT_ONOFF),
    ROW(PathAppend, DT_TEXT),
    ROW(PathPrompt, DT_ONOFF),
    {"PMClip", DT_ONOFF, &clip_use_desktop},
    ROW(RelativeLinks, DT_ONOFF),
    ROW(RetainCount, DT_ONOFF),
    ROW(Saver, DT_INTEGER),
    {"ScrollDelay", DT_INTEGER, &dialog_scroll_delay},
    {"Shadows", DT_ONOFF, &win_shadows},
    ROW(SizeCountPause, DT_ONOFF),
    ROW(StartupSide, DT_CHAR),
    ROW(StickyAlt, DT_ONOFF),
    ROW(SyncCopyMissing, DT_ONOFF),
    ROW(SyncUpdateOlder, DT_ONOFF),
    ROW(SyncDeleteExtra, DT_ONOFF),
    ROW(SyncDirFilter, DT_TEXT),
    ROW(SyncFilter, DT_TEXT),
    ROW(TabWidth, DT_INTEGER),
    ROW(TagDirs, DT_ONOFF),
    {"TextCodePage", DT_INTEGER, &text_codepage},
    ROW(TimeMode, DT_TIMEMODE),
    ROW(ThousandSep, DT_ONOFF),
    ROW(TranslateCP, DT_NARROW),
    ROW(TreeDir, DT_TEXT),
    {"Use132", DT_IGNORED, nullptr},
    ROW(Viewer, DT_TEXT),
    ROW(Viewer2, DT_TEXT),
    ROW(ViewerWrap, DT_ONOFF),
    ROW(WaitDOS, DT_ONOFF),
    {"Colours", DT_COLOURS, colours},
};

#undef ROW

const int directive_count = sizeof directives / sizeof directives[0];

const DIRECTIVE* FindDirective(const char* name) {
    if (!name) return nullptr;
    for (const DIRECTIVE& row : directives)
        if (strcasecmp(row.name, name) == 0) return &row;
    return nullptr;
}

// ----------------------------------------------------------- value words

static const char* const kSortWords[] = {
    "name", "extension", "time", "size", "unsorted", "rname", "rextension", "rtime", "rsize",
};
static const char* const kStyleWords[] = {"brief", "full", "wide", "briefwide", "unix"};
static const char* const kTypeWords[] = {"files", "info"};

template <size_t N>
static int word_index(const char* const (&words)[N], const char* word, int otherwise) {
    if (!word) return otherwise;
    for (size_t i = 0; i < N; i++)
        if (strcasecmp(words[i], word) == 0) return static_cast<int>(i);
    return otherwise;
}

sortby sort_type(const char* word) { return static_cast<sortby>(word_index(kSortWords, word, SORT_NAME)); }
paneldetail det_type(const char* word) { return static_cast<paneldetail>(word_index(kStyleWords, word, DETAIL_FULL)); }
paneltype panel_type(const char* word) { return static_cast<paneltype>(word_index(kTypeWords, word, PANEL_FILES)); }

const char* sort_word(sortby sort) {
    if (sort == SORT_RUNSORTED) return "unsorted";  // no word of its own; reads back as unsorted
    return sort >= SORT_NAME && sort <= SORT_RSIZE ? kSortWords[sort] : "name";
}

// The tree style is not kept across runs: it reads back as the full style.
const char* det_word(paneldetail detail) {
    return detail >= DETAIL_BRIEF && detail <= DETAIL_UNIX ? kStyleWords[detail] : "full";
}

const char* panel_word(paneltype type) { return type == PANEL_INFO ? "info" : "files"; }

int ParseConfigInt(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) text++;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// ------------------------------------------------------------ text helpers

static bool is_blank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void trim(Estring& text) {
    const char* p = text.c_str();
    int length = text.strlen(), start = 0;
    while (start < length && is_blank(static_cast<unsigned char>(p[start]))) start++;
    while (length > start && is_blank(static_cast<unsigned char>(p[length - 1]))) length--;
    if (start > 0 || length < text.strlen()) text = Estring(p + start, length - start);
}

void trim(Westring& text) {
    const wchar_t* p = text.c_str();
    int length = text.strlen(), start = 0;
    while (start < length && is_blank(p[start])) start++;
    while (length > start && is_blank(p[length - 1])) length--;
    if (start > 0 || length < text.strlen()) text = Westring(p + start, length - start);
}

void despace(Estring& text) {
    Estring out;
    for (const char* p = text.c_str(); *p; p++)
        if (!is_blank(static_cast<unsigned char>(*p))) out += *p;
    text = out;
}

void despace(Westring& text) {
    Westring out;
    for (const wchar_t* p = text.c_str(); *p; p++)
        if (!is_blank(*p)) out += *p;
    text = out;
}

// --------------------------------------------------------------- reading

namespace {

// Lines longer than this are not configuration: they are skipped whole.
constexpr size_t kMaxLineLength = 1 << 20;
// Nor is a file larger than this (a link to a device that never ends).
constexpr size_t kMaxFileSize = 64u << 20;
// A file full of junk must not bury the user in message boxes.
constexpr int kMaxReadMessages = 10;

int line_number = 0;     // of the line being read
int messages_shown = 0;  // during this read
int read_error = 0;      // of the last read; a file not read whole is not overwritten

// The [Environment] lines as the file has them, before substitution, so that
// saving writes back "$HOME/bin" and not what it expanded to today.
struct RawEnvLine {
    Estring name, value;
};
TObjectStore<RawEnvLine> raw_environment;

void show(const Westring& message, const Westring& title) {
    if (console) {
        error(message, title, MB_OK);
        return;
    }
    std::fprintf(stderr, "dv: %s (%s)\n", message.ToUTF8().c_str(), title.ToUTF8().c_str());
}

void show_limited(const Westring& message, const Westring& title) {
    if (++messages_shown <= kMaxReadMessages) show(message, title);
}

void apply_colours(const char* value) {
    const char* p = value;
    for (int n = 0; n < COLOUR_ITEMS && *p; n++) {
        colours[n] = static_cast<unsigned char>(ParseConfigInt(p));
        while (*p && *p != ' ') p++;
        while (*p == ' ') p++;
    }
}

void apply_directive(const DIRECTIVE& row, const Estring& value) {
    switch (row.type) {
    case DT_NARROW: *static_cast<Estring*>(row.setting) = value; break;
    case DT_TEXT: *static_cast<Westring*>(row.setting) = DecodeFileName(value.c_str()); break;
    case DT_INTEGER: *static_cast<int*>(row.setting) = ParseConfigInt(value.c_str()); break;
    case DT_ONOFF: *static_cast<bool*>(row.setting) = strcasecmp(value.c_str(), "on") == 0; break;
    case DT_CHAR:
        // A byte holds one ASCII character; nothing else can be written back.
        if (value[0] > ' ' && value[0] < 127) *static_cast<char*>(row.setting) = value[0];
        break;
    case DT_TIMEMODE: *static_cast<short*>(row.setting) = std::strcmp(value.c_str(), "24") == 0 ? 24 : 12; break;
    case DT_SORT: *static_cast<sortby*>(row.setting) = sort_type(value.c_str()); break;
    case DT_STYLE: *static_cast<paneldetail*>(row.setting) = det_type(value.c_str()); break;
    case DT_PANELTYPE: *static_cast<paneltype*>(row.setting) = panel_type(value.c_str()); break;
    case DT_COLOURS: apply_colours(value.c_str()); break;
    case DT_IGNORED: break;
    }
}

// The separator of a line in a section: its position, or -1.
int separator_of(const Estring& line, int section) {
    if (section >= SECTION_ASSOCIATIONS && section <= SECTION_DIRECTORY_COLOURS) return line.chr(':');
    if (section == SECTION_GENERAL) {
        int equals = line.chr('='), colon = line.chr(':');
        if (equals < 0) return colon;
        if (colon < 0) return equals;
        return equals < colon ? equals : colon;
    }
    return line.chr('=');
}

void add_association(const Estring& line, int separator, int section) {
    Estring mask_text = line.left(separator), command_text = line.mid(separator + 1);
    trim(mask_text);
    trim(command_text);
    Westring mask = DecodeFileName(mask_text.c_str()), command = DecodeFileName(command_text.c_str());
    if (mask_eval(mask, Westring(L"test")) < 0) {
        show_limited(L"Syntax error in association", mask + L":" + command);
        return;
    }
    section_set(section).AddAssociation(mask, command);
}

void set_archiver_key(int section, const Estring& name, const Estring& value) {
    for (const ArchiverKey& key : kArchiverKeys) {
        if (strcasecmp(key.name, name.c_str()) != 0) continue;
        // Values are trimmed, so a built-in command that ends in a blank
        // ("-@ < ") would come back changed; the same text keeps its blank.
        Estring& field = Archiver[section].*key.field;
        Estring current = field;
        trim(current);
        if (std::strcmp(current.c_str(), value.c_str()) != 0) field = value;
        return;
    }
}

void set_environment(const Estring& name, const Estring& value) {
    if (name.empty()) return;
    raw_environment.AddObject(new RawEnvLine{name, value});
    Westring expanded = DecodeFileName(value.c_str());
    SubstEnvVars(expanded);
    ConfEnv.Set(name.c_str(), EncodeFileName(expanded).c_str());
}

void set_general(const Estring& name, const Estring& value) {
    if (const DIRECTIVE* row = FindDirective(name.c_str())) {
        apply_directive(*row, value);
        return;
    }
    if (wild("d[0-9]", name.c_str())) {
        dirstore[name[1] - '0'] = DecodeFileName(value.c_str());
        return;
    }
    Westring message = Westring(L"Bad directive (") + DecodeFileName(name.c_str()) + L") in dv.ini, line " +
                       Westring(IntToStr(static_cast<long>(line_number)).c_str());
    show_limited(message, Westring());
}

// Reads the file's lines and gives each to config_line. Lines may end in LF
// or CR LF, the last one may lack its line end, and lines of any length up to
// kMaxLineLength are read whole; longer lines and lines holding NUL bytes
// are counted and skipped. 0, or the error number of a failed read (EFBIG
// past kMaxFileSize); the lines before it have been taken.
int read_lines(StdFile& file, int& section, bool reload) {
    std::string line;
    bool too_long = false, has_nul = false, pending = false;
    auto finish = [&] {
        if (too_long || has_nul) line_number++;  // counted, not interpreted
        else config_line(line.c_str(), section, reload);
        line.clear();
        too_long = has_nul = pending = false;
    };
    char chunk[StdFile::kBufferSize];
    size_t total = 0;
    for (;;) {
        size_t got = 0;
        int result = file.read(chunk, sizeof chunk, &got);
        total += got;
        if (total > kMaxFileSize) result = EFBIG;
        for (size_t i = 0; i < got; i++) {
            char c = chunk[i];
            if (c == '\n') {
                finish();
                continue;
            }
            pending = true;
            if (too_long) continue;
            if (c == 0) {
                has_nul = true;
            } else if (line.size() >= kMaxLineLength) {
                too_long = true;
                line.clear();
            } else {
                line += c;
            }
        }
        if (result == -1 || (result == 0 && got < sizeof chunk)) break;  // end of file
        if (result > 0) return result;  // an unfinished line is not trusted
    }
    if (pending) finish();
    return 0;
}

void set_defaults() {
    int rows = config.screen_rows, columns = config.screen_columns, panel_rows = config.panel_rows;
    config = CONFIG();
    config.screen_rows = rows;
    config.screen_columns = columns;
    config.panel_rows = panel_rows;
    brief_word_right = true;
    codepage = 0;
    text_codepage = 0;
    console_font_family = "DejaVu Sans Mono";
    console_font_size = 12;
    clip_use_desktop = true;
    dialog_scroll_delay = 10;
    win_shadows = true;
    set_default_colours();
    for (Westring& dir : dirstore) dir = Westring();
    InitializeArchivers();
}

// The range rules and the screen size, after the first read.
void apply_read_settings() {
    if (config.NumLock && config_hooks.numlock_on) config_hooks.numlock_on();
    if (config.MouSpeed <= 0 || config.MouSpeed > 1000) config.MouSpeed = 8;
    if (config.Lines > 250) config.Lines = 25;
    if (config.TabWidth < 1 || config.TabWidth > 8) config.TabWidth = 8;

    int columns = config.screen_columns, rows = config.screen_rows;
    if (console) console->GetSize(columns, rows);
    int want_rows = config.Lines > 0 ? config.Lines : rows;
    int want_columns = config.Columns > 0 ? config.Columns : columns;
    if (console) {
        if (want_rows != rows || want_columns != columns || console->font_size() != console_font_size ||
            std::strcmp(console->font_name().c_str(), console_font_family.c_str()) != 0) {
            set_lines(want_rows, want_columns);
        }
        // The console refuses sizes it cannot show; the record follows what it has.
        console->GetSize(want_columns, want_rows);
    }
    config.screen_rows = want_rows;
    config.screen_columns = want_columns;
}

}  // namespace

void config_line(const char* text, int& section, bool reload) {
    line_number++;
    Estring line(text);
    trim(line);

    if (line[0] == '[') {
        for (int i = 0; i < SECTION_COUNT; i++) {
            if (std::strcmp(line.c_str(), config_section_headers[i]) == 0) {
                section = i;
                return;
            }
        }
    }

    int separator = separator_of(line, section);
    if (separator < 0) return;  // empty lines, comments and other text

    if (line[separator] == ':') {
        if (std::strncmp(line.c_str(), "[Archiver", 9) != 0) add_association(line, separator, section);
        return;
    }

    Estring name = line.left(separator), value = line.mid(separator + 1);
    trim(name);
    trim(value);
    if (section <= SECTION_ARCHIVER_LAST) set_archiver_key(section, name, value);
    else if (section == SECTION_ENVIRONMENT) set_environment(name, value);
    else if (section == SECTION_GENERAL && !reload) set_general(name, value);
}

Westring decide_ini_file(int flags) {
    const Westring& named = program_args.ini_file;
    if (!named.empty()) {
        if (flags & 4) return named;
        struct stat status;
        if (stat(EncodeFileName(named).c_str(), &status) == 0) return named;
    }
    return DVFilename(DV_CONFIG);
}

Westring ini_temp_name(const Westring& name) {
    // Only the file's own name changes, never its directory.
    int slash = name.rchr(L'/');
    int leaf_length = name.strlen() - (slash + 1);
    Westring temp = leaf_length > 3 ? name.chop(3) + L"!!!" : name + L".!!!";
    if (temp == name) temp = name + L".!!!";
    return temp;
}

namespace {

// The file a save replaces: a symbolic link is followed, so that a linked
// configuration file is updated where it lives and the link stays.
Westring write_target() {
    Westring name = decide_ini_file(6);
    Estring system_name = EncodeFileName(name);
    struct stat status;
    if (lstat(system_name.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        if (char* resolved = realpath(system_name.c_str(), nullptr)) {
            name = DecodeFileName(resolved);
            free(resolved);
        }
    }
    return name;
}

int fault(int step) { return config_save_fault ? config_save_fault(step) : 0; }

// Creates the directory of the configuration file when it is missing (the
// user's ".dvl" on a first save).
void make_ini_directory(const Westring& name) {
    Westring dir = name.path();
    if (dir.empty()) return;
    Estring system_dir = EncodeFileName(dir);
    struct stat status;
    if (stat(system_dir.c_str(), &status) != 0 && errno == ENOENT) mkdir(system_dir.c_str(), 0700);
}

}  // namespace

int openini(StdFile& file, int flags) {
    if (flags & 4) {
        Westring target = write_target();
        Westring temp = ini_temp_name(target);
        make_ini_directory(target);
        Estring system_temp = EncodeFileName(temp);
        unlink(system_temp.c_str());  // a leftover, or a link that must not be written through
        int result = fault(SAVE_OPEN);
        if (result == 0) result = file.open(temp, StdFile::kWrite | StdFile::kCreate);
        if (result != 0) {
            show(GetOSErrorMessage(result), target);
            unlink(system_temp.c_str());
        }
        return result;
    }
    Westring name = decide_ini_file(flags);
    int result = file.open(name, 0);
    if (result != 0 && result != ENOENT) show(GetOSErrorMessage(result), name);
    return result;
}

void configure(bool reload) {
    if (!reload) set_defaults();
    execAssociations.Clear();
    viewAssociations.Clear();
    editAssociations.Clear();
    colourAssociations.Clear();
    colourDirAssociations.Clear();
    ConfEnv.Clear();
    raw_environment.DestroyAll();
    line_number = 0;
    messages_shown = 0;

    StdFile file;
    read_error = openini(file, 1);
    if (read_error == ENOENT) read_error = 0;
    if (file.isopen()) {
        int section = SECTION_GENERAL;
        read_error = read_lines(file, section, reload);
        if (read_error != 0) show(GetOSErrorMessage(read_error), file.getname());
        file.close();
    }
    if (!reload) apply_read_settings();
}

// --------------------------------------------------------------- writing

namespace {

// Writes lines ended by CR LF; the first failure sticks and later lines are
// not tried.
class CIniWriter {
public:
    explicit CIniWriter(StdFile& file) : file_(file) {}
    void Line(const char* text) {
        if (error_ != 0) return;
        error_ = fault(SAVE_WRITE);
        if (error_ == 0) error_ = file_.write(text, std::strlen(text));
        if (error_ == 0) error_ = file_.write("\r\n", 2);
    }
    void Line(const Estring& text) { Line(text.c_str()); }
    int error() const { return error_ != 0 ? error_ : file_.geterror(); }

private:
    StdFile& file_;
    int error_ = 0;
};

Estring directive_value(const DIRECTIVE& row) {
    switch (row.type) {
    case DT_NARROW: return *static_cast<const Estring*>(row.setting);
    case DT_TEXT: return EncodeFileName(*static_cast<const Westring*>(row.setting));
    case DT_INTEGER: return IntToStr(static_cast<long>(*static_cast<const int*>(row.setting)));
    case DT_ONOFF: return *static_cast<const bool*>(row.setting) ? "on" : "off";
    case DT_CHAR: {
        char c = *static_cast<const char*>(row.setting);
        return Estring(&c, c ? 1 : 0);
    }
    case DT_TIMEMODE: return *static_cast<const short*>(row.setting) == 24 ? "24" : "12";
    case DT_SORT: return sort_word(*static_cast<const sortby*>(row.setting));
    case DT_STYLE: return det_word(*static_cast<const paneldetail*>(row.setting));
    case DT_PANELTYPE: return panel_word(*static_cast<const paneltype*>(row.setting));
    case DT_COLOURS: {
        Estring out;
        for (int i = 0; i < COLOUR_ITEMS; i++) out += IntToStr(static_cast<long>(colours[i])) + " ";
        return out;
    }
    case DT_IGNORED: break;
    }
    return Estring();
}

int write_sections(StdFile& file) {
    for (int section = SECTION_ASSOCIATIONS; section <= SECTION_DIRECTORY_COLOURS; section++) {
        int result = WriteAssociationSet(section_set(section), section, file);
        if (result != 0) return result;
    }
    CIniWriter out(file);
    out.Line(config_section_headers[SECTION_ENVIRONMENT]);
    for (int i = 0; i < raw_environment.count(); i++)
        out.Line(raw_environment[i]->name + "=" + raw_environment[i]->value);
    out.Line("");

    for (int i = 0; i < ARCHIVER_COUNT; i++) {
        out.Line(config_section_headers[i]);
        for (const ArchiverKey& key : kArchiverKeys) out.Line(Estring(key.name) + "=" + Archiver[i].*key.field);
        out.Line("");
    }

    out.Line(config_section_headers[SECTION_GENERAL]);
    for (const DIRECTIVE& row : directives)
        if (row.type != DT_IGNORED) out.Line(Estring(row.name) + "=" + directive_value(row));
    out.Line("");
    for (int i = 0; i < 10; i++)
        if (!dirstore[i].empty()) out.Line(esprintf("d%d=", i) + EncodeFileName(dirstore[i]));
    return out.error();
}

// Makes the file's contents durable and gives it the permissions of the file
// it replaces.
int finish_file(StdFile& file, const Westring& target) {
    int result = file.flush();
    if (result == 0) {
        struct stat status;
        if (stat(EncodeFileName(target).c_str(), &status) == 0) fchmod(file.gethandle(), status.st_mode & 07777);
        result = fault(SAVE_SYNC);
        if (result == 0 && fsync(file.gethandle()) != 0) result = errno;
    }
    int closed = file.close();
    if (result == 0) result = fault(SAVE_CLOSE);
    return result != 0 ? result : closed;
}

void sync_directory(const Westring& target) {
    Westring dir = target.path();
    int fd = ::open(EncodeFileName(dir.empty() ? Westring(L"/") : dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // best effort: the new file is already in place
    close(fd);
}

}  // namespace

int WriteAssociationSet(const AssociationSet& set, int section, StdFile& file) {
    CIniWriter out(file);
    out.Line(section >= 0 && section < SECTION_COUNT ? config_section_headers[section] : "");
    for (int i = 0; i < set.count(); i++)
        out.Line(EncodeFileName(set[i]->mask) + ": " + EncodeFileName(set[i]->command));
    out.Line("");
    return out.error();
}

int save_config() {
    // The sections the program does not change come back as the file has
    // them; a file that could not be read is left alone (already reported).
    configure(true);
    if (read_error != 0) return read_error;
    if (config.Lines != 0 && config.Lines != config.screen_rows) config.Lines = config.screen_rows;

    StdFile file;
    int result = openini(file, 6);
    if (result != 0) return result;
    Westring temp = file.getname();
    Westring target = write_target();

    if (config_hooks.store_panel_state) config_hooks.store_panel_state();
    result = write_sections(file);
    if (result == 0) result = finish_file(file, target);
    else file.close();
    if (result == 0) {
        result = fault(SAVE_RENAME);
        if (result == 0 && rename(EncodeFileName(temp).c_str(), EncodeFileName(target).c_str()) != 0) result = errno;
    }
    if (result != 0) {
        unlink(EncodeFileName(temp).c_str());
        show(GetOSErrorMessage(result), target);
        return result;
    }
    sync_directory(target);
    return 0;
}

// ---------------------------------------------------------- options dialog

namespace {

// The settings the dialog edits, to put back on Cancel.
struct EditedSettings {
    Westring viewer, viewer2, editor, editor2, left, right, background, tree_dir, case_filter, path_append;
    bool auto_save, pm_clip, esc_panel_switch, size_count_pause;
    int lines, columns, scroll_delay;
    short time_mode;

    void Save() {
        viewer = config.Viewer;
        viewer2 = config.Viewer2;
        editor = config.Editor;
        editor2 = config.Editor2;
        left = config.Left;
        right = config.Right;
        background = config.Background;
        tree_dir = config.TreeDir;
        case_filter = config.CaseFilter;
        path_append = config.PathAppend;
        auto_save = config.AutoSave;
        pm_clip = clip_use_desktop;
        esc_panel_switch = config.EscPanelSwitch;
        size_count_pause = config.SizeCountPause;
        lines = config.Lines;
        columns = config.Columns;
        scroll_delay = dialog_scroll_delay;
        time_mode = config.TimeMode;
    }
    void Restore() const {
        config.Viewer = viewer;
        config.Viewer2 = viewer2;
        config.Editor = editor;
        config.Editor2 = editor2;
        config.Left = left;
        config.Right = right;
        config.Background = background;
        config.TreeDir = tree_dir;
        config.CaseFilter = case_filter;
        config.PathAppend = path_append;
        config.AutoSave = auto_save;
        clip_use_desktop = pm_clip;
        config.EscPanelSwitch = esc_panel_switch;
        config.SizeCountPause = size_count_pause;
        config.Lines = lines;
        config.Columns = columns;
        dialog_scroll_delay = scroll_delay;
        config.TimeMode = time_mode;
    }
};

constexpr int kFieldColumn = 28;
constexpr int kFieldWidth = 20;
constexpr int kRightColumn = 51;
constexpr int kNumberColumn = 66;

}  // namespace

int edit_config() {
    if (!console) return 27;
    if (config_hooks.remove_clock) config_hooks.remove_clock();
    EditedSettings saved;
    saved.Save();
    int old_codepage = codepage;
    int time_mode = config.TimeMode == 24 ? 24 : 12;

    int result;
    {
        Dialog dialog(-1, -3, 76, 19, colours[CLR_MESSAGES]);
        dialog.PutCentre(-1, L" Configuration ");
        struct TextRow {
            int row;
            const wchar_t* label;
            Westring* setting;
        };
        const TextRow text_rows[] = {
            {1, L"Viewer:", &config.Viewer},
            {2, L"Alternate Viewer:", &config.Viewer2},
            {3, L"Editor:", &config.Editor},
            {4, L"Alternate Editor:", &config.Editor2},
            {6, L"Left Startup Directory:", &config.Left},
            {7, L"Right Startup Directory:", &config.Right},
            {9, L"Separate Session Prefix:", &config.Background},
            {10, L"Tree Data Directory:", &config.TreeDir},
            {11, L"Case Filter File Systems:", &config.CaseFilter},
            {12, L"Path Extension:", &config.PathAppend},
        };
        for (const TextRow& row : text_rows) {
            dialog.AddStaticText(1, row.row, row.label);
            dialog.AddStringField(kFieldColumn, row.row, 1, *row.setting, kFieldWidth, -1, Dialog::kNoHistory);
        }
        dialog.AddCheckBox(kRightColumn, 1, 1, config.AutoSave, L"Auto Save");
        dialog.AddCheckBox(kRightColumn, 2, 1, clip_use_desktop, L"Use X clipboard");
        dialog.AddCheckBox(kRightColumn, 3, 1, config.EscPanelSwitch, L"ESC Panel Switch");
        dialog.AddCheckBox(kRightColumn, 4, 1, config.SizeCountPause, L"Size Count Pause");
        dialog.AddStaticText(kRightColumn, 6, L"Lines");
        dialog.AddIntField(kNumberColumn, 6, 1, config.Lines, 3);
        dialog.AddStaticText(kRightColumn, 7, L"Columns");
        dialog.AddIntField(kNumberColumn, 7, 1, config.Columns, 3);
        dialog.AddStaticText(kRightColumn, 8, L"Scroll Delay");
        dialog.AddIntField(kNumberColumn, 8, 1, dialog_scroll_delay, 3);
        dialog.AddStaticText(kRightColumn, 10, L"Time Mode");
        dialog.AddRadioButton(kRightColumn + 11, 10, 2, time_mode, 12, L"12 HR");
        dialog.AddRadioButton(kRightColumn + 11, 11, 0, time_mode, 24, L"24 HR");
        static const Dialog::ButtonDef buttons[] = {{13, "_OK"}, {27, "Cancel"}, {KEY_F1, "Help"}, {0, nullptr}};
        dialog.AddPushButtonGroup(-1, 16, 1, buttons);
        dialog.AddExitKey(KEY_F1);

        while ((result = dialog.Process()) == KEY_F1) {
            if (config_hooks.show_help) config_hooks.show_help("Configuration");
        }
        if (result != 13) result = 27;
    }

    if (result == 27) {
        saved.Restore();
    } else {
        config.TimeMode = static_cast<short>(time_mode);
        if (config_hooks.reread_locale) config_hooks.reread_locale();
        if (codepage != old_codepage && config_hooks.redraw_panel_tops) config_hooks.redraw_panel_tops();
        if (config_hooks.refresh_panels) config_hooks.refresh_panels();
        if (config.Lines != saved.lines || config.Columns != saved.columns) {
            if (config.Lines > 0) config.screen_rows = config.Lines;
            if (config.Columns > 0) config.screen_columns = config.Columns;
            if (config_hooks.change_lines) config_hooks.change_lines();
            else set_lines(config.screen_rows, config.screen_columns);
        }
    }
    if (config.Clock && config_hooks.make_clock) config_hooks.make_clock();
    return result;
}
