#include "shell/configdirectives.h"

#include <climits>
#include <cstring>
#include <strings.h>

#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "lib/westring.h"

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
    ROW(ConsoleScrollback, DT_LINES),
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

// ------------------------------------------------------- reading, writing

namespace {

void apply_colours(const char* value) {
    const char* p = value;
    for (int n = 0; n < COLOUR_ITEMS && *p; n++) {
        colours[n] = static_cast<unsigned char>(ParseConfigInt(p));
        while (*p && *p != ' ') p++;
        while (*p == ' ') p++;
    }
}

// A count of lines when the value starts with a digit, else on or off as
// for any on/off directive.
ScrollbackSetting scrollback_setting(const char* value) {
    const char* p = value;
    while (*p == ' ' || *p == '\t') p++;
    if (*p >= '0' && *p <= '9') return ScrollbackSetting::Lines(ParseConfigInt(p));
    return ScrollbackSetting(strcasecmp(value, "on") == 0);
}

}  // namespace

void apply_directive(const DIRECTIVE& row, const Estring& value) {
    switch (row.type) {
    case DT_NARROW: *static_cast<Estring*>(row.setting) = value; break;
    case DT_TEXT: *static_cast<Westring*>(row.setting) = DecodeFileName(value.c_str()); break;
    case DT_INTEGER: *static_cast<int*>(row.setting) = ParseConfigInt(value.c_str()); break;
    case DT_ONOFF: *static_cast<bool*>(row.setting) = strcasecmp(value.c_str(), "on") == 0; break;
    case DT_LINES: *static_cast<ScrollbackSetting*>(row.setting) = scrollback_setting(value.c_str()); break;
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

Estring directive_value(const DIRECTIVE& row) {
    switch (row.type) {
    case DT_NARROW: return *static_cast<const Estring*>(row.setting);
    case DT_TEXT: return EncodeFileName(*static_cast<const Westring*>(row.setting));
    case DT_INTEGER: return IntToStr(static_cast<long>(*static_cast<const int*>(row.setting)));
    case DT_ONOFF: return *static_cast<const bool*>(row.setting) ? "on" : "off";
    case DT_LINES: {
        const ScrollbackSetting& lines = *static_cast<const ScrollbackSetting*>(row.setting);
        if (lines.counted()) return IntToStr(static_cast<long>(lines.lines()));
        return lines ? "on" : "off";
    }
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
