#include "shell/configread.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <strings.h>

#include "config/archivers.h"
#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "exec/environment.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/wild.h"
#include "panels/mask.h"
#include "shell/configdirectives.h"
#include "shell/configfile.h"
#include "shell/inifile.h"

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

TObjectStore<RawEnvLine> raw_environment;

void show_limited(const Westring& message, const Westring& title) {
    if (++messages_shown <= kMaxReadMessages) show_config_message(message, title);
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
    section_associations(section).AddAssociation(mask, command);
}

void set_archiver_key(int section, const Estring& name, const Estring& value) {
    for (const ArchiverKey& key : archiver_keys) {
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
[[nodiscard]] int read_lines(StdFile& file, int& section, bool reload) {
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
        if (read_error != 0) show_config_message(GetOSErrorMessage(read_error), file.getname());
        (void)file.close();  // read only: nothing to lose
    }
    if (!reload) apply_read_settings();
}


int last_config_read_error() { return read_error; }

const TObjectStore<RawEnvLine>& raw_environment_lines() { return raw_environment; }
