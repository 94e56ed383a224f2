// What the panel benchmarks share: a directory of many empty files, and a
// panel that lists it as entering it would.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench/harness.h"
#include "lib/fsname.h"
#include "panels/panel.h"

// Makes count empty files in dir, file i named name(i); false (with the
// reason printed) when one cannot be made.
inline bool MakeEmptyFiles(const std::string& dir, int count, const std::function<std::string(int)>& name) {
    std::string path;
    for (int i = 0; i < count; i++) {
        path.assign(dir).append("/").append(name(i));
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || close(fd) != 0) {
            std::perror(path.c_str());
            return false;
        }
    }
    return true;
}

// The least any reader of dir must do: one pass of readdir with an fstatat
// of every name, on one thread. The number of names inspected, or -1 when
// dir cannot be opened.
inline long BareRead(const std::string& dir) {
    DIR* listing = opendir(dir.c_str());
    if (!listing) return -1;
    long count = 0;
    struct stat status;
    while (const struct dirent* d = readdir(listing)) {
        if (fstatat(dirfd(listing), d->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) count++;
    }
    closedir(listing);
    return count;
}

// A visible full-style file list of dir, sorted by name, all files shown.
inline void SetUpBenchPanel(PANEL& panel, const std::string& dir) {
    panel.dir = DecodeFileName(dir.c_str());
    panel.visible = 1;
    panel.type = PANEL_FILES;
    panel.detail = DETAIL_FULL;
    panel.sort = SORT_NAME;
    panel.filter = L"*";
    panel.page_size = 20;
}

// Drops what the panel read, so that the next read_panel reads afresh.
inline void ForgetListing(PANEL& panel) {
    panel.FreeEntries();
    panel.read_dir = Westring();
}

// The measured side of a directory read: each pass reads the panel's
// directory afresh, as entering it would; files is what it must then hold.
inline std::function<void(benchmark::State&)> FreshReads(PANEL& panel, int files) {
    return [&panel, files](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            ForgetListing(panel);
            state.ResumeTiming();
            read_panel(&panel);
            benchmark::DoNotOptimize(panel.files);
        }
        if (panel.num_files != files + 1) state.SkipWithError("the panel does not hold every file");
    };
}
