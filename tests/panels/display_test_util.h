// Helpers for the panel display tests: a headless 80 x 25 console, the
// left panel listing a directory of fixed files, UTC time and the C
// locale's date format, and everything program-wide put back afterwards.
#pragma once

#include <time.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/win.h"
#include "panels/associations.h"
#include "panels/paneldisplay.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/env_guard.h"
#include "tests/support/uitest.h"

class DisplayTest : public PanelTest {
protected:
    static constexpr int kRows = 19;  // entry rows of a 25-row screen

    void SetUp() override {
        PanelTest::SetUp();
        tz_.emplace("TZ", "UTC");
        tzset();
        saved_cwd_ = std::filesystem::current_path();

        set_default_colours();
        win_shadows = true;
        dialog_scroll_delay = 0;
        for (WestringStore& history : Dialog::FieldHistory) history.DestroyAll();
        console_font_joins = true;
        panel_clock_hook = nullptr;
        config.panel_rows = kRows;
        config.screen_columns = 80;
        config.screen_rows = 25;
        config.TimeMode = 24;
        config.Clock = false;
        config.KeepExtVisible = true;
        config.ThousandSep = false;
        config.TagDirs = false;
        config.StickyAlt = false;
        currpanel = 0;
        init_date_format();
        resize_columns();
    }

    void TearDown() override {
        colourAssociations.Clear();
        colourDirAssociations.Clear();
        if (!saved_cwd_.empty() && chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << saved_cwd_;
        tz_.reset();
        tzset();
        PanelTest::TearDown();
    }

    // Seconds since 1970 of a UTC calendar time.
    static long Utc(int year, int month, int day, int hour, int minute) {
        struct tm t = {};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        return static_cast<long>(timegm(&t));
    }

    // The fixed directory tmp/list: a directory, three files (one with a
    // long name) and a link; its parent (the "..") dated too.
    std::string MakeFixedFiles() {
        const std::string list = tmp / "list";
        MakeDir(list);
        MakeDir(list + "/gamma");
        Touch(list + "/alpha.txt", 1234, Utc(2024, 3, 15, 13, 5));
        Touch(list + "/beta.c", 0, Utc(2024, 1, 1, 0, 0));
        Touch(list + "/a_very_long_file_name.text", 5, Utc(2023, 12, 31, 23, 59));
        EXPECT_EQ(symlink("alpha.txt", (list + "/zlink").c_str()), 0);
        SetFileTime(list + "/gamma", Utc(2022, 6, 1, 8, 30));
        SetFileTime(tmp.path(), Utc(2024, 2, 29, 12, 0));
        return list;
    }
    // n files "f00", "f01", ... in tmp/many.
    std::string MakeManyFiles(int n) {
        const std::string dir = tmp / "many";
        MakeDir(dir);
        for (int i = 0; i < n; i++) Touch(NumberedName(dir + (i < 10 ? "/f0" : "/f"), i), static_cast<size_t>(i));
        return dir;
    }

    // The left panel on dir in a style, read and made on the screen.
    PANEL& ShowLeft(const std::string& dir, paneldetail detail = DETAIL_FULL) {
        PANEL& panel = panel_base[0];
        SetUpPanel(panel, dir);
        panel.detail = detail;
        read_panel(&panel);
        make_panel(&panel, 0);
        return panel;
    }

    // The inner text of window row y of the left panel (W = 38 cells).
    std::string Inner(int y) const { return ui.Text(1, y + 1, 38); }
    // The status line, trailing blanks removed.
    std::string Status() const {
        std::string s = Inner(kRows + 1);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    CUiTest ui{80, 25};

private:
    std::optional<CEnvGuard> tz_;  // UTC for the length of the test
    std::string saved_cwd_;
};
