// The configuration record: every setting of the general section of the
// configuration file, with its default. Reading and writing the file is done
// by the application shell; the other subsystems only read the record.
//
// A few settings live with the subsystem that uses them instead, because that
// subsystem sits below this record: the colour items (`colours`, console/cells.h),
// `Shadows` (`win_shadows`, console/win.h), `FontFamily` and `FontSize`
// (console/console.h), `ScrollDelay` (`dialog_scroll_delay`, console/dialog.h),
// `BriefWordRight` (`brief_word_right`, console/wordedit.h), `PMClip`
// (`clip_use_desktop`, console/cliplines.h), `CodePage` and `TextCodePage`
// (`codepage` and `text_codepage`, lib/codepage.h).
#pragma once

#include "config/panelenums.h"
#include "lib/estring.h"
#include "lib/westring.h"

// Bits of the Confirmations setting: confirmations the user switched off.
enum {
    CONFIRM_DELETE_FILE = 1, CONFIRM_DELETE_TAGGED = 2, CONFIRM_DELETE_DIR = 4, CONFIRM_QUIT = 8,
    CONFIRM_TYPE_YES = 16,
};

// The ConsoleScrollback setting: how many of the lines that scroll off the
// console are kept. The file gives "on" (10,000 lines), "off" or a number
// of lines (0 is off), and the setting is written back in the form it was
// read in. Where a yes-or-no is wanted it says whether lines are kept.
class ScrollbackSetting {
public:
    static constexpr int kOnLines = 10000;

    ScrollbackSetting() = default;
    // On or off, as the setting was before it could name a count.
    ScrollbackSetting(bool on) : lines_(on ? kOnLines : 0) {}  // NOLINT(google-explicit-constructor)
    // A count is given by Lines, never converted from a number by accident.
    ScrollbackSetting(int) = delete;
    static ScrollbackSetting Lines(int count) {
        ScrollbackSetting setting;
        setting.lines_ = count > 0 ? count : 0;
        setting.counted_ = true;
        return setting;
    }

    int lines() const { return lines_; }
    // Whether the file named a count rather than on or off.
    bool counted() const { return counted_; }
    operator bool() const { return lines_ > 0; }  // NOLINT(google-explicit-constructor)

private:
    int lines_ = kOnLines;
    bool counted_ = false;
};

struct CONFIG {
    bool AutoIndent = false;
    bool AutoSave = false;
    Westring Background = L"gnome-terminal -x ! &";
    Westring CaseFilter;
    Estring CaseMod = "ll";
    bool CaseModRecurse = false;
    bool CaseModDirs = true;
    bool CaseModFiles = true;
    bool Clock = false;
    char CmdChar = '!';
    bool CMPContents = false;
    Westring CMPMask = L"*";
    int CMPSize = 0;
    int CMPTime = 1;
    bool CMPUnmatched = true;
    int Confirmations = 0;
    ScrollbackSetting ConsoleScrollback;
    bool CtrlRDriveChng = false;
    bool DisableInvert = false;
    Westring Editor;
    Westring Editor2 = L"editor";
    bool EscPanelSwitch = false;
    bool ExpandedTrees = true;
    bool FFRootSearch = true;
    bool FFRecurse = true;
    bool FFCase = false;
    bool FFWholeWord = false;
    bool FFMultiDrive = false;
    Estring FFDriveList;
    bool FFFollowLinks = false;
    bool FullScreen = true;
    bool Hidden = false;
    int IndentWidth = 1;
    bool KeepExtVisible = true;
    Westring Left;
    Westring Right;
    Westring LeftFilter = L"*";
    Westring RightFilter = L"*";
    sortby LeftSort = SORT_NAME;
    sortby RightSort = SORT_NAME;
    paneldetail LeftStyle = DETAIL_FULL;
    paneldetail RightStyle = DETAIL_FULL;
    bool LeftShowing = true;
    bool RightShowing = true;
    paneltype LeftType = PANEL_FILES;
    paneltype RightType = PANEL_FILES;
    int Lines = 0;
    int Columns = 0;
    int MaxHist = 500;
    int MaxFieldHist = 20;
    int MouSpeed = 8;
    bool NumLock = false;
    bool OverStrike = false;
    Westring PathAppend;
    bool PathPrompt = true;
    bool RelativeLinks = false;
    bool RetainCount = false;
    int Saver = 0;
    bool SizeCountPause = false;
    char StartupSide = 'L';
    bool StickyAlt = true;
    bool SyncCopyMissing = true;
    bool SyncUpdateOlder = true;
    bool SyncDeleteExtra = false;
    Westring SyncDirFilter = L"*";
    Westring SyncFilter = L"*";
    int TabWidth = 8;
    bool TagDirs = false;
    short TimeMode = 12;
    bool ThousandSep = false;
    Estring TranslateCP;
    Westring TreeDir;
    Westring Viewer;
    Westring Viewer2 = L"pager";
    bool ViewerWrap = true;
    bool WaitDOS = false;

    // The screen actually in use (set at start-up and on size changes).
    int screen_rows = 25;
    int screen_columns = 80;
    int panel_rows = 0;  // entry rows of a panel
};

extern CONFIG config;

// The ten hot directories d0 to d9 (empty when not set).
extern Westring dirstore[10];
