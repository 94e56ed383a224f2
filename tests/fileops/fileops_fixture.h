// Helpers for the copy, move, delete and make-directory tests: a headless
// console, real files in a temporary directory, the two panels set up on
// directories, and the program-wide answers, seams, hooks and settings put
// back after every test.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "console/cells.h"
#include "console/dialog.h"
#include "console/win.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/fileglobals.h"
#include "fileops/hooks.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "shell/config.h"
#include "tests/fileops/temp_dir.h"
#include "tests/support/uitest.h"

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_config_ = config;
        saved_panel_hooks_ = panel_hooks;
        saved_side_ = currpanel;
        config.Hidden = true;
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
        delete_file(nullptr, DELETE_END);
        copy_seams = CopySeams();
        fileops_hooks = FileOpsHooks();
        ResetFileGlobals();
        config = saved_config_;
        panel_hooks = saved_panel_hooks_;
        currpanel = saved_side_;
        for (int side = 0; side < 2; side++) {
            PANEL& p = panel_base[side];
            p.FreeEntries();
            p.visible = 0;
            p.reread = 0;
            p.type = PANEL_FILES;
            p.detail = DETAIL_FULL;
            p.archive = nullptr;
            p.fs_type = Westring();
            p.read_dir = Westring();
        }
    }

    // ---- files
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
        std::string path = Path(leaf);
        EXPECT_EQ(mkdir(path.c_str(), mode), 0) << path;
        chmod(path.c_str(), mode);
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static bool Exists(const std::string& path) {
        struct stat status;
        return lstat(path.c_str(), &status) == 0;
    }
    static struct stat Stat(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
        return status;
    }
    static std::string Big(size_t size) {
        std::string data(size, 0);
        for (size_t i = 0; i < size; i++) data[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
        return data;
    }

    // ---- single items through the prompting routines
    int Copy(const std::string& src, const std::string& dst) {
        StdFile descriptions;
        copy_status status;
        int result = ui.Run([&] { return copy_file(W(src).c_str(), W(dst).c_str(), 1, 1, &status, descriptions); });
        EndCopyProgress(&status);
        return result;
    }
    int Move(const std::string& src, const std::string& dst, bool same_fs) {
        StdFile descriptions;
        copy_status status;
        int result = ui.Run(
            [&] { return move_file(W(src).c_str(), W(dst).c_str(), 1, 1, &status, descriptions, same_fs); });
        EndCopyProgress(&status);
        return result;
    }

    // ---- screens recorded while the code under test asked for input
    // Whether any recorded screen shows text.
    bool Shown(const std::string& text) const {
        for (const CUiTest::Screen& screen : ui.Screens())
            if (screen.Find(text)) return true;
        return false;
    }
    std::string LastScreen() const { return ui.Screens().empty() ? std::string() : ui.Screens().back().Dump(); }

    // ---- panels
    static void SetUpPanel(PANEL& panel, const std::string& dir) {
        panel.dir = W(dir);
        panel.read_dir = Westring();
        panel.visible = 1;
        panel.type = PANEL_FILES;
        panel.detail = DETAIL_FULL;
        panel.sort = SORT_NAME;
        panel.filter = L"*";
        panel.page_size = 20;
        panel.cur = panel.top = 0;
        read_panel(&panel);
    }
    static int IndexOf(const PANEL& panel, const std::string& name) {
        for (int i = 0; i < panel.num_files; i++)
            if (EncodeFileName(panel.files[i]->name).c_str() == name) return i;
        return -1;
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

    // Runs body in a child process as the user nobody (who is refused what
    // root is allowed); its result (0-255), or -1 when the child failed.
    static int RunAsNobody(const std::function<int()>& body) {
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(250);
            _exit(body() & 0xFF);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    CTempDir tmp;
    CUiTest ui{80, 25};

private:
    CONFIG saved_config_;
    PanelHooks saved_panel_hooks_;
    int saved_side_ = 0;
};
