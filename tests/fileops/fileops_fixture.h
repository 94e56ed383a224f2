// The copy, move, delete and make-directory tests: the panel tests' files and
// panels, a headless console, and the program-wide answers, seams and hooks
// put back after every test.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/win.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "fileops/hooks.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

class FileOpsTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        config.Confirmations = 0;
        set_default_colours();
        win_shadows = true;
        for (WestringStore& history : Dialog::FieldHistory) history.DestroyAll();
        ResetFileGlobals();
        copy_seams = CopySeams();
        // Keys queued for prompts must not be eaten by the Esc polls; tests
        // of Esc switch the real poll back on.
        copy_seams.esc_pending = [] { return false; };
        fileops_hooks = FileOpsHooks();
    }
    void TearDown() override {
        EndCopyProgress(nullptr);
        end_delete_batch();
        copy_seams = CopySeams();
        fileops_hooks = FileOpsHooks();
        ResetFileGlobals();
        PanelTest::TearDown();
    }

    static Westring W(const std::string& path) { return DecodeFileName(path.c_str()); }
    std::string Path(const std::string& leaf) const { return tmp / leaf; }

    // Writes a file below the temporary directory with a mode and (when
    // seconds >= 0) a modification and access time; returns its path.
    std::string Write(const std::string& leaf, const std::string& content, mode_t mode = 0644, long seconds = -1) {
        std::string path = tmp.Write(leaf, content);
        chmod(path.c_str(), mode);
        if (seconds >= 0) SetTime(path, seconds, seconds);
        return path;
    }
    static void SetTime(const std::string& path, long mtime, long atime) {
        struct timespec times[2] = {{atime, 123000}, {mtime, 456000}};
        utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    std::string MakeDir(const std::string& leaf, mode_t mode = 0755) {
        std::string path = tmp.MakeDir(leaf, mode);
        chmod(path.c_str(), mode);  // past the umask
        return path;
    }
    // Makes "dir/" entries as directories and "file=content" entries as files.
    void Files(std::initializer_list<std::string> items) { Files(std::vector<std::string>(items)); }
    void Files(const std::vector<std::string>& items) {
        for (const std::string& item : items) {
            size_t equals = item.find('=');
            if (item.back() == '/') MakeDir(item.substr(0, item.size() - 1));
            else Write(item.substr(0, equals), equals == std::string::npos ? "" : item.substr(equals + 1));
        }
    }
    static struct stat Stat(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
        return status;
    }
    // Checks paths below the temporary directory, as ExpectPaths does.
    void Expect(const std::vector<std::string>& checks) const { ExpectPaths(checks, tmp.path() + "/"); }
    static std::string Big(size_t size) {
        std::string data(size, 0);
        for (size_t i = 0; i < size; i++) data[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
        return data;
    }

    // Copies or moves (same_fs: whether a rename may do it) with the
    // descriptions of the source's directory, when given.
    int Copy(const std::string& src, const std::string& dst) { return Move(src, dst, false, false); }
    // Descriptions are carried in a batch of the call's own.
    int Move(const std::string& src, const std::string& dst, bool same_fs, bool move = true) {
        DescBatch d;
        copy_status status;
        int result = ui.Run([&] {
            return move ? move_file(W(src).c_str(), W(dst).c_str(), 1, 1, &status, d, same_fs)
                        : copy_file(W(src).c_str(), W(dst).c_str(), 1, 1, &status, d);
        });
        EndCopyProgress(&status);
        return result;
    }

    // Queues the answers to the prompts to come and records them afresh.
    void Answer(const std::string& keys) {
        ui.Keys(keys);
        ui.RecordScreens(true);
    }
    // Whether the first recorded prompt, or any, shows text.
    bool FirstShows(const std::string& text) const { return !ui.Screens().empty() && ui.Screens().front().Find(text); }
    bool Shown(const std::string& text) const { return AnyScreenShows(ui, text); }
    std::string FirstScreen() const { return ui.Screens().empty() ? std::string() : ui.Screens().front().Dump(); }

    // The panel set up on dir and read.
    static void SetUpPanel(PANEL& panel, const std::string& dir) {
        PanelTest::SetUpPanel(panel, dir);
        read_panel(&panel);
    }
    static void Tag(PANEL& panel, const std::string& name) {
        int i = IndexOf(panel, name);
        ASSERT_GE(i, 0) << name;
        if (panel.files[i]->tagged) return;
        panel.files[i]->tagged = 1;
        panel.num_tagged++;
        panel.tagged_size += panel.files[i]->size;
    }
    static void Cursor(PANEL& panel, const std::string& name) {
        int i = IndexOf(panel, name);
        ASSERT_GE(i, 0) << name;
        panel.top = 0;
        panel.cur = i;
    }

    CUiTest ui{80, 25};
};
