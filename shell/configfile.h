// The configuration file: reading it at start-up and on request, writing it
// back, and the options dialog. The settings themselves live in the
// configuration record (config/config.h) and in the few console and library
// variables it names; the archiver commands, the association sets and the
// configured environment live beside them.
//
// The file is plain text in sections: "[Archiver:ZIP]" ... "[Archiver:XZ]"
// (key=value), "[Associations]", "[Viewer Associations]", "[Editor
// Associations]", "[Colours]", "[Directory Colours]" (mask: command),
// "[Environment]" (name=value) and "[General Options]" (directive=value, and
// mask: command lines, which are command associations).
#pragma once

#include "config/config.h"
#include "lib/estring.h"
#include "lib/stdfile.h"
#include "lib/westring.h"
#include "panels/associations.h"

// ---- archivers

// The command lines of one external archiver program.
struct ArchiverProgram {
    Estring extract_cmd;           // Extract
    Estring extract_list_switch;   // ExtractListfileSwitch
    Estring compress_cmd;          // Compress
    Estring compress_list_switch;  // CompressListfileSwitch
    Estring delete_cmd;            // Delete
    Estring compress_dir_spec;     // CompressDirSpec
    Estring extract_dir_spec;      // ExtractDirSpec
    bool forward_slash = false;    // member names are given with '/' (not configurable)
};

enum { ARCHIVER_COUNT = 11 };
// Indexed by archive format: ZIP, RAR, LHARC, ARJ, ACE, HA, GZIP, TAR, 7ZIP, BZIP2, XZ.
extern ArchiverProgram Archiver[ARCHIVER_COUNT];
extern const char* const archiver_names[ARCHIVER_COUNT];
// Fills the archiver table with the built-in commands.
void InitializeArchivers();

// ---- sections and directives

enum ConfigSection {
    SECTION_ARCHIVER_LAST = 10,  // 0 to 10: the archivers in table order
    SECTION_ASSOCIATIONS = 11,
    SECTION_VIEWER_ASSOCIATIONS = 12,
    SECTION_EDITOR_ASSOCIATIONS = 13,
    SECTION_COLOURS = 14,
    SECTION_DIRECTORY_COLOURS = 15,
    SECTION_ENVIRONMENT = 16,
    SECTION_GENERAL = 17,
    SECTION_COUNT = 18,
};
// The header line of each section, matched exactly.
extern const char* const config_section_headers[SECTION_COUNT];

enum DirectiveType {
    DT_NARROW,     // Estring, the text as it is
    DT_TEXT,       // Westring, from UTF-8
    DT_INTEGER,    // int, decimal
    DT_ONOFF,      // bool, "on" in any case sets
    DT_CHAR,       // char, the first character
    DT_TIMEMODE,   // short, "24" gives 24, anything else 12
    DT_SORT,       // sortby
    DT_STYLE,      // paneldetail
    DT_PANELTYPE,  // paneltype
    DT_COLOURS,    // the colour items, decimal numbers separated by blanks
    DT_IGNORED,    // accepted and not written back
};

struct DIRECTIVE {
    const char* name;
    DirectiveType type;
    void* setting;
};

// The general directives in the order they are written.
extern const DIRECTIVE directives[];
extern const int directive_count;
// The row of a directive name (ignoring case), or null.
const DIRECTIVE* FindDirective(const char* name);

// ---- hooks the main loop fills in (null: nothing happens)

struct ConfigHooks {
    void (*numlock_on)() = nullptr;          // switches Num Lock on
    void (*store_panel_state)() = nullptr;   // copies the panels' visibility, style, type and filter into config
    void (*remove_clock)() = nullptr;
    void (*make_clock)() = nullptr;          // shows the clock again when it is on
    void (*reread_locale)() = nullptr;       // the locale's separators and date order
    void (*redraw_panel_tops)() = nullptr;   // after a code page change
    void (*refresh_panels)() = nullptr;
    void (*change_lines)() = nullptr;        // the screen size in config changed; null resizes the console directly
    void (*show_help)(const char* topic) = nullptr;
};
extern ConfigHooks config_hooks;

// ---- reading

// Without reload: sets every default and reads the whole file, then applies
// the screen size, font and range rules. With reload: reads only the
// associations, the environment and the archiver sections again.
void configure(bool reload);
// The file to read (flags 1) or write (flags with bit 2 set).
Westring decide_ini_file(int flags);
// Opens the file to read, or for writing the temporary file beside the
// (symbolic-link-resolved) file to replace. 0, or the error number; a
// failure other than a missing file to read has been shown to the user.
int openini(StdFile& file, int flags);
// The temporary name a configuration file is written under before it
// replaces the file: its last three characters become "!!!".
Westring ini_temp_name(const Westring& name);
// Interprets one line of the file; section follows the headers.
void config_line(const char* line, int& section, bool reload);

sortby sort_type(const char* word);
paneldetail det_type(const char* word);
paneltype panel_type(const char* word);
// The words written for them.
const char* sort_word(sortby sort);
const char* det_word(paneldetail detail);
const char* panel_word(paneltype type);

// The decimal number at the start of text as atoi reads it, saturating
// instead of overflowing; 0 when there are no digits.
int ParseConfigInt(const char* text);

// ---- writing

// Writes the whole file beside the configuration file and puts it in its
// place in one step, so that a failure leaves the old file as it was. A file
// that exists but cannot be read is not replaced. 0, or the error number
// (already shown to the user).
int save_config();
// Writes one association section: its header, "mask: command" lines and an
// empty line. 0 or the file's error number.
int WriteAssociationSet(const AssociationSet& set, int section, StdFile& file);

// Steps of saving where a test can make the save fail.
enum ConfigSaveStep { SAVE_OPEN, SAVE_WRITE, SAVE_SYNC, SAVE_CLOSE, SAVE_RENAME };
// For tests: when set, called at each step; a non-zero result is taken as
// that step's error number.
extern int (*config_save_fault)(int step);

// ---- the options dialog

// 13 when confirmed, 27 when cancelled (the settings are then as before).
int edit_config();

// ---- text helpers

// Removes leading and trailing white space in place.
void trim(Estring& text);
void trim(Westring& text);
// Removes all white space in place.
void despace(Estring& text);
void despace(Westring& text);
