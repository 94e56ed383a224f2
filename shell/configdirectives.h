// The directives of the configuration file's "[General Options]" section:
// which setting each names, how its value is read from text and written
// back, and the words of the sort, style and panel-type values.
#pragma once

#include "config/panelenums.h"
#include "lib/estring.h"

enum DirectiveType {
    DT_NARROW,     // Estring, the text as it is
    DT_TEXT,       // Westring, from UTF-8
    DT_INTEGER,    // int, decimal
    DT_ONOFF,      // bool, "on" in any case sets
    DT_LINES,      // ScrollbackSetting, "on", "off" or a number of lines
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

// Sets the directive's setting from the value text of its line.
void apply_directive(const DIRECTIVE& row, const Estring& value);
// The value text written for the directive's setting.
Estring directive_value(const DIRECTIVE& row);

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
