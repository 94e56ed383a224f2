// The configuration file: its sections, the hooks through which the main
// loop takes part in reading and writing it, and text helpers its parts
// share. The settings themselves live in the configuration record
// (config/config.h), the archiver table (config/archivers.h) and the few
// console and library variables the record names; the association sets and
// the configured environment live beside them.
//
// The file is plain text in sections: "[Archiver:ZIP]" ... "[Archiver:XZ]"
// (key=value), "[Associations]", "[Viewer Associations]", "[Editor
// Associations]", "[Colours]", "[Directory Colours]" (mask: command),
// "[Environment]" (name=value) and "[General Options]" (directive=value, and
// mask: command lines, which are command associations).
//
// Its parts: where the file is and opening it (shell/inifile.h), the
// general directives (shell/configdirectives.h), reading
// (shell/configread.h), writing (shell/configsave.h) and the options dialog
// (shell/configdialog.h).
#pragma once

#include "lib/estring.h"
#include "lib/westring.h"
#include "panels/associations.h"

// ---- sections

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
// The association set an association section fills (the command
// associations for any other section).
AssociationSet& section_associations(int section);

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

// Tells the user about a problem with the file: in a message box, or on
// standard error while there is no console.
void show_config_message(const Westring& message, const Westring& title);

// ---- text helpers

// Removes leading and trailing white space in place.
void trim(Estring& text);
void trim(Westring& text);
// Removes all white space in place.
void despace(Estring& text);
void despace(Westring& text);
