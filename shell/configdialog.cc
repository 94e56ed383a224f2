#include "shell/configdialog.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "lib/codepage.h"
#include "shell/configfile.h"

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
    if (!console) return KEY_ESC;
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
        static const Dialog::ButtonDef buttons[] = {
            {KEY_ENTER, "_OK"}, {KEY_ESC, "Cancel"}, {KEY_F1, "Help"}, {0, nullptr}};
        dialog.AddPushButtonGroup(-1, 16, 1, buttons);
        dialog.AddExitKey(KEY_F1);

        while ((result = dialog.Process()) == KEY_F1) {
            if (config_hooks.show_help) config_hooks.show_help("Configuration");
        }
        if (result != KEY_ENTER) result = KEY_ESC;
    }

    if (result == KEY_ESC) {
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
