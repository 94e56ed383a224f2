// Runs the whole program headless: the start-up, the main loop driven by
// queued keys, and the shutdown, over real temporary directories with HOME
// pointing to a fresh one. The program-wide state the run changes (current
// directory, locale, HOME) is put back after every test.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "config/config.h"
#include "exec/histories.h"
#include "fileops/copyseams.h"
#include "panels/panel.h"
#include "shell/cmdline.h"
#include "shell/startup.h"
#include "tests/lib/locale_guard.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_cwd_ = std::filesystem::current_path();
        history.DestroyAll();
        DirectoryHistory.DestroyAll();
    }
    void TearDown() override {
        if (!saved_cwd_.empty() && chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << saved_cwd_;
        history.DestroyAll();
        DirectoryHistory.DestroyAll();
        program_args = PROGRAM_ARGS();
    }

    // Writes the configuration file the runs use.
    void Ini(const std::string& content) { WriteFile(ini_, content); }

    // Runs the program with the configuration file, -l left_, -r right_ and
    // the extra arguments; the keys must already be queued (ending with a
    // way out). The exit status.
    int Run(const std::vector<std::string>& extra = {}, bool with_dirs = true) {
        std::vector<std::string> args = {"dv", ini_};
        if (with_dirs) args.insert(args.end(), {"-l", left_.path(), "-r", right_.path()});
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ui.RecordScreens(true);
        int status = ui.Run([&] { return RunProgram(static_cast<int>(args.size()), argv.data(), nullptr); });
        EXPECT_EQ(ui.QueueLength(), 0) << "the program ended before reading every key";
        return status;
    }

    // The keys of quitting with the confirmation.
    void QueueQuit() { ui.Keys("F10 Enter"); }
    // Runs the program on keys (after any queued already), then quits; the
    // run must end well.
    void RunKeys(const std::string& keys = "") {
        if (!keys.empty()) ui.Keys(keys);
        QueueQuit();
        EXPECT_EQ(Run(), 0);
    }

    const std::vector<CUiTest::Screen>& Screens() const { return ui.Screens(); }

    // The row of a screen holding text in the left (side 0) or right half; -1 when none.
    static int RowOf(const CUiTest::Screen& screen, const std::string& text, int side) {
        for (int y = 0; y < screen.rows; y++) {
            std::string half = screen.Text(side == 0 ? 0 : screen.columns / 2, y, screen.columns / 2);
            if (half.find(text) != std::string::npos) return y;
        }
        return -1;
    }
    // The command line row of a screen, trailing blanks removed.
    static std::string CommandLine(const CUiTest::Screen& screen) { return screen.Line(screen.rows - 2); }

    // Whether any screen recorded shows text.
    bool Shown(const std::string& text) const { return AnyScreenShows(ui, text); }
    // The names of a panel's list and of its cursor entry, after the run.
    static std::vector<std::string> Names(int side) {
        std::vector<std::string> names;
        for (int i = 0; i < panel_base[side].num_files; i++)
            names.push_back(Westring(panel_base[side].files[i]->name).ToUTF8().c_str());
        return names;
    }
    static std::string CursorName(int side) {
        entry* e = panel_base[side].CurrentEntry();
        return e ? std::string(Westring(e->name).ToUTF8().c_str()) : std::string();
    }
    static std::string Dir(int side) { return panel_base[side].dir.ToUTF8().c_str(); }

    CTempDir home_, left_, right_;
    std::string ini_ = home_ / "dv.ini";
    CUiTest ui{80, 25};

private:
    CEnvGuard home_guard_{"HOME", home_.path().c_str()};
    std::string saved_cwd_;
    CLocaleGuard locale_{LC_ALL, nullptr};  // the run sets the locale
};

// For runs whose keys are queued before a long operation starts: the
// operation's poll for Esc would take them, so here it sees no Esc.
class MainLoopTypeAheadTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        copy_seams.esc_pending = [] { return false; };
    }
    void TearDown() override {
        copy_seams = CopySeams();
        MainLoopTest::TearDown();
    }
};
