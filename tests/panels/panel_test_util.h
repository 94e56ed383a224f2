// Helpers for the panel tests: real files in a temporary directory, a panel
// set up to list it, and the program-wide settings and hooks put back after
// every test.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/config.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "panels/panel.h"
#include "panels/treeholder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

// Keeps the configuration record, the panel hooks and the current side of
// the test, and puts them back afterwards.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_config_ = config;
        saved_hooks_ = panel_hooks;
        saved_side_ = currpanel;
        config.Hidden = true;
    }
    void TearDown() override {
        config = saved_config_;
        panel_hooks = saved_hooks_;
        currpanel = saved_side_;
        for (int side = 0; side < 2; side++) {
            PANEL& p = panel_base[side];
            p.window.reset();  // while the test's console still exists
            p.search = Westring();
            p.top = p.cur = 0;
            p.read_error = 0;
            p.name_shift = 0;
            p.filter = L"*";
            p.dir = Westring();
            p.FreeEntries();
            p.visible = 0;
            p.reread = 0;
            p.type = PANEL_FILES;
            p.detail = DETAIL_FULL;
            p.archive = nullptr;
            p.fs_type = p.read_dir = Westring();
            p.tree.Detach();
        }
    }

    // An empty file (or with size bytes) named by bytes; its modification
    // time set when seconds is not negative.
    static void Touch(const std::string& path, size_t size = 0, long seconds = -1) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path;
        if (size > 0) {
            ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        }
        close(fd);
        if (seconds >= 0) SetFileTime(path, seconds);
    }
    static void MakeDir(const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path; }

    // A visible full-style file list of dir showing every file, sorted by name.
    static void SetUpPanel(PANEL& panel, const std::string& dir) {
        panel.dir = DecodeFileName(dir.c_str());
        panel.read_dir = Westring();
        panel.visible = 1;
        panel.type = PANEL_FILES;
        panel.detail = DETAIL_FULL;
        panel.sort = SORT_NAME;
        panel.filter = L"*";
        panel.page_size = 20;
        panel.cur = panel.top = 0;
    }

    // The names of the list (or of its tagged entries) in order, as the bytes the system knows.
    static std::vector<std::string> ListNames(const PANEL& panel, bool tagged_only = false) {
        std::vector<std::string> names;
        for (int i = 0; i < panel.num_files; i++)
            if (!tagged_only || panel.files[i]->tagged) names.push_back(EncodeFileName(panel.files[i]->name).c_str());
        return names;
    }
    static std::vector<std::string> Tagged(const PANEL& panel) { return ListNames(panel, true); }
    static int IndexOf(const PANEL& panel, const std::string& name) {
        for (int i = 0; i < panel.num_files; i++)
            if (EncodeFileName(panel.files[i]->name).c_str() == name) return i;
        return -1;
    }
    static entry* Find(const PANEL& panel, const std::string& name) {
        int i = IndexOf(panel, name);
        return i < 0 ? nullptr : panel.files[i];
    }
    static std::string Cursor(const PANEL& panel) {
        entry* e = panel.CurrentEntry();
        return e ? std::string(EncodeFileName(e->name).c_str()) : std::string();
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

private:
    CONFIG saved_config_;
    PanelHooks saved_hooks_;
    int saved_side_ = 0;
};

// The nodes of a path below root, made where missing; returns the last.
inline TREENODE* Chain(TREENODE* root, const std::string& path) {
    TREENODE* node = root;
    size_t start = 1;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        Westring name(path.substr(start, end - start).c_str());
        TREENODE* child = node->child;
        while (child && fncompare(child->name.c_str(), name.c_str()) != 0) child = child->next;
        if (!child) {
            child = new TREENODE(name);
            child->parent = node;
            child->depth = static_cast<int8_t>(node->depth + 1);
            child->next = node->child;
            node->child = child;
        }
        node = child;
        start = end + 1;
    }
    return node;
}

// Polls (generously) until the screen shows text; not a timing test.
inline bool WaitForScreen(const CUiTest& ui, const std::string& text) {
    for (int i = 0; i < 2000; i++) {
        if (ui.Find(text)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
